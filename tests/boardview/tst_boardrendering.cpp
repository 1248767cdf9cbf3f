// What the board view draws: colours, layers, classes, orientation.

#include "boardview.h"
#include "qtestmain.h"
#include "rendering.h"
#include "testboard.h"

#include <cmath>

using namespace lw;
using namespace lw::test;

namespace {

// The eight images of (x, y) under the view's turns and mirror.
struct Placement {
  int rotation;
  bool fromTop;
};

QPointF toView(QPointF p, Placement where) {
  QPointF v = p;
  switch (where.rotation) {
    case 90:
      v = {-p.y(), p.x()};
      break;
    case 180:
      v = {-p.x(), -p.y()};
      break;
    case 270:
      v = {p.y(), -p.x()};
      break;
  }
  if (!where.fromTop) v.setX(-v.x());
  return v;
}

QPointF toDocument(QPointF v, Placement where) {
  if (!where.fromTop) v.setX(-v.x());
  return toView(v, {(360 - where.rotation) % 360, true});
}

void place(BoardView& view, Placement where) {
  QVERIFY(view.setFileRotation(1, where.rotation));
  where.fromTop ? view.viewFromTop() : view.viewFromBottom();
}

}  // namespace

class TestBoardRendering : public QObject {
  Q_OBJECT

 private slots:
  void layerColourReachesThePixels();
  void layerColourIsClamped();
  void hiddenLayerIsNotDrawn();
  void entityClasses_data();
  void entityClasses();
  void probesAndOutlineAreAlwaysDrawn();
  void probeTakesItsLayerColourUntilColoured();
  void colourProbeColoursEveryProbeOfThatName();
  void probeColoursSurviveRotationAndEdits();
  void probesAreDrawnOverPads();
  void nearSideIsDrawnOverFarSide();
  void invisibleFileIsNotDrawn();
  void orientation_data();
  void orientation();
  void centreOnPoint();
  void fitShowsTheWholeBoardFromEitherSide();
  void tinyItemsStillShow();
  void labelsOnlyWhereLegible();
  void rotatedAndOblongPads();
  void renderScalesToTheImage();
  void extremeZoomDoesNotBreakPainting();
  void polygonOutlines();
};

void TestBoardRendering::layerColourReachesThePixels() {
  TestBoard b;
  b.add(EntityKind::Pin, 20, 20, 4, kTopCopper, "1", Shape::Square);
  BoardView view;
  view.setDocument(b.board);
  QCOMPARE(colourAt(view, 20, 20), kTopColour);
  QVERIFY(view.setLayerColour(kTopCopper, 12, 34, 56));
  QCOMPARE(colourAt(view, 20, 20), qRgb(12, 34, 56));
}

void TestBoardRendering::layerColourIsClamped() {
  TestBoard b;
  b.add(EntityKind::Pin, 20, 20, 4, kTopCopper, "1", Shape::Square);
  BoardView view;
  view.setDocument(b.board);
  QVERIFY(view.setLayerColour(kTopCopper, 300, -5, 128));
  QCOMPARE(colourAt(view, 20, 20), qRgb(255, 0, 128));
}

void TestBoardRendering::hiddenLayerIsNotDrawn() {
  TestBoard b;
  b.add(EntityKind::Pin, 20, 20, 4, kTopCopper, "1", Shape::Square);
  b.add(EntityKind::Pin, 30, 20, 4, kBottomCopper, "2", Shape::Square);
  BoardView view;
  view.setDocument(b.board);
  view.setLayerVisible(kTopCopper, false);
  QCOMPARE(colourAt(view, 20, 20), kBackground);
  QCOMPARE(colourAt(view, 30, 20), kBottomColour);
  view.setLayerVisible(kTopCopper, true);
  QCOMPARE(colourAt(view, 20, 20), kTopColour);
}

