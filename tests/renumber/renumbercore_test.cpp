// The renumbering rules on their own: proposals, duplicates, the rename
// grid, the name-to-format rule and the renamed document.

#include "gridtexts.h"
#include "probeboard.h"
#include "renamegrid.h"
#include "renumberdocument.h"

#include "probetable.h"

#include <QFile>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace lw;
using namespace lw::test;
using testing::HasSubstr;

namespace {

std::string column(const GridModel& grid, int c) {
  return columnTexts(grid, c).join('|').toStdString();
}

// Cells of a row, hidden columns in brackets.
std::string row(const GridModel& grid, int r) {
  QStringList cells;
  for (int c = 0; c < grid.columns(); ++c)
    cells << (grid.isColumnHidden(c) ? "[" + grid.text(r, c) + "]"
                                     : grid.text(r, c));
  return cells.join('|').toStdString();
}

// The proposal is what follows the first non-digit, unless that is the
// last character. Duplicates are equal neighbours, exactly; sorting by
// proposal in numeric order (numbers by value, then texts) puts equal
// proposals together.
TEST(Proposals, ProposedCountedAndSorted) {
  const char* cases[][2] = {{"12", "12"},  {"100", "100"}, {"1.5", "5"},
                            {"10-3", "3"}, {"12A", "12A"}, {"", ""},
                            {"7", "7"},    {"A12", "12"},  {"1.2.3", "2.3"},
                            {"7-", "7-"},  {"1-", "1-"},   {"-", "-"},
                            {"1--2", "-2"}};
  for (const auto& [sufix, proposal] : cases)
    EXPECT_EQ(proposeProbeNumber(sufix), proposal) << sufix;

  const std::pair<const char*, int> duplicates[] = {
      {"5", 0},   {"1|2|10", 0},    {"10|10", 1},
      {"||", 2},  {"3|3|3|4|4", 3}, {"1|2|1", 0},
      {"a|A", 0}, {"12|012", 0},    {"10|2||12A|1|012||10|12", 0}};
  GridModel grid;
  EXPECT_EQ(countDuplicateProposals(grid), 0);  // not even a title row
  for (const auto& [proposals, count] : duplicates) {
    grid.setRows(1);
    for (const QString& p : QString(proposals).split('|'))
      grid.appendRow("\t\t\t\t\t\t" + p);  // the proposal column
    EXPECT_EQ(countDuplicateProposals(grid), count) << proposals;
  }
  sortByProposal(grid);
  EXPECT_EQ(column(grid, rename_grid::kProposed), "1|2|10|10|012|12|||12A");
  EXPECT_EQ(grid.currentColumn(), rename_grid::kProposed);
  EXPECT_EQ(countDuplicateProposals(grid), 2);
  EXPECT_EQ(duplicateProposalsMessage(12), "12 Duplicate Probe Name(s) Found");
}

// A probe grid with a row for each "prefix number pin" designator: probe
// "P<r>" with data position "10<r>" in row r.
void fillProbeGrid(GridModel& grid, const QStringList& designators) {
  grid.setRows(0);
  grid.appendRow(u"\tProbe #\t\t\t\t\t\t\tRefDes\t\t\t\tPrefix\tNumber\tPin");
  for (int r = 1; r <= designators.size(); ++r) {
    const QStringList d = designators[r - 1].split(' ');
    grid.appendRow(QString("\tP%1\t\t\t\t\t\t\t%2%3-%4\t\t\t10%1\t%2\t%3\t%4")
                       .arg(QString::number(r), d[0], d[1], d[2]));
  }
}

// Every probe row, hidden ones too, the helper columns hidden; the renames
// take each row's data position and proposal, and a data position that
// is no number is reported with its probe.
TEST(RenameGrid, CopiesEveryProbeRowAndGivesItsRename) {
  GridModel probes, grid;
  fillProbeGrid(probes, {"R 1 1", "R 2 1", "R 3 1"});
  probes.setRowHidden(2, true);  // the other surface
  grid.setRows(9);               // whatever was there before goes
  buildRenameGrid(grid, probes);
  EXPECT_EQ(row(grid, 0),
            "Current #|Target RefDes|[Target Prefix]|[Target Sufix]|[Pin]|"
            "[Probe Data Position]|Proposed Probe #");
  ASSERT_TRUE(grid.rows() == 4 && !grid.isRowHidden(2));
  EXPECT_EQ(row(grid, 2), "P2|R2-1|[R]|[2]|[1]|[102]|");
  proposeProbeNumbers(grid);
  EXPECT_EQ(column(grid, rename_grid::kProposed), "1|2|3");
  const std::vector<ProbeRename> renames = probeRenames(grid);
  ASSERT_EQ(renames.size(), 3u);
  EXPECT_EQ(QString::number(renames[1].dataPosition) + renames[1].name, "1022");
  grid.setText(2, rename_grid::kDataPosition, "x7");
  EXPECT_THAT([&] { probeRenames(grid); },
              testing::ThrowsMessage<Error>(
                  testing::AllOf(HasSubstr("Probe P2 "), HasSubstr("\"x7\""))));

  buildRenameGrid(grid, GridModel());  // an empty probe grid: titles only
  proposeProbeNumbers(grid);
  sortByProposal(grid);
  EXPECT_TRUE(grid.rows() == 1 && countDuplicateProposals(grid) == 0 &&
              probeRenames(grid).empty());
}

// The renumbering lists the probes in the order the probe grid's RefDes
// sort shows them.
TEST(RenameGrid, TargetOrderIsTheProbeGridsReferenceOrder) {
  GridModel probes, grid;
  fillProbeGrid(probes, {"C 10 2", "R 1 1", "C 2 10", "C 10 1", "C 2 2"});
  buildRenameGrid(grid, probes);
  sortByTargetReference(grid);
  sortByReference(probes, "Prefix", "Number", "Pin");
  EXPECT_EQ(column(grid, rename_grid::kCurrent),
            column(probes, probe_grid::kProbe));
}

// Data position of each probe, in board order.
std::vector<int> probePositions(const Board& board) {
  std::vector<int> positions;
  for (int i = 0; i < int(board.entities.size()); ++i)
    if (board.entities[size_t(i)].kind == EntityKind::Probe)
      positions.push_back(i);
  return positions;
}

// A document that does not know "REFNAME" learns it.
TEST(ApplyProbeNames, RegistersRefNameWhenTheDocumentDoesNotKnowIt) {
  BoardDocument doc(boardWithProbesOn({{"1", "TP4", "1", Side::Top, false}}));
  ASSERT_EQ(doc.lookUpKeyword("REFNAME"), 0);
  const int at = probePositions(doc.board())[0];
  applyProbeNames(doc, {{at, "4"}});
  const Attribute& a = doc.board().entities[size_t(at)].attributes.back();
  EXPECT_EQ(a.keyword, doc.lookUpKeyword("REFNAME"));
  EXPECT_EQ(a.value, "4");
}

// The message of the Error that writing throws, or "written".
std::string written(BoardDocument& doc, const std::vector<ProbeRename>& renames,
                    const QString& file) {
  try {
    writeRenumberedDocument(doc, renames, file, *compressionForName(file));
  } catch (const Error& e) {
    return e.what();
  }
  return "written";
}

// Only once the file is written does the renamed copy replace the
// document. The probes renamed are those of the first visible PCB file; a
// position that is no probe of it (a pin, out of range, a probe of the
// hidden PCB file before it) is refused by number, and a failed write
// names the file: then nothing is written or changed. Names and "REFNAME"
// agree; display records stay (a probe without one gets a zero record)
// and nothing else changes.
TEST(WriteRenumbered, WritesTheRenamedDocumentOrNothing) {
  const QTemporaryDir dir(QDir::tempPath() + "/renumber test XXXXXX");
  Board before = boardWithProbesOn(
      {{"1", "TP12"}, {"2", "TP3"}, {"3", "TP7", "1", Side::Top, false}});
  const std::vector<int> at = probePositions(before);
  const int other = int(before.entities.size());
  before.files.insert(before.files.begin(), {2, "hidden", true, false, 8, 0});
  before.files.push_back({3, "second", true, true, 9, 0});
  before.entities.push_back(before.entities[size_t(at[0])]);
  before.entities.back().file = 2;
  ASSERT_EQ(before.entities[1].kind, EntityKind::Pin);
  BoardDocument doc(before);
  const QString file = dir.filePath("board.vd");
  for (int position : {1, -1, other + 1, other})
    EXPECT_THAT(written(doc, {{at[0], "12"}, {position, "3"}}, file),
                HasSubstr("position " + std::to_string(position) + " "));
  EXPECT_FALSE(QFile::exists(file));
  const QString missing = dir.filePath("missing folder/board.vd");
  EXPECT_THAT(written(doc, {{at[0], "12"}}, missing),
              HasSubstr(missing.toStdString()));
  EXPECT_EQ(doc.board(), before);
  EXPECT_EQ(findPcbSelectArgument(BoardDocument()), 0);  // no PCB file

  const QString packed = dir.filePath("new board.vdz");
  ASSERT_EQ(written(doc, {{at[0], "12"}, {at[1], "3"}, {at[2], "7"}}, packed),
            "written");
  QFile bytes(packed);
  ASSERT_TRUE(bytes.open(QIODevice::ReadOnly));
  EXPECT_EQ(bytes.read(2), "\x1f\x8b");
  EXPECT_EQ(readBoard(packed), doc.board());
  Board restored = doc.board();
  for (int i = 0; i < 3; ++i) {
    Entity& e = restored.entities[size_t(at[i])];
    const Attribute* a = e.attribute(restored.keywordIndex("REFNAME"));
    ASSERT_NE(a, nullptr) << i;
    EXPECT_EQ(a->value + '|' + e.name, QString("12|12 3|3 7|7").split(' ')[i]);
    EXPECT_EQ(a->display, i < 2 ? displayFor(i) : DisplayRecord{});
    e.name = before.entities[size_t(at[i])].name;
    e.attributes = before.entities[size_t(at[i])].attributes;
  }
  EXPECT_EQ(restored, before);
}

}  // namespace
