// The format in memory: parse(serialize(board)) == board, serialization is
// deterministic, and omitted keys read as their documented defaults.

#include "boardio.h"
#include "format_sample.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lw {
namespace {

std::string_view view(const QByteArray& bytes) {
  return {bytes.constData(), std::size_t(bytes.size())};
}

Board parse(const std::string& json) {
  return parseBoard(json, QStringLiteral("test.vd"));
}

TEST(FormatRoundTrip, EveryFieldSurvives) {
  const Board board = test::sampleBoard();
  const QByteArray json = serializeBoard(board);
  const Board read = parseBoard(view(json), QStringLiteral("sample"));
  EXPECT_EQ(read, board);
  // Spot checks that == really covers what the program relies on.
  ASSERT_EQ(read.entities.size(), board.entities.size());
  EXPECT_EQ(read.entities[6].name, board.entities[6].name);
  EXPECT_EQ(read.attributes[2].display, board.attributes[2].display);
  EXPECT_EQ(read.keywordIndex(QStringLiteral("UNUSED_KEYWORD")), 1);
}

TEST(FormatRoundTrip, SerializingIsDeterministic) {
  const Board board = test::sampleBoard();
  const QByteArray first = serializeBoard(board);
  EXPECT_EQ(serializeBoard(board), first);
  EXPECT_EQ(serializeBoard(Board(board)), first);
  EXPECT_EQ(serializeBoard(parseBoard(view(first), QStringLiteral("s"))),
            first);
}

TEST(FormatRoundTrip, OneEntityPerLine) {
  const Board board = test::sampleBoard();
  const QByteArray json = serializeBoard(board);
  int entityLines = 0;
  for (const QByteArray& line : json.split('\n'))
    if (line.startsWith("{\"k\":")) ++entityLines;
  EXPECT_EQ(entityLines, int(board.entities.size()));
}

TEST(FormatRoundTrip, NegativeZeroWritesAsZero) {
  Board board = test::viaBoard(1);
  board.entities[0].x = -0.0;
  const QByteArray json = serializeBoard(board);
  EXPECT_FALSE(json.contains("-0")) << json.toStdString();
  EXPECT_EQ(serializeBoard(parseBoard(view(json), QStringLiteral("s"))), json);
}

// Invalid UTF-16 cannot travel through UTF-8; the file must still open.
TEST(FormatRoundTrip, LoneSurrogatesStillWriteAReadableFile) {
  Board board = test::viaBoard(1);
  board.entities[0].name = QString(QChar(0xD800)) + QStringLiteral("a\"");
  const QByteArray json = serializeBoard(board);
  const Board read = parseBoard(view(json), QStringLiteral("s"));
  EXPECT_EQ(read.entities[0].name, QStringLiteral("\uFFFDa\""));
}

TEST(FormatRoundTrip, OmittedKeysTakeDefaults) {
  const Board b = parse(R"({"format":"loomwright-board","version":1,
    "files":[{"number":3}], "layers":[{"index":4}],
    "entities":[{"k":"via","f":3}]})");
  EXPECT_EQ(b.units, PageUnits::Millimetre);
  EXPECT_EQ(b.keywords, QStringList{QString()});
  BoardFile file;
  file.number = 3;
  EXPECT_EQ(b.files, std::vector<BoardFile>{file});
  Layer layer;
  layer.index = 4;
  EXPECT_EQ(b.layers, std::vector<Layer>{layer});
  ASSERT_EQ(b.entities.size(), 1u);
  Entity expected;
  expected.kind = EntityKind::Via;
  expected.file = 3;
  EXPECT_EQ(b.entities[0], expected);
  EXPECT_TRUE(b.attributes.empty());
}

TEST(FormatRoundTrip, KeyOrderDoesNotMatter) {
  // Version and keywords at the end, attributes before the keyword table:
  // attribute names are still numbered by the table.
  const Board b = parse(R"({"entities":[{"f":1,"a":[["B","b"],["A","a"]],
    "k":"probe"}], "attributes":[["C","c"]], "files":[{"number":1}],
    "keywords":["A","B"], "format":"loomwright-board", "version":1})");
  EXPECT_EQ(b.keywords, (QStringList{QString(), "A", "B", "C"}));
  ASSERT_EQ(b.entities.size(), 1u);
  EXPECT_EQ(b.entities[0].attributes[0].keyword, 2);
  EXPECT_EQ(b.entities[0].attributes[1].keyword, 1);
  EXPECT_EQ(b.attributes[0].keyword, 3);
}