void TestBoardRendering::entityClasses_data() {
  QTest::addColumn<int>("code");
  // Outlined kinds are looked for anywhere in their box, filled ones too.
  QTest::newRow("vias") << 1;
  QTest::newRow("component pins") << 2;
  QTest::newRow("components") << 3;
  QTest::newRow("mechanical parts") << 4;
  QTest::newRow("mechanical holes") << 5;
  QTest::newRow("access points") << 6;
  QTest::newRow("fiducials") << 7;
  QTest::newRow("tooling holes") << 8;
}

void TestBoardRendering::entityClasses() {
  QFETCH(int, code);
  TestBoard b;
  // One of every class, each with its own spot, 4 mm wide.
  for (int k = 1; k <= 8; ++k)
    b.add(EntityKind(k), 10 * k, 40, 4, kTopCopper, QString(), Shape::Square);
  BoardView view;
  view.setDocument(b.board);
  auto drawn = [&](int k) {
    view.zoomToWindow(10 * k - 5, 10 * k + 5, 35, 45);
    return countColour(render(view), kTopColour) > 0;
  };
  for (int k = 1; k <= 8; ++k)
    QVERIFY2(drawn(k), qPrintable(QString::number(k)));

  QVERIFY(view.showEntityClass(code, false));
  QVERIFY(!view.isEntityClassShown(code));
  for (int k = 1; k <= 8; ++k) QCOMPARE(drawn(k), k != code);
  QVERIFY(view.showEntityClass(code, true));
  QVERIFY(drawn(code));

  // The class display flag is the same switch.
  QVERIFY(view.setClassDisplayFlag(code, false));
  QVERIFY(!drawn(code));
}

void TestBoardRendering::probesAndOutlineAreAlwaysDrawn() {
  TestBoard b;
  b.probe("1", 20, 20);
  BoardView view;
  view.setDocument(b.board);
  for (int code : {0, 9, 10, 11, -1})
    QVERIFY(!view.showEntityClass(code, false));
  QCOMPARE(probeColourAt(view, 20, 20), kProbeColour);
  QCOMPARE(colourAt(view, 0, 40), kOutlineColour);  // left edge of outline
}

void TestBoardRendering::probeTakesItsLayerColourUntilColoured() {
  TestBoard b;
  b.probe("1", 20, 20);
  BoardView view;
  view.setDocument(b.board);
  QCOMPARE(probeColourAt(view, 20, 20), kProbeColour);
  view.setLayerColour(kProbeTop, 0, 0, 255);
  QCOMPARE(probeColourAt(view, 20, 20), qRgb(0, 0, 255));
  QVERIFY(view.colourProbe("1", 255, 255, 0));
  QCOMPARE(probeColourAt(view, 20, 20), qRgb(255, 255, 0));
  view.setLayerColour(kProbeTop, 9, 9, 9);  // the probe's own colour wins
  QCOMPARE(probeColourAt(view, 20, 20), qRgb(255, 255, 0));
}

void TestBoardRendering::colourProbeColoursEveryProbeOfThatName() {
  TestBoard b;
  b.probe("7", 20, 20);
  b.probe("7", 40, 20, 2, kProbeBottom);
  b.probe("70", 60, 20);
  BoardView view;
  view.setDocument(b.board);
  QVERIFY(view.colourProbe("7", 0, 255, 0));
  QCOMPARE(probeColourAt(view, 20, 20), qRgb(0, 255, 0));
  QCOMPARE(probeColourAt(view, 40, 20), qRgb(0, 255, 0));
  QCOMPARE(probeColourAt(view, 60, 20), kProbeColour);  // names match exactly
  QVERIFY(!view.colourProbe("nope", 1, 2, 3));
  QVERIFY(view.colourProbe("7", 255, 0, 0));  // the last colour counts
  QCOMPARE(probeColourAt(view, 40, 20), qRgb(255, 0, 0));
}

void TestBoardRendering::probeColoursSurviveRotationAndEdits() {
  TestBoard b;
  const int probe = b.probe("7", 20, 10);
  BoardView view;
  view.setDocument(b.board);
  view.colourProbe("7", 0, 255, 0);
  QVERIFY(view.setFileRotation(1, 90));
  QCOMPARE(probeColourAt(view, -10, 20), qRgb(0, 255, 0));

  // A rename moves the name's colour with it.
  view.colourProbe("8", 0, 0, 255);
  QVERIFY(view.editDocument().renameEntity(1, probe, "8"));
  QCOMPARE(probeColourAt(view, -10, 20), qRgb(0, 0, 255));
}

