#include "gridview.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>

#include "qtestmain.h"

using lw::GridModel;
using lw::GridView;
using lw::Redraw;

class GridViewTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void titlesAreTheHeaderNotARow();
  void clickRaisesBeforeMoveSelectionThenClick();
  void clickOnCurrentCellOnlyReportsTheClick();
  void keyboardSkipsHiddenRows();
  void cancelledClickSnapsBack();
  void titleClickSortsBetweenSortNotifications();
  void codeSortRaisesNoSortNotifications();
  void notUserSortableIgnoresTitleClicks();
  void hidingTheCurrentRowMovesNothing();
  void codeMoveWhileRedrawOffShowsOnceOn();
  void hiddenColumnsFollowTheGrid();
  void checkBoxClickIsReportedNotToggled();
  void autoSizeFitsTheLongestTextAnywhere();
  void showCellWaitsForRedraw();
  void showCellInHiddenColumnStillShowsTheRow();
  void focusWithoutCurrentRowPicksFirstVisibleRow();

 private:
  void click(int row, int column, int dx = 0);
  void clickTitle(int column);
  QString log() const { return mLog.join(" | "); }

  GridView* mView = nullptr;
  GridModel* mGrid = nullptr;
  QStringList mLog;
  bool mCancel = false;
};

void GridViewTest::init() {
  mView = new GridView;
  mGrid = mView->grid();
  mGrid->setRedraw(Redraw::Off);
  mGrid->appendRow(u"Wired\tProbe #\tX Loc");
  for (int i = 1; i <= 40; ++i)
    mGrid->appendRow(QString("\tP%1\t%2").arg(i).arg((i * 7) % 40));
  mGrid->setBooleanColumn(0);
  mGrid->setRedraw(Redraw::On);
  mGrid->setCurrentCell(1, 1);
  mView->resize(400, 300);
  mView->show();
  QVERIFY(QTest::qWaitForWindowExposed(mView));

  mLog.clear();
  mCancel = false;
  connect(mGrid, &GridModel::beforeMove, this,
          [this](int r0, int c0, int r1, int c1, bool* cancel) {
            mLog << QString("move %1,%2>%3,%4").arg(r0).arg(c0).arg(r1).arg(c1);
            *cancel = mCancel;
          });
  connect(mGrid, &GridModel::selectionChanged, this,
          [this] { mLog << QString("selection %1").arg(mGrid->currentRow()); });
  connect(mView, &GridView::cellClicked, this, [this](int row, int column) {
    mLog << QString("click %1,%2").arg(row).arg(column);
  });
  connect(mView, &GridView::beforeSort, this,
          [this](int column) { mLog << QString("beforeSort %1").arg(column); });
  connect(mView, &GridView::afterSort, this, [this](int column) {
    mLog << QString("afterSort %1 first %2")
                .arg(column)
                .arg(mGrid->text(1, column));
  });
}

void GridViewTest::cleanup() {
  delete mView;
  mView = nullptr;
}

void GridViewTest::click(int row, int column, int dx) {
  const QRect cell =
      mView->visualRect(mGrid->index(mGrid->viewRow(row), column));
  QVERIFY(cell.isValid());
  const QPoint at =
      dx ? QPoint(cell.left() + dx, cell.center().y()) : cell.center();
  QTest::mouseClick(mView->viewport(), Qt::LeftButton, {}, at);
}

