// The board view under the mouse: picking, panning, zooming, recentring,
// and how changes turn into repaints.

#include "boardview.h"
#include "qtestmain.h"
#include "rendering.h"
#include "testboard.h"

#include <QSignalSpy>
#include <QWheelEvent>

using namespace lw;
using namespace lw::test;

namespace {

class PaintCounter : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

void send(QWidget& w, QEvent::Type type, Qt::MouseButton button,
          Qt::MouseButtons buttons, QPointF pos) {
  QMouseEvent event(type, pos, w.mapToGlobal(pos), button, buttons,
                    Qt::NoModifier);
  QApplication::sendEvent(&w, &event);
}

void drag(QWidget& w, Qt::MouseButton button, QPointF from, QPointF to) {
  send(w, QEvent::MouseButtonPress, button, button, from);
  for (int step = 1; step <= 4; ++step)
    send(w, QEvent::MouseMove, Qt::NoButton, button,
         from + (to - from) * step / 4.0);
  send(w, QEvent::MouseButtonRelease, button, Qt::NoButton, to);
}

void wheel(QWidget& w, QPointF pos, int delta) {
  QWheelEvent event(pos, w.mapToGlobal(pos), QPoint(), QPoint(0, delta),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&w, &event);
}

}  // namespace

class TestBoardViewInput : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void clickPicksTheProbeUnderThePointer_data();
  void clickPicksTheProbeUnderThePointer();
  void clickPicksTheTopmostProbe();
  void hiddenProbesCannotBePicked();
  void clickPicksWhateverTheOrientation();
  void dragPansInsteadOfPicking_data();
  void dragPansInsteadOfPicking();
  void doubleClickRequestsARecentre();
  void wheelZoomsAboutThePointer();
  void endPickForgetsThePress();
  void changesRepaintOnceWithAutomaticRedrawOff();
  void widgetPaintsWhatRenderToPaints();

 private:
  std::unique_ptr<BoardView> mView;
  QPoint mMiddle;
};

void TestBoardViewInput::init() {
  TestBoard b;
  b.probe("P1", 20, 20, 2);
  b.probe("P2", 30, 20, 2);
  b.probe("under", 40, 20, 2);
  b.probe("over", 40, 20, 2);
  b.probe("far", 50, 20, 2, kProbeBottom);
  b.probe("near", 50, 20, 2, kProbeTop);
  mView = std::make_unique<BoardView>();
  mView->resize(kImageSize);
  mView->setDocument(b.board);
  mView->show();
  QVERIFY(QTest::qWaitForWindowExposed(mView.get()));
  mMiddle = QPoint(mView->width() / 2, mView->height() / 2);
}

void TestBoardViewInput::cleanup() {
  mView.reset();
}

void TestBoardViewInput::clickPicksTheProbeUnderThePointer_data() {
  QTest::addColumn<QPoint>("offset");  // from P1's centre, 30 px per mm
  QTest::addColumn<QString>("picked");
  QTest::newRow("centre") << QPoint(0, 0) << "P1";
  QTest::newRow("inside") << QPoint(20, -10) << "P1";
  QTest::newRow("just outside") << QPoint(0, 33) << "P1";
  QTest::newRow("too far") << QPoint(0, 36) << "";
  QTest::newRow("between") << QPoint(150, 0) << "";
  QTest::newRow("neighbour") << QPoint(290, 0) << "P2";
}

void TestBoardViewInput::clickPicksTheProbeUnderThePointer() {
  QFETCH(QPoint, offset);
  QFETCH(QString, picked);
  QCOMPARE(mView->zoomToWindow(15, 25, 15, 25), kViewOk);
  QSignalSpy spy(mView.get(), &BoardView::entityPicked);
  QTest::mouseClick(mView.get(), Qt::LeftButton, {}, mMiddle + offset);
  if (picked.isEmpty()) {
    QCOMPARE(spy.count(), 0);
  } else {
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), picked);
  }
}

void TestBoardViewInput::clickPicksTheTopmostProbe() {
  QSignalSpy spy(mView.get(), &BoardView::entityPicked);
  mView->zoomToWindow(35, 45, 15, 25);
  QTest::mouseClick(mView.get(), Qt::LeftButton, {}, mMiddle);
  mView->zoomToWindow(45, 55, 15, 25);
  QTest::mouseClick(mView.get(), Qt::LeftButton, {}, mMiddle);
  // Seen from below, the bottom probe is in front.
  mView->viewFromBottom();
  mView->zoomToWindow(-55, -45, 15, 25);
  QTest::mouseClick(mView.get(), Qt::LeftButton, {}, mMiddle);
  QCOMPARE(spy.count(), 3);
  QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("over"));
  QCOMPARE(spy.at(1).at(0).toString(), QStringLiteral("near"));
  QCOMPARE(spy.at(2).at(0).toString(), QStringLiteral("far"));

  // What is picked is what is painted on top.
  mView->colourProbe("far", 0, 0, 255);
  mView->colourProbe("near", 0, 255, 0);
  QCOMPARE(render(*mView).pixel(kCentre + QPoint(0, 20)), qRgb(0, 0, 255));
}

void TestBoardViewInput::hiddenProbesCannotBePicked() {
  QSignalSpy spy(mView.get(), &BoardView::entityPicked);
  mView->zoomToWindow(45, 55, 15, 25);
  mView->setLayerVisible(kProbeTop, false);
  QTest::mouseClick(mView.get(), Qt::LeftButton, {}, mMiddle);
  mView->setLayerVisible(kProbeBottom, false);
  QTest::mouseClick(mView.get(), Qt::LeftButton, {}, mMiddle);
  QCOMPARE(spy.count(), 1);
  QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("far"));
}

