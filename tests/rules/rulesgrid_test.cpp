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

QStringList hiddenRowNames(const GridModel& rules) {
  QStringList names;
  for (int r = 1; r < rules.rows(); ++r)
    if (rules.isRowHidden(r)) names << rules.text(r, kColumn);
  return names;
}

// A probe grid's titles: the fixed ones and two attribute columns.
void probeTitles(GridModel& probes) {
  probes.appendRow(
      u"Wired\tProbe #\tX Loc\tY Loc\tProbe Size\tProbe Style\tSurface\t"
      "Feature Type\tRefDes\tTester Resource\tNet Name\tProbe Data Position\t"
      "Prefix\tNumber\tPin\tDATALINK\tREFNAME\tNOTE");
  for (int c : {5, 6, 10, 11, 12, 13, 14, 15, 16})
    probes.setColumnHidden(c, true);
  probes.setColumnHidden(3, true);  // hidden by the user, not internal
}

TEST(RulesGrid, OneRowPerProbeColumnWithItsVisibility) {
  GridModel probes;
  probeTitles(probes);
  GridModel rules;
  rules.appendRow(u"stale\trow\there");
  buildRulesGrid(rules, probes);
  ASSERT_EQ(rules.rows(), probes.columns() + 1);
  EXPECT_EQ(rules.text(0, kVisible), "Visible");
  EXPECT_EQ(rules.text(0, kSortKey), "Sort Key");
  EXPECT_EQ(rules.text(0, kColumn), "Column");
  EXPECT_TRUE(rules.isBooleanColumn(kVisible) &&
              rules.isBooleanColumn(kSortKey));
  for (int c = 0; c < probes.columns(); ++c) {
    EXPECT_EQ(rules.text(c + 1, kColumn), probes.text(0, c));
    EXPECT_EQ(rules.text(c + 1, kVisible),
              probes.isColumnHidden(c) ? "0" : "1");
    EXPECT_EQ(rules.text(c + 1, kSortKey), "0");
  }
  // "Tester Resource" is not the internal "Tester Reasource"; a column the
  // user hid ("Y Loc") stays offered.
  EXPECT_EQ(
      hiddenRowNames(rules),
      (QStringList{"Probe Style", "Surface", "Net Name", "Probe Data Position",
                   "Prefix", "Number", "Pin", "DATALINK", "REFNAME"}));
}

TEST(RulesGrid, LinesSetEveryRowOfExactlyThatName) {
  GridModel probes;
  probes.appendRow(u"Wired\tX Loc\tNOTE\tNOTE\tPin");
  GridModel rules;
  buildRulesGrid(rules, probes);
  applyColumnRules(rules, {{"0", "1", "x loc"},  // case differs: nothing
                           {"x", "1", "NOTE"},
                           {"0", "0", "Pin"},
                           {"1", "1", "Pin"},  // later line wins
                           {"0", "1", "No such column"}});
  EXPECT_EQ(columnTexts(rules, kVisible),
            (QStringList{"1", "1", "x", "x", "1"}));
  EXPECT_EQ(columnTexts(rules, kSortKey),
            (QStringList{"0", "0", "1", "1", "1"}));
  EXPECT_EQ(columnRules(rules).size(), 5u);
  EXPECT_EQ(columnRules(rules)[2].visible, "x");
}

TEST(RulesGrid, OnlyExactlyOneShowsAColumn) {
  GridModel probes;
  probes.appendRow(u"A\tB\tC\tD");
  probes.setColumnHidden(0, true);
  GridModel rules;
  buildRulesGrid(rules, probes);
  applyColumnRules(
      rules,
      {{"1", "0", "A"}, {"x", "0", "B"}, {"0", "0", "C"}, {" ", "0", "D"}});
  applyVisibility(rules, probes);
  EXPECT_FALSE(probes.isColumnHidden(0));
  EXPECT_TRUE(probes.isColumnHidden(1));
  EXPECT_TRUE(probes.isColumnHidden(2));
  EXPECT_TRUE(probes.isColumnHidden(3));
}

TEST(RulesGrid, ClickFlipsZeroToOneAndAnythingElseToZero) {
  EXPECT_EQ(toggledFlag("0"), "1");
  EXPECT_EQ(toggledFlag("1"), "0");
  EXPECT_EQ(toggledFlag("x"), "0");
  EXPECT_EQ(toggledFlag(""), "0");
}

