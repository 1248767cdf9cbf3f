// The rules file: what the reader accepts, what the writer produces, where
// the file is looked for, and failures in the user's terms.

#include "rulesfile.h"
#include "error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <functional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace lw {
namespace {

// "visible sortKey [name]" per column rule, then "/" and "[entry]" per
// sort entry, then "!N" per line ignored.
std::string text(const Rules& rules) {
  QString text;
  for (const ColumnRule& c : rules.columns)
    text += QString("%1 %2 [%3] ").arg(c.visible).arg(c.sortKey).arg(c.name);
  text += '/';
  for (const QString& entry : rules.sortOrder) text += " [" + entry + ']';
  for (const QString& line : rules.ignored)
    text += " !" + line.section(' ', 1, 1);
  return text.toStdString();
}

// Lines end in CR LF (the golden file below), LF or CR.
TEST(RulesFile, ReadsPositionalLines) {
  const char* cases[][2] = {
      // file, then rules
      // Markers in any case; flags 0 or 1, else the line is ignored and
      // told; the separators unchecked; the name kept but for trailing
      // blanks.
      {".COLUMNGRID 0 1 X\n.columngrid x 1 N N\n.ColumnGrid 1 - M",
       "0 1 [X] / !2 !3"},
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
            "1 0 [Wired] 1 1 [Probe #] 0 0 [Net Name] 1 0 [R\xc3\xa9sistance] "
            "/ [Probe #] [RefDes] [Net Name]");
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  const QByteArray written = serializeRules(rules, QDate(2024, 12, 6));
  QLocale::setDefault(QLocale::c());
  EXPECT_EQ(written, golden);

  // The shipped file sorts nothing and lists every fixed column.
  const Rules shipped =
      readRulesFile(LW_SOURCE_ROOT "/src/rules/default.rules");
  EXPECT_TRUE(shipped.sortOrder.isEmpty());
  ASSERT_EQ(shipped.columns.size(), 15u);
  for (const ColumnRule& c : shipped.columns) EXPECT_FALSE(c.sortKey);
}

// Beyond Latin-1, line breaks (which could smuggle in a line of their
// own) and trailing blanks cannot be read back.
TEST(RulesFile, NamesThatCannotReadBackAreLeftOutAndListed) {
  const QString cjk = QString::fromUtf8("\u62b5\u6297");
  Rules rules;
  for (const QString& name :
       {QString("Wired"), cjk, QString("two\nlines"), QString("trailing "),
        QString("A\r\n.SortOrder Wired")})
    rules.columns.push_back({true, false, name});
  rules.sortOrder = {cjk, "Pin", "crlf\r"};
  QStringList leftOut;
  const Rules back =
      parseRules(serializeRules(rules, QDate(2024, 1, 2), &leftOut));
  EXPECT_EQ(leftOut, (QStringList{cjk, "two\nlines", "trailing ",
                                  "A\r\n.SortOrder Wired", "crlf\r"}));
  EXPECT_EQ(text(back), "1 0 [Wired] / [Pin]");
}

class Locations : public testing::Test {
 protected:
  void put(const QString& path, const QByteArray& bytes = {}) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) >= 0);
  }
  // "file: sort list | why the user's file was passed over"; the folder
  // as $.
  std::string read() const {
    const RulesRead r = readRules(files);
    return QString(QFileInfo(r.path).dir().dirName() + ": " +
                   r.rules.sortOrder.join(',') + " | " + r.userProblem)
        .replace(dir.path(), "$")
        .toStdString();
  }
  QTemporaryDir dir{QDir::tempPath() + "/rules locations XXXXXX"};
  RulesFileLocations files{dir.filePath("user dir/default.rules"),
                           dir.filePath("app dir/default.rules")};
  const QDate date{2024, 12, 6};
};

// The user's file first, then the shipped one. A user's file that cannot be
// read gives way to the shipped one, with the reason for the user: rules
// are a few dozen lines, and a folder, a file far larger or a file the user
// may not read holds none (root may read it: ctest runs these tests as
// nobody when started as root). Writing creates the folder and replaces
// the file; failures name it.
TEST_F(Locations, UsersFileFirstAndTheShippedOneWhenItCannotBeRead) {
  EXPECT_FALSE(files.available());
  put(files.shipped, ".SortOrder Shipped");
  const QString cannot =
      "app dir: Shipped | Cannot read the rules file "
      "\"$/user dir/default.rules\": ";
  bool privileged = false;
  const std::pair<std::function<void()>, QString> cases[] = {
      {[] {}, "app dir: Shipped | "},
      {[&] { QDir().mkpath(files.user); }, cannot + "it is a folder."},
      {[&] { put(files.user, QByteArray(kMaxRulesFileBytes + 1, ' ')); },
       cannot + "it is larger than 1024 KB, where rules take a few."},
      {[&] { put(files.user, QByteArray(kMaxRulesFileLines + 1, '\n')); },
       cannot + "it has more than 10000 lines, where rules take a few dozen."},
      {[&] {
         put(files.user, ".SortOrder Mine");
         QFile::setPermissions(files.user, QFileDevice::Permissions());
         privileged = QFile(files.user).open(QIODevice::ReadOnly);
       },
       cannot + "Permission denied."},
      {[&] { put(files.user, ".SortOrder Mine"); }, "user dir: Mine | "}};
  for (const auto& [prepare, told] : cases) {
    QDir(dir.filePath("user dir")).removeRecursively();
    prepare();
    EXPECT_TRUE(files.available());
    if (!privileged || !told.endsWith("denied.")) {
      EXPECT_EQ(read(), told.toStdString());
    }
  }

  writeRulesFile(files.user, {{{true, false, "Wired"}}, {"Wired"}, {}}, date);
  writeRulesFile(files.user, {}, date);
  EXPECT_EQ(text(readRulesFile(files.user)), "/");
  using testing::HasSubstr, testing::ThrowsMessage;
  put(dir.filePath("blocker"));  // root ignores permissions; a file does not
  const QString below = dir.filePath("blocker/default.rules");
  EXPECT_THAT([&] { writeRulesFile(below, {}, date); },
              ThrowsMessage<Error>(HasSubstr(below.toStdString())));
  EXPECT_THROW(writeRulesFile(dir.filePath("app dir"), {}, date), Error);
  EXPECT_THROW(writeRulesFile(QString(), {}, date), Error);
  if (privileged) GTEST_SKIP() << "privileged: may read any file";
}

}  // namespace
}  // namespace lw
