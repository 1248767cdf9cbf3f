// The board format: parse(serialize(board)) == board with the same bytes,
// defaults for omitted keys, refused boards, files on disk (.vd and .vdz,
// recognised by content, saved atomically) and numbers in any locale.

#include "boardio.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <clocale>
#include <csignal>
#include <cstdio>

using namespace lw;

namespace {

// Every field, enum value and attribute feature of the model that the good
// document in tests/data lacks, as the writer lays it out: one entity per
// line, so that documents diff well. Among them an unused keyword, a keyword
// twice on one entity, control characters and other scripts in names and
// values, numbers that are not short decimals, 16-bit extremes, an empty
// file name, negative and equal entity numbers and a layer with index 0.
const QByteArray kSample = R"({"format":"loomwright-board","version":1,
"units":"mil",
"keywords":["UNUSED_KEYWORD","WIRING_ROT","WITH_DISPLAY","NETNAME","DATALINK","NOTE","ラベル"],
"files":[
{"number":1,"name":"Main PCB","pcb":true,"visible":true,"select":1,"rotation":90},
{"number":2,"name":"Panel \"A\"\\B","select":-32768,"rotation":270},
{"number":-7,"pcb":true,"select":32767}
],
"layers":[
{"index":2,"name":"BOTTOM","type":2,"colour":[0,0,255],"visible":false},
{"index":9,"name":"DRILL","type":9},
{"index":0,"name":"Zero","type":-3,"colour":[1,2,3]}
],
"attributes":[
["WIRING_ROT",""],
["WITH_DISPLAY","x",[1.5,-0.25,1e-300,12345.678,0.1,0,0,0,0,0,0,0,0]]
],
"entities":[
{"k":"outline","n":1,"f":1,"o":[0,0,100.5,0,100.5,80,-0.125,80]},
{"k":"component","f":1,"l":2,"sh":"rectangle","w":5,"h":2.5,"r":45,"name":"R1"},
{"k":"pin","n":-3,"f":2,"l":9,"s":"both","sh":"oblong","c":1,"x":0.30000000000000004,"y":-1e-07,"w":2.2250738585072014e-308,"h":1e+21,"name":"1","a":[["NETNAME",""],["DATALINK","3"]]},
{"k":"probe","n":-3,"f":-7,"s":"bottom","sh":"square","x":-3.5,"w":1.27,"r":-90,"name":"P1 äß 测试 🔌","a":[["DATALINK","6"],["WITH_DISPLAY","1",[0,0,0,0,0,1,-1,32767,-32768,0,7,0,42]],["DATALINK","999"],["NOTE","tab\there\nline\u0001 \"q\" \\ /"],["ラベル","é"]]}
]}
)";

const QString kGood = LW_TEST_DATA "/good/small-board.vd";

Board parse(const QByteArray& json) {
  return parseBoard(json.toStdString(), "test.vd");
}

template <class Fn>
QString errorOf(Fn fn) {
  try {
    fn();
  } catch (const Error& e) {
    return e.message();
  }
  return {};
}

QByteArray readBytes(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
  return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) >= 0);
}

TEST(FormatRoundTrip, EveryFieldSurvivesWithTheSameBytes) {
  const Board board = parse(kSample);
  EXPECT_EQ(serializeBoard(board), kSample);
}

// Minus zero is written as 0, and a display record of zeros not at all:
// either would read back as something that gives other bytes. Invalid
// UTF-16 cannot travel through UTF-8; the file must still open.
TEST(FormatRoundTrip, MinusZeroAndLoneSurrogatesStillWriteReadably) {
  Board board = parse(kSample);
  board.entities[2].x = -0.0;
  board.attributes[0].display.reals[4] = -0.0;
  board.entities[2].name = QString(QChar(0xD800)) + "a\"";
  const QByteArray json = serializeBoard(board);
  EXPECT_FALSE(json.contains("-0,")) << json.toStdString();
  EXPECT_EQ(serializeBoard(parse(json)), json);
  EXPECT_EQ(parse(json).entities[2].name, "\uFFFDa\"");
}

// Keys the writer omits read as the model's defaults: the round trips show
// it for files, entities and attributes; the rest is here.
TEST(FormatRead, OmittedKeysTakeDefaults) {
  Board expected;
  expected.layers.emplace_back().index = 4;
  EXPECT_EQ(parse(R"({"format":"loomwright-board","version":1,
    "layers":[{"index":4}]})"),
            expected);
  EXPECT_EQ(expected.units, PageUnits::Millimetre);
}

// The keyword table comes last in the text yet numbers the names first;
// names missing from it join it in order of use. A byte order mark is
// skipped, escapes in keys and strings are read.
TEST(FormatRead, KeywordsNumberAttributeNamesWhereverTheyStand) {
  const Board b = parse(
      "\xEF\xBB\xBF"
      R"({"entities":[{"f":1,"k":"probe","a":[["B",""],["Y",""],["A",""]]},
    {"k":"via","f":1,"a":[["X",""],["Y",""]]}],"attributes":[["C",""]],
    "files":[{"\u006eumber":1,"name":"a\u00e4\ud83d\udd0c"}],
    "keywords":["A","B"],"format":"loomwright-board","version":1})");
  EXPECT_EQ(b.keywords, (QStringList{{}, "A", "B", "Y", "X", "C"}));
  EXPECT_EQ(b.entities[0].attributes[0].keyword, 2);
  EXPECT_EQ(b.attributes[0].keyword, 5);
  EXPECT_EQ(b.files[0].name, "a\u00e4\U0001F50C");
}