void TestBoardViewInput::clickPicksWhateverTheOrientation() {
  // P2 at (30, 20) turned by 270 is at (20, -30); from below at (-20, -30).
  mView->setFileRotation(1, 270);
  mView->viewFromBottom();
  mView->zoomToWindow(-25, -15, -35, -25);
  QSignalSpy spy(mView.get(), &BoardView::entityPicked);
  QTest::mouseClick(mView.get(), Qt::LeftButton, {}, mMiddle);
  QCOMPARE(spy.count(), 1);
  QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("P2"));
}

void TestBoardViewInput::dragPansInsteadOfPicking_data() {
  QTest::addColumn<Qt::MouseButton>("button");
  QTest::newRow("left") << Qt::LeftButton;
  QTest::newRow("middle") << Qt::MiddleButton;
}

void TestBoardViewInput::dragPansInsteadOfPicking() {
  QFETCH(Qt::MouseButton, button);
  mView->zoomToWindow(15, 25, 15, 25);
  QSignalSpy spy(mView.get(), &BoardView::entityPicked);
  const QPointF grabbed = mView->viewPointAt(mMiddle);
  drag(*mView, button, mMiddle, mMiddle + QPoint(60, -30));
  QCOMPARE(spy.count(), 0);
  // The board point under the press follows the pointer.
  const QPointF now = mView->viewPointAt(mMiddle + QPoint(60, -30));
  QVERIFY(std::abs(now.x() - grabbed.x()) < 1e-9);
  QVERIFY(std::abs(now.y() - grabbed.y()) < 1e-9);
  // P1 moved right by 2 mm and up by 1 mm on screen.
  QCOMPARE(render(*mView).pixel(kCentre + QPoint(60, -30 + 22)), kProbeColour);
}

void TestBoardViewInput::doubleClickRequestsARecentre() {
  QSignalSpy recentre(mView.get(), &BoardView::recentreRequested);
  QSignalSpy picked(mView.get(), &BoardView::entityPicked);
  mView->zoomToWindow(15, 25, 15, 25);
  QTest::mouseDClick(mView.get(), Qt::LeftButton, {}, mMiddle);
  QCOMPARE(recentre.count(), 1);
  QVERIFY(picked.count() <= 1);  // the first click of the pair may pick
}

void TestBoardViewInput::wheelZoomsAboutThePointer() {
  mView->zoomToWindow(0, 100, 0, 80);
  const QPointF pointer = mMiddle + QPoint(100, 50);
  const QPointF before = mView->viewPointAt(pointer);
  const double widthBefore =
      mView->viewPointAt({100, 0}).x() - mView->viewPointAt({0, 0}).x();
  wheel(*mView, pointer, 120);
  const QPointF after = mView->viewPointAt(pointer);
  const double widthAfter =
      mView->viewPointAt({100, 0}).x() - mView->viewPointAt({0, 0}).x();
  QVERIFY(std::abs(after.x() - before.x()) < 1e-9);
  QVERIFY(std::abs(after.y() - before.y()) < 1e-9);
  QVERIFY(std::abs(widthBefore / widthAfter - 1.25) < 1e-9);
  // Zooming out stops well beyond the board instead of losing it.
  for (int i = 0; i < 200; ++i) wheel(*mView, pointer, -120);
  QVERIFY(countColour(render(*mView), kOutlineColour) > 0);
}

void TestBoardViewInput::endPickForgetsThePress() {
  mView->zoomToWindow(15, 25, 15, 25);
  QSignalSpy spy(mView.get(), &BoardView::entityPicked);
  send(*mView, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton,
       mMiddle);
  mView->endPick();
  send(*mView, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton,
       mMiddle);
  QCOMPARE(spy.count(), 0);
}

void TestBoardViewInput::changesRepaintOnceWithAutomaticRedrawOff() {
  PaintCounter counter;
  mView->installEventFilter(&counter);
  QApplication::processEvents();
  counter.paints = 0;

  mView->setAutomaticRedraw(false);
  for (int i = 0; i < 50; ++i) mView->colourProbe("P1", i, 0, 0);
  mView->setLayerVisible(kTopCopper, false);
  mView->viewFromBottom();
  QApplication::processEvents();
  QCOMPARE(counter.paints, 0);
  mView->redraw();
  QApplication::processEvents();
  QCOMPARE(counter.paints, 1);

  // Switching it back on paints what is pending, once.
  mView->setLayerVisible(kTopCopper, true);
  mView->fitToBoard();
  QApplication::processEvents();
  QCOMPARE(counter.paints, 1);
  mView->setAutomaticRedraw(true);
  mView->setLayerColour(kTopCopper, 1, 2, 3);
  QApplication::processEvents();
  QCOMPARE(counter.paints, 2);

  // The program's batching never freezes the user's own panning.
  mView->setAutomaticRedraw(false);
  wheel(*mView, mMiddle, 120);
  QApplication::processEvents();
  QCOMPARE(counter.paints, 3);
  send(*mView, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton,
       mMiddle);
  send(*mView, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton,
       mMiddle + QPointF(40, 0));
  send(*mView, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton,
       mMiddle + QPointF(40, 0));
  QApplication::processEvents();
  QCOMPARE(counter.paints, 4);
  mView->setAutomaticRedraw(true);
  mView->removeEventFilter(&counter);
}

void TestBoardViewInput::widgetPaintsWhatRenderToPaints() {
  mView->viewFromBottom();
  mView->zoomToWindow(-45, -15, 10, 30);
  mView->colourProbe("P2", 0, 255, 0);
  const QImage shown =
      mView->grab().toImage().convertToFormat(QImage::Format_RGB32);
  QCOMPARE(shown, render(*mView, mView->size()));
}

LW_QTEST_MAIN(TestBoardViewInput)
#include "tst_boardviewinput.moc"
