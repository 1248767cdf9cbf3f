// The renumbering rules on their own: proposals, duplicates, the rename
// grid, the name-to-format rule and the renamed document.

#include "gridtexts.h"
#include "renamegrid.h"
#include "renumberboard.h"
#include "renumberdocument.h"

#include "probetable.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace lw;
using namespace lw::test;

namespace {

struct ProposalCase {
  const char* sufix;
  const char* proposal;
};

class Proposal : public testing::TestWithParam<ProposalCase> {};

TEST_P(Proposal, TakesWhatFollowsTheFirstNonDigit) {
  EXPECT_EQ(proposeProbeNumber(QString::fromUtf8(GetParam().sufix)),
            QString::fromUtf8(GetParam().proposal));
}

INSTANTIATE_TEST_SUITE_P(
    Sufixes, Proposal,
    testing::Values(ProposalCase{"12", "12"}, ProposalCase{"100", "100"},
                    ProposalCase{"1.5", "5"}, ProposalCase{"10-3", "3"},
                    ProposalCase{"12A", "12A"}, ProposalCase{"", ""},
                    ProposalCase{"7", "7"}, ProposalCase{"A12", "12"},
                    ProposalCase{"1.2.3", "2.3"}, ProposalCase{"7-", "7-"},
                    ProposalCase{"1-", "1-"}, ProposalCase{"-", "-"},
                    ProposalCase{"1--2", "-2"}));

// A rename grid whose proposal column holds `proposals`, other cells empty.
void fillProposals(GridModel& grid, const QStringList& proposals) {
  grid.setColumns(rename_grid::kColumns);
  grid.setRows(int(proposals.size()) + 1);
  grid.setText(0, rename_grid::kProposed, QStringLiteral("Proposed Probe #"));
  for (int i = 0; i < proposals.size(); ++i)
    grid.setText(i + 1, rename_grid::kProposed, proposals[i]);
}

struct DuplicateCase {
  QStringList proposals;  // already in grid order
  int count;
};

class Duplicates : public testing::TestWithParam<DuplicateCase> {};

TEST_P(Duplicates, CountsNeighboursOnly) {
  GridModel grid;
  fillProposals(grid, GetParam().proposals);
  EXPECT_EQ(countDuplicateProposals(grid), GetParam().count);
}

INSTANTIATE_TEST_SUITE_P(
    Grids, Duplicates,
    testing::Values(DuplicateCase{{}, 0}, DuplicateCase{{"5"}, 0},
                    DuplicateCase{{"1", "2", "10"}, 0},
                    DuplicateCase{{"10", "10"}, 1},
                    DuplicateCase{{"", "", ""}, 2},
                    DuplicateCase{{"3", "3", "3", "4", "4"}, 3},
                    DuplicateCase{{"1", "2", "1"}, 0},
                    DuplicateCase{{"a", "A"}, 0},
                    DuplicateCase{{"12", "012"}, 0}));

TEST(Duplicates, WithoutAnyRowsTheCountIsZero) {
  GridModel grid;
  EXPECT_EQ(countDuplicateProposals(grid), 0);
}

TEST(Duplicates, MessageStartsWithTheCount) {
  EXPECT_EQ(duplicateProposalsMessage(1),
            QString("1 Duplicate Probe Name(s) Found"));
  EXPECT_EQ(duplicateProposalsMessage(12),
            QString("12 Duplicate Probe Name(s) Found"));
}

TEST(SortByProposal, NumbersByValueThenTextsWithEqualTextsTogether) {
  GridModel grid;
  fillProposals(grid, {"10", "2", "", "12A", "1", "012", "", "10", "12"});
  sortByProposal(grid);
  EXPECT_EQ(columnTexts(grid, rename_grid::kProposed),
            (QStringList{"1", "2", "10", "10", "012", "12", "", "", "12A"}));
  EXPECT_EQ(grid.currentColumn(), rename_grid::kProposed);
  EXPECT_EQ(countDuplicateProposals(grid), 2);
}

// A probe grid of `rows` probes: row r has name "P<r>", RefDes "R<r>-1",
// prefix "R", number "<r>", pin "1", data position "<100 + r>".
void fillProbeGrid(GridModel& grid, int rows) {
  grid.setColumns(probe_grid::kFirstAttribute + 1);
  grid.setRows(rows + 1);
  grid.setText(0, probe_grid::kProbe, QStringLiteral("Probe #"));
  for (int r = 1; r <= rows; ++r) {
    const QString n = QString::number(r);
    grid.setText(r, probe_grid::kProbe, "P" + n);
    grid.setText(r, probe_grid::kRefDes, "R" + n + "-1");
    grid.setText(r, probe_grid::kPrefix, "R");
    grid.setText(r, probe_grid::kNumber, n);
    grid.setText(r, probe_grid::kPin, "1");
    grid.setText(r, probe_grid::kDataPosition, QString::number(100 + r));
    grid.setText(r, probe_grid::kSurface, r % 2 ? "T" : "B");
    grid.setText(r, probe_grid::kFirstAttribute, "attribute");
  }
}

TEST(RenameGrid, CopiesEveryProbeRowWithItsHelperColumnsHidden) {
  GridModel probes;
  fillProbeGrid(probes, 3);
  probes.setRowHidden(2, true);  // the other surface
  GridModel grid;
  grid.setRows(9);  // whatever was there before goes
  buildRenameGrid(grid, probes);

  ASSERT_EQ(grid.rows(), 4);
  ASSERT_EQ(grid.columns(), rename_grid::kColumns);
  QStringList titles;
  for (int c = 0; c < grid.columns(); ++c) titles << grid.text(0, c);
  EXPECT_EQ(titles, (QStringList{"Current #", "Target RefDes", "Target Prefix",
                                 "Target Sufix", "Pin", "Probe Data Position",
                                 "Proposed Probe #"}));
  const QStringList row2{"P2", "R2-1", "R", "2", "1", "102", ""};
  for (int c = 0; c < grid.columns(); ++c)
    EXPECT_EQ(grid.text(2, c), row2[c]) << c;
  for (int c = 0; c < grid.columns(); ++c)
    EXPECT_EQ(grid.isColumnHidden(c), c >= 2 && c <= 5) << c;
  for (int r = 1; r < grid.rows(); ++r) EXPECT_FALSE(grid.isRowHidden(r));
}

TEST(RenameGrid, EmptyProbeGridGivesTitlesOnly) {
  GridModel probes;
  GridModel grid;
  buildRenameGrid(grid, probes);
  EXPECT_EQ(grid.rows(), 1);
  EXPECT_EQ(grid.text(0, rename_grid::kProposed), QString("Proposed Probe #"));
  proposeProbeNumbers(grid);
  sortByProposal(grid);
  EXPECT_EQ(countDuplicateProposals(grid), 0);
  EXPECT_TRUE(probeRenames(grid).empty());
}

TEST(RenameGrid, TargetReferenceOrderIsPrefixNumberPin) {
  GridModel grid;
  grid.setColumns(rename_grid::kColumns);
  grid.appendRow(
      u"Current #\tTarget RefDes\tTarget Prefix\tTarget Sufix\tPin\t"
      u"Probe Data Position\tProposed Probe #");
  for (const char16_t* row :
       {u"1\tC10-2\tC\t10\t2", u"2\tR1-1\tR\t1\t1", u"3\tC2-10\tC\t2\t10",
        u"4\tC10-1\tC\t10\t1", u"5\tC2-1\tC\t2\t1", u"6\tC2-2\tC\t2\t2"})
    grid.appendRow(row);
  sortByTargetReference(grid);
  EXPECT_EQ(columnTexts(grid, rename_grid::kTargetRefDes),
            (QStringList{"C2-1", "C2-2", "C2-10", "C10-1", "C10-2", "R1-1"}));
}

TEST(RenameGrid, RenamesTakeDataPositionAndProposal) {
  GridModel probes;
  fillProbeGrid(probes, 2);
  GridModel grid;
  buildRenameGrid(grid, probes);
  proposeProbeNumbers(grid);
  const std::vector<ProbeRename> renames = probeRenames(grid);
  ASSERT_EQ(renames.size(), 2u);
  EXPECT_EQ(renames[1].dataPosition, 102);
  EXPECT_EQ(renames[1].name, QString("2"));
}

TEST(RenameGrid, ADataPositionThatIsNoNumberIsReported) {
  GridModel probes;
  fillProbeGrid(probes, 2);
  probes.setText(2, probe_grid::kDataPosition, "x7");
  GridModel grid;
  buildRenameGrid(grid, probes);
  try {
    probeRenames(grid);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_TRUE(e.message().contains("P2")) << e.what();
    EXPECT_TRUE(e.message().contains("x7")) << e.what();
  }
}

struct NameCase {
  const char* name;
  std::optional<Compression> compression;
};

class SaveName : public testing::TestWithParam<NameCase> {};

TEST_P(SaveName, OnlyVdOrVdzAfterTheLastDot) {
  EXPECT_EQ(compressionForName(QString::fromUtf8(GetParam().name)),
            GetParam().compression);
}

INSTANTIATE_TEST_SUITE_P(
    Names, SaveName,
    testing::Values(NameCase{"board.vd", Compression::None},
                    NameCase{"board.Vd", Compression::None},
                    NameCase{"/tmp/x/board.VD", Compression::None},
                    NameCase{"board.vdz", Compression::Gzip},
                    NameCase{"board.VDZ", Compression::Gzip},
                    NameCase{"board.vDz", Compression::Gzip},
                    NameCase{"board.txt.vd", Compression::None},
                    NameCase{"board", std::nullopt},
                    NameCase{"board.txt", std::nullopt},
                    NameCase{"board.vd.txt", std::nullopt},
                    NameCase{"board.", std::nullopt},
                    NameCase{"board.vdx", std::nullopt},
                    NameCase{"board.vd ", std::nullopt},
                    NameCase{"/tmp/a.b/board", std::nullopt},
                    NameCase{"/tmp/a.vd/board", std::nullopt},
                    NameCase{"C:\\a.b\\board", std::nullopt},
                    NameCase{"vd", std::nullopt}, NameCase{"", std::nullopt}));

TEST(FindPcbSelectArgument, FirstVisiblePcbFileInFileOrder) {
  Board board;
  board.files = {{1, "panel", false, true, 3, 0},
                 {2, "hidden pcb", true, false, 4, 0},
                 {3, "pcb", true, true, 7, 0},
                 {4, "second pcb", true, true, 9, 0}};
  EXPECT_EQ(findPcbSelectArgument(BoardDocument(board)), 7);
  board.files.erase(board.files.begin() + 2, board.files.end());
  EXPECT_EQ(findPcbSelectArgument(BoardDocument(board)), 0);
  EXPECT_EQ(findPcbSelectArgument(BoardDocument()), 0);
}

// Data position of each probe, in board order.
std::vector<int> probePositions(const Board& board) {
  std::vector<int> positions;
  for (int i = 0; i < int(board.entities.size()); ++i)
    if (board.entities[size_t(i)].kind == EntityKind::Probe)
      positions.push_back(i);
  return positions;
}

const Attribute* refName(const Board& board, int position) {
  return board.entities[size_t(position)].attribute(
      board.keywordIndex("REFNAME"));
}

TEST(ApplyProbeNames, NameAndRefNameAgreeAndDisplayRecordsStay) {
  const Board before = boardWithProbesOn(
      {{"1", "TP12"}, {"2", "TP3"}, {"3", "TP7", "1", Side::Top, false}});
  BoardDocument doc(before);
  const std::vector<int> at = probePositions(before);
  applyProbeNames(doc, {{at[0], "12"}, {at[1], "3"}, {at[2], "7"}});

  const Board& after = doc.board();
  const QStringList names{"12", "3", "7"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(after.entities[size_t(at[i])].name, names[i]);
    const Attribute* a = refName(after, at[i]);
    ASSERT_NE(a, nullptr) << i;
    EXPECT_EQ(a->value, names[i]);
  }
  EXPECT_EQ(refName(after, at[0])->display, displayFor(0));
  EXPECT_EQ(refName(after, at[1])->display, displayFor(1));
  EXPECT_TRUE(refName(after, at[2])->display.isZero());  // it had none

  // Nothing else moved: put the old names and values back and compare.
  Board restored = after;
  for (int i = 0; i < 3; ++i) {
    Entity& e = restored.entities[size_t(at[i])];
    e.name = before.entities[size_t(at[i])].name;
    e.attributes = before.entities[size_t(at[i])].attributes;
  }
  EXPECT_EQ(restored, before);
}

TEST(ApplyProbeNames, RegistersRefNameWhenTheDocumentDoesNotKnowIt) {
  BoardDocument doc(boardWithProbesOn({{"1", "TP4", "1", Side::Top, false}}));
  ASSERT_EQ(doc.lookUpKeyword("REFNAME"), 0);
  const int at = probePositions(doc.board())[0];
  applyProbeNames(doc, {{at, "4"}});
  ASSERT_GT(doc.lookUpKeyword("REFNAME"), 0);
  EXPECT_EQ(refName(doc.board(), at)->value, QString("4"));
}

TEST(ApplyProbeNames, APositionThatIsNoProbeOfThePcbFileIsRefused) {
  Board board = boardWithProbesOn({{"1", "TP4"}, {"2", "TP5"}});
  board.files.push_back({2, "other", true, false, 8, 0});
  const int other = int(board.entities.size());
  board.entities.push_back(board.entities[size_t(probePositions(board)[0])]);
  board.entities.back().file = 2;
  const int pin = 1;  // the first component's pin
  ASSERT_EQ(board.entities[pin].kind, EntityKind::Pin);

  for (int position : {pin, -1, int(board.entities.size()), other}) {
    BoardDocument doc(board);
    try {
      applyProbeNames(doc, {{position, "99"}});
      ADD_FAILURE() << "renamed position " << position;
    } catch (const Error& e) {
      EXPECT_TRUE(e.message().contains(QString::number(position))) << e.what();
    }
  }
}

class WriteRenumbered : public testing::Test {
 protected:
  QString path(const QString& name) const { return mDir.filePath(name); }
  QTemporaryDir mDir{QDir::tempPath() + "/renumber test XXXXXX"};
};

QByteArray headOf(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.read(2) : QByteArray();
}

TEST_F(WriteRenumbered, WritesTheRenamedDocumentAndKeepsIt) {
  const Board before = boardWithProbesOn({{"1", "TP12"}, {"2", "TP3"}});
  BoardDocument doc(before);
  const std::vector<int> at = probePositions(before);
  const QString file = path("new board.vdz");
  writeRenumberedDocument(doc, {{at[0], "12"}, {at[1], "3"}}, file,
                          Compression::Gzip);
  EXPECT_EQ(headOf(file), QByteArray("\x1f\x8b"));
  EXPECT_EQ(readBoard(file), doc.board());
  EXPECT_EQ(doc.board().entities[size_t(at[0])].name, QString("12"));
  EXPECT_NE(doc.board(), before);
}

TEST_F(WriteRenumbered, AFailedWriteLeavesTheDocumentAsItWas) {
  const Board before = boardWithProbesOn({{"1", "TP12"}});
  BoardDocument doc(before);
  const QString file = path("missing folder/board.vd");
  try {
    writeRenumberedDocument(doc, {{probePositions(before)[0], "12"}}, file,
                            Compression::None);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_TRUE(e.message().contains(file)) << e.what();
  }
  EXPECT_EQ(doc.board(), before);
}

TEST_F(WriteRenumbered, AFailedRenameWritesNothing) {
  const Board before = boardWithProbesOn({{"1", "TP12"}, {"2", "TP3"}});
  BoardDocument doc(before);
  const QString file = path("board.vd");
  EXPECT_THROW(writeRenumberedDocument(
                   doc, {{probePositions(before)[0], "12"}, {0, "3"}}, file,
                   Compression::None),
               Error);
  EXPECT_FALSE(QFile::exists(file));
  EXPECT_EQ(doc.board(), before);
}

}  // namespace