// A board the reader would refuse must not be written: the save would lose
// the user's work to a file that cannot be opened again. The rules the
// reader meets in the bad documents are not repeated here.
TEST(FormatWrite, BoardsTheReaderRefusesAreNotWritten) {
  const struct {
    void (*breakIt)(Board&);
    const char* hint;
  } cases[] = {
      {[](Board& b) { b.entities[1].height = -1; },
       "entities[1].h: a size must not be negative"},
      {[](Board& b) { b.entities[2].x = std::nan(""); },
       "entities[2].x: not a finite number"},
      {[](Board& b) { b.entities[0].outline[1].ry() = 1e308 * 10; },
       "entities[0].o[3]: not a finite number"},
      {[](Board& b) { b.attributes[0].display.reals[4] = std::nan(""); },
       "attributes[0][2][4]: not a finite number"},
      {[](Board& b) { b.entities[3].attributes[1].keyword = 77; },
       "entities[3].a[1][0]: no keyword has index 77"},
      {[](Board& b) { b.keywords.append(QString()); }, ": empty keyword"},
      {[](Board& b) { b.keywords[0] = "X"; },
       "keywords: the unused first slot holds \"X\""},
      {[](Board& b) { b.keywords.append("NETNAME"); },
       "keyword \"NETNAME\" repeated"},
      {[](Board& b) { b.entities[0].kind = EntityKind(11); },
       "entities[0].k: unknown kind code 11"},
      {[](Board& b) { b.units = PageUnits(5); }, "units: unknown units code 5"},
  };
  for (const auto& c : cases) {
    Board board = parse(kSample);
    c.breakIt(board);
    const QString message = errorOf([&] { serializeBoard(board); });
    EXPECT_TRUE(message.startsWith("The board cannot be written: "));
    EXPECT_TRUE(message.contains(c.hint)) << message.toStdString();
  }
}

// Corruption anywhere in a real document: each prefix either reads or is
// refused; nothing crashes (the fuzz target goes further).
TEST(FormatRead, EveryPrefixOfAGoodDocumentIsHandled) {
  const std::string good = readBytes(kGood).toStdString();
  for (std::size_t n = 0; n < good.size(); ++n) {
    const QString message = errorOf(
        [&] { parseBoard(std::string_view(good).substr(0, n), "prefix"); });
    // Only the prefix that lacks nothing but the final newline may read.
    // Messages name the source and end as a sentence.
    EXPECT_EQ(
        message.startsWith("Cannot open \"prefix\": ") && message.endsWith('.'),
        n != good.size() - 1)
        << n;
  }
}

TEST(FormatFileName, OnlyVdOrVdzAfterTheLastDotInAnyCase) {
  const std::pair<const char*, std::optional<Compression>> cases[] = {
      {"a b/board.Vd", Compression::None}, {"board.VDZ", Compression::Gzip},
      {"board.txt.vd", Compression::None}, {"board.vd.txt", std::nullopt},
      {"/tmp/a.vd/board", std::nullopt},   {".vd", std::nullopt}};
  for (const auto& [name, compression] : cases)
    EXPECT_EQ(compressionForName(name), compression) << name;
}

class FormatFile : public ::testing::Test {
 protected:
  // Spaces in the folder catch paths passed unquoted somewhere.
  QTemporaryDir mDir{QDir::tempPath() + "/lw format XXXXXX"};
  QString path(const QString& name) const { return mDir.filePath(name); }
  // Saves the sample and expects the message that names the target.
  void expectSaveFails(const QString& target) const {
    const QString message =
        errorOf([&] { writeBoard(parse(kSample), target, Compression::None); });
    EXPECT_TRUE(message.startsWith("Cannot save \"" +
                                   QDir::toNativeSeparators(target) + "\": "))
        << message.toStdString();
  }
};

TEST_F(FormatFile, SavesAreDeterministicAndReadByContentNotName) {
  const Board board = parse(kSample);
  writeBoard(board, path("plain.vdz"), Compression::None);
  EXPECT_EQ(readBytes(path("plain.vdz")), kSample);
  for (const char* name : {"a.vd", "b.vd"})
    writeBoard(board, path(name), Compression::Gzip);
  const QByteArray packed = readBytes(path("a.vd"));
  EXPECT_TRUE(packed.startsWith("\x1f\x8b"));
  EXPECT_EQ(readBytes(path("b.vd")), packed);  // no time stamp, no name
  EXPECT_EQ(readBoard(path("a.vd")), board);
  EXPECT_EQ(readBoard(path("plain.vdz")), board);
}

