// The wiring work in the real main window: marking probes, counters,
// sorting, surfaces, rotation, zoom, picking and the visibility boxes.

#include "appboards.h"
#include "appfixture.h"
#include "boardview.h"
#include "gridtexts.h"
#include "qtestmain.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

using namespace lw;
using namespace lw::test;

namespace {

QPointF probeViewCentre(MainWindow& w) {
  const QSize s = w.VDProbeView->size();
  return w.VDProbeView->viewPointAt(QPointF(s.width() / 2.0, s.height() / 2.0));
}

// R2 and R10 with two pins each, probed in an order that is not theirs.
Board referenceBoard() {
  BoardBuilder b;
  const int r10 = b.component("R10", 1), r2 = b.component("R2", 2);
  b.pin(r10, "2", 11);
  b.pin(r10, "1", 12);
  b.pin(r2, "2", 13);
  b.pin(r2, "1", 14);
  int number = 20;
  for (int link : {11, 12, 13, 14})
    b.access(++number, {{"DATALINK", qPrintable(QString::number(link))}});
  for (int probe = 1; probe <= 4; ++probe)
    b.probe(QString::number(probe), 40 + probe, probe, 0, Side::Top,
            {{"DATALINK", qPrintable(QString::number(20 + probe))}});
  return b.take();
}

}  // namespace

class WiringTest : public QObject {
  Q_OBJECT

  AppFixture* f = nullptr;
  MainWindow* w = nullptr;
  GridModel* grid = nullptr;

  void load(const Board& board) {
    delete f;
    f = new AppFixture;
    w = &f->open();
    w->show();
    w->loadFile(f->write(board, "board.vd"));
    grid = &f->grid();
  }

 private slots:
  void cleanup() {
    delete f;
    f = nullptr;
  }

  void wiringWalksTheSurfaceAndWraps() {
    load(smallBoard());  // top probes in grid order: 1, 4, 10
    QCOMPARE(grid->currentRow(), f->rowOf("1"));
    QTest::mouseClick(w->cmdWired, Qt::LeftButton);
    QCOMPARE(grid->text(f->rowOf("1"), 0), QString("1"));
    QCOMPARE(grid->currentRow(), f->rowOf("4"));
    QCOMPARE(w->lblTopWired->text(), QString("1"));
    QVERIFY(!w->cmdRenameProbes->isEnabled());
    QVERIFY(w->state().documentModified);

    grid->setCurrentRow(f->rowOf("10"));  // the last row: search wraps
    w->cmdWired_Click();
    QCOMPARE(grid->currentRow(), f->rowOf("4"));
    QCOMPARE(w->pbWired->value(), 2);
    QCOMPARE(w->pbWired->maximum(), 3);

    w->cmdWired_Click();  // the last one of the surface
    QCOMPARE(f->prompts.lastText(),
             QString("All Probes on the Current Surface are Wired"));
    QCOMPARE(f->prompts.messages.last().icon, Prompts::Icon::Information);
    QCOMPARE(grid->currentRow(), f->rowOf("4"));
    QCOMPARE(w->lblTopWired->text(), QString("3"));
    QCOMPARE(w->lblBotWired->text(), QString("0"));

    for (const char* name : {"1", "10", "4"}) {
      grid->setCurrentRow(f->rowOf(name));
      QTest::mouseClick(w->cmdNotWired, Qt::LeftButton);
      QCOMPARE(grid->text(f->rowOf(name), 0), QString());
    }
    QCOMPARE(w->lblTopWired->text(), QString("0"));
    QVERIFY(w->cmdRenameProbes->isEnabled());
  }

  void footSwitchKeysWorkAndTheGridKeepsFocus() {
    load(smallBoard());
    QVERIFY(QTest::qWaitForWindowActive(w));
    QVERIFY(w->fgProbes->hasFocus());  // the load leaves the keyboard there
    QTest::keyClick(w->fgProbes, Qt::Key_Space);
    QCOMPARE(grid->text(f->rowOf("1"), 0), QString("1"));
    QCOMPARE(grid->currentRow(), f->rowOf("4"));
    QVERIFY(w->fgProbes->hasFocus());
    grid->setCurrentRow(f->rowOf("1"));
    QTest::keyClick(w->fgProbes, Qt::Key_Backspace);
    QCOMPARE(grid->text(f->rowOf("1"), 0), QString());
    QVERIFY(w->cmdWired->toolTip().contains("Space"));
    QVERIFY(w->cmdNotWired->toolTip().contains("Backspace"));
  }