void TestBoardRendering::probesAreDrawnOverPads() {
  TestBoard b;
  b.probe("1", 20, 20);  // comes first in the document
  b.add(EntityKind::Pin, 20, 20, 4, kTopCopper, "1", Shape::Square);
  BoardView view;
  view.setDocument(b.board);
  QCOMPARE(probeColourAt(view, 20, 20), kProbeColour);
  QCOMPARE(colourAt(view, 20, 20, 5, {0, 50}), kTopColour);  // pad edge
}

void TestBoardRendering::nearSideIsDrawnOverFarSide() {
  TestBoard b;
  b.add(EntityKind::Pin, 20, 20, 4, kTopCopper, "1", Shape::Square);
  b.add(EntityKind::Pin, 20, 20, 4, kBottomCopper, "1", Shape::Square);
  BoardView view;
  view.setDocument(b.board);
  QCOMPARE(colourAt(view, 20, 20), kTopColour);
  view.viewFromBottom();
  QCOMPARE(colourAt(view, -20, 20), kBottomColour);
}

void TestBoardRendering::invisibleFileIsNotDrawn() {
  TestBoard b;
  b.board.files.push_back({2, "panel.drw", false, false, 2, 0});
  const int pad = b.add(EntityKind::Pin, 20, 20, 4, kTopCopper, "1");
  b.board.entities[pad].file = 2;
  BoardView view;
  view.setDocument(b.board);
  QCOMPARE(colourAt(view, 20, 20), kBackground);
}

void TestBoardRendering::orientation_data() {
  QTest::addColumn<int>("rotation");
  QTest::addColumn<bool>("fromTop");
  for (int rotation : {0, 90, 180, 270})
    for (bool fromTop : {true, false})
      QTest::addRow("%d %s", rotation, fromTop ? "top" : "bottom")
          << rotation << fromTop;
}

void TestBoardRendering::orientation() {
  QFETCH(int, rotation);
  QFETCH(bool, fromTop);
  const Placement where{rotation, fromTop};
  const QPointF target(30, 10);

  // Decoys on every other image of the target under turns and mirrors:
  // any mistake in the transform puts one of them in the middle.
  TestBoard b;
  const QPointF images[] = {{30, 10},  {-10, 30}, {-30, -10}, {10, -30},
                            {-30, 10}, {10, 30},  {30, -10},  {-10, -30}};
  for (int i = 0; i < 8; ++i)
    b.probe(QString::number(i), images[i].x(), images[i].y(), 2);
  // Markers 3 mm right of and above the target as seen.
  const QPointF v = toView(target, where);
  const QPointF east = toDocument(v + QPointF(3, 0), where);
  const QPointF north = toDocument(v + QPointF(0, 3), where);
  b.probe("east", east.x(), east.y(), 1.4);
  b.probe("north", north.x(), north.y(), 1.4);

  BoardView view;
  view.setDocument(b.board);
  for (int i = 0; i < 8; ++i)
    view.colourProbe(QString::number(i), 20 * i + 50, 255 - 20 * i, 7);
  view.colourProbe("east", 255, 0, 255);
  view.colourProbe("north", 0, 255, 255);
  place(view, where);
  QCOMPARE(view.isViewFromTop(), fromTop);

  QCOMPARE(view.zoomToWindow(v.x() - 5, v.x() + 5, v.y() - 5, v.y() + 5),
           kViewOk);
  const QImage image = render(view);
  // 30 px per mm; the label sits in the middle of the disc.
  const QRgb targetColour = qRgb(50, 255, 7);
  QCOMPARE(image.pixel(kCentre + QPoint(0, 22)), targetColour);
  QCOMPARE(image.pixel(kCentre + QPoint(0, -22)), targetColour);
  QCOMPARE(image.pixel(kCentre + QPoint(90, 14)), qRgb(255, 0, 255));
  QCOMPARE(image.pixel(kCentre + QPoint(0, -90 + 14)), qRgb(0, 255, 255));
}

