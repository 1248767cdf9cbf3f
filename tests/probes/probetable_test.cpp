// The probe table's rules on plain grids: how it is built from the
// extraction tables, the surface counts, the surface filter, the walk to
// the next probe to wire and reference designator order.

#include "probetable.h"
#include "boardbuilder.h"
#include "gridtexts.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace lw {
namespace {

using test::Attrs;
using test::BoardBuilder;
using test::fillGrid;

// Probes 1 and 10 on top, 2 and 6 below, 5 unplaced. 1 and 2 touch R1's
// pins, 10 a via; 6 has no access point but attributes with names like
// those of internal columns.
ExtractionTables extractedBoard() {
  BoardBuilder b;
  const int r1 = b.component("R1", 1);
  b.pin(r1, "1", 11);
  b.pin(r1, "2", 12);
  b.via(41);
  for (const char* link : {"11", "12", "41"})
    b.access(40 + QString(link).toInt(), {{"DATALINK", link}});
  const auto probe = [&](const char* name, double x, double y, Side side,
                         Attrs attrs) {
    b.probe(name, 100 + QString(name).toInt(), x, y, side, attrs);
  };
  const Side top = Side::Top, bottom = Side::Bottom;
  probe("10", 20, 5, top, {{"DATALINK", "81"}, {"TESTER_REASOURCE", "T"}});
  probe("2", -1.5, 2.25, bottom, {{"DATALINK", "52"}, {"NETNAME", "NN"}});
  probe("5", 40, 5, top, {{"DATALINK", "51"}, {"PROBE_PLACEMENT", "Unplaced"}});
  probe("1", 10, 5, top, {{"DATALINK", "51"}, {"PROBE_PLACEMENT", "Placed"}});
  probe("6", 80, 6, bottom,
        {{"REFNAME", "6"}, {"Tester Reasource", "x"}, {"pin", "\t"}});
  const BoardDocument doc(b.take());
  ExtractionTables t;
  extractProbes(doc, 1, t);
  extractAccessPoints(doc, 1, t);
  linkAccessFeatures(doc, 1, t);
  return t;
}

// Coordinates in the user's form (here German), sizes as written; nothing
// of an earlier table stays.
TEST(ProbeTable, BuildsOneRowPerPlacedProbeInProbeOrder) {
  GridModel grid;
  fillGrid(grid, {"old", "1", "2"});
  grid.setRowHidden(2, true);
  grid.setColumnHidden(0, true);
  buildProbeTable(grid, extractedBoard(),
                  initRegionalFormat(QLocale(QLocale::German)));
  EXPECT_EQ(grid.redraw(), Redraw::Off);  // the caller sizes the columns
  EXPECT_TRUE(grid.isBooleanColumn(probe_grid::kWired));
  EXPECT_EQ(grid.currentColumn(), probe_grid::kProbe);
  // Each row's cells, '|'-joined; the titles of hidden columns in brackets.
  const std::vector<std::string> rows = {
      "Wired|Probe #|X Loc|Y Loc|Probe Size|[Probe Style]|[Surface]|"
      "Feature Type|RefDes|Tester Resource|[Net Name]|[Probe Data Position]|"
      "[Prefix]|[Number]|[Pin]|[DATALINK]|TESTER_REASOURCE|NETNAME|"
      "PROBE_PLACEMENT|[REFNAME]|[Tester Reasource]|pin",
      "|1|10|5|1.5|Waffle|T|Comp Pin|R1-1|Not Assigned|N/C|10|R|1|1|51||N/C|"
      "Placed|||",
      "|2|-1,5|2,25|1.5|Waffle|B|Comp Pin|R1-2|Not Assigned|NN|8|R|1|2|52||NN"
      "||||",
      "|6|80|6|1.5|Waffle|B|||Not Assigned|N/C|11||||||N/C||6|x|\t",
      "|10|20|5|1.5|Chisel|T|Via|-|T|N/C|7||||81|T|N/C||||"};
  ASSERT_EQ(size_t(grid.rows()), rows.size());
  for (int r = 0; r < grid.rows(); ++r) {
    QStringList cells;
    for (int c = 0; c < grid.columns(); ++c)
      cells << (r || !grid.isColumnHidden(c) ? grid.text(r, c)
                                             : '[' + grid.text(r, c) + ']');
    EXPECT_EQ(cells.join('|').toStdString(), rows[r]) << r;
    EXPECT_FALSE(grid.isRowHidden(r));
  }
}

// A probe grid with a row per character of wired: '.' an empty mark, 'h'
// an empty mark on a hidden row, else the mark itself. The row's surface
// is the character of surfaces at the same place ('.' or none: empty).
void fillProbes(GridModel& grid, const QString& wired,
                const QString& surfaces = {}) {
  grid.setRows(1);
  for (int i = 0; i < wired.size(); ++i) {
    const QString row = wired[i] + QString(6, '\t') + surfaces.mid(i, 1);
    grid.appendRow(QString(row).remove(QRegularExpression("[.h]")));
    grid.setRowHidden(i + 1, wired[i] == u'h');
  }
}

TEST(ProbeTable, CountsAndWiredMarks) {
  GridModel grid;
  fillProbes(grid, "h0.1111", "TTTBBb.");  // hidden rows count too
  const auto both = [](SurfaceCounts n) { return std::pair(n.top, n.bottom); };
  // "T" is top, any other surface bottom; wired only for exactly "T" or "B".
  EXPECT_EQ(both(probeCounts(grid)), std::pair(3, 4));
  grid.setText(1, probe_grid::kWired, "1");
  EXPECT_EQ(both(wiredCounts(grid)), std::pair(1, 2));
  for (const char* mark : {"0", "", " 1", "1 ", "01", "-1", "true"}) {
    grid.setText(1, probe_grid::kWired, mark);
    EXPECT_FALSE(isWired(grid, 1)) << mark;  // only "1" is wired
  }
}

TEST(ProbeTable, OneRowsCountKeepsTheWiredCountsOfARecount) {
  GridModel grid;
  fillProbes(grid, "h0.1111", "TTTBBb.");
  // Every row to every mark, in turn: the counts kept row by row never
  // drift from a recount.
  SurfaceCounts kept = wiredCounts(grid);
  for (const char* mark : {"1", "", "0", "1", "1", ""})
    for (int r = 1; r < grid.rows(); ++r) {
      kept -= wiredCount(grid, r);
      grid.setText(r, probe_grid::kWired, mark);
      kept += wiredCount(grid, r);
      const SurfaceCounts all = wiredCounts(grid);
      EXPECT_EQ(std::pair(kept.top, kept.bottom),
                std::pair(all.top, all.bottom))
          << mark << " " << r;
    }
}

// Rows of the other surface hide; when the current row (row 1 when there
// is none) hides, the first visible row becomes current and is returned.
TEST(ProbeTable, SurfaceFilter) {
  // Surfaces (all hidden before), top, current row before and after, the
  // row returned, the rows shown.
  const std::tuple<const char*, bool, int, int, int, const char*> cases[] = {
      {"TBT", true, 3, 3, -1, "1 3"},  {"BTBT", true, 3, 2, 2, "2 4"},
      {"TXBB", false, 1, 3, 3, "3 4"}, {"TB", true, -1, 1, -1, "1"},
      {"BT", true, -1, 2, 2, "2"},     {"BB", true, 2, 2, -1, ""},
      {"", true, -1, -1, -1, ""}};
  for (const auto& [surfaces, top, current, after, scrollTo, shown] : cases) {
    SCOPED_TRACE(surfaces);
    GridModel grid;
    fillProbes(grid, QString(surfaces).fill(u'h'), surfaces);
    grid.setCurrentRow(current);
    grid.setRedraw(top ? Redraw::On : Redraw::Off);
    EXPECT_EQ(applySurfaceFilter(grid, top), scrollTo);
    EXPECT_EQ(grid.currentRow(), after);
    QStringList seen;
    for (int r = 1; r < grid.rows(); ++r)
      if (!grid.isRowHidden(r)) seen << QString::number(r);
    EXPECT_EQ(seen.join(' '), shown);
    EXPECT_EQ(grid.redraw(), top ? Redraw::On : Redraw::Off);  // as it was
  }
}

// The next visible row after the current one whose mark is empty or "0",
// wrapping to the top, the current row itself last.
TEST(ProbeTable, NextUnwiredRow) {
  const std::tuple<const char*, int, int> cases[] = {
      {"1.10", 1, 2},  {".110", 2, 4}, {".111", 4, 1},
      {"1h11", 1, -1}, {"1x1.", 1, 4}, {"11.1", 3, 3},
      {".1h0", 2, 4},  {"10", -1, 2},  {"", -1, -1}};
  for (const auto& [wired, current, next] : cases) {
    GridModel grid;
    fillProbes(grid, wired);
    grid.setCurrentRow(current);
    EXPECT_EQ(findNextUnwiredRow(grid), next) << wired << " " << current;
  }
}

// "Go to" by probe number, designator with or without pin, or net, among
// visible rows after the current one, wrapping.
TEST(ProbeTable, FindProbe) {
  GridModel grid;
  grid.setRows(1);
  // probe, designator with pin, net, pin; row 4 hidden.
  const char* rows[][4] = {{"101", "U12-3", "GND", "3"},
                           {"12", "U12-14", "VCC", "14"},
                           {"103", "", "u12", ""},
                           {"104", "U12-5", "GND", "5"},
                           {"105", "R1-A-1", "N1", "A-1"}};
  for (const auto& r : rows)
    grid.appendRow(QStringList{"", r[0], "", "", "", "", "", "", r[1], "", r[2],
                               "", "", "", r[3]}
                       .join('\t'));
  grid.setRowHidden(4, true);
  const std::tuple<const char*, int, int> cases[] = {
      {"12", 0, 2},     {"u12", 1, 2},   {"U12", 2, 3},  {"U12", 3, 1},
      {"u12-14", 0, 2}, {" gnd ", 1, 1}, {"104", 0, -1}, {"R1", 0, 5},
      {"R1-A-1", 0, 5}, {"U1", 0, -1},   {"", 0, -1},    {"3", 0, -1}};
  for (const auto& [query, from, found] : cases)
    EXPECT_EQ(findProbeRow(grid, query, from), found) << query << " " << from;
}

// A designator's prefix and number; without a digit the number is the text
// cut after its first character. Reference designator order: by prefix,
// then by number as a number, then by pin as a number; rows alike in all
// three keep their order.
TEST(ProbeTable, ReferenceDesignators) {
  const char* cases[][3] = {{"R12", "R", "12"}, {"U1A", "U", "1"},
                            {"TP3", "TP", "3"}, {"J1A2", "J", "1"},
                            {"C-3", "C", "-3"}, {"12", "", "12"},
                            {"", "", ""},       {"TP", "TP", "T"}};
  for (const auto& [refdes, prefix, number] : cases)
    EXPECT_EQ(referencePrefix(refdes) + '|' + referenceNumber(refdes),
              QString(prefix) + '|' + number);
  // Each row: the place it must end in, then prefix, number and pin.
  GridModel grid;
  fillGrid(grid, QString("Place Prefix Number Pin|7 R 10 1|5 R 2 1|3 C 2 10|"
                         "2 C 2 2|4 C 10 1|9 TP 1 1|8 RN 1 1|1|6 R 2 1")
                     .replace(' ', '\t')
                     .split('|'));
  sortByReference(grid, "Prefix", "Number", "Pin");
  EXPECT_EQ(test::columnTexts(grid, 0).join(' ').toStdString(),
            "1 2 3 4 5 6 7 8 9");
  EXPECT_EQ(grid.text(0, 0), "Place");
}

}  // namespace
}  // namespace lw
