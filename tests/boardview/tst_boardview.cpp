// The board views: what the one painting routine draws of a picture (the
// current probe, labels, unplaced probes left out), the viewport's rule for
// following a probe, and the widget as the user meets it (picking, panning,
// zooming, fitting, recentring, and two views sharing one picture).

#include "boardbuilder.h"
#include "boardpicture.h"
#include "boardscene.h"
#include "boardview.h"
#include "qtestmain.h"
#include "viewport.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QWheelEvent>

#include <algorithm>
#include <numeric>
#include <tuple>

using namespace lw;
using namespace lw::test;

namespace {

constexpr QSize kSize{401, 301};  // odd: a pixel sits on the view's centre
constexpr QPoint kCentre{200, 150};
constexpr QPointF kMiddle{200.5, 150.5};  // the view's centre itself
// The builder's layer colours.
constexpr QRgb kTop = qRgb(200, 0, 0);
constexpr QRgb kBottom = qRgb(0, 0, 200);
constexpr QRgb kProbe = qRgb(0, 0, 255);
constexpr QRgb kOutline = qRgb(240, 240, 240);
// The program's probe colours.
constexpr QRgb kYellow = qRgb(255, 255, 0);
constexpr QRgb kGreen = qRgb(0, 255, 0);
constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kWhite = qRgb(255, 255, 255);

// Pixels of colour in rect; with a tolerance, also those near it in every
// channel (text is smoothed).
int count(const QImage& image, QRgb colour, QRect rect = {{}, kSize},
          int tolerance = 0) {
  int n = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y)
    for (int x = rect.left(); x <= rect.right(); ++x) {
      const QRgb p = image.pixel(x, y);
      n += std::abs(qRed(p) - qRed(colour)) <= tolerance &&
           std::abs(qGreen(p) - qGreen(colour)) <= tolerance &&
           std::abs(qBlue(p) - qBlue(colour)) <= tolerance;
    }
  return n;
}

QImage render(BoardView& view, QSize size = kSize) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::magenta);
  view.renderTo(image);
  return image;
}

// Millimetres of board from the view's top edge to its bottom edge (301 px).
double shownHeight(const BoardView& view) {
  return view.viewPointAt({0, 0}).y() - view.viewPointAt({0, 301}).y();
}

void send(QWidget& w, QEvent::Type type, Qt::MouseButton button,
          Qt::MouseButtons buttons, QPointF pos = kMiddle) {
  QMouseEvent event(type, pos, w.mapToGlobal(pos), button, buttons, {});
  QApplication::sendEvent(&w, &event);
}

void wheel(QWidget& w, QPointF pos, int notches) {
  QWheelEvent event(pos, w.mapToGlobal(pos), {}, {0, 120 * notches}, {}, {},
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(&w, &event);
}

// The name a left click at pixel picks, "" for none.
QString click(BoardView& view, QPoint pixel) {
  QSignalSpy spy(&view, &BoardView::entityPicked);
  QTest::mouseClick(&view, Qt::LeftButton, {}, pixel);
  return spy.isEmpty() ? QString() : spy.at(0).at(0).toString();
}

// What paintBoard draws of a picture through a viewport, and the boxes of
// the labels it drew.
std::pair<QImage, std::vector<QRectF>> paintThrough(BoardPicture& picture,
                                                    const Viewport& viewport) {
  QImage image(kSize, QImage::Format_RGB32);
  QPainter painter(&image);
  auto painted = paintBoard(painter, kSize,
                            {picture.board(), picture.scene(), picture.style(),
                             viewport, picture.currentItems()});
  return {image, painted.labels};
}

Viewport windowOn(QPointF centre, double half, bool fromTop = true) {
  Viewport viewport;
  viewport.setFromTop(fromTop);
  viewport.setWindow(centre.x() - half, centre.x() + half, centre.y() - half,
                     centre.y() + half);
  return viewport;
}

// What the screen shows of a view once its pending paints are done.
QImage onScreen(BoardView& view) {
  QApplication::processEvents();
  return view.screen()->grabWindow(view.winId()).toImage();
}

// The pixels a widget's paint events asked for.
class PaintedRegion : public QObject {
 public:
  explicit PaintedRegion(QWidget& widget) { widget.installEventFilter(this); }
  QRegion region;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint)
      region += static_cast<QPaintEvent*>(event)->region();
    return false;
  }
};

// The pixel a view shows view point p at (centre of the pixel's square).
QPointF pixelOf(const BoardView& view, QPointF p) {
  const QPointF origin = view.viewPointAt({0, 0});
  const QPointF step = view.viewPointAt({1, 1}) - origin;
  return {(p.x() - origin.x()) / step.x(), (p.y() - origin.y()) / step.y()};
}

}  // namespace

class TestBoardView : public QObject {
  Q_OBJECT

  BoardDocument mDocument;
  BoardPicture mPicture;
  std::unique_ptr<BoardView> mView;