void TestBoardRendering::centreOnPoint() {
  TestBoard b;
  b.probe("1", 20, 20);
  BoardView view;
  QVERIFY(!view.centreOnPoint(20, 20, 10));
  view.setDocument(b.board);
  view.viewFromBottom();
  QVERIFY(view.centreOnPoint(-20, 20, 10));
  QImage image = render(view);
  QCOMPARE(image.pixel(kCentre + QPoint(0, 22)), kProbeColour);
  // 10 mm across the 301 px height: 1 mm radius is 30 px.
  QCOMPARE(image.pixel(kCentre + QPoint(0, 33)), kBackground);
  // Size 0 keeps the zoom.
  QVERIFY(view.centreOnPoint(-21, 20, 0));
  image = render(view);
  QCOMPARE(image.pixel(kCentre + QPoint(30, 22)), kProbeColour);
  QCOMPARE(image.pixel(kCentre + QPoint(30 + 33, 0)), kBackground);
  QCOMPARE(image.pixel(kCentre + QPoint(-5, 0)), kBackground);
  QVERIFY(!view.centreOnPoint(std::nan(""), 0, 10));
}

void TestBoardRendering::fitShowsTheWholeBoardFromEitherSide() {
  TestBoard b;
  BoardView view;
  view.setDocument(b.board);
  for (bool fromTop : {true, false}) {
    fromTop ? view.viewFromTop() : view.viewFromBottom();
    view.zoomToWindow(1000, 1010, 0, 10);
    view.fitToBoard();
    const QImage image = render(view);
    QRect drawn;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (image.pixel(x, y) == kOutlineColour) drawn |= QRect(x, y, 1, 1);
    // 100 x 80 mm with a small margin: the height decides.
    QVERIFY(drawn.left() > 2 && drawn.right() < image.width() - 3);
    QVERIFY(drawn.top() > 2 && drawn.bottom() < image.height() - 3);
    QVERIFY(drawn.height() > 0.9 * image.height());
  }
}

void TestBoardRendering::tinyItemsStillShow() {
  TestBoard b;
  b.add(EntityKind::Via, 50, 40, 0.02, kTopCopper);
  // Many pins on one pixel must still show as that pixel.
  for (int i = 0; i < 100; ++i)
    b.add(EntityKind::Pin, 70 + i * 0.01, 40, 0.005, kBottomCopper);
  BoardView view;
  view.setDocument(b.board);
  QCOMPARE(colourAt(view, 50, 40, 400), kTopColour);
  QCOMPARE(colourAt(view, 70.5, 40, 400), kBottomColour);
}

void TestBoardRendering::labelsOnlyWhereLegible() {
  TestBoard b;
  b.probe("88", 20, 20, 4);
  b.add(EntityKind::Component, 60, 40, 20, kTopCopper, "U12", Shape::Square,
        10);
  BoardView view;
  view.setDocument(b.board);
  // Pixels drawn in neither the probe's nor a layer's colour.
  auto labelPixels = [&](double half) {
    view.zoomToWindow(20 - half, 20 + half, 20 - half, 20 + half);
    const QImage image = render(view);
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QRgb c = image.pixel(x, y);
        n += c != kProbeColour && c != kBackground && c != kOutlineColour &&
             c != kTopColour;
      }
    return n;
  };
  QVERIFY(labelPixels(5) > 20);
  QCOMPARE(labelPixels(200), 0);  // a 3 px disc

  // The component body is an outline with its name inside.
  auto insideBody = [&](double half, QSize box) {
    view.zoomToWindow(60 - half, 60 + half, 40 - half, 40 + half);
    return countColour(
        render(view),
        QRect(kCentre - QPoint(box.width(), box.height()) / 2, box),
        kTopColour);
  };
  QVERIFY(insideBody(15, {80, 40}) > 20);  // 10 px per mm
  QCOMPARE(insideBody(150, {12, 4}), 0);   // 1 px per mm: 20 x 10 px body
  view.zoomToWindow(45, 75, 25, 55);
  QCOMPARE(render(view).pixel(kCentre + QPoint(0, 30)), kBackground);
}

