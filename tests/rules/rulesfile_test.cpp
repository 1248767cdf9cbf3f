// The rules file: what the reader accepts, what the writer produces, where
// the file is looked for, and failures in the user's terms.

#include "rulesfile.h"
#include "error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace lw {
namespace {

// "visible sortKey [name]" per column rule, then "/" and "[entry]" per
// sort entry.
std::string text(const Rules& rules) {
  QString text;
  for (const ColumnRule& c : rules.columns)
    text += c.visible + ' ' + c.sortKey + " [" + c.name + "] ";
  text += '/';
  for (const QString& entry : rules.sortOrder) text += " [" + entry + ']';
  return text.toStdString();
}

// Lines end in CR LF (the golden file below), LF or CR.
TEST(RulesFile, ReadsPositionalLines) {
  const char* cases[][2] = {
      // file, then rules
      // Markers in any case; flags one character of any value; the
      // separators unchecked; the name kept but for trailing blanks.
      {".COLUMNGRID 0 1 X\n.columngrid x y N N", "0 1 [X] x y [N N] /"},
      {".sortorder a\n.SORTORDER b\n", "/ [a] [b]"},
      {".ColumnGrid_1_0_P\n.ColumnGrid 1 0  P  Q \n", "1 0 [P] 1 0 [ P  Q] /"},
      // Blanks around a line are trimmed, tabs are not.
      {"   .SortOrder X Loc   \n.SortOrder Y\t\n", "/ [X Loc] [Y\t]"},
      {"\t.SortOrder X Loc\n\t.ColumnGrid 1 0 Pin\n", "/"},
      // Short and other lines are ignored; sort entries start at 12.
      {".columngrid\n.ColumnGrid 1\n.ColumnGrid 1 0 \n.ColumnGrid 1 0 P",
       "1 0 [P] /"},
      {".SortOrder\n.SortOrder \n.sortorderX\n.SortOrderXWired", "/ [Wired]"},
      {"Something else\n\n12/31/99\n.Column 1 0 Wired\n", "/"},
      {".SortOrder A\r.SortOrder B\r", "/ [A] [B]"},
      // Bytes are Latin-1.
      {".ColumnGrid 1 0 R\xe9sistance\r\n", "1 0 [R\xc3\xa9sistance] /"},
      {"", "/"}};
  for (const auto& [file, rules] : cases)
    EXPECT_EQ(text(parseRules(file)), rules) << file;
}

// The date line is written in the C locale, whatever the user's.
TEST(RulesFile, GoldenAndShippedFiles) {
  QFile file(RULES_DATA "/sample.rules");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray golden = file.readAll();
  const Rules rules = parseRules(golden);
  EXPECT_EQ(text(rules),
            "1 0 [Wired] 1 1 [Probe #] 0 0 [Net Name] x 0 [Tester Resource] "
            "1 0 [R\xc3\xa9sistance] / [Probe #] [RefDes] [Net Name]");
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  const QByteArray written = serializeRules(rules, QDate(2024, 12, 6));
  QLocale::setDefault(QLocale::c());
  EXPECT_EQ(written, golden);

  // The shipped file sorts nothing and lists every fixed column.
  const Rules shipped =
      readRulesFile(LW_SOURCE_ROOT "/src/rules/default.rules");
  EXPECT_TRUE(shipped.sortOrder.isEmpty());
  ASSERT_EQ(shipped.columns.size(), 15u);
  for (const ColumnRule& c : shipped.columns) EXPECT_EQ(c.sortKey, "0");
}

// Beyond Latin-1, line breaks (which could smuggle in a line of their
// own) and trailing blanks cannot be read back. A flag is one character,
// "0" for none.
TEST(RulesFile, NamesThatCannotReadBackAreLeftOutAndListed) {
  const QString cjk = QString::fromUtf8("\u62b5\u6297");
  Rules rules;
  for (const QString& name :
       {QString("Wired"), cjk, QString("two\nlines"), QString("trailing "),
        QString("A\r\n.SortOrder Wired")})
    rules.columns.push_back({"1", "0", name});
  rules.columns.push_back({"", "yes", "Flags"});
  rules.sortOrder = {cjk, "Pin", "crlf\r"};
  QStringList leftOut;
  const Rules back =
      parseRules(serializeRules(rules, QDate(2024, 1, 2), &leftOut));
  EXPECT_EQ(leftOut, (QStringList{cjk, "two\nlines", "trailing ",
                                  "A\r\n.SortOrder Wired", "crlf\r"}));
  EXPECT_EQ(text(back), "1 0 [Wired] 0 y [Flags] / [Pin]");
}

class Locations : public testing::Test {
 protected:
  void put(const QString& path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  QTemporaryDir dir{QDir::tempPath() + "/rules locations XXXXXX"};
  RulesFileLocations files{dir.filePath("user dir/default.rules"),
                           dir.filePath("app dir/default.rules")};
  const QDate date{2024, 12, 6};
};

// The user's file first, then the shipped one, else none; a folder named
// like the file is no file, and empty paths find nothing. Writing creates
// the folder and replaces the file; failures name it.
TEST_F(Locations, WhereTheFileIsAndFailuresNamingIt) {
  EXPECT_EQ(files.readable(), QString());
  EXPECT_FALSE(files.available());
  QDir().mkpath(files.user);
  put(files.shipped);
  EXPECT_EQ(files.readable(), files.shipped);
  EXPECT_TRUE(files.available());
  QDir(dir.filePath("user dir")).removeRecursively();
  writeRulesFile(files.user, {{{"1", "0", "Wired"}}, {"Wired"}}, date);
  writeRulesFile(files.user, {}, date);
  EXPECT_EQ(files.readable(), files.user);
  EXPECT_EQ(text(readRulesFile(files.user)), "/");
  EXPECT_EQ(RulesFileLocations{}.readable(), QString());

  using testing::HasSubstr, testing::ThrowsMessage;
  put(dir.filePath("blocker"));  // root ignores permissions; a file does not
  const QString below = dir.filePath("blocker/default.rules");
  EXPECT_THAT([&] { writeRulesFile(below, {}, date); },
              ThrowsMessage<Error>(HasSubstr(below.toStdString())));
  QFile::remove(files.user);
  EXPECT_THAT([&] { readRulesFile(files.user); },
              ThrowsMessage<Error>(HasSubstr(files.user.toStdString())));
  EXPECT_THROW(writeRulesFile(dir.filePath("app dir"), {}, date), Error);
  EXPECT_THROW(writeRulesFile(QString(), {}, date), Error);
}

}  // namespace
}  // namespace lw