  void load(BoardBuilder& b) {
    mDocument = BoardDocument(b.take());
    mPicture.setDocument(&mDocument);
  }
  void turn(int degrees) {
    QVERIFY(mDocument.setFileRotation(1, degrees));
    mPicture.reshape();
  }
  // The picture as the view paints it around view point (x, y), in a
  // square window half wide each way.
  QImage paint(double x, double y, double half, bool fromTop = true) {
    fromTop ? mView->viewFromTop() : mView->viewFromBottom();
    mView->zoomToWindow(x - half, x + half, y - half, y + half);
    return render(*mView);
  }
  // Probes carry no label from half 25 up.
  QRgb at(double x, double y, double half = 5, QPoint offset = {}) {
    return paint(x, y, half).pixel(kCentre + offset);
  }

 private slots:
  // The probes the widget is tried with, in a view of its own.
  void init() {
    BoardBuilder b;
    b.outline();
    b.probe("P1", 20, 20);
    b.probe("P2", 21.7, 20);  // edges 6 px apart at 30 px per mm
    b.probe("under", 40, 20);
    b.probe("over", 40, 20);
    b.probe("far", 50, 20, Side::Bottom);
    b.probe("near", 50, 20);
    load(b);
    mView = std::make_unique<BoardView>();
    mView->resize(kSize);
    mView->setPicture(&mPicture);
    mView->show();
    QVERIFY(QTest::qWaitForWindowExposed(mView.get()));
  }
  void cleanup() { mView.reset(); }

  void coordinates() {
    // Probes on every image of (30, 10) under turns and mirrors, the right
    // one coloured: any mistake in the transform shows another. The first
    // four are where it is seen from the top after 0, 90, 180 and 270
    // degrees; from the bottom X is negated.
    const QPointF images[] = {{30, 10},  {-10, 30}, {-30, -10}, {10, -30},
                              {-30, 10}, {10, 30},  {30, -10},  {-10, -30}};
    BoardBuilder b;
    for (int i = 0; i < 8; ++i)
      b.sized(b.probe(QString::number(i), images[i].x(), images[i].y()), 3);
    load(b);
    mPicture.colourProbe("0", {0, 99, 9});
    // The view is centred on the origin, 301 px for 80 mm.
    for (int rotation : {0, 90, 180, 270}) {
      turn(rotation);
      const QPointF seen = images[rotation / 90];
      for (bool fromTop : {true, false}) {
        const QPointF pixel(fromTop ? seen.x() : -seen.x(), -seen.y());
        const QRgb there = paint(0, 0, 40, fromTop)
                               .pixel(kCentre + (pixel * 301 / 80).toPoint());
        QVERIFY2(there == qRgb(0, 99, 9),
                 qPrintable(QString("%1 %2").arg(rotation).arg(fromTop)));
      }
    }
  }

  void paintOrder() {
    // Document order is no painting order: probes first, kinds shuffled.
    BoardBuilder b;
    b.probe("1", 10, 10);
    b.probe("2", 10, 10, Side::Bottom);
    for (int k : {6, 1, 2, 7, 8, 5, 3, 4})
      b.sized(b.add(EntityKind(k), {}, k, 10, 10), 4);
    b.sized(b.add(EntityKind::Pin, {}, 9, 10, 10, Side::Bottom), 4);
    b.board().entities[b.via(10)].layer = 5;
    b.outline();
    load(b);
    // The outline; far side, both sides, near side, each layer's kinds
    // from large to small; probes last, far side first. The paint follows:
    // the near side's pads show beyond the probes' edge.
    const char* fromBottomThenTop[] = {
        "OUTLINE:10 TOP:4 TOP:3 TOP:5 TOP:8 TOP:7 TOP:2 TOP:1 TOP:6 "
        "OUTLINE:1 BOTTOM:2 PROBE_TOP:9 PROBE_BOT:9",
        "OUTLINE:10 BOTTOM:2 OUTLINE:1 TOP:4 TOP:3 TOP:5 TOP:8 TOP:7 TOP:2 "
        "TOP:1 TOP:6 PROBE_BOT:9 PROBE_TOP:9"};
    for (bool fromTop : {false, true}) {
      const BoardScene& scene = mPicture.scene();
      QStringList seen;
      for (int i : scene.paintOrder(fromTop))
        seen << mPicture.board().layers[scene.buckets()[i].layerSlot].name +
                    ':' + QString::number(int(scene.buckets()[i].kind));
      QCOMPARE(seen.join(' '), QString(fromBottomThenTop[fromTop]));
      const QImage image = paint(fromTop ? 10 : -10, 10, 5, fromTop);
      QCOMPARE(image.pixel(kCentre + QPoint(0, 50)), fromTop ? kTop : kBottom);
    }
  }