  void emptyTableLeavesTheCommandsHarmless() {
    Board b = smallBoard();
    for (Entity& e : b.entities)
      if (Attribute* a = e.attribute(b.keywordIndex("PROBE_PLACEMENT")))
        a->value = "Unplaced";
    load(b);
    QCOMPARE(grid->rows(), 1);
    w->cmdWired_Click();
    w->cmdNotWired_Click();
    QVERIFY(f->prompts.messages.isEmpty());
    QVERIFY(!w->state().documentModified);
    QCOMPARE(w->pbWired->value(), 0);
  }

  void refDesTitleSortsByPrefixNumberPin() {
    load(referenceBoard());
    const int column = f->columnTitled("RefDes");
    const QHeaderView* header = w->fgProbes->horizontalHeader();
    const int x = header->sectionViewportPosition(column) + 5;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(x, header->height() / 2));
    QCOMPARE(columnTexts(*grid, column),
             (QStringList{"R2-1", "R2-2", "R10-1", "R10-2"}));
    QCOMPARE(grid->currentRow(), 1);
  }

  void switchingSurfaceMovesOffTheHiddenRow() {
    load(smallBoard());
    grid->setCurrentRow(f->rowOf("10"));
    QTest::mouseClick(w->optBot, Qt::LeftButton);
    QVERIFY(w->optBot->isChecked());
    QVERIFY(!w->VDEditor->isViewFromTop());
    QVERIFY(!w->VDProbeView->isViewFromTop());
    QCOMPARE(grid->currentRow(), f->rowOf("2"));  // first bottom row
    QVERIFY(grid->isRowHidden(f->rowOf("10")));
    QCOMPARE(w->pbWired->maximum(), 2);
  }

  void probeViewCentresOnTheProbe_data() {
    QTest::addColumn<int>("turns");
    QTest::addColumn<bool>("top");
    QTest::addColumn<QPointF>("centre");
    // Probe "1" sits at (10, 5) on top, probe "2" at (-1.5, 2.25) below.
    QTest::newRow("0 top") << 0 << true << QPointF(10, 5);
    QTest::newRow("90 top") << 1 << true << QPointF(-5, 10);
    QTest::newRow("180 top") << 2 << true << QPointF(-10, -5);
    QTest::newRow("270 top") << 3 << true << QPointF(5, -10);
    QTest::newRow("0 bottom") << 0 << false << QPointF(1.5, 2.25);
    QTest::newRow("90 bottom") << 1 << false << QPointF(2.25, -1.5);
    QTest::newRow("180 bottom") << 2 << false << QPointF(-1.5, -2.25);
    QTest::newRow("270 bottom") << 3 << false << QPointF(-2.25, 1.5);
  }
  void probeViewCentresOnTheProbe() {
    QFETCH(int, turns);
    QFETCH(bool, top);
    QFETCH(QPointF, centre);
    load(smallBoard());
    if (!top) w->optBot->setChecked(true);
    for (int i = 0; i < turns; ++i) w->cmdRotate_Click();
    QCOMPARE(w->cmdRotate->text(),
             QString("Rotate Board (%1)").arg(turns * 90));
    QCOMPARE(grid->currentRow(), f->rowOf(top ? "1" : "2"));
    const QPointF c = probeViewCentre(*w);
    QVERIFY2(std::abs(c.x() - centre.x()) < 0.2 &&
                 std::abs(c.y() - centre.y()) < 0.2,
             qPrintable(QString("centre %1,%2").arg(c.x()).arg(c.y())));
  }

  void fourTurnsComeBackToZero() {
    load(smallBoard());
    for (int i = 0; i < 4; ++i) QTest::mouseClick(w->cmdRotate, Qt::LeftButton);
    QCOMPARE(w->cmdRotate->text(), QString("Rotate Board (0)"));
    QCOMPARE(w->state().boardRotation, 0);
    QVERIFY(w->state().documentModified);
    QCOMPARE(w->VDEditor->document().fileInformation(1)->rotation, 0);
  }

  void zoomFieldsFollowUnitsAndSlider() {
    Board b = smallBoard();
    b.units = PageUnits::Mil;
    load(b);
    QCOMPARE(w->state().zoom.probeZoomHalfSize, 800.0);
    QCOMPARE(w->state().zoom.boardCentreSize, 10000.0);
    w->slider->setValue(10);
    QCOMPARE(w->state().zoom.probeZoomHalfSize, 300.0);
    QCOMPARE(w->slider->toolTip(), QString("Zoom Level: 10"));
    QVERIFY(!w->state().documentModified);  // zooming changes no document
  }

  void pickingSelectsEvenOnTheHiddenSurface() {
    load(smallBoard());
    emit w->VDEditor->entityPicked("2");  // a bottom probe, hidden
    QCOMPARE(grid->currentRow(), f->rowOf("2"));
    emit w->VDProbeView->entityPicked("4");
    QCOMPARE(grid->currentRow(), f->rowOf("4"));
    emit w->VDEditor->entityPicked("no such probe");
    QCOMPARE(grid->currentRow(), f->rowOf("4"));
  }

  void recentreCentresTheBoardViewOnTheProbe() {
    load(smallBoard());
    w->cmdRotate_Click();                 // the point is turned like the board
    grid->setCurrentRow(f->rowOf("10"));  // at (20, 5)
    emit w->VDEditor->recentreRequested();
    const QSize s = w->VDEditor->size();
    const QPointF c =
        w->VDEditor->viewPointAt(QPointF(s.width() / 2.0, s.height() / 2.0));
    QVERIFY2(std::abs(c.x() + 5) < 0.5 && std::abs(c.y() - 20) < 0.5,
             qPrintable(QString("centre %1,%2").arg(c.x()).arg(c.y())));
  }

  void layersFollowTheSurface() {
    Board b = smallBoard();
    b.layers.push_back({10, "T15", 15, {1, 1, 1}, true});
    b.layers.push_back({11, "B16", 16, {1, 1, 1}, true});
    b.layers.push_back({12, "BOTH", 9, {1, 1, 1}, false});
    b.layers.push_back({13, "NOTES", 44, {1, 2, 3}, true});
    load(b);
    const auto on = [&](int index) {
      Layer l;
      w->VDEditor->layer(index, &l);
      Layer p;
      w->VDProbeView->layer(index, &p);
      return l.visible && p.visible;
    };
    QVERIFY(on(10) && !on(11) && on(12) && !on(13));
    QVERIFY(on(0) && !on(1) && on(2) && !on(3));
    w->optBot->setChecked(true);
    QVERIFY(!on(10) && on(11) && on(12) && !on(13));
    QVERIFY(!on(0) && on(1) && !on(2) && on(3));
    Layer notes;
    w->VDEditor->layer(13, &notes);
    QCOMPARE(notes.colour, (Rgb{1, 2, 3}));
  }

  void classBoxesHideClassesInBothViews() {
    load(smallBoard());
    w->chkPCBcomps->setCheckState(Qt::Unchecked);
    QVERIFY(!w->VDEditor->isEntityClassShown(3));
    QVERIFY(!w->VDProbeView->isEntityClassShown(3));
    QVERIFY(!w->chkComponentPins->isEnabled());
    QVERIFY(w->chkComponentPins->isChecked());            // its state is kept
    w->chkPCBcomps->setCheckState(Qt::PartiallyChecked);  // greyed: visible
    QVERIFY(w->VDEditor->isEntityClassShown(3));
    QVERIFY(w->chkComponentPins->isEnabled());
    w->chkMech->setCheckState(Qt::Unchecked);
    QVERIFY(!w->VDEditor->isEntityClassShown(4));
    QVERIFY(!w->VDProbeView->isEntityClassShown(5));
    QVERIFY(!w->VDEditor->isEntityClassShown(6));  // access point markers
  }
};

LW_QTEST_MAIN(WiringTest)
#include "wiring_test.moc"