// Probe rows: name, X, a tag, refdes parts; 2 and 5 are both R2-1.
void probeRows(GridModel& g) {
  fillGrid(g, {"Probe #\tX Loc\tTag\tPrefix\tNumber\tPin", "1\t5\tb\tR\t10\t2",
               "2\t5\tb\tR\t2\t1", "3\t1\tb\tC\t10\t1", "4\t1\ta\tR\t10\t1",
               "5\t5\ta\tR\t2\t1", "6\t-2\ta\t\t\t"});
}

struct SortCase {
  const char* name;
  QStringList order;
  QStringList probes;  // column 0 after the sort
};

class MultiPass : public testing::TestWithParam<SortCase> {};

TEST_P(MultiPass, LastEntryIsThePrimaryKey) {
  GridModel g;
  probeRows(g);
  sortProbeGrid(g, GetParam().order);
  EXPECT_EQ(columnTexts(g, 0), GetParam().probes);
}

INSTANTIATE_TEST_SUITE_P(
    Sort, MultiPass,
    testing::Values(SortCase{"Empty", {}, {"1", "2", "3", "4", "5", "6"}},
                    SortCase{
                        "Numbers", {"X Loc"}, {"6", "3", "4", "1", "2", "5"}},
                    SortCase{"TiesKeepEarlierPasses",
                             {"Tag", "X Loc"},
                             {"6", "4", "3", "5", "1", "2"}},
                    SortCase{"RefDesIsPrefixNumberPin",
                             {"RefDes"},
                             {"6", "3", "2", "5", "4", "1"}},
                    SortCase{"RefDesTiesInEarlierOrder",
                             {"Tag", "RefDes"},
                             {"6", "3", "5", "2", "4", "1"}},
                    SortCase{"UnknownAndCaseDifferentEntriesSkipped",
                             {"Nothing", "x loc", "refdes"},
                             {"1", "2", "3", "4", "5", "6"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MultiPassSort, OnlyTheFirstColumnOfATitle) {
  GridModel g;
  fillGrid(g, {"K\tK", "1\t2", "2\t1", "1\t1"});
  sortProbeGrid(g, {"K"});
  EXPECT_EQ(columnTexts(g, 0), (QStringList{"1", "1", "2"}));
  EXPECT_EQ(columnTexts(g, 1), (QStringList{"2", "1", "1"}));
}

TEST(MultiPassSort, RowsKeepTheirHiddenState) {
  GridModel g;
  probeRows(g);
  g.setRowHidden(1, true);  // probe 1
  g.setRowHidden(6, true);  // probe 6
  sortProbeGrid(g, {"X Loc"});
  QStringList hidden;
  for (int r = 1; r < g.rows(); ++r)
    if (g.isRowHidden(r)) hidden << g.text(r, 0);
  EXPECT_EQ(hidden, (QStringList{"6", "1"}));
  EXPECT_EQ(g.text(0, 0), "Probe #");
}

struct MoveCase {
  int count;
  int selected;
  std::optional<MoveButtons> buttons;
  int up;    // target of Move Up
  int down;  // target of Move Down
};

class Moves : public testing::TestWithParam<MoveCase> {};

TEST_P(Moves, ButtonsAndTargets) {
  const MoveCase& c = GetParam();
  EXPECT_EQ(moveButtonStates(c.count, c.selected), c.buttons);
  EXPECT_EQ(moveTarget(c.count, c.selected, -1), c.up);
  EXPECT_EQ(moveTarget(c.count, c.selected, +1), c.down);
}

INSTANTIATE_TEST_SUITE_P(
    SortList, Moves,
    testing::Values(MoveCase{0, -1, std::nullopt, -1, -1},
                    MoveCase{1, 0, std::nullopt, -1, -1},
                    MoveCase{3, 0, MoveButtons{false, true}, -1, 1},
                    MoveCase{3, 1, MoveButtons{true, true}, 0, 2},
                    MoveCase{3, 2, MoveButtons{true, false}, 1, -1},
                    MoveCase{3, -1, MoveButtons{false, false}, -1, -1},
                    MoveCase{2, 5, MoveButtons{false, false}, -1, -1}));

}  // namespace
}  // namespace lw