  void classesAndLayers() {
    BoardBuilder b;
    b.outline();
    b.probe("1", 50, 60);
    for (int k = 1; k <= 8; ++k)
      b.sized(b.add(EntityKind(k), {}, k, 10 * k, 40), 4, Shape::Square);
    b.sized(b.add(EntityKind::Pin, {}, 9, 20, 60, Side::Bottom), 4,
            Shape::Square);
    load(b);
    auto drawn = [&](int k) { return count(paint(10 * k, 40, 5), kTop) > 0; };
    // Vias, pins and fiducials are filled, the other classes outlined.
    const bool filled[] = {true, true, false, false, false, false, true, false};
    for (int code = 1; code <= 8; ++code) {
      QCOMPARE(at(10 * code, 40) == kTop, filled[code - 1]);
      QVERIFY(mPicture.showEntityClass(code, false));
      QVERIFY(!mPicture.isEntityClassShown(code));
      for (int k = 1; k <= 8; ++k) QCOMPARE(drawn(k), k != code);
      QVERIFY(mPicture.showEntityClass(code, true));
    }
    // Probes (9) and the outline (10) are always drawn.
    for (int code : {0, 9, 10, 11, -1})
      QVERIFY(!mPicture.showEntityClass(code, false));
    QVERIFY(!mPicture.isEntityClassShown(0));
    QCOMPARE(at(50, 60, 25), kProbe);
    QCOMPARE(at(0, 40), kOutline);  // its left edge

    // Layer colours and visibility are the picture's, and reported back.
    QVERIFY(mPicture.setLayerColour(0, {12, 34, 56}));
    QVERIFY(mPicture.setLayerVisible(1, false));
    QCOMPARE(at(20, 40), qRgb(12, 34, 56));
    QCOMPARE(at(20, 60), kBackground);
    Layer layer;
    QVERIFY(mPicture.layer(0, &layer) == kLayerOk && layer.visible);
    QCOMPARE(layer.colour, (Rgb{12, 34, 56}));
    QVERIFY(mPicture.layer(1, &layer) == kLayerOk && !layer.visible);
    QVERIFY(mPicture.setLayerVisible(1, true));
    QCOMPARE(at(20, 60), kBottom);
    // Index 4 is a gap in the numbering, 6 is past its end.
    for (int index : {4, 6, -1})
      QVERIFY(!mPicture.setLayerColour(index, {}) &&
              !mPicture.setLayerVisible(index, false));
    // A document that gains a layer in place still paints (styles re-read).
    Board grown = mDocument.board();
    grown.layers.push_back({7, "NEW", 44, {1, 2, 3}, true});
    grown.entities.push_back(grown.entities.back());
    grown.entities.back().layer = 99;  // listed nowhere: drawn grey
    mDocument = BoardDocument(std::move(grown));
    mPicture.reshape();
    QCOMPARE(at(20, 60), qRgb(160, 160, 160));
  }

  void probeColours() {
    BoardBuilder b;
    b.probe("7", 20, 20);
    b.probe("7", 40, 20, Side::Bottom);
    const int seventy = b.probe("70", 60, 20);
    load(b);
    QVERIFY(mPicture.colourProbe("7", {0, 255, 0}));
    QVERIFY(!mPicture.colourProbe("8", {1, 2, 3}));
    mPicture.setLayerColour(2, {9, 9, 9});  // a probe's own colour wins
    QCOMPARE(at(20, 20, 25), qRgb(0, 255, 0));
    QCOMPARE(at(60, 20, 25), qRgb(9, 9, 9));  // names match exactly; uncoloured
    QVERIFY(mPicture.colourProbe("7", {255, 0, 0}));
    // Every probe of the name, the bottom one too; the last colour counts.
    QCOMPARE(at(40, 20, 25), qRgb(255, 0, 0));
    // Turning the file rebuilds the scene; the colours come back, and a
    // renamed probe takes the colour last given to its new name.
    QVERIFY(mDocument.renameEntity(7, seventy, "8"));
    turn(180);
    QCOMPARE(at(-40, -20, 25), qRgb(255, 0, 0));
    QCOMPARE(at(-60, -20, 25), qRgb(1, 2, 3));
    // A document given anew starts with no probe coloured, layers as read.
    mPicture.setDocument(&mDocument);
    QCOMPARE(at(-60, -20, 25), kProbe);
  }

  // Items scattered over the board are sorted into grid cells in place:
  // each is kept once and found where it lies.
  void gridFindsEveryItemOnce() {
    BoardBuilder b;
    constexpr int kProbes = 600;
    for (int i = 0; i < kProbes; ++i)
      b.probe(QString::number(i), (i * 7919) % 997 / 10.0,
              (i * 104729) % 991 / 10.0);
    load(b);
    const BoardScene& scene = mPicture.scene();
    std::vector<int> entities;
    for (const SceneBucket& bucket : scene.buckets()) {
      for (int i = bucket.first; i < bucket.last; ++i) {
        const SceneItem& item = scene.items()[std::size_t(i)];
        entities.push_back(item.entity);
        bool found = false;
        scene.forEachItem(bucket, {item.x, item.y, 0, 0},
                          [&](int k) { found = found || k == i; });
        QVERIFY(found);
      }
    }
    std::sort(entities.begin(), entities.end());
    std::vector<int> all(kProbes);
    std::iota(all.begin(), all.end(), 0);
    QCOMPARE(entities, all);
  }

