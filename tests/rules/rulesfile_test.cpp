// The rules file: what the reader accepts, what the writer produces, where
// the file is looked for, and failures in the user's terms.

#include "rulesfile.h"
#include "error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lw {

bool operator==(const ColumnRule& a, const ColumnRule& b) {
  return a.visible == b.visible && a.sortKey == b.sortKey && a.name == b.name;
}

void PrintTo(const ColumnRule& c, std::ostream* os) {
  *os << '{' << c.visible.toStdString() << ',' << c.sortKey.toStdString() << ','
      << c.name.toStdString() << '}';
}

namespace {

QByteArray readBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& data) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(data);
}

struct ParseCase {
  const char* name;
  QByteArray text;
  std::vector<ColumnRule> columns;
  QStringList sortOrder;
};

class Parse : public testing::TestWithParam<ParseCase> {};

TEST_P(Parse, ReadsPositionalLines) {
  const Rules rules = parseRules(GetParam().text);
  EXPECT_EQ(rules.columns, GetParam().columns);
  EXPECT_EQ(rules.sortOrder, GetParam().sortOrder);
}

INSTANTIATE_TEST_SUITE_P(
    RulesFile, Parse,
    testing::Values(
        ParseCase{"Written",
                  ".ColumnGrid 1 0 Probe #\r\n.SortOrder RefDes\r\n",
                  {{"1", "0", "Probe #"}},
                  {"RefDes"}},
        ParseCase{"MarkersAnyCase",
                  ".COLUMNGRID 0 1 X Loc\r\n.columngrid 1 1 Y Loc\r\n"
                  ".sortorder a\r\n.SORTORDER b\r\n",
                  {{"0", "1", "X Loc"}, {"1", "1", "Y Loc"}},
                  {"a", "b"}},
        ParseCase{"FlagsAreOneCharacterAnyValue",
                  ".ColumnGrid x y Net Name\r\n",
                  {{"x", "y", "Net Name"}},
                  {}},
        ParseCase{"SeparatorsNotChecked",
                  ".ColumnGrid_1_0_Pin\r\n",
                  {{"1", "0", "Pin"}},
                  {}},
        ParseCase{"NameKeepsInnerAndLeadingBlanks",
                  ".ColumnGrid 1 0  Probe  Size \r\n",
                  {{"1", "0", " Probe  Size"}},
                  {}},
        ParseCase{
            "BlankIndentRead", "   .SortOrder X Loc   \r\n", {}, {"X Loc"}},
        ParseCase{"TabIndentNotRecognised",
                  "\t.SortOrder X Loc\r\n\t.ColumnGrid 1 0 Pin\r\n",
                  {},
                  {}},
        ParseCase{"TrailingTabKept", ".SortOrder X Loc\t\r\n", {}, {"X Loc\t"}},
        ParseCase{"ShortColumnLinesIgnored",
                  ".columngrid\r\n.ColumnGrid 1\r\n.ColumnGrid 1 0\r\n"
                  ".ColumnGrid 1 0 \r\n.ColumnGrid 1 0 P\r\n",
                  {{"1", "0", "P"}},
                  {}},
        ParseCase{
            "ShortAndEmptySortLinesIgnored",
            ".SortOrder\r\n.SortOrder \r\n.sortorderX\r\n.SortOrder Y\r\n",
            {},
            {"Y"}},
        ParseCase{"SortEntryFromCharacterTwelve",
                  ".SortOrderXWired\r\n",
                  {},
                  {"Wired"}},
        ParseCase{"OtherLinesIgnored",
                  "Something else\r\n\r\n12/31/99\r\n.Column 1 0 Wired\r\n",
                  {},
                  {}},
        ParseCase{"BareLineFeeds",
                  ".ColumnGrid 1 0 Wired\n.SortOrder Wired\n.SortOrder Pin",
                  {{"1", "0", "Wired"}},
                  {"Wired", "Pin"}},
        ParseCase{"BareCarriageReturns",
                  ".SortOrder A\r.SortOrder B\r",
                  {},
                  {"A", "B"}},
        ParseCase{"Latin1Bytes",
                  ".ColumnGrid 1 0 R\xe9sistance\r\n",
                  {{"1", "0", QString::fromUtf8("R\u00e9sistance")}},
                  {}},
        ParseCase{"Empty", "", {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

Rules sampleRules() {
  Rules rules;
  rules.columns = {{"1", "0", "Wired"},
                   {"1", "1", "Probe #"},
                   {"0", "0", "Net Name"},
                   {"x", "0", "Tester Resource"},
                   {"1", "0", QString::fromUtf8("R\u00e9sistance")}};
  rules.sortOrder = {"Probe #", "RefDes", "Net Name"};
  return rules;
}

TEST(RulesFile, WritesTheGoldenLayout) {
  const QByteArray expected = readBytes(RULES_DATA "/sample.rules");
  ASSERT_FALSE(expected.isEmpty());
  EXPECT_EQ(serializeRules(sampleRules(), QDate(2024, 12, 6)), expected);
}

TEST(RulesFile, WrittenFileReadsBackUnchanged) {
  const Rules back =
      parseRules(serializeRules(sampleRules(), QDate(2024, 12, 6)));
  EXPECT_EQ(back.columns, sampleRules().columns);
  EXPECT_EQ(back.sortOrder, sampleRules().sortOrder);
}

TEST(RulesFile, DateDoesNotFollowTheUsersLocale) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  const QByteArray german = serializeRules({}, QDate(2024, 12, 6));
  QLocale::setDefault(saved);
  EXPECT_EQ(german, serializeRules({}, QDate(2024, 12, 6)));
}

TEST(RulesFile, NamesThatCannotReadBackAreLeftOutAndListed) {
  Rules rules;
  const QString cjk = QString::fromUtf8("\u62b5\u6297");
  rules.columns = {{"1", "0", "Wired"},
                   {"1", "0", cjk},
                   {"1", "0", "two\nlines"},
                   {"1", "0", "trailing "},
                   {"0", "0", "Pin"}};
  rules.sortOrder = {cjk, "Pin", "crlf\r"};
  QStringList leftOut;
  const Rules back =
      parseRules(serializeRules(rules, QDate(2024, 1, 2), &leftOut));
  EXPECT_EQ(leftOut, (QStringList{cjk, "two\nlines", "trailing ", "crlf\r"}));
  EXPECT_EQ(back.columns,
            (std::vector<ColumnRule>{{"1", "0", "Wired"}, {"0", "0", "Pin"}}));
  EXPECT_EQ(back.sortOrder, QStringList{"Pin"});
}

TEST(RulesFile, NameCannotSmuggleInASortLine) {
  Rules rules;
  rules.columns = {{"1", "0", "A\r\n.SortOrder Wired"}};
  const Rules back = parseRules(serializeRules(rules, QDate(2024, 1, 2)));
  EXPECT_TRUE(back.sortOrder.isEmpty());
}

class Locations : public testing::Test {
 protected:
  QTemporaryDir dir{QDir::tempPath() + "/rules locations XXXXXX"};
  RulesFileLocations files{dir.filePath("user dir/default.rules"),
                           dir.filePath("app dir/default.rules")};
};

TEST_F(Locations, UsersFileFirstThenShippedThenNone) {
  EXPECT_EQ(files.readable(), QString());
  EXPECT_FALSE(files.available());
  writeBytes(files.shipped, "Loomwright Rules File\r\n");
  EXPECT_EQ(files.readable(), files.shipped);
  EXPECT_TRUE(files.available());
  writeBytes(files.user, "Loomwright Rules File\r\n");
  EXPECT_EQ(files.readable(), files.user);
  QFile::remove(files.shipped);
  EXPECT_EQ(files.readable(), files.user);
}

TEST_F(Locations, AFolderNamedLikeTheFileIsNoFile) {
  QDir().mkpath(files.user);
  writeBytes(files.shipped, "");
  EXPECT_EQ(files.readable(), files.shipped);
}

TEST_F(Locations, EmptyPathsFindNothing) {
  writeBytes(dir.filePath("default.rules"), "");
  EXPECT_EQ(RulesFileLocations{}.readable(), QString());
}

TEST_F(Locations, WriteCreatesTheFolderAndReplacesTheFile) {
  const QString path = dir.filePath("deep/er folder/default.rules");
  writeRulesFile(path, sampleRules(), QDate(2024, 12, 6));
  writeRulesFile(path, {}, QDate(2024, 12, 6));
  EXPECT_TRUE(readRulesFile(path).columns.empty());
}

TEST_F(Locations, WriteFailuresNameTheFile) {
  // Root ignores permissions, so block the folder with a plain file.
  writeBytes(dir.filePath("blocker"), "x");
  const QString below = dir.filePath("blocker/default.rules");
  try {
    writeRulesFile(below, sampleRules(), QDate(2024, 12, 6));
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_TRUE(e.message().contains(QDir::toNativeSeparators(below)))
        << e.message().toStdString();
  }
  const QString folder = dir.filePath("a folder");
  QDir().mkpath(folder);
  EXPECT_THROW(writeRulesFile(folder, {}, QDate(2024, 12, 6)), Error);
  EXPECT_THROW(writeRulesFile(QString(), {}, QDate(2024, 12, 6)), Error);
}

TEST_F(Locations, ReadingAMissingFileNamesIt) {
  try {
    readRulesFile(files.user);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_TRUE(e.message().contains(QDir::toNativeSeparators(files.user)));
  }
}

TEST(ShippedRules, NoSortLinesAndEveryFixedColumn) {
  const Rules rules = readRulesFile(LW_SOURCE_ROOT "/src/rules/default.rules");
  EXPECT_TRUE(rules.sortOrder.isEmpty());
  ASSERT_EQ(rules.columns.size(), 15u);
  for (const ColumnRule& c : rules.columns) EXPECT_EQ(c.sortKey, "0");
}

}  // namespace
}  // namespace lw