void TestBoardRendering::rotatedAndOblongPads() {
  TestBoard b;
  // 10 x 2 pads: one turned by 45 degrees, one oblong along X.
  const int turned =
      b.add(EntityKind::Pin, 20, 20, 10, kTopCopper, "1", Shape::Rectangle, 2);
  b.board.entities[turned].angle = 45;
  b.add(EntityKind::Pin, 60, 20, 10, kTopCopper, "2", Shape::Oblong, 2);
  BoardView view;
  view.setDocument(b.board);
  // 15 px per mm: along the diagonal the turned pad reaches 3 mm out.
  QCOMPARE(colourAt(view, 20, 20, 10, {45, -45}), kTopColour);
  QCOMPARE(colourAt(view, 20, 20, 10, {45, 45}), kBackground);
  QCOMPARE(colourAt(view, 60, 20, 10, {70, 0}), kTopColour);
  // Rounded ends: the corner of the bounding box stays empty.
  QCOMPARE(colourAt(view, 60, 20, 10, {74, 14}), kBackground);
  // Turned by the file, the oblong stands upright.
  view.setFileRotation(1, 90);
  QCOMPARE(colourAt(view, -20, 60, 10, {0, 70}), kTopColour);
  QCOMPARE(colourAt(view, -20, 60, 10, {70, 0}), kBackground);
}

void TestBoardRendering::renderScalesToTheImage() {
  TestBoard b;
  b.probe("1", 20, 20);
  BoardView view;
  view.setDocument(b.board);
  view.zoomToWindow(15, 25, 15, 25);
  const QImage small = render(view, {101, 101});
  const QImage large = render(view, {801, 601});
  QCOMPARE(small.pixel(50, 50 + 7), kProbeColour);
  QCOMPARE(small.pixel(50, 50 + 12), kBackground);
  QCOMPARE(large.pixel(400, 300 + 45), kProbeColour);
  QCOMPARE(large.pixel(400, 300 + 70), kBackground);
}

void TestBoardRendering::extremeZoomDoesNotBreakPainting() {
  TestBoard b;
  BoardView view;
  view.setDocument(b.board);
  // The outline's left edge runs through the middle, its other corners lie
  // far outside the painter's usual range.
  QCOMPARE(view.zoomToWindow(-1e-7, 1e-7, 40 - 1e-7, 40 + 1e-7), kViewOk);
  const QImage image = render(view);
  QVERIFY(countColour(image, QRect(kCentre - QPoint(1, 0), QSize(3, 1)),
                      kOutlineColour) > 0);
  QCOMPARE(view.zoomToWindow(-1e9, 1e9, -1e9, 1e9), kViewOk);
  QCOMPARE(render(view).pixel(kCentre), kOutlineColour);
}

void TestBoardRendering::polygonOutlines() {
  TestBoard b;
  // A triangle body: its slanted side passes (50, 50), its corner box does
  // not hold (58, 58).
  const int body = b.add(EntityKind::Component, 0, 0, 0, kTopCopper);
  b.board.entities[body].outline = {{40, 40}, {60, 40}, {40, 60}};
  BoardView view;
  view.setDocument(b.board);
  QCOMPARE(colourAt(view, 50, 50, 1), kTopColour);
  QCOMPARE(colourAt(view, 50, 40, 1), kTopColour);
  QCOMPARE(colourAt(view, 58, 58, 1), kBackground);
  QCOMPARE(colourAt(view, 45, 45, 1), kBackground);  // drawn, not filled
  view.setFileRotation(1, 180);
  QCOMPARE(colourAt(view, -50, -50, 1), kTopColour);
  QCOMPARE(colourAt(view, -58, -58, 1), kBackground);
}

LW_QTEST_MAIN(TestBoardRendering)
#include "tst_boardrendering.moc"