  void fileColours() {
    BoardBuilder b;
    b.board().files.push_back({2, "panel", false, true, 9, 0});
    b.probe("7", 20, 20);
    b.probe("9", 40, 20);
    b.board().entities[std::size_t(b.probe("7", 60, 20))].file = 2;
    load(b);
    QVERIFY(mPicture.colourProbe("9", {1, 2, 3}));
    mPicture.colourFileProbes(1, {0, 255, 0});
    // The file's probes, a name coloured before among them; the other
    // file's probe of the same name is left uncoloured.
    QCOMPARE(at(20, 20, 25), qRgb(0, 255, 0));
    QCOMPARE(at(40, 20, 25), qRgb(0, 255, 0));
    QCOMPARE(at(60, 20, 25), kProbe);
    // Names coloured after it win, and all of it comes back with a new
    // scene.
    QVERIFY(mPicture.colourProbe("9", {255, 0, 0}));
    turn(180);
    QCOMPARE(at(-20, -20, 25), qRgb(0, 255, 0));
    QCOMPARE(at(-40, -20, 25), qRgb(255, 0, 0));
    QCOMPARE(at(60, 20, 25), kProbe);  // the panel was not turned
  }

  void levelOfDetail() {
    // The whole board on one pixel, probes drawn last; the outline's left
    // edge through the middle, its other corners far beyond what the
    // painter's integer coordinates hold.
    QCOMPARE(at(0, 0, 1e9), kProbe);
    QVERIFY(count(paint(0, 40, 1e-7), kOutline, QRect(199, 150, 3, 1)));
    BoardBuilder b;
    b.sized(b.via(1, 50, 40), 0.02);
    // Many pins on one pixel still show as that pixel.
    for (int i = 0; i < 100; ++i)
      b.sized(b.add(EntityKind::Pin, {}, i, 70 + i * 0.01, 40, Side::Bottom),
              0.005);
    b.probe("8", 20, 20);
    b.sized(b.add(EntityKind::Component, "U12", 2, 60, 60), 20, Shape::Square,
            10);
    load(b);
    QCOMPARE(at(50, 40, 400), kTop);
    QCOMPARE(at(70.5, 40, 400), kBottom);
    // A one-digit probe number is as many pixels as the disc's radius, a
    // name half the height of its 20 x 10 body. Probes are filled, bodies
    // outlined: a label is what breaks their plain middle.
    const std::tuple<const char*, QPointF, QRgb, double, bool> cases[] = {
        {"probe number, 7 px", {20, 20}, kProbe, 10, true},
        {"probe number, 6 px", {20, 20}, kProbe, 8.7, false},
        {"designator, 7 px", {60, 60}, kBackground, 1.45, true},
        {"designator, 6 px", {60, 60}, kBackground, 1.35, false}};
    for (const auto& [name, item, plain, pixelsPerMm, labelled] : cases) {
      const QImage image = paint(item.x(), item.y(), 150.5 / pixelsPerMm);
      const QRect middle(kCentre - QPoint(4, 3), QSize(9, 7));
      QVERIFY2((count(image, plain, middle) < 63) == labelled, name);
    }
  }

  void shapes() {
    BoardBuilder b;
    // 10 x 2 pads, one turned by 45 degrees, one oblong; a triangle body.
    const int turned =
        b.sized(b.add(EntityKind::Pin, {}, 1, 20, 20), 10, Shape::Rectangle, 2);
    b.board().entities[turned].angle = 45;
    b.sized(b.add(EntityKind::Pin, {}, 2, 60, 20), 10, Shape::Oblong, 2);
    const int body = b.add(EntityKind::Component, {}, 3, 0, 0);
    b.board().entities[body].outline = {{40, 40}, {60, 40}, {40, 60}};
    load(b);
    // At half 10, 15 px per mm; at half 1, 150.
    const std::tuple<const char*, int, QPointF, double, QPoint, bool> cases[] =
        {{"turned pad, along", 0, {20, 20}, 10, {45, -45}, true},
         {"turned pad, across", 0, {20, 20}, 10, {45, 45}, false},
         {"oblong, near its end", 0, {60, 20}, 10, {70, 0}, true},
         {"oblong, rounded corner", 0, {60, 20}, 10, {74, 14}, false},
         {"oblong stood up, along", 90, {-20, 60}, 10, {0, 70}, true},
         {"body, slanted side", 0, {50, 50}, 1, {}, true},
         {"body, closing side", 0, {40, 50}, 1, {}, true},
         {"body not filled", 0, {45, 45}, 1, {}, false},
         {"body's box outside it", 0, {58, 58}, 1, {}, false},
         {"body turned", 180, {-50, -50}, 1, {}, true}};
    for (const auto& [name, rotation, seen, half, offset, drawn] : cases) {
      turn(rotation);
      const QRgb there = at(seen.x(), seen.y(), half, offset);
      QVERIFY2(there == (drawn ? kTop : kBackground), name);
    }
  }