void GridViewTest::clickTitle(int column) {
  QHeaderView* header = mView->horizontalHeader();
  const QPoint at(
      header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
      header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

void GridViewTest::titlesAreTheHeaderNotARow() {
  QHeaderView* header = mView->horizontalHeader();
  QCOMPARE(header->model()->headerData(1, Qt::Horizontal).toString(),
           QString("Probe #"));
  QCOMPARE(mView->model()->rowCount(), 40);
  QCOMPARE(mView->model()->index(0, 1).data().toString(), QString("P1"));
}

void GridViewTest::clickRaisesBeforeMoveSelectionThenClick() {
  mGrid->setRowHidden(2, true);
  mGrid->setRowHidden(3, true);
  click(5, 2);
  QCOMPARE(log(), QString("move 1,1>5,2 | selection 5 | click 5,2"));
  QCOMPARE(mGrid->currentRow(), 5);
  QCOMPARE(mView->currentIndex().row(), mGrid->viewRow(5));
}

void GridViewTest::clickOnCurrentCellOnlyReportsTheClick() {
  click(1, 1);
  QCOMPARE(log(), QString("click 1,1"));
}

void GridViewTest::keyboardSkipsHiddenRows() {
  mGrid->setRowHidden(2, true);
  mGrid->setRowHidden(3, true);
  mView->setFocus();
  QTest::keyClick(mView, Qt::Key_Down);
  QCOMPARE(mGrid->currentRow(), 4);
  QTest::keyClick(mView, Qt::Key_Up);
  QCOMPARE(mGrid->currentRow(), 1);
  QCOMPARE(log(), QString("move 1,1>4,1 | selection 4 | "
                          "move 4,1>1,1 | selection 1"));
}

void GridViewTest::cancelledClickSnapsBack() {
  mCancel = true;
  click(6, 1);
  QCoreApplication::processEvents();
  QCOMPARE(mGrid->currentRow(), 1);
  QCOMPARE(mView->currentIndex().row(), mGrid->viewRow(1));
  QVERIFY(mView->selectionModel()->isRowSelected(mGrid->viewRow(1)));
  QVERIFY(!mView->selectionModel()->isRowSelected(mGrid->viewRow(6)));
  QCOMPARE(log(), QString("move 1,1>6,1 | click 6,1"));
}

void GridViewTest::titleClickSortsBetweenSortNotifications() {
  mGrid->setRowHidden(4, true);  // P4, X 28
  clickTitle(2);
  // X is 7i mod 40: 0 comes from P40, numbers sort by value.
  QCOMPARE(log(), QString("beforeSort 2 | afterSort 2 first 0"));
  QCOMPARE(mGrid->text(0, 2), QString("X Loc"));
  QCOMPARE(mGrid->text(1, 1), QString("P40"));
  QCOMPARE(mGrid->currentColumn(), 1);
  for (int r = 1; r < mGrid->rows(); ++r)
    QCOMPARE(mGrid->isRowHidden(r), mGrid->text(r, 1) == "P4");
  QCOMPARE(mView->model()->rowCount(), 39);
}

void GridViewTest::codeSortRaisesNoSortNotifications() {
  mGrid->sortByColumn(2);
  QCOMPARE(mGrid->text(1, 1), QString("P40"));
  QCOMPARE(log(), QString());
}

void GridViewTest::notUserSortableIgnoresTitleClicks() {
  mView->setUserSortable(false);
  clickTitle(2);
  QCOMPARE(mGrid->text(1, 1), QString("P1"));
  QCOMPARE(log(), QString());
}

void GridViewTest::hidingTheCurrentRowMovesNothing() {
  mGrid->setCurrentRow(3);
  mLog.clear();
  mGrid->setRowHidden(3, true);
  QCOMPARE(mGrid->currentRow(), 3);
  QVERIFY(!mView->currentIndex().isValid());
  mGrid->setRowHidden(3, false);
  QCOMPARE(mView->currentIndex().row(), mGrid->viewRow(3));
  QCOMPARE(log(), QString());
}

void GridViewTest::codeMoveWhileRedrawOffShowsOnceOn() {
  mGrid->setRedraw(Redraw::Off);
  mGrid->sortByColumn(2);
  for (int r = 1; r < 20; ++r) mGrid->setRowHidden(r, true);
  mGrid->setCurrentRow(30);
  QCOMPARE(log(), QString("move 1,1>30,1 | selection 30"));
  mGrid->setRedraw(Redraw::On);
  QCOMPARE(mView->currentIndex().row(), mGrid->viewRow(30));
  QCOMPARE(mView->currentIndex().column(), 1);
  QCOMPARE(mGrid->gridRow(mView->currentIndex().row()), 30);
  QCOMPARE(log(), QString("move 1,1>30,1 | selection 30"));
}

void GridViewTest::hiddenColumnsFollowTheGrid() {
  mGrid->setColumnHidden(2, true);
  QVERIFY(mView->isColumnHidden(2));
  mGrid->setRedraw(Redraw::Off);
  mGrid->setColumns(5);
  mGrid->setColumnHidden(4, true);
  mGrid->setRedraw(Redraw::On);
  QVERIFY(mView->isColumnHidden(2));
  QVERIFY(!mView->isColumnHidden(3));
  QVERIFY(mView->isColumnHidden(4));
  mGrid->clear();
  QVERIFY(!mView->isColumnHidden(2));
  QVERIFY(!mView->isColumnHidden(4));
}

void GridViewTest::checkBoxClickIsReportedNotToggled() {
  mGrid->setText(2, 0, "1");
  click(2, 0, 8);  // on the indicator at the cell's left
  click(3, 0, 8);
  QCOMPARE(mGrid->text(2, 0), QString("1"));
  QCOMPARE(mGrid->text(3, 0), QString());
  QCOMPARE(log(), QString("move 1,1>2,0 | selection 2 | click 2,0 | "
                          "move 2,0>3,0 | selection 3 | click 3,0"));
  QCOMPARE(mView->model()->index(mGrid->viewRow(2), 0).data(Qt::CheckStateRole),
           QVariant(Qt::Checked));
}

void GridViewTest::autoSizeFitsTheLongestTextAnywhere() {
  const QString longest(60, u'W');
  mGrid->setRedraw(Redraw::Off);
  for (int i = 0; i < 3000; ++i) mGrid->appendRow(QString("\tQ%1\t1").arg(i));
  mGrid->setText(2500, 1, longest);
  mGrid->setRowHidden(2500, true);
  mGrid->setColumns(4);
  mGrid->setText(0, 3, "A long title for a short column");
  mView->autoSize(0, 3, 13);
  mGrid->setRedraw(Redraw::On);
  const QFontMetrics metrics = mView->fontMetrics();
  QVERIFY(mView->columnWidth(1) >= metrics.horizontalAdvance(longest) + 13);
  QVERIFY(mView->columnWidth(1) < metrics.horizontalAdvance(longest) + 60);
  QVERIFY(mView->columnWidth(3) >=
          metrics.horizontalAdvance("A long title for a short column") + 13);
  QVERIFY(mView->columnWidth(2) < mView->columnWidth(3));
}

void GridViewTest::showCellWaitsForRedraw() {
  mGrid->setRedraw(Redraw::Off);
  for (int i = 0; i < 500; ++i) mGrid->appendRow(QString("\tQ%1\t1").arg(i));
  mView->showCell(400, 1);
  mGrid->setRedraw(Redraw::On);
  const QRect cell = mView->visualRect(mGrid->index(mGrid->viewRow(400), 1));
  QVERIFY(mView->viewport()->rect().intersects(cell));
  QVERIFY(mView->verticalScrollBar()->value() > 0);
}

void GridViewTest::showCellInHiddenColumnStillShowsTheRow() {
  for (int i = 0; i < 500; ++i) mGrid->appendRow(QString("\tQ%1\t1").arg(i));
  mGrid->setColumnHidden(0, true);
  mView->showCell(300, 0);
  const QRect cell = mView->visualRect(mGrid->index(mGrid->viewRow(300), 1));
  QVERIFY(mView->viewport()->rect().intersects(cell));
}

void GridViewTest::focusWithoutCurrentRowPicksFirstVisibleRow() {
  mGrid->setCurrentRow(-1);
  mGrid->setRowHidden(1, true);
  mLog.clear();
  QLineEdit other;
  other.show();
  other.activateWindow();
  other.setFocus();
  QVERIFY(QTest::qWaitForWindowActive(&other));
  mView->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(mView));
  mView->setFocus(Qt::TabFocusReason);
  QTRY_COMPARE(mGrid->currentRow(), 2);
  QCOMPARE(log(), QString("move -1,1>2,0 | selection 2"));
}

LW_QTEST_MAIN(GridViewTest)
#include "gridview_test.moc"
