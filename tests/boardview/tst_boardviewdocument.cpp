// The board view's own document: opening, progress, layers as reported,
// rotations, and the status of a zoom.

#include "boardview.h"
#include "qtestmain.h"
#include "rendering.h"
#include "testboard.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <cmath>
#include <limits>

using namespace lw;
using namespace lw::test;

class TestBoardViewDocument : public QObject {
  Q_OBJECT

 private slots:
  void layerReportsTheDocumentsChannels();
  void unknownLayersAreRefused();
  void newDocumentForgetsProbeColours();
  void rotationReadsBackThroughFileInformation();
  void zoomToWindowStatus_data();
  void zoomToWindowStatus();
  void openReportsRisingProgress();
  void failedOpenKeepsTheBoard();
  void openingNothingEmptiesTheView();
};

void TestBoardViewDocument::layerReportsTheDocumentsChannels() {
  TestBoard b;
  b.board.layers[0].colour = {12, 34, 56};
  BoardView view;
  view.setDocument(b.board);
  Layer layer;
  QCOMPARE(view.layer(kTopCopper, &layer), kLayerOk);
  QCOMPARE(layer.name, QStringLiteral("TOP"));
  QCOMPARE(int(layer.colour.r), 12);
  QCOMPARE(int(layer.colour.g), 34);
  QCOMPARE(int(layer.colour.b), 56);
  QVERIFY(layer.visible);

  // The view's own choices are what it reports afterwards.
  view.setLayerColour(kTopCopper, 1, 2, 3);
  view.setLayerVisible(kTopCopper, false);
  QCOMPARE(view.layer(kTopCopper, &layer), kLayerOk);
  QCOMPARE(layer.colour, (Rgb{1, 2, 3}));
  QVERIFY(!layer.visible);
  QCOMPARE(view.layerType(kTopCopper), 1);
  // The document itself is left alone.
  QCOMPARE(view.document().board().layers[0].colour, (Rgb{12, 34, 56}));
}

void TestBoardViewDocument::unknownLayersAreRefused() {
  TestBoard b;
  BoardView view;
  view.setDocument(b.board);
  Layer layer;
  QCOMPARE(view.layer(4, &layer), kNoLayerAtIndex);  // gap
  QCOMPARE(view.layer(6, &layer), kLayerListEnded);
  QVERIFY(!view.setLayerColour(4, 1, 2, 3));
  QVERIFY(!view.setLayerVisible(99, false));
  QVERIFY(!view.setLayerVisible(-1, false));
}

void TestBoardViewDocument::newDocumentForgetsProbeColours() {
  TestBoard b;
  b.probe("7", 20, 20);
  BoardView view;
  view.setDocument(b.board);
  view.colourProbe("7", 0, 255, 0);
  view.setLayerColour(kProbeTop, 1, 1, 1);
  view.setDocument(b.board);
  QCOMPARE(probeColourAt(view, 20, 20), kProbeColour);
}

void TestBoardViewDocument::rotationReadsBackThroughFileInformation() {
  TestBoard b;
  BoardView view;
  view.setDocument(b.board);
  QVERIFY(view.setFileRotation(1, 270));
  QCOMPARE(view.document().fileInformation(1)->rotation, 270);
  QVERIFY(view.setFileRotation(1, 450));
  QCOMPARE(view.document().fileInformation(1)->rotation, 90);
  QVERIFY(!view.setFileRotation(1, 45));
  QVERIFY(!view.setFileRotation(9, 90));
  QCOMPARE(view.document().fileInformation(1)->rotation, 90);
}

void TestBoardViewDocument::zoomToWindowStatus_data() {
  QTest::addColumn<double>("xmin");
  QTest::addColumn<double>("xmax");
  QTest::addColumn<double>("ymin");
  QTest::addColumn<double>("ymax");
  QTest::addColumn<int>("status");
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  QTest::newRow("window") << 0.0 << 10.0 << 0.0 << 5.0 << kViewOk;
  QTest::newRow("off the board") << 500.0 << 510.0 << -9.0 << -1.0 << kViewOk;
  QTest::newRow("no width") << 1.0 << 1.0 << 0.0 << 5.0 << kViewBadWindow;
  QTest::newRow("no height") << 0.0 << 1.0 << 5.0 << 5.0 << kViewBadWindow;
  QTest::newRow("inverted") << 10.0 << 0.0 << 0.0 << 5.0 << kViewBadWindow;
  QTest::newRow("nan") << nan << 1.0 << 0.0 << 5.0 << kViewBadWindow;
  QTest::newRow("infinite") << 0.0 << inf << 0.0 << 5.0 << kViewBadWindow;
}

void TestBoardViewDocument::zoomToWindowStatus() {
  QFETCH(double, xmin);
  QFETCH(double, xmax);
  QFETCH(double, ymin);
  QFETCH(double, ymax);
  QFETCH(int, status);
  BoardView view;
  QCOMPARE(view.zoomToWindow(xmin, xmax, ymin, ymax), kViewNoDocument);
  TestBoard b;
  b.probe("1", 20, 20);
  view.setDocument(b.board);
  view.zoomToWindow(-5, 45, -5, 45);
  QCOMPARE(view.zoomToWindow(xmin, xmax, ymin, ymax), status);
  if (status != kViewOk)  // a refused window leaves the view where it was
    QCOMPARE(render(view).pixel(kCentre), kProbeColour);
}

void TestBoardViewDocument::openReportsRisingProgress() {
  TestBoard b;
  for (int i = 0; i < 3000; ++i)
    b.probe(QString::number(i), i % 100, i / 100, 0.5);
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  const QString path = dir.filePath(QStringLiteral("a board with spaces.vdz"));
  writeBoard(b.board, path, Compression::Gzip);

  BoardView view;
  QSignalSpy spy(&view, &BoardView::progress);
  view.open(path);
  QVERIFY(spy.count() >= 3);
  QCOMPARE(spy.first().at(0).toDouble(), 0.0);
  QCOMPARE(spy.last().at(0).toDouble(), 1.0);
  for (int i = 1; i < spy.count(); ++i)
    QVERIFY(spy.at(i).at(0).toDouble() > spy.at(i - 1).at(0).toDouble());
  QCOMPARE(view.document().board().entities.size(), b.board.entities.size());
  QCOMPARE(probeColourAt(view, 50, 10), kProbeColour);
}

void TestBoardViewDocument::failedOpenKeepsTheBoard() {
  TestBoard b;
  b.probe("1", 20, 20);
  BoardView view;
  view.setDocument(b.board);
  view.colourProbe("1", 0, 255, 0);
  QTemporaryDir dir;
  const QString broken = dir.filePath(QStringLiteral("broken.vd"));
  QFile file(broken);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write("{\"format\": \"loomwright-board\", \"version\": 1, \"entit");
  file.close();
  for (const QString& path : {broken, dir.filePath(QStringLiteral("none.vd"))})
    QVERIFY_THROWS_EXCEPTION(Error, view.open(path));
  QCOMPARE(probeColourAt(view, 20, 20), qRgb(0, 255, 0));
}

void TestBoardViewDocument::openingNothingEmptiesTheView() {
  TestBoard b;
  b.probe("1", 20, 20);
  BoardView view;
  view.setDocument(b.board);
  view.open(QString());
  QVERIFY(view.document().isEmpty());
  QCOMPARE(view.zoomToWindow(0, 1, 0, 1), kViewNoDocument);
  QCOMPARE(countColour(render(view), kBackground),
           kImageSize.width() * kImageSize.height());
}

LW_QTEST_MAIN(TestBoardViewDocument)
#include "tst_boardviewdocument.moc"
