// The board format: parse(serialize(board)) == board with the same bytes,
// defaults for omitted keys, refused boards, files on disk (.vd and .vdz,
// recognised by content, saved atomically) and numbers in any locale. Every
// file in tests/data/bad is refused with a message that names the file and
// says what is wrong; none crashes, hangs or yields a half-read board.

#include "boardio.h"
#include "savefile.h"
#include "vdformat.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <new>

// The largest block asked of operator new since the last reset.
static std::size_t gLargest = 0;

void* operator new(std::size_t size) {
  if (size > gLargest) gLargest = size;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
// simdjson asks for some blocks this way, and frees them with delete.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (size > gLargest) gLargest = size;
  return std::malloc(size ? size : 1);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

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

// Each file, then after ": " what its message must tell the user.
const QString kCases = R"(
empty.vd: the file is empty
whitespace-only.vd: not valid JSON: parse error at line 3, column 1
not-json.vd: not valid JSON: parse error at line 1
binary.vd: not valid JSON
truncated.vd: unexpected end of input
truncated.vdz: the compressed data ends early
damaged.vdz: the compressed data is damaged
trailing-bytes-after-gzip.vdz: unexpected bytes after the compressed data
empty-gzip.vdz: the compressed document is empty
not-an-object.vd: not a Loomwright board document
wrong-format.vd: not a Loomwright board document ("format" is "other-board")
no-format.vd: not a Loomwright board document (no "format")
future-version.vd: version: the document was written by a newer Loomwright (format version 2
version-zero.vd: version: unknown format version 0
version-not-whole.vd: version: expected a whole number
no-version.vd: version: missing
trailing-content.vd: not valid JSON: parse error at line 11
invalid-utf8.vd: UTF-8
nan.vd: not valid JSON: parse error at line 9
infinite-number.vd: entities[0].x: the number is out of range
int-beyond-32-bit.vd: entities[0].n: 2147483648 is out of range (-2147483648 to 2147483647)
int-beyond-64-bit.vd: entities[0].n: -99999999999999999999 is out of range
display-int-beyond-16-bit.vd: entities[0].a[0][2][5]: 32768 is out of range
display-wrong-length.vd: entities[0].a[0][2]: expected 13 numbers: 5 reals and 8 integers
select-beyond-16-bit.vd: files[0].select: 40000 is out of range
colour-out-of-range.vd: layers[0].colour[1]: 256 is out of range
negative-size.vd: entities[0].w: a size must not be negative
wrong-type-number.vd: entities[0].x: expected a number
wrong-type-string.vd: entities[0].name: expected a string
wrong-type-entity.vd: entities[0]: expected an object
unknown-kind.vd: entities[0].k: unknown kind "vai" (expected via, pin, component,
unknown-shape.vd: entities[0].sh: unknown shape "hexagon"
unknown-side.vd: entities[0].s: unknown side "left"
unknown-units.vd: units: unknown units "furlong"
unknown-key.vd: entities[0]: unknown key "wdth"
repeated-key.vd: entities[0]: key "x" repeated
missing-kind.vd: entities[0]: "k" (the kind) is missing
missing-file-key.vd: entities[0]: "f" (the file) is missing
file-without-number.vd: files[0]: "number" is missing
duplicate-file-number.vd: files[1].number: file number 1 repeated
duplicate-layer-index.vd: layers[1].index: layer index 1 repeated
unknown-file-reference.vd: entities[1].f: no file has number 2
unknown-layer-reference.vd: entities[0].l: no layer has index 7
pin-without-component.vd: entities[0]: a pin needs "c"
pin-on-missing-entity.vd: entities[0].c: there is no entity 5
pin-on-non-component.vd: entities[1].c: entity 0 is not a component
component-on-non-pin.vd: entities[1].c: only pins belong to a component
bad-rotation.vd: files[0].rotation: 45 is not 0, 90, 180 or 270
odd-outline.vd: entities[0].o: expected x and y pairs
empty-keyword.vd: keywords[0]: a keyword must not be empty
duplicate-keyword.vd: keywords[1]: keyword "A" repeated
empty-attribute-name.vd: entities[0].a[0][0]: an attribute name must not be empty
attribute-not-a-pair.vd: entities[0].a[0]: expected [name, value] or [name, value, display]
deeply-nested.vd: entities[0]: expected an object
deeply-nested-unclosed.vd: not valid JSON
zero-byte.vd: not valid JSON: a zero byte at byte offset 2
name-with-field-separator.vd: entities[0].name: the probe name "P<U+0005>X" holds the control character U+0005
)";

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

// Opening path, or saving the sample there ("open" or "save"), fails with a
// message that names the file and contains hint.
void expectFails(const char* verb, const QString& path,
                 const QString& hint = {}) {
  const QString message = errorOf([&] {
    *verb == 's' ? writeBoard(parse(kSample), path, Compression::None)
                 : void(readBoard(path));
  });
  const QString head =
      QString("Cannot %1 \"%2\": ").arg(verb, QDir::toNativeSeparators(path));
  EXPECT_TRUE(message.startsWith(head) && message.contains(hint))
      << message.toStdString() << "\nexpected: " << hint.toStdString();
}

// Minus zero is written as 0, and a display record of zeros not at all:
// either would read back as something that gives other bytes. Invalid
// UTF-16 cannot travel through UTF-8; the file must still open.
TEST(FormatRoundTrip, MinusZeroAndLoneSurrogatesStillWriteReadably) {
  Board board = parse(kSample);
  board.entities[2].x = -0.0;
  board.attributes[0].display.edit().reals[4] = -0.0;
  board.entities[2].name = QString(QChar(0xD800)) + "a\"";
  const QByteArray json = serializeBoard(board);
  EXPECT_FALSE(json.contains("-0,")) << json.toStdString();
  EXPECT_EQ(serializeBoard(parse(json)), json);
  EXPECT_EQ(parse(json).entities[2].name, "\uFFFDa\"");
}

// A large board's entities are checked in parts at once: the problem named
// is still the first in the document.
TEST(FormatWrite, TheFirstProblemOfALargeBoardIsNamed) {
  Board board = parse(kSample);
  board.entities.resize(400'000, board.entities[1]);
  board.entities[390'000].width = -1;
  const auto problem = [&] {
    return errorOf([&] { serializeBoard(board); }).toStdString();
  };
  EXPECT_NE(problem().find("entities[390000].w: a size must not be"),
            std::string::npos);
  board.entities[150'000].file = 99;
  EXPECT_NE(problem().find("entities[150000].f: no file has number 99"),
            std::string::npos);
}

// Texts are pooled a run of entities at a time: every name and value
// still lands on its own entity and attribute, across the runs and slices.
TEST(FormatRoundTrip, ThousandsOfNamesAndValuesComeBackInPlace) {
  Board board = parse(kSample);
  const Entity model = board.entities[2];
  for (int i = 0; i < 2500; ++i) {
    Entity& e = board.entities.emplace_back(model);
    e.name = i % 3 ? QString("E%1").arg(i) : QString();
    for (std::size_t a = 0; a < e.attributes.size(); ++a)
      e.attributes[a].value = QString("V%1").arg(i % (a + 2) ? i : -1);
  }
  const QByteArray json = serializeBoard(board);
  EXPECT_EQ(parse(json), board);
  const vd::PaddedBuffer bytes(json.constData(), std::size_t(json.size()));
  EXPECT_EQ(vd::parseSliced(bytes.data(), bytes.size(), 4096, {}), board);
}

// Keys the writer omits read as the model's defaults: the round trips show
// it for files, entities and attributes; the rest is here. The keyword
// table comes last in the text yet numbers the names first; names missing
// from it join it in order of use. A byte order mark is skipped, escapes in
// keys and strings are read.
TEST(FormatRead, OmittedKeysTakeDefaultsAndKeywordsNumberNamesAnywhere) {
  Board expected;
  expected.layers.emplace_back().index = 4;
  EXPECT_EQ(parse(R"({"format":"loomwright-board","version":1,
    "layers":[{"index":4}]})"),
            expected);
  EXPECT_EQ(expected.units, PageUnits::Millimetre);
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

// Repeated names and values are read into shared text; a later write to
// one entity's copy leaves the others as the file had them.
TEST(FormatRead, SharedTextsNeverChangeTogether) {
  Board b = parse(R"({"format":"loomwright-board","version":1,
    "files":[{"number":1}],"entities":[
    {"k":"via","f":1,"name":"1","a":[["N","GND"]]},
    {"k":"via","f":1,"name":"1","a":[["N","GND"]]},
    {"k":"via","f":1,"name":"\u00e4","a":[["N","\u00e4"]]},
    {"k":"via","f":1,"name":"\u00e4"}]})");
  b.entities[0].name[0] = u'2';
  b.entities[0].attributes[0].value.append(u'!');
  b.entities[2].attributes[0].value[0] = u'o';
  EXPECT_EQ(b.entities[1].name, "1");
  EXPECT_EQ(b.entities[1].attributes[0].value, "GND");
  EXPECT_EQ(b.entities[3].name, "\u00e4");
  EXPECT_EQ(b.entities[0].name + b.entities[0].attributes[0].value, "2GND!");

  // Texts alike in bytes or in length each read back as written.
  const QStringList alike = {"a",       "ab",           "\u00e4", "a\u00e4",
                             "\u00e4a", "\u00e4\u00e4", "aa",     "a\u00e4"};
  QStringList entities;
  for (const QString& name : alike)
    entities += QString(R"({"k":"via","f":1,"name":"%1"})").arg(name);
  const Board many = parse(QString(R"({"format":"loomwright-board",
    "version":1,"files":[{"number":1}],"entities":[%1]})")
                               .arg(entities.join(','))
                               .toUtf8());
  for (qsizetype i = 0; i < alike.size(); ++i)
    EXPECT_EQ(many.entities[std::size_t(i)].name, alike[i]);
}

// A board the reader would refuse must not be written: the save would lose
// the user's work to a file that cannot be opened again. The rules the
// reader meets in the bad documents are not repeated here.
TEST(FormatWrite, BoardsTheReaderRefusesAreNotWritten) {
  const std::pair<void (*)(Board&), const char*> cases[] = {
      {[](Board& b) { b.entities[1].height = -1; },
       "entities[1].h: a size must not be negative"},
      {[](Board& b) { b.entities[2].x = std::nan(""); },
       "entities[2].x: not a finite number"},
      {[](Board& b) { b.entities[0].outline[1].ry() = 1e308 * 10; },
       "entities[0].o[3]: not a finite number"},
      {[](Board& b) { b.attributes[0].display.edit().reals[4] = std::nan(""); },
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
  for (const auto& [breakIt, hint] : cases) {
    Board board = parse(kSample);
    breakIt(board);
    const QString message = errorOf([&] { serializeBoard(board); });
    EXPECT_TRUE(message.startsWith("The board cannot be written: ") &&
                message.contains(hint))
        << message.toStdString();
  }
}

// The hand-written good document is laid out as the writer lays it out.
// Corruption anywhere in it: each prefix either reads or is refused;
// nothing crashes (the fuzz target goes further).
TEST(FormatRead, TheGoodDocumentSavesUnchangedAndEveryPrefixIsHandled) {
  const QByteArray bytes = readBytes(LW_TEST_DATA "/good/small-board.vd");
  const Board board = parse(bytes);
  EXPECT_EQ(serializeBoard(board), bytes);
  // Meanings that a name swapped in both reader and writer would change.
  EXPECT_EQ(board.units, PageUnits::Millimetre);
  QString kinds;  // kind, side and shape codes
  for (const Entity& e : board.entities)
    kinds +=
        QString::asprintf("%d%d%d ", int(e.kind), int(e.side), int(e.shape));
  EXPECT_EQ(kinds, "1000 302 220 220 120 610 610 910 911 700 800 400 500 ");
  for (qsizetype n = 0; n < bytes.size(); ++n) {
    const QString message = errorOf(
        [&] { parseBoard(std::string_view(bytes.constData(), n), "prefix"); });
    // Only the prefix that lacks nothing but the final newline may read.
    // Messages name the source and end as a sentence.
    EXPECT_EQ(
        message.startsWith("Cannot open \"prefix\": ") && message.endsWith('.'),
        n != bytes.size() - 1)
        << n;
  }
}

// Where text stops being JSON is found at the place the user must look,
// after runs of a size no memory would hold twice: blanks, digits, plain
// characters and other scripts in a string.
TEST(FormatRead, ErrorsAfterLongRunsAreLocatedInLittleMemory) {
  const std::size_t n = 4 << 20;
  const std::pair<std::string, std::string> cases[] = {
      {"[" + std::string(n, '\n') + "x]", "line 4194305, column 1:"},
      {"[1" + std::string(n, '0') + " x]", "line 1, column 4194308:"},
      {"[\"\\u00e9" + std::string(n, 'a') +
           QString("\u00e9").repeated(n / 2).toStdString() + "\x01\"]",
       "line 1, column 8388617:"}};
  for (const auto& [text, where] : cases) {
    gLargest = 0;
    const auto message = vd::locateSyntaxError(text.data(), text.size());
    EXPECT_LT(gLargest, std::size_t(1) << 16) << where;
    EXPECT_NE(message.value_or("").find("at " + where), std::string::npos)
        << message.value_or("valid");
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

TEST(FormatFileKind, FirstBytesTellADocumentFromAnotherFile) {
  const std::pair<QByteArrayView, bool> cases[] = {{"{\"format\"", true},
                                                   {" \r\n\t{", true},
                                                   {"\xef\xbb\xbf{", true},
                                                   {"\x1f\x8b\x08", true},
                                                   {"P  UNITS CUST 0", false},
                                                   {"[1, 2]", false},
                                                   {"", false},
                                                   {"   ", false}};
  for (const auto& [head, document] : cases)
    EXPECT_EQ(startsLikeBoardDocument(head), document) << head.data();
}

class FormatFile : public ::testing::Test {
 protected:
  // Spaces in the folder catch paths passed unquoted somewhere.
  QTemporaryDir mDir{QDir::tempPath() + "/lw format XXXXXX"};
  QString path(const QString& name) const { return mDir.filePath(name); }
};

// Every field survives a save with the same bytes, whatever the name asks
// for; a compressed save is the same text for zcat, with no time stamp and
// no name. zcat reads concatenated gzip members as one text and ignores
// zero padding after them; so do we, also around empty members.
TEST_F(FormatFile, SavesAreDeterministicAndReadByContentAsZcatReadsThem) {
  const Board board = parse(kSample);
  writeBoard(board, path("plain.vdz"), Compression::None);
  EXPECT_EQ(readBytes(path("plain.vdz")), kSample);
  EXPECT_EQ(readBoard(path("plain.vdz")), board);
  for (const char* name : {"a.vd", "b.vd"})
    writeBoard(board, path(name), Compression::Gzip);
  const QByteArray packed = readBytes(path("a.vd"));
  EXPECT_EQ(readBytes(path("b.vd")), packed);
  const QByteArray empty = readBytes(LW_TEST_DATA "/bad/empty-gzip.vdz");
  writeBytes(path("joined.vd"), empty + packed + empty + QByteArray(512, 0));
  EXPECT_EQ(readBoard(path("joined.vd")), board);
  QProcess gzip;
  gzip.start("gzip", {"-dc", path("a.vd")});
  if (!gzip.waitForStarted()) GTEST_SKIP() << "no gzip";
  ASSERT_TRUE(gzip.waitForFinished());
  EXPECT_EQ(gzip.readAllStandardOutput(), kSample);
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
// else. A failed save keeps the previous file, leaves no temporary file
// and names the reason: when serializing fails, on a full disk (a file
// size limit, which binds root too), when the disk fails; saves onto a
// folder or a named pipe, or into a missing folder fail.
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
  const rlimit small{512, old.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  expectFails("save", path("board.vd"), "larger than the system allows");
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  expectKept();
  // What only a broken or full disk does, injected: a write failing
  // part-way (after its first piece), the sync and the rename.
  const std::tuple<SaveStep, int, const char*> faults[] = {
      {SaveStep::Write, ENOSPC, "the disk is full."},
      {SaveStep::Sync, EIO, "the disk reported an error (input/output error)."},
      {SaveStep::Rename, EACCES, "Permission denied."}};
  for (const auto& [failing, error, reason] : faults) {
    setSaveFaultHook([&](SaveStep step, qint64 written) {
      return step == failing && (step != SaveStep::Write || written) ? error
                                                                     : 0;
    });
    const QString message = errorOf(
        [&] { writeFileAtomically(path("board.vd"), QByteArray(3 << 20, 0)); });
    setSaveFaultHook({});
    EXPECT_TRUE(message.endsWith("board.vd\": " + QString(reason)))
        << message.toStdString();
    expectKept();
  }

  ASSERT_TRUE(QDir(mDir.path()).mkdir("folder.vd"));
  writeBytes(path("folder.vd/inside"), "keep");
  expectFails("save", path("folder.vd"), "it is a folder");
  EXPECT_EQ(readBytes(path("folder.vd/inside")), "keep");
  ASSERT_EQ(mkfifo(QFile::encodeName(path("pipe.vd")).constData(), 0600), 0);
  expectFails("save", path("pipe.vd"), "it is a named pipe");
  expectFails("save", path("no such folder/board.vd"));
}

// Numbers in documents never follow the C library's locale, which a
// QApplication takes from the environment (de_DE writes "0,1").
TEST(FormatRoundTrip, GermanNumbersChangeNoByteAndNoMessage) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE";
  const char point = *std::localeconv()->decimal_point;
  const QByteArray bytes = serializeBoard(parse(kSample));
  const QString message = errorOf([] {
    parse(R"({"format":"loomwright-board","version":1,
      "files":[{"number":1234567}],"entities":[{"k":"via","f":7654321}]})");
  });
  std::setlocale(LC_ALL, previous.c_str());
  EXPECT_EQ(point, ',') << "the locale has no decimal comma";
  EXPECT_EQ(bytes, kSample);
  EXPECT_TRUE(message.contains("number 7654321")) << message.toStdString();
}

// Every file in tests/data/bad has its row and is refused with its reason;
// so are missing and unreadable files, folders, and files that are not
// regular files: reading a named pipe would wait for a writer for ever, a
// device would never end, and /proc files say they are empty.
TEST_F(FormatFile, EveryBadFileIsRefusedWithItsReason) {
  const QDir bad(LW_TEST_DATA "/bad");
  QStringList names;
  for (const QString& row : kCases.split('\n', Qt::SkipEmptyParts)) {
    names << row.section(": ", 0, 0);
    expectFails("open", bad.filePath(names.last()), row.section(": ", 1));
  }
  names.sort();
  EXPECT_EQ(bad.entryList({"*.vd", "*.vdz"}, QDir::Files), names);
  expectFails("open", path("gone.vd"), "no such file");
  expectFails("open", mDir.path(), "it is a folder");
  ASSERT_EQ(mkfifo(QFile::encodeName(path("pipe.vd")).constData(), 0600), 0);
  expectFails("open", path("pipe.vd"), "it is a named pipe");
  expectFails("open", "/dev/zero", "it is a device");
  expectFails("open", "/proc/self/status", "it is not a regular file");
}

// A file the user may not read is refused, and a save into a folder the
// user may not write fails and keeps the file. Root may do both: ctest
// runs these tests as nobody when started as root (tests/CMakeLists.txt).
TEST_F(FormatFile, FilesTheUserMayNotReadOrWrite) {
  writeBytes(path("locked.vd"), "{}");
  QFile::setPermissions(path("locked.vd"), QFileDevice::Permissions());
  if (QFile(path("locked.vd")).open(QIODevice::ReadOnly))
    GTEST_SKIP() << "privileged: may read and write anything";
  expectFails("open", path("locked.vd"), "Permission denied");
  QFile::setPermissions(mDir.path(), QFile::ReadOwner | QFile::ExeOwner);
  expectFails("save", path("new.vd"), "Permission denied");
  QFile::setPermissions(mDir.path(),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

}  // namespace
