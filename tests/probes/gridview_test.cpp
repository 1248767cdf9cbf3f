// The grid widget in a real window: clicks, keys, title clicks, focus and
// scrolling. What the grid does without a view is in gridmodel_test.
#include "gridview.h"

#include <QHeaderView>
#include <QTest>

#include <gtest/gtest.h>

namespace lw {
namespace {

// 40 probes "P1".."P40" with X 7i mod 40; the first is current. The log
// holds what the program hears.
class GridViewTest : public testing::Test {
 protected:
  GridViewTest() {
    grid.appendRow(u"Wired\tProbe #\tX Loc");
    for (int i = 1; i <= 40; ++i)
      grid.appendRow(QString("\tP%1\t%2").arg(i).arg((i * 7) % 40));
    grid.setCurrentCell(1, 1);
    view.resize(400, 300);
    view.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&view));
    QObject::connect(&grid, &GridModel::beforeMove,
                     [this](int r0, int c0, int r1, int c1, bool* cancel) {
                       log << QString::asprintf("%d,%d>%d,%d", r0, c0, r1, c1);
                       *cancel = cancelMoves;
                     });
    QObject::connect(&grid, &GridModel::selectionChanged,
                     [this] { log << "selection"; });
    QObject::connect(&view, &GridView::cellClicked, [this](int r, int c) {
      log << QString::asprintf("click %d,%d", r, c);
    });
    for (auto [sort, name] : {std::pair{&GridView::beforeSort, "beforeSort"},
                              {&GridView::afterSort, "afterSort"}})
      QObject::connect(&view, sort, [this, name](int c) {
        log << QString("%1 %2 %3").arg(name).arg(c).arg(grid.text(1, 1));
      });
  }
  QModelIndex cell(int r, int c) { return grid.index(grid.viewRow(r), c); }
  void click(int row, int column) {
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                      view.visualRect(cell(row, column)).center());
  }
  std::string heard() { return std::exchange(log, {}).join(" ").toStdString(); }

  GridView view;
  GridModel& grid = *view.grid();
  QStringList log;
  bool cancelMoves = false;
};

// The order is beforeMove, selectionChanged, cellClicked; keys skip hidden
// rows; a cancelled move snaps back.
TEST_F(GridViewTest, ClicksAndKeysMoveThroughTheGrid) {
  click(1, 1);
  for (int r : {2, 3}) grid.setRowHidden(r, true);
  click(5, 2);
  EXPECT_EQ(heard(), "click 1,1 1,1>5,2 selection click 5,2");
  // The view's current cell followed: up from row 5, the key skips 3 and 2.
  for (int i = 0; i < 2; ++i) QTest::keyClick(&view, Qt::Key_Up);
  EXPECT_EQ(heard(), "5,2>4,2 selection 4,2>1,2 selection");
  cancelMoves = true;
  click(6, 1);
  QCoreApplication::processEvents();
  EXPECT_EQ(view.currentIndex(), cell(1, 2));
  EXPECT_EQ(view.selectionModel()->selectedRows(), QModelIndexList{cell(1, 0)});
  EXPECT_EQ(heard(), "1,2>6,1 click 6,1");
}

// Only a click sorts, in the generic order; the current column stays.
TEST_F(GridViewTest, TitleClickSortsBetweenSortNotifications) {
  QHeaderView* header = view.horizontalHeader();
  for (bool sortable : {true, false}) {
    view.setUserSortable(sortable);
    grid.sortByColumn(1);  // by code: no notifications
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      {header->sectionViewportPosition(2) + 10, 5});
  }
  EXPECT_EQ(heard(), "beforeSort 2 P1 afterSort 2 P40");  // P40 has X 0
  EXPECT_EQ(grid.text(1, 1), "P1");
  EXPECT_EQ(grid.currentColumn(), 1);
}

// Hidden rows and columns, the current cell and focus.
TEST_F(GridViewTest, ViewFollowsTheGrid) {
  grid.setRowHidden(1, true);  // the current row: no view cell shows it
  EXPECT_FALSE(view.currentIndex().isValid());
  grid.setRowHidden(1, false);
  EXPECT_EQ(view.currentIndex(), cell(1, 1));
  grid.setColumnHidden(2, true);
  EXPECT_TRUE(view.isColumnHidden(2));
  grid.setRedraw(Redraw::Off);
  grid.sortByColumn(2);
  for (int r = 1; r < 20; ++r) grid.setRowHidden(r, true);
  grid.setCurrentRow(30);
  grid.setColumns(5);
  grid.setColumnHidden(4, true);
  grid.setRedraw(Redraw::On);
  EXPECT_EQ(view.currentIndex(), cell(30, 1));
  EXPECT_EQ(heard(), "1,1>30,1 selection");
  EXPECT_TRUE(view.isColumnHidden(2) && !view.isColumnHidden(3) &&
              view.isColumnHidden(4));

  // Focus arriving while no cell is current makes the first visible current.
  grid.setCurrentRow(-1);
  view.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
  view.clearFocus();
  heard();
  view.setFocus(Qt::TabFocusReason);
  EXPECT_EQ(heard(), "-1,1>20,0 selection");
}

// Fitting counts hidden rows but measures only each column's longest
// texts; scrolling waits for redraw and shows the row of a hidden column.
TEST_F(GridViewTest, AutoSizeAndShowCell) {
  const QString longest(60, u'W'), title("A long title for a short column");
  grid.setRedraw(Redraw::Off);
  for (int i = 0; i < 3000; ++i) grid.appendRow(QString("\tQ%1\t1").arg(i));
  grid.setText(2500, 1, longest);
  grid.setRowHidden(2500, true);
  grid.setColumns(4);
  grid.setText(0, 3, title);
  view.autoSize(0, 3, 13);
  grid.setColumnHidden(0, true);
  view.showCell(2400, 0);
  grid.setRedraw(Redraw::On);
  const int wide = view.fontMetrics().horizontalAdvance(longest);
  EXPECT_GE(view.columnWidth(1), wide + 13);
  EXPECT_LT(view.columnWidth(1), wide + 60);
  EXPECT_GE(view.columnWidth(3),
            view.fontMetrics().horizontalAdvance(title) + 13);
  EXPECT_LT(view.columnWidth(2), view.columnWidth(3));
  EXPECT_TRUE(
      view.viewport()->rect().intersects(view.visualRect(cell(2400, 1))));
}

}  // namespace
}  // namespace lw