  void clickPicksTheTopmostProbeOrTheNearestEdge() {
    // The window's centre, the click's offset from it at 30 px per mm
    // (probes' radius 22.6 px), how many probe layers are hidden, near first.
    const std::tuple<const char*, int, bool, QPointF, QPoint, int, const char*>
        cases[] = {{"inside", 0, true, {20, 20}, {-15, -10}, 0, "P1"},
                   {"3.9 px off the edge", 0, true, {20, 20}, {0, 27}, 0, "P1"},
                   {"4.9 px off the edge", 0, true, {20, 20}, {0, 28}, 0, ""},
                   {"off both, nearer P2", 0, true, {20, 20}, {27, 0}, 0, "P2"},
                   {"later of two", 0, true, {40, 20}, {}, 0, "over"},
                   {"near side, top", 0, true, {50, 20}, {}, 0, "near"},
                   {"near side, bottom", 0, false, {-50, 20}, {}, 0, "far"},
                   {"near layer hidden", 0, true, {50, 20}, {}, 1, "far"},
                   {"both hidden", 0, true, {50, 20}, {}, 2, ""},
                   {"turned, bottom", 270, false, {-20, -21.7}, {}, 0, "P2"}};
    for (const auto& [name, rotation, fromTop, seen, offset, hidden, picked] :
         cases) {
      turn(rotation);
      mPicture.setLayerVisible(2, hidden < 1);
      mPicture.setLayerVisible(3, hidden < 2);
      fromTop ? mView->viewFromTop() : mView->viewFromBottom();
      mView->centreOnPoint(seen.x(), seen.y(), 10);
      QVERIFY2(click(*mView, kCentre + offset) == picked, name);
    }
  }

