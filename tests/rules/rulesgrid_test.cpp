// The rules grid and the multi-pass sort, on plain grids.

#include "rulesgrid.h"
#include "gridtexts.h"
#include "probesort.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace lw {
namespace {

using test::columnTexts;
using test::fillGrid;

using namespace rules_grid;

// A column of the rules grid, titles first, hidden rows in brackets.
std::string texts(const GridModel& rules, int column) {
  QStringList texts;
  for (int r = 0; r < rules.rows(); ++r)
    texts << (rules.isRowHidden(r) ? "[" + rules.text(r, column) + "]"
                                   : rules.text(r, column));
  return texts.join('|').toStdString();
}

// Row i stands for probe grid column i-1: "Visible" as the column shows,
// every "Sort Key" "0", the rows of internal columns hidden ("Tester
// Resource" only resembles the internal "Tester Reasource"; "Y Loc" the
// user hid). A line sets the flags of every row of exactly its name, later
// lines winning; only a "Visible" of exactly "1" shows the column.
TEST(RulesGrid, BuiltFromTheProbeGridAndAppliedBack) {
  GridModel probes;
  probes.appendRow(
      u"Wired\tY Loc\tProbe Style\tTester Resource\tPin\tNOTE\tNOTE");
  for (int c : {1, 2, 4}) probes.setColumnHidden(c, true);
  GridModel rules;
  rules.appendRow(u"stale\trow\there");
  buildRulesGrid(rules, probes);
  EXPECT_EQ(texts(rules, kColumn),
            "Column|Wired|Y Loc|[Probe Style]|Tester Resource|[Pin]|NOTE|NOTE");
  EXPECT_EQ(texts(rules, kVisible), "Visible|1|0|[0]|1|[0]|1|1");
  EXPECT_EQ(texts(rules, kSortKey), "Sort Key|0|0|[0]|0|[0]|0|0");
  EXPECT_TRUE(rules.isBooleanColumn(kVisible) &&
              rules.isBooleanColumn(kSortKey));

  applyColumnRules(rules, {{false, true, "y loc"},  // case differs: nothing
                           {false, true, "NOTE"},
                           {false, false, "Pin"},
                           {true, true, "Pin"},
                           {true, false, "Y Loc"},
                           {false, true, "No such column"}});
  EXPECT_EQ(texts(rules, kVisible), "Visible|1|1|[0]|1|[1]|0|0");
  EXPECT_EQ(texts(rules, kSortKey), "Sort Key|0|0|[0]|0|[1]|1|1");
  const std::vector<ColumnRule> lines = columnRules(rules);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_TRUE(lines[4].visible && lines[4].sortKey && lines[4].name == "Pin");
  rules.setText(1, kVisible, "0");
  rules.setText(4, kVisible, " ");
  applyVisibility(rules, probes);
  QString shown;
  for (int c = 0; c < probes.columns(); ++c)
    shown += probes.isColumnHidden(c) ? '0' : '1';
  EXPECT_EQ(shown, "0100100");
  QString flipped;  // by a click: "0" to "1", anything else to "0"
  for (const char* flag : {"0", "1", "x", ""}) flipped += toggledFlag(flag);
  EXPECT_EQ(flipped, "1000");
}

// Entries sort in stable passes, the last one the primary key; "RefDes"
// is reference designator order, after which rows of one designator keep
// the order of the earlier entries. Other entries take the first column
// of exactly their name; entries naming no column do nothing. Only the
// last pass by a column can change the order, so only it runs, however
// often an entry repeats.
TEST(MultiPassSort, LastEntryIsThePrimaryKey) {
  const char* cases[][2] = {
      // entries, then the probes in their order
      {"", "1 2 3 4 5 6"},      {"X", "6 3 4 1 2 5"},
      {"Tag X", "6 4 3 5 1 2"}, {"Tag RefDes", "6 3 5 2 4 1"},
      {"K", "1 4 2 3 5 6"},     {"Nothing x refdes", "1 2 3 4 5 6"}};
  for (const auto& [order, expected] : cases) {
    GridModel g;  // probes 2 and 5 are both R2-1
    fillGrid(g, {"Probe #\tX\tTag\tPrefix\tNumber\tPin\tK\tK",
                 "1\t5\tb\tR\t10\t2\t1\t6", "2\t5\tb\tR\t2\t1\t2\t5",
                 "3\t1\tb\tC\t10\t1\t2\t4", "4\t1\ta\tR\t10\t1\t1\t3",
                 "5\t5\ta\tR\t2\t1\t2\t2", "6\t-2\ta\t\t\t\t2\t1"});
    // The entries in reverse before them change nothing, and do not run.
    const QStringList entries = QString(order).split(' ', Qt::SkipEmptyParts);
    const QStringList twice =
        QStringList(entries.rbegin(), entries.rend()) + entries;
    EXPECT_LE(sortPasses(g, twice).size(), 4u);
    sortProbeGrid(g, twice);
    EXPECT_EQ(columnTexts(g, 0).join(' ').toStdString(), expected) << order;
  }
}

// Move buttons for a list with an entry selected (-1: none); lists under
// two entries leave the buttons alone.
TEST(SortList, MoveButtonsAndTargets) {
  // count, selected, buttons (-1: left alone, else 2 * up + down), the
  // targets of Move Up and Move Down
  const int cases[][5] = {{0, -1, -1, -1, -1}, {1, 0, -1, -1, -1},
                          {3, 0, 1, -1, 1},    {3, 1, 3, 0, 2},
                          {3, 2, 2, 1, -1},    {3, -1, 0, -1, -1},
                          {2, 5, 0, -1, -1}};
  for (const auto& [count, selected, buttons, up, down] : cases) {
    const std::optional<MoveButtons> b = moveButtonStates(count, selected);
    EXPECT_EQ(b ? 2 * b->up + b->down : -1, buttons) << count << selected;
    EXPECT_EQ(moveTarget(count, selected, -1), up);
    EXPECT_EQ(moveTarget(count, selected, +1), down);
  }
}

}  // namespace
}  // namespace lw
