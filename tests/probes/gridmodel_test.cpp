// The grid and its sort order, without a view.
#include "gridmodel.h"
#include "gridtexts.h"

#include <QLocale>
#include <QStringList>

#include <gtest/gtest.h>

namespace lw {
namespace {

using test::fillGrid;

// The sort order of cells on their own.
// Stable and ascending: numbers (the whole text, trimmed, in C form or the
// regional one, without group separators) by value before texts by code
// unit; in numeric order equal texts side by side, for the renumbering
// dialog finds duplicates by comparing neighbours.
TEST(GridSort, StableAscendingOrder) {
  const char* cases[][3] = {
      // Order and locale, cells, their sorted order. The first: numbers by
      // value, then texts by code unit ("10P" before "1e999", "P10" before
      // "inf"), the empty cell among them.
      {"generic en_US",
       "nan|2| 10 |-1.5|+3|1e3|1,5|1,500||   |P10|10P|1 2|0x10|inf|1e999",
       "3 1 4 2 5 8 9 13 12 6 7 11 15 10 14 0"},
      {"generic en_US", "1.0|0|1|01|1", "1 0 2 3 4"},
      {"generic en_US", "x|w|x|w", "1 3 0 2"},
      {"generic en_US", "2,25|-1,5|0.5", "2 1 0"},
      {"generic de_DE", "0.035|-1,5|2,25|1.500,5|-infinity", "1 0 2 4 3"},
      // Arabic signs carry a direction mark.
      {"generic ar_EG", "1|\u061C-1\u066B5|0\u066B5|\u061C-2", "3 1 2 0"},
      {"numeric en_US", "12|012|3|12|5.0|012|05|5", "2 6 7 4 1 5 0 3"},
      {"numeric en_US", "12A||7||12A|1", "5 2 1 3 0 4"},
      {"generic en_US", "", ""}};
  for (const auto& [how, text, expected] : cases) {
    const QStringList cells = *text ? QString(text).split('|') : QStringList();
    const std::vector<QStringView> views(cells.begin(), cells.end());
    QStringList order;
    const bool numeric = QString(how).startsWith('n');
    for (int i :
         gridSortOrder(views, numeric ? GridOrder::Numeric : GridOrder::Generic,
                       QLocale(QString(how).section(' ', 1))))
      order << QString::number(i);
    EXPECT_EQ(order.join(' ').toStdString(), expected) << text;
  }
}

// A column's data rows, '|'-joined, hidden ones in brackets; or (shown)
// the rows a view sees.
std::string texts(const GridModel& grid, int c, bool shown = false) {
  QStringList texts;
  for (int v = 0; shown && v < grid.rowCount(); ++v)
    texts << grid.data(grid.index(v, c), Qt::DisplayRole).toString();
  for (int r = 1; !shown && r < grid.rows(); ++r)
    texts << (grid.isRowHidden(r) ? "[" + grid.text(r, c) + "]"
                                  : grid.text(r, c));
  return texts.join('|').toStdString();
}

// appendRow cuts at TABs from column 0: fewer pieces leave the rest empty,
// more add columns. Cells out of range read empty. clear empties every
// cell and shows every row and column, keeping the shape, so that a new
// table inherits nothing.
TEST(GridModel, CellsBooleanColumnAndClear) {
  GridModel grid;
  fillGrid(grid, {"A\tB\tC", "1\t2\t3", "1", "1\t\t3", "-1\t", "", " 1 \t2"});
  EXPECT_EQ(texts(grid, 0), "1|1|1|-1|| 1 ");
  EXPECT_EQ(texts(grid, 1), "2|||||2");
  EXPECT_EQ(texts(grid, 2), "3||3|||");
  // A check box, ticked exactly by "1", that the view cannot toggle.
  grid.setBooleanColumn(0);
  for (int v = 0; v < 6; ++v) {
    const QModelIndex index = grid.index(v, 0);
    EXPECT_FALSE(grid.data(index, Qt::DisplayRole).isValid() ||
                 grid.flags(index) & Qt::ItemIsUserCheckable);
    EXPECT_EQ(grid.data(index, Qt::CheckStateRole),
              v < 3 ? Qt::Checked : Qt::Unchecked);
  }
  EXPECT_FALSE(grid.data(grid.index(0, 1), Qt::CheckStateRole).isValid());
  grid.appendRow(u"1\t2\t3\t4");
  EXPECT_EQ(grid.text(7, 3), "4");  // out of range before the row came
  EXPECT_EQ(grid.text(9, 0) + grid.text(1, 4) + grid.text(-1, 0), "");
  grid.setRowHidden(2, true);
  grid.setColumnHidden(1, true);
  grid.clear();
  EXPECT_EQ(std::pair(grid.rows(), grid.columns()), std::pair(8, 4));
  EXPECT_EQ(texts(grid, 3) + grid.text(0, 0).toStdString(), "||||||");
  EXPECT_FALSE(grid.isColumnHidden(1));
}

// Stable; the title row stays and is what a view shows as the header;
// rows keep their hidden state, which a view does not show.
TEST(GridModel, SortAndWhatAViewSees) {
  GridModel grid;
  fillGrid(grid,
           {"Name\tKey", "a\t10", "b\t2,25", "c\t10", "d\t2,25", "e\t10"});
  for (int r : {2, 3}) grid.setRowHidden(r, true);
  // Numbers are read in the default locale, the user's: under German 2,25
  // is a number below 10, in C form a text after it.
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  grid.sortByColumn(1);
  QLocale::setDefault(QLocale::c());
  EXPECT_EQ(texts(grid, 0), "[b]|d|a|[c]|e");
  EXPECT_EQ(texts(grid, 0, true), "d|a|e");
  EXPECT_EQ(grid.headerData(1, Qt::Horizontal, Qt::DisplayRole), "Key");
  EXPECT_EQ(std::tuple(grid.gridRow(1), grid.viewRow(3), grid.viewRow(4),
                       grid.viewRow(0)),
            std::tuple(3, 1, -1, -1));
}

// beforeMove (which may cancel) then selectionChanged, once per real move.
// The current row is a position: hiding and sorting leave it alone, and
// fewer rows clamp it.
TEST(GridModel, MovesOfTheCurrentCell) {
  GridModel grid;
  fillGrid(grid, {"A\tB", "1\tz", "2\ty", "3\tx", "4\tw"});
  grid.setCurrentCell(1, 0);
  QStringList heard;
  bool cancel = false;
  QObject::connect(&grid, &GridModel::beforeMove,
                   [&](int r0, int c0, int r1, int c1, bool* cancelMove) {
                     EXPECT_EQ(grid.currentRow(), r0);  // not moved yet
                     heard << QString::asprintf("%d,%d>%d,%d", r0, c0, r1, c1);
                     *cancelMove = cancel;
                   });
  QObject::connect(&grid, &GridModel::selectionChanged,
                   [&] { heard << QString::number(grid.currentRow()); });
  EXPECT_TRUE(grid.setCurrentRow(1));  // the current cell: nothing happens
  EXPECT_TRUE(grid.setCurrentRow(3));
  EXPECT_TRUE(grid.setCurrentColumn(1));
  cancel = true;
  EXPECT_FALSE(grid.setCurrentRow(2));
  cancel = false;
  grid.setRowHidden(3, true);
  grid.sortByColumn(1);
  EXPECT_EQ(grid.currentRow(), 3);
  EXPECT_TRUE(grid.setCurrentRow(0));  // the title row means none
  EXPECT_TRUE(grid.setCurrentRow(9));  // so does a missing row
  EXPECT_EQ(heard.join(' ').toStdString(),
            "1,0>3,0 3 3,0>3,1 3 3,1>2,1 3,1>-1,1 -1");
  grid.setCurrentRow(4);
  grid.setRows(3);
  EXPECT_EQ(grid.currentRow(), 2);
  grid.setRows(1);
  EXPECT_EQ(grid.currentRow(), -1);
}

// What a view hears: with redraw off one reset for everything once it is
// back on; with redraw on single row changes in place.
TEST(GridModel, Redraw) {
  GridModel grid;
  fillGrid(grid, {"N\tK", "a\t3", "b\t2", "c\t1", "d\t0"});
  QStringList heard;
  QObject::connect(&grid, &GridModel::modelReset, [&] { heard << "reset"; });
  QObject::connect(&grid, &GridModel::rowsInserted,
                   [&](auto, int row) { heard << QString("+%1").arg(row); });
  QObject::connect(&grid, &GridModel::rowsRemoved,
                   [&](auto, int row) { heard << QString("-%1").arg(row); });
  QObject::connect(&grid, &GridModel::dataChanged, [&] { heard << "cell"; });
  QObject::connect(&grid, &GridModel::headerDataChanged,
                   [&] { heard << "title"; });
  grid.setRowHidden(3, true);
  grid.setRowHidden(1, true);
  grid.setRowHidden(3, false);
  grid.appendRow(u"e");
  grid.setText(3, 0, "C");
  grid.setText(1, 0, "A");  // hidden: nothing to present
  EXPECT_EQ(heard.join(' '), "-2 -0 +1 +3 cell");
  EXPECT_EQ(texts(grid, 0, true), "b|C|d|e");

  heard.clear();
  grid.setRedraw(Redraw::Off);
  for (int i = 0; i < 50; ++i)
    grid.appendRow(QString("r%1\t%2").arg(i).arg(i % 7));
  for (int r = 1; r < grid.rows(); r += 2) grid.setRowHidden(r, true);
  grid.setText(0, 1, "Key");
  grid.setText(2, 0, "first");
  grid.sortByColumn(1);
  grid.setBooleanColumn(1);
  EXPECT_EQ(grid.rowCount(), 4);  // the Qt face still shows the old grid
  grid.setRedraw(Redraw::On);
  grid.setRedraw(Redraw::Off);
  grid.setRedraw(Redraw::On);  // nothing changed, nothing to present
  EXPECT_EQ(heard.join(' '), "reset");
  EXPECT_EQ(grid.rowCount(), 27);  // 55 data rows, every other one hidden

  // Rows and columns gone while redraw is off read empty until it is on.
  grid.setRedraw(Redraw::Off);
  grid.setRows(1);
  grid.setColumns(1);
  ASSERT_EQ(grid.rowCount(), 27);
  EXPECT_FALSE(grid.data(grid.index(26, 1), Qt::DisplayRole).isValid());
  EXPECT_EQ(grid.gridRow(0), -1);
  grid.setRedraw(Redraw::On);
  EXPECT_EQ(std::pair(grid.rowCount(), grid.columnCount()), std::pair(0, 1));
}

}  // namespace
}  // namespace lw