  void dragPansAndOnlyAWholeClickPicks() {
    // Within the drag distance a hand's tremor is still a click.
    const std::tuple<Qt::MouseButton, QPointF, bool> cases[] = {
        {Qt::LeftButton, {60, -30}, false},
        {Qt::MiddleButton, {60, -30}, false},
        {Qt::LeftButton, {3, 2}, true}};
    for (const auto& [button, move, isClick] : cases) {
      mView->zoomToWindow(15, 25, 15, 25);
      QSignalSpy spy(mView.get(), &BoardView::entityPicked);
      const QPointF grabbed = mView->viewPointAt(kMiddle);
      send(*mView, QEvent::MouseButtonPress, button, button);
      for (int step = 1; step <= 4; ++step)
        send(*mView, QEvent::MouseMove, {}, button, kMiddle + move * step / 4);
      send(*mView, QEvent::MouseButtonRelease, button, {}, kMiddle + move);
      QCOMPARE(int(spy.count()), isClick ? 1 : 0);
      // A drag keeps the board point under the pointer; a click moves none.
      QCOMPARE(mView->viewPointAt(isClick ? kMiddle : kMiddle + move), grabbed);
    }
    // Only a whole click picks. The owner ends a pick while the button is
    // down; then a double-click, as a window system delivers it: the second
    // press is the double-click, which asks to recentre and does not pick
    // again. One pick in all.
    QSignalSpy picked(mView.get(), &BoardView::entityPicked);
    QSignalSpy recentre(mView.get(), &BoardView::recentreRequested);
    send(*mView, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
    mView->endPick();
    send(*mView, QEvent::MouseButtonRelease, Qt::LeftButton, {});
    for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                      QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease})
      send(*mView, type, Qt::LeftButton,
           type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton);
    QVERIFY(recentre.count() == 1 && picked.count() == 1);
  }

  void zoomAndCentre() {
    // The wheel zooms about the pointer, 1.25 a notch, kept between a
    // ten-thousandth of the board's 100 mm and ten times it (in the larger
    // half size, the width here); heights shown from 80 mm, to the
    // nanometre.
    const std::pair<int, double> cases[] = {
        {1, 64}, {-1, 100}, {200, 0.016}, {-200, 1600}};
    for (const auto& [notches, height] : cases) {
      QCOMPARE(mView->zoomToWindow(0, 100, 0, 80), kViewOk);
      const QPointF pointer = kMiddle + QPointF(100, 50);
      const QPointF under = mView->viewPointAt(pointer);
      wheel(*mView, pointer, notches);
      QCOMPARE(mView->viewPointAt(pointer), under);
      QCOMPARE(qRound64(shownHeight(*mView) * 1e6), qRound64(height * 1e6));
    }

    // zoomToWindow's xmin, xmax, ymin, ymax: a window off the board is
    // still a window; empty, inverted or non-finite ones leave the view
    // where it was.
    const std::tuple<const char*, double, double, double, double, int>
        windows[] = {{"off the board", 500, 510, -9, -1, kViewOk},
                     {"no width", 1, 1, 0, 5, kViewBadWindow},
                     {"no height", 0, 1, 5, 5, kViewBadWindow},
                     {"inverted", 10, 0, 0, 5, kViewBadWindow},
                     {"nan", qQNaN(), 1, 0, 5, kViewBadWindow},
                     {"infinite", 0, qInf(), 0, 5, kViewBadWindow}};
    for (const auto& [name, x0, x1, y0, y1, status] : windows) {
      mView->zoomToWindow(-5, 45, -5, 45);
      QVERIFY2(mView->zoomToWindow(x0, x1, y0, y1) == status, name);
      if (status != kViewOk)
        QCOMPARE(mView->viewPointAt(kMiddle), QPointF(20, 20));
    }

    // centreOnPoint, here from the bottom.
    mView->viewFromBottom();
    QVERIFY(mView->centreOnPoint(-20, 20, 10));
    // An image twice the size shows the same window twice as large: P1 in
    // the middle, 60 px per mm.
    const QImage large = render(*mView, {801, 601});
    QCOMPARE(large.pixel(400, 300 + 40), kProbe);  // P1, radius 45 px
    QCOMPARE(large.pixel(400, 300 + 50), kBackground);
    QVERIFY(mView->centreOnPoint(-21, 20, 0));  // size 0 keeps the zoom
    QVERIFY(!mView->centreOnPoint(qQNaN(), 0, 10));
    QCOMPARE(mView->viewPointAt(kMiddle), QPointF(-21, 20));
    QCOMPARE(shownHeight(*mView), 10.0);
  }

  void twoViewsShareOnePicture() {
    BoardView probeView;
    probeView.resize(kSize);
    probeView.setPicture(&mPicture);
    probeView.show();
    QVERIFY(QTest::qWaitForWindowExposed(&probeView));
    // Each keeps its own side and window; neither has a label at P1.
    probeView.viewFromBottom();
    probeView.zoomToWindow(-40, 0, 0, 40);
    mView->zoomToWindow(-5, 45, -5, 45);
    QVERIFY(mView->isViewFromTop() && !probeView.isViewFromTop());
    // One colour call shows on screen in both, as renderTo paints it.
    QCOMPARE(onScreen(probeView).pixel(kCentre), kProbe);
    QVERIFY(mPicture.colourProbe("P1", {0, 255, 0}));
    QCOMPARE(onScreen(*mView).pixel(kCentre), qRgb(0, 255, 0));
    QCOMPARE(onScreen(probeView).pixel(kCentre), qRgb(0, 255, 0));
    QCOMPARE(onScreen(probeView), render(probeView));
    // Another document (the same one turned, given anew) refits both, each
    // from its own side: the 100 x 80 outline, centred, with a small margin;
    // the height decides.
    QVERIFY(mDocument.setFileRotation(1, 180));  // the board from (-100, -80)
    mPicture.setDocument(&mDocument);
    QCOMPARE(mView->viewPointAt(kMiddle), QPointF(-50, -40));
    QCOMPARE(probeView.viewPointAt(kMiddle), QPointF(50, -40));
    QVERIFY(shownHeight(probeView) > 80 && shownHeight(probeView) < 88);
  }

  void currentProbeIsRingedAboveEverything() {
    // The current probe on the bottom, under a wired probe and an unplaced
    // one at the same place on top, which are drawn after it.
    BoardBuilder b;
    b.outline();
    b.probe("C", 40, 20, Side::Bottom);
    b.probe("W", 40, 20);
    b.probe("U", 2, 40, 20, Side::Top, {{"PROBE_PLACEMENT", "Unplaced"}});
    load(b);
    mPicture.colourProbe("W", {0, 255, 0});
    mPicture.colourProbe("C", {255, 255, 0});
    mPicture.setCurrentProbe("C");
    // The window's half size, the side it is seen from, the ring's radius
    // in pixels (the probe's 22.6 px and 3 more, or at least 7), and where
    // the number is: on the probe in black, or beside the ring in the
    // probe's colour.
    const std::tuple<const char*, double, bool, double, QRgb, bool> cases[] = {
        {"zoomed in", 5, true, 25.6, qRgb(0, 0, 0), false},
        {"whole board and beyond", 500, true, 7, kYellow, true},
        {"whole board, from the bottom", 500, false, 7, kYellow, true}};
    for (const auto& [name, half, fromTop, ring, text, beside] : cases) {
      const auto [image, labels] = paintThrough(
          mPicture, windowOn({fromTop ? 40.0 : -40.0, 20}, half, fromTop));
      QVERIFY2(image.pixel(kCentre) == kYellow, name);
      QVERIFY2(count(image, kGreen) + count(image, kProbe) == 0, name);
      // The ring in the probe's colour, a dark halo just outside it.
      for (QPoint direction : {QPoint(1, 0), QPoint(0, -1)}) {
        const QPoint onRing = kCentre + direction * qRound(ring);
        QVERIFY2(image.pixel(onRing) == kYellow, name);
        QVERIFY2(image.pixel(onRing + direction * 2) == kBackground, name);
      }
      // Its number is the one label, always drawn.
      QVERIFY2(labels.size() == 1, name);
      const QRect box = labels[0].toAlignedRect();
      QVERIFY2((box.left() > kCentre.x() + ring) == beside, name);
      QVERIFY2(count(image, text, box, 64) > 5, name);
    }
    // None current: the probe is drawn where it is, under the wired one.
    mPicture.setCurrentProbe({});
    QCOMPARE(paintThrough(mPicture, windowOn({40, 20}, 5)).first.pixel(kCentre),
             kGreen);
  }

  void unplacedProbesAreNeitherDrawnNorPicked() {
    // "U" is unplaced, "P" placed; two probes share the name "S", only the
    // one at (80, 20) placed.
    const Attrs unplaced = {{"PROBE_PLACEMENT", "Unplaced"}};
    BoardBuilder b;
    b.outline();
    b.probe("P", 20, 20);
    b.probe("U", 2, 60, 20, Side::Top, unplaced);
    b.probe("S", 3, 80, 20, Side::Top, {{"PROBE_PLACEMENT", "Placed"}});
    b.probe("S", 4, 80, 60, Side::Bottom, unplaced);
    load(b);
    QVERIFY(!mPicture.colourProbe("U", {0, 255, 0}));
    QVERIFY(mPicture.colourProbe("S", {0, 255, 0}));
    QVERIFY(mPicture.colourProbe("P", {255, 0, 0}));
    const std::tuple<const char*, QPointF, QRgb> probes[] = {
        {"placed", {20, 20}, kRed},
        {"unplaced", {60, 20}, kBackground},
        {"placed of a shared name", {80, 20}, kGreen},
        {"unplaced of a shared name", {80, 60}, kBackground}};
    for (const auto& [name, at, colour] : probes) {
      // Neither in a view of the whole board nor in the probe view (below
      // the number), and a click there picks nothing.
      for (const auto& [half, below] : {std::pair{50.0, 0}, {5.0, 15}}) {
        const QImage image = paintThrough(mPicture, windowOn(at, half)).first;
        QVERIFY2(image.pixel(kCentre + QPoint(0, below)) == colour, name);
      }
      mView->centreOnPoint(at.x(), at.y(), 10);
      QVERIFY2(click(*mView, kCentre).isEmpty() == (colour == kBackground),
               name);
    }
    // And no ring for it.
    mPicture.setCurrentProbe("U");
    QVERIFY(mPicture.currentItems().empty());
  }

  void aProbeNumberNeverRunsIntoAnother() {
    // Two probes whose numbers would touch at 30 px per mm, the current
    // probe to the left or to the right of them: the one nearer to it keeps
    // its number. White text on red.
    const std::tuple<const char*, double, const char*> cases[] = {
        {"current to the left", 10, "2632"},
        {"current to the right", 30, "14434"}};
    for (const auto& [name, currentX, numbered] : cases) {
      BoardBuilder b;
      b.sized(b.probe("2632", 19, 20), 2);
      b.sized(b.probe("14434", 21, 20), 2);
      b.probe("1", currentX, 20);
      load(b);
      for (const char* probe : {"2632", "14434"})
        mPicture.colourProbe(probe, {255, 0, 0});
      mPicture.setCurrentProbe("1");
      const auto [image, labels] =
          paintThrough(mPicture, windowOn({20, 20}, 5));
      QVERIFY2(labels.size() == 1, name);  // the current one is off screen
      for (const auto& [probe, x] : {std::pair{"2632", -30}, {"14434", 30}}) {
        const QRect middle(kCentre + QPoint(x - 10, -5), QSize(21, 11));
        QVERIFY2((count(image, kWhite, middle) > 0) ==
                     (QLatin1String(probe) == QLatin1String(numbered)),
                 name);
      }
    }
  }

  void labelsOfTheDemoNeverOverlap() {
    BoardDocument demo;
    demo.open(LW_SOURCE_ROOT "/examples/demo.vdz");
    mPicture.setDocument(&demo);
    for (const Entity& e : demo.board().entities)
      if (e.kind == EntityKind::Probe)
        mPicture.colourProbe(e.name, {0, 255, 0});
    mPicture.setCurrentProbe("27");  // at (1725, 2475) mil
    // The whole board, a part of it and a few probes; at least as many
    // labels as seen when this was written, within a few.
    const std::pair<double, int> zooms[] = {{2500, 12}, {800, 45}, {150, 6}};
    for (const auto& [half, atLeast] : zooms) {
      const auto labels =
          paintThrough(mPicture, windowOn({1725, 2475}, half)).second;
      QVERIFY2(int(labels.size()) >= atLeast,
               qPrintable(QString("%1: %2").arg(half).arg(labels.size())));
      for (std::size_t i = 0; i < labels.size(); ++i)
        for (std::size_t j = i + 1; j < labels.size(); ++j)
          QVERIFY2(!labels[i].intersects(labels[j]),
                   qPrintable(QString("%1: %2 %3").arg(half).arg(i).arg(j)));
    }
    mPicture.setDocument(nullptr);
  }

  void theViewportFollowsAProbeOnlyWhenItLeavesTheView() {
    // A 400 x 300 view on the 100 x 80 board, 20 pixels of margin: from the
    // window (x, y, width, height; seen from the top or not), does the view
    // point need a pan?
    const QRectF board(0, 0, 100, 80);
    const std::tuple<const char*, QRectF, bool, QPointF, bool> cases[] = {
        {"inside", {10, 10, 40, 30}, true, {30, 25}, false},
        {"outside", {10, 10, 40, 30}, true, {80, 70}, true},
        {"near the left edge", {10, 10, 40, 30}, true, {11, 25}, true},
        {"near the top edge", {10, 10, 40, 30}, true, {30, 39}, true},
        {"from the bottom, inside", {-50, 10, 40, 30}, false, {-30, 25}, false},
        {"from the bottom, outside", {-50, 10, 40, 30}, false, {30, 25}, true},
        {"whole board, at its corner", {-5, -5, 110, 90}, true, {0, 0}, false},
        {"whole board, a point beyond",
         {-5, -5, 110, 90},
         true,
         {200, 0},
         false}};
    for (const auto& [name, window, fromTop, at, pans] : cases) {
      Viewport viewport;
      viewport.setFromTop(fromTop);
      viewport.setWindow(window.left(), window.right(), window.top(),
                         window.bottom());
      const double half = viewport.halfSize();
      const auto centre = viewport.centreToShow(at, board, {400, 300}, 20);
      QVERIFY2(centre.has_value() == pans, name);
      // Panning centres the probe and keeps the zoom.
      if (pans) QVERIFY2(*centre == at && viewport.halfSize() == half, name);
    }
  }

  void theViewFollowsAndRecentresAtOnce() {
    // Following: a zoomed view pans to a probe out of it, a fitted one not.
    QVERIFY(!mView->keepInSight(90, 70));
    mView->zoomToWindow(15, 25, 15, 25);
    QVERIFY(!mView->keepInSight(21.7, 20));
    QVERIFY(mView->keepInSight(50, 20));
    QCOMPARE(mView->viewPointAt(kMiddle), QPointF(50, 20));
    QCOMPARE(shownHeight(*mView), 10.0);
    // A double-click recentres as the owner decides and the screen shows it
    // before the event loop turns; the next click picks what is shown.
    connect(mView.get(), &BoardView::recentreRequested, this,
            [this] { mView->centreOnPoint(21.7, 20, 10); });
    QTest::mouseDClick(mView.get(), Qt::LeftButton, {}, kCentre);
    QCOMPARE(mView->screen()->grabWindow(mView->winId()).toImage(),
             render(*mView));
    QCOMPARE(click(*mView, kCentre), QString("P2"));
  }

  void aMarkRepaintsAroundItsProbesOnly() {
    // The whole board, where no label but the current probe's shows, red
    // probes still to wire, one wired, P1 current: marking P1 and making
    // "near" current repaint around P1 and "near" only, and the screen
    // shows what a whole paint shows.
    BoardBuilder b;
    b.outline();
    for (int i = 0; i < 10; ++i) b.probe(QString::number(i), 5 + 9 * i, 60);
    b.probe("P1", 20, 20);
    b.probe("near", 50, 20);
    load(b);
    for (const Entity& e : mDocument.board().entities)
      mPicture.colourProbe(e.name, {255, 0, 0});
    mPicture.colourProbe("9", {0, 255, 0});
    mPicture.colourProbe("P1", {255, 255, 0});
    mPicture.setCurrentProbe("P1");
    onScreen(*mView);
    PaintedRegion painted(*mView);
    mPicture.colourProbe("P1", {0, 255, 0});
    mPicture.colourProbe("near", {255, 255, 0});
    mPicture.setCurrentProbe("near");
    QCOMPARE(onScreen(*mView), render(*mView));
    // Each probe's ring and its number beside it, a few dozen pixels.
    QRegion around;
    for (QPointF probe : {QPointF(20, 20), QPointF(50, 20)}) {
      const QPointF at = pixelOf(*mView, probe);
      around += QRectF(at - QPointF(100, 30), QSizeF(200, 60)).toAlignedRect();
    }
    QVERIFY(!painted.region.isEmpty());
    QVERIFY(painted.region.subtracted(around).isEmpty());
    // Zoomed in on P1, probe numbers show and place themselves around the
    // current probe: a mark repaints the whole view.
    mView->zoomToWindow(15, 25, 15, 25);
    onScreen(*mView);
    painted.region = {};
    mPicture.colourProbe("P1", {255, 0, 0});
    QCOMPARE(onScreen(*mView), render(*mView));
    QCOMPARE(painted.region, QRegion(mView->rect()));
  }

  // A load builds the scene on another thread and hands it over: the
  // picture draws that one, with the colours given after it.
  void aSceneBuiltBeforehandIsTheOneDrawn() {
    auto built = std::make_unique<BoardScene>(mDocument.board());
    const BoardScene* given = built.get();
    mPicture.setDocument(&mDocument, std::move(built));
    QCOMPARE(&mPicture.scene(), given);
    QVERIFY(mPicture.colourProbe("near", {0, 99, 9}));
    QCOMPARE(at(50, 20, 30), qRgb(0, 99, 9));
  }

  void nothingToShowPaintsTheBackground() {
    BoardView bare, orphan;
    {
      BoardPicture gone;  // the view outlives its picture
      gone.setDocument(&mDocument);
      orphan.setPicture(&gone);
    }
    mDocument = BoardDocument();  // and mView's picture shows an empty one
    mPicture.setDocument(&mDocument);
    for (BoardView* view : {&bare, mView.get(), &orphan}) {
      QCOMPARE(view->zoomToWindow(0, 1, 0, 1), kViewNoDocument);
      QVERIFY(!view->centreOnPoint(0, 0, 1));
      view->fitToBoard();
      wheel(*view, kMiddle, 1);
      QCOMPARE(click(*view, kCentre), QString());
      QCOMPARE(count(render(*view), kBackground), 401 * 301);
    }
  }
};

LW_QTEST_MAIN(TestBoardView)
#include "tst_boardview.moc"