// zcat prints the text of a .vdz, and reads concatenated gzip members as
// one text; so do we, also around empty members.
TEST_F(FormatFile, VdzIsTheVdTextAndMembersAreReadAsZcatReadsThem) {
  writeBoard(parse(kSample), path("board.vdz"), Compression::Gzip);
  const QByteArray empty = readBytes(LW_TEST_DATA "/bad/empty-gzip.vdz");
  writeBytes(path("joined.vdz"), empty + readBytes(path("board.vdz")) + empty);
  EXPECT_EQ(readBoard(path("joined.vdz")), parse(kSample));
  if (QStandardPaths::findExecutable("gzip").isEmpty()) GTEST_SKIP();
  QProcess gzip;
  gzip.start("gzip", {"-dc", path("board.vdz")});
  ASSERT_TRUE(gzip.waitForFinished());
  EXPECT_EQ(gzip.readAllStandardOutput(), kSample);
}

TEST_F(FormatFile, TheGoodDocumentReadsAndSavesUnchanged) {
  const Board board = readBoard(kGood);
  // The hand-written file is laid out as the writer lays it out.
  EXPECT_EQ(serializeBoard(board), readBytes(kGood));
  // Meanings that a name swapped in both reader and writer would change.
  EXPECT_EQ(board.units, PageUnits::Millimetre);
  QString kinds;  // kind, side and shape codes
  for (const Entity& e : board.entities)
    kinds +=
        QString::number(int(e.kind) * 100 + int(e.side) * 10 + int(e.shape)) +
        ' ';
  EXPECT_EQ(kinds, "1000 302 220 220 120 610 610 910 911 700 800 400 500 ");
}

// Inflating and parsing both report: the fractions still rise to 1.
TEST_F(FormatFile, ProgressOfACompressedFileRisesToOne) {
  Board big = parse(kSample);
  big.entities.assign(30000, Entity(big.entities[0]));
  writeBoard(big, path("big.vdz"), Compression::Gzip);
  std::vector<double> seen;
  readBoard(path("big.vdz"), [&](double f) { seen.push_back(f); });
  ASSERT_GE(seen.size(), 3u);
  for (std::size_t i = 1; i < seen.size(); ++i)
    EXPECT_LT(seen[i - 1], seen[i]) << i;
  EXPECT_EQ(seen.back(), 1.0);
}

// A save replaces the file, also with shorter content, and leaves nothing
// else. A failed save keeps the previous file: when serializing fails, on a
// full disk (a file size limit, which binds root too), in a read-only
// folder; saves onto a folder or into a missing one fail.
TEST_F(FormatFile, SavesReplaceTheFileAndFailedSavesKeepIt) {
  writeBoard(parse(kSample), path("board.vd"), Compression::None);
  const QByteArray previous = serializeBoard(Board());
  writeBoard(Board(), path("board.vd"), Compression::None);
  const auto expectKept = [&] {
    EXPECT_EQ(readBytes(path("board.vd")), previous);
    EXPECT_EQ(QDir(mDir.path()).entryList(QDir::Files),
              QStringList{"board.vd"});
  };
  expectKept();
  Board broken = parse(kSample);
  broken.entities[0].file = 42;
  EXPECT_THROW(writeBoard(broken, path("board.vd"), Compression::Gzip), Error);
  expectKept();

  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 512;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  expectSaveFails(path("board.vd"));
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  expectKept();

  QFile::setPermissions(mDir.path(), QFile::ReadOwner | QFile::ExeOwner);
  QFile probe(path("probe"));
  if (!probe.open(QIODevice::WriteOnly)) expectSaveFails(path("board.vd"));
  probe.remove();  // written anyway when running as root
  QFile::setPermissions(mDir.path(),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  expectKept();

  ASSERT_TRUE(QDir(mDir.path()).mkdir("folder.vd"));
  writeBytes(path("folder.vd/inside"), "keep");
  expectSaveFails(path("folder.vd"));
  EXPECT_EQ(readBytes(path("folder.vd/inside")), "keep");
  expectSaveFails(path("no such folder/board.vd"));
}

// Numbers in documents never follow the C library's locale, which a
// QApplication takes from the environment (de_DE writes "0,1").
TEST_F(FormatFile, GermanNumbersChangeNoByteAndNoMessage) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE";
  char comma[8];
  std::snprintf(comma, sizeof comma, "%.1f", 0.5);
  writeBoard(parse(kSample), path("b.vdz"), Compression::Gzip);
  const Board read = readBoard(path("b.vdz"));
  const QByteArray bytes = serializeBoard(read);
  const QString message = errorOf([] {
    parse(R"({"format":"loomwright-board","version":1,
      "files":[{"number":1234567}],"entities":[{"k":"via","f":7654321}]})");
  });
  std::setlocale(LC_ALL, previous.c_str());
  EXPECT_STREQ(comma, "0,5") << "the locale has no decimal comma";
  EXPECT_EQ(bytes, kSample);
  EXPECT_EQ(read, parse(kSample));
  EXPECT_TRUE(message.contains("number 7654321")) << message.toStdString();
}

}  // namespace