TEST(FormatRoundTrip, UnlistedAttributeNamesJoinTheKeywordsInOrderOfUse) {
  const Board b = parse(R"({"format":"loomwright-board","version":1,
    "keywords":["K"], "files":[{"number":1}],
    "entities":[{"k":"pin","f":1,"c":1,"a":[["Y",""],["K",""]]},
                {"k":"component","f":1,"a":[["X",""],["Y",""]]}]})");
  EXPECT_EQ(b.keywords, (QStringList{QString(), "K", "Y", "X"}));
}

TEST(FormatRoundTrip, EscapedKeysAndStringsAreUnescaped) {
  const Board b = parse(
      "{\"format\":\"loomwright-board\",\"version\":1,"
      "\"files\":[{\"\\u006eumber\":1,\"name\":\"a\\u00e4\\ud83d\\udd0c\"}]}");
  ASSERT_EQ(b.files.size(), 1u);
  EXPECT_EQ(b.files[0].name, QStringLiteral("a\u00e4\U0001F50C"));
}

TEST(FormatRoundTrip, ByteOrderMarkIsSkipped) {
  const Board b = parse(
      "\xEF\xBB\xBF{\"format\":\"loomwright-board\","
      "\"version\":1}");
  EXPECT_TRUE(b.entities.empty());
}

TEST(FormatRoundTrip, ProgressRisesAndEndsAtOne) {
  const Board board = test::viaBoard(20000);
  const QByteArray json = serializeBoard(board);
  std::vector<double> seen;
  parseBoard(view(json), QStringLiteral("s"),
             [&](double f) { seen.push_back(f); });
  ASSERT_GE(seen.size(), 3u);
  for (std::size_t i = 1; i < seen.size(); ++i)
    EXPECT_LT(seen[i - 1], seen[i]) << i;
  EXPECT_GT(seen.front(), 0.0);
  EXPECT_EQ(seen.back(), 1.0);
}

// A board the reader would refuse must not be written: the save would lose
// the user's work to a file that cannot be opened again.
TEST(FormatRoundTrip, BoardsTheReaderRefusesAreNotWritten) {
  struct Case {
    const char* name;
    void (*breakIt)(Board&);
    const char* hint;
  };
  const Case cases[] = {
      {"missing file", [](Board& b) { b.entities[0].file = 99; },
       "entities[0].f: no file has number 99"},
      {"missing layer", [](Board& b) { b.entities[6].layer = 5; },
       "entities[6].l: no layer has index 5"},
      {"pin without component", [](Board& b) { b.entities[2].parent = -1; },
       "entities[2]: a pin needs \"c\""},
      {"pin on a pin", [](Board& b) { b.entities[2].parent = 3; },
       "entities[2].c: entity 3 is not a component"},
      {"component on a component", [](Board& b) { b.entities[1].parent = 1; },
       "entities[1].c: only pins belong to a component"},
      {"duplicate file", [](Board& b) { b.files[2].number = 1; },
       "files[2].number: file number 1 repeated"},
      {"duplicate layer", [](Board& b) { b.layers[3].index = 9; },
       "layers[3].index: layer index 9 repeated"},
      {"negative size", [](Board& b) { b.entities[4].height = -1; },
       "entities[4].h: a size must not be negative"},
      {"nan", [](Board& b) { b.entities[4].x = std::nan(""); },
       "entities[4].x: not a finite number"},
      {"infinite outline",
       [](Board& b) { b.entities[0].outline[1].ry() = 1e308 * 10; },
       "entities[0].o[3]: not a finite number"},
      {"display nan",
       [](Board& b) { b.attributes[0].display.reals[4] = std::nan(""); },
       "attributes[0][2][4]: not a finite number"},
      {"unknown keyword",
       [](Board& b) { b.entities[5].attributes[1].keyword = 77; },
       "entities[5].a[1][0]: no keyword has index 77"},
      {"empty keyword", [](Board& b) { b.keywords.append(QString()); },
       ": empty keyword"},
      {"keyword in the unused slot", [](Board& b) { b.keywords[0] = "X"; },
       "keywords: the unused first slot holds \"X\""},
      {"duplicate keyword", [](Board& b) { b.keywords.append("NETNAME"); },
       "keyword \"NETNAME\" repeated"},
      {"rotation", [](Board& b) { b.files[0].rotation = 45; },
       "files[0].rotation: 45 is not 0, 90, 180 or 270"},
      {"kind", [](Board& b) { b.entities[0].kind = EntityKind(11); },
       "entities[0].k: unknown kind code 11"},
      {"units", [](Board& b) { b.units = PageUnits(5); },
       "units: unknown units code 5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Board board = test::sampleBoard();
    c.breakIt(board);
    try {
      serializeBoard(board);
      ADD_FAILURE() << "written";
    } catch (const Error& e) {
      EXPECT_NE(e.message().indexOf(QString::fromUtf8(c.hint)), -1)
          << e.message().toStdString();
    }
  }
}

}  // namespace
}  // namespace lw
