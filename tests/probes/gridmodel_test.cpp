#include "gridmodel.h"
#include "gridtexts.h"

#include <QLocale>
#include <QStringList>

#include <gtest/gtest.h>

namespace lw {
namespace {

using test::columnTexts;
using test::fillGrid;

QStringList hiddenRows(const GridModel& grid) {
  QStringList names;
  for (int r = 1; r < grid.rows(); ++r)
    if (grid.isRowHidden(r)) names << grid.text(r, 0);
  return names;
}

// What a view sees: the visible data rows, one column.
QStringList shown(const GridModel& grid, int c) {
  QStringList texts;
  for (int v = 0; v < grid.rowCount(); ++v)
    texts << grid.data(grid.index(v, c), Qt::DisplayRole).toString();
  return texts;
}

class DefaultLocale {
 public:
  explicit DefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
  ~DefaultLocale() { QLocale::setDefault(mSaved); }

 private:
  QLocale mSaved;
};

struct AppendCase {
  const char* name;
  QString tabText;
  QStringList cells;  // as read back, one per column
};

class AppendRow : public testing::TestWithParam<AppendCase> {};

TEST_P(AppendRow, CutsAtTabsFromColumnZero) {
  GridModel grid;
  grid.setColumns(3);
  grid.appendRow(u"A\tB\tC");
  grid.appendRow(GetParam().tabText);
  QStringList cells;
  for (int c = 0; c < grid.columns(); ++c) cells << grid.text(1, c);
  EXPECT_EQ(cells, GetParam().cells);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AppendRow,
    testing::Values(AppendCase{"Exact", "1\t2\t3", {"1", "2", "3"}},
                    AppendCase{"Fewer", "1", {"1", "", ""}},
                    AppendCase{"EmptyMiddle", "1\t\t3", {"1", "", "3"}},
                    AppendCase{"TrailingTab", "1\t", {"1", "", ""}},
                    AppendCase{"Empty", "", {"", "", ""}},
                    AppendCase{
                        "MoreAddsColumns", "1\t2\t3\t4", {"1", "2", "3", "4"}},
                    AppendCase{"KeepsBlanks", " 1 \t2", {" 1 ", "2", ""}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GridModel, ShrinkingColumnsDropsTheirTexts) {
  GridModel grid;
  fillGrid(grid, {"T0\tT1\tT2", "a\tb\tc"});
  grid.setColumns(1);
  grid.setColumns(3);
  EXPECT_EQ(grid.text(1, 0), "a");
  EXPECT_EQ(grid.text(1, 2), "");
  EXPECT_EQ(grid.text(0, 1), "");
}

TEST(GridModel, OutOfRangeCellsReadEmptyAndIgnoreWrites) {
  GridModel grid;
  fillGrid(grid, {"T0\tT1", "a\tb"});
  grid.setText(5, 0, "x");
  grid.setText(1, 2, "x");
  grid.setText(-1, 0, "x");
  EXPECT_EQ(grid.text(5, 0), "");
  EXPECT_EQ(grid.text(1, 2), "");
  EXPECT_EQ(grid.columns(), 2);
  EXPECT_EQ(grid.rows(), 2);
}

TEST(GridModel, ViewSeesTitlesAsHeaderAndOnlyVisibleDataRows) {
  GridModel grid;
  fillGrid(grid, {"Probe #\tX", "P1\t1", "P2\t2", "P3\t3", "P4\t4"});
  grid.setRowHidden(2, true);
  grid.setRowHidden(4, true);
  EXPECT_EQ(grid.headerData(0, Qt::Horizontal, Qt::DisplayRole), "Probe #");
  EXPECT_EQ(grid.headerData(1, Qt::Horizontal, Qt::DisplayRole), "X");
  EXPECT_EQ(shown(grid, 0), QStringList({"P1", "P3"}));
  EXPECT_EQ(grid.gridRow(1), 3);
  EXPECT_EQ(grid.viewRow(3), 1);
  EXPECT_EQ(grid.viewRow(2), -1);
  EXPECT_EQ(grid.viewRow(0), -1);
}

TEST(GridModel, SortKeepsTitleRowEqualOrderAndHiddenState) {
  GridModel grid;
  fillGrid(grid, {"Name\tKey", "a\t2", "b\t1", "c\t2", "d\t1", "e\t2"});
  grid.setRowHidden(2, true);  // b
  grid.setRowHidden(3, true);  // c
  grid.sortByColumn(1);
  EXPECT_EQ(grid.text(0, 0), "Name");
  EXPECT_EQ(columnTexts(grid, 0), QStringList({"b", "d", "a", "c", "e"}));
  EXPECT_EQ(hiddenRows(grid), QStringList({"b", "c"}));
  EXPECT_EQ(shown(grid, 0), QStringList({"d", "a", "e"}));
}

TEST(GridModel, SortReadsRegionalCoordinates) {
  const DefaultLocale german(QLocale(QLocale::German, QLocale::Germany));
  GridModel grid;
  fillGrid(grid, {"X Loc", "2,25", "-1,5", "10", "-10,5", "0,5"});
  grid.sortByColumn(0);
  EXPECT_EQ(columnTexts(grid, 0),
            QStringList({"-10,5", "-1,5", "0,5", "2,25", "10"}));
}

// Three stable passes, pin then number then prefix: ordered by prefix,
// number, pin.
TEST(GridModel, ThreePassSortOrdersByDesignator) {
  GridModel grid;
  fillGrid(grid, {"Probe #\tPrefix\tNumber\tPin", "1\tR\t10\t1", "2\tC\t2\t2",
                  "3\tR\t2\t1", "4\tC\t10\t1", "5\tC\t2\t1", "6\t\t\t",
                  "7\tC\t2\t1"});
  grid.setRowHidden(4, true);
  for (int c : {3, 2, 1}) grid.sortByColumn(c);
  EXPECT_EQ(columnTexts(grid, 0),
            QStringList({"6", "5", "7", "2", "4", "3", "1"}));
  EXPECT_EQ(hiddenRows(grid), QStringList({"4"}));
}

TEST(GridModel, NumericSortPutsEqualProposalsSideBySide) {
  GridModel grid;
  fillGrid(grid, {"Proposed", "10", "", "2", "10", "12A", "", "1"});
  grid.sortNumeric(0);
  EXPECT_EQ(columnTexts(grid, 0),
            QStringList({"1", "2", "10", "10", "", "", "12A"}));
}

TEST(GridModel, SortIgnoresBadColumnsAndTinyGrids) {
  GridModel grid;
  fillGrid(grid, {"K", "b", "a"});
  grid.sortByColumn(3);
  grid.sortByColumn(-1);
  EXPECT_EQ(columnTexts(grid, 0), QStringList({"b", "a"}));
  fillGrid(grid, {"K", "b"});
  grid.sortByColumn(0);
  EXPECT_EQ(columnTexts(grid, 0), QStringList({"b"}));
}

TEST(GridModel, ShrinkingRowsClampsCurrentRow) {
  GridModel grid;
  fillGrid(grid, {"T", "1", "2", "3", "4"});
  grid.setCurrentRow(4);
  grid.setRows(3);
  EXPECT_EQ(grid.currentRow(), 2);
  grid.setRows(1);
  EXPECT_EQ(grid.currentRow(), -1);
}

class Notifications : public testing::Test {
 protected:
  void SetUp() override {
    fillGrid(grid, {"A\tB", "1\tx", "2\ty", "3\tz"});
    grid.setCurrentCell(1, 0);
    QObject::connect(&grid, &GridModel::beforeMove,
                     [this](int r0, int c0, int r1, int c1, bool* cancel) {
                       log << QString("before %1,%2 -> %3,%4 (now %5)")
                                  .arg(r0)
                                  .arg(c0)
                                  .arg(r1)
                                  .arg(c1)
                                  .arg(grid.currentRow());
                       *cancel = cancelMoves;
                     });
    QObject::connect(&grid, &GridModel::selectionChanged, [this] {
      log << QString("selection %1").arg(grid.currentRow());
    });
  }

  GridModel grid;
  QStringList log;
  bool cancelMoves = false;
};

TEST_F(Notifications, CodeMoveRaisesBeforeMoveThenSelectionOnce) {
  EXPECT_TRUE(grid.setCurrentRow(3));
  EXPECT_EQ(log, QStringList({"before 1,0 -> 3,0 (now 1)", "selection 3"}));
}

TEST_F(Notifications, SettingTheCurrentCellAgainRaisesNothing) {
  EXPECT_TRUE(grid.setCurrentRow(1));
  EXPECT_TRUE(grid.setCurrentCell(1, 0));
  EXPECT_TRUE(grid.setCurrentColumn(7));  // out of range: column stays
  EXPECT_TRUE(log.isEmpty());
}

TEST_F(Notifications, ColumnMoveIsACellMove) {
  grid.setCurrentColumn(1);
  EXPECT_EQ(log, QStringList({"before 1,0 -> 1,1 (now 1)", "selection 1"}));
}

TEST_F(Notifications, CancelKeepsTheCurrentCell) {
  cancelMoves = true;
  EXPECT_FALSE(grid.setCurrentRow(2));
  EXPECT_EQ(grid.currentRow(), 1);
  EXPECT_EQ(log, QStringList({"before 1,0 -> 2,0 (now 1)"}));
}

TEST_F(Notifications, TitleOrMissingRowMeansNone) {
  grid.setCurrentRow(0);
  EXPECT_EQ(grid.currentRow(), -1);
  grid.setCurrentRow(9);  // already none
  EXPECT_EQ(log, QStringList({"before 1,0 -> -1,0 (now 1)", "selection -1"}));
}

TEST_F(Notifications, HiddenCurrentRowStaysCurrent) {
  grid.setCurrentRow(2);
  log.clear();
  grid.setRowHidden(2, true);
  grid.sortByColumn(1);
  EXPECT_EQ(grid.currentRow(), 2);
  EXPECT_TRUE(log.isEmpty());
}

// Counts what a view would hear.
struct QtSignals {
  explicit QtSignals(GridModel& grid) {
    QObject::connect(&grid, &GridModel::modelReset, [this] { ++resets; });
    QObject::connect(
        &grid, &GridModel::rowsInserted,
        [this](const QModelIndex&, int first, int) { inserted << first; });
    QObject::connect(
        &grid, &GridModel::rowsRemoved,
        [this](const QModelIndex&, int first, int) { removed << first; });
    QObject::connect(&grid, &GridModel::dataChanged, [this] { ++changed; });
    QObject::connect(&grid, &GridModel::headerDataChanged,
                     [this] { ++changed; });
  }
  int total() const {
    return resets + int(inserted.size() + removed.size()) + changed;
  }
  int resets = 0;
  QList<int> inserted, removed;
  int changed = 0;
};

TEST(GridModel, RedrawOffBatchesChangesIntoOneReset) {
  GridModel grid;
  fillGrid(grid, {"N\tK", "a\t3"});
  QtSignals heard(grid);
  grid.setRedraw(Redraw::Off);
  for (int i = 0; i < 50; ++i)
    grid.appendRow(QString("r%1\t%2").arg(i).arg(i % 7));
  for (int r = 1; r < grid.rows(); r += 2) grid.setRowHidden(r, true);
  grid.setText(0, 1, "Key");
  grid.setText(2, 0, "first");
  grid.sortByColumn(1);
  grid.setBooleanColumn(1);
  EXPECT_EQ(heard.total(), 0);
  EXPECT_EQ(grid.rowCount(), 1);  // the Qt face still shows the old grid
  grid.setRedraw(Redraw::On);
  EXPECT_EQ(heard.resets, 1);
  EXPECT_EQ(heard.total(), 1);
  EXPECT_EQ(grid.rowCount(), grid.rows() - 1 - hiddenRows(grid).size());
  grid.setRedraw(Redraw::Off);
  grid.setRedraw(Redraw::On);  // nothing changed, nothing to present
  EXPECT_EQ(heard.total(), 1);
}

TEST(GridModel, RedrawOnPresentsSingleRowChangesInPlace) {
  GridModel grid;
  fillGrid(grid, {"N", "a", "b", "c", "d"});
  QtSignals heard(grid);
  grid.setRowHidden(3, true);
  grid.setRowHidden(1, true);
  grid.setRowHidden(3, false);
  grid.appendRow(u"e");
  grid.setText(3, 0, "C");
  grid.setText(1, 0, "A");  // hidden: nothing to present
  EXPECT_EQ(heard.resets, 0);
  EXPECT_EQ(heard.removed, QList<int>({2, 0}));
  EXPECT_EQ(heard.inserted, QList<int>({1, 3}));
  EXPECT_EQ(heard.changed, 1);
  EXPECT_EQ(shown(grid, 0), QStringList({"b", "C", "d", "e"}));
}

TEST(GridModel, StaleViewRowsReadEmptyWhileRedrawIsOff) {
  GridModel grid;
  fillGrid(grid, {"N\tK", "a\t1", "b\t2", "c\t3"});
  grid.setRedraw(Redraw::Off);
  grid.setRows(1);
  grid.setColumns(1);
  ASSERT_EQ(grid.rowCount(), 3);
  EXPECT_FALSE(grid.data(grid.index(2, 1), Qt::DisplayRole).isValid());
  EXPECT_EQ(grid.gridRow(0), -1);
  grid.setRedraw(Redraw::On);
  EXPECT_EQ(grid.rowCount(), 0);
  EXPECT_EQ(grid.columnCount(), 1);
}

TEST(GridModel, BooleanColumnShowsOnlyOneAsTicked) {
  GridModel grid;
  fillGrid(grid, {"Wired\tProbe #", "1\tP1", "0\tP2", "\tP3", "-1\tP4"});
  grid.setBooleanColumn(0);
  QList<int> states;
  for (int v = 0; v < 4; ++v) {
    const QModelIndex index = grid.index(v, 0);
    EXPECT_FALSE(grid.data(index, Qt::DisplayRole).isValid());
    EXPECT_FALSE(grid.flags(index) & Qt::ItemIsUserCheckable);
    states << grid.data(index, Qt::CheckStateRole).toInt();
  }
  EXPECT_EQ(states, QList<int>({Qt::Checked, Qt::Unchecked, Qt::Unchecked,
                                Qt::Unchecked}));
  EXPECT_FALSE(grid.data(grid.index(0, 1), Qt::CheckStateRole).isValid());
}

TEST(GridModel, ClearEmptiesCellsAndShowsEverythingKeepingShape) {
  GridModel grid;
  fillGrid(grid, {"A\tB\tC", "1\t2\t3", "4\t5\t6"});
  grid.setRowHidden(2, true);
  grid.setColumnHidden(1, true);
  grid.clear();
  EXPECT_EQ(grid.rows(), 3);
  EXPECT_EQ(grid.columns(), 3);
  EXPECT_EQ(grid.text(0, 0), "");
  EXPECT_EQ(grid.text(2, 2), "");
  EXPECT_FALSE(grid.isRowHidden(2));
  EXPECT_FALSE(grid.isColumnHidden(1));
  EXPECT_EQ(grid.rowCount(), 2);
}

}  // namespace
}  // namespace lw
