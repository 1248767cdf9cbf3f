// loomwright-cli for a test engineer's script: the wire list exported as a
// window would, with the user's rules, and the wiring progress of a board
// as text and as JSON. The user's configuration lives in the test's own
// folder.
#include "cli.h"
#include "sheetboard.h"
#include "tempfolder.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace lw {
namespace {

struct CliRun {
  int status = -1;
  QString out, err;
};

CliRun cli(const QStringList& args) {
  CliRun run;
  QTextStream out(&run.out), err(&run.err);
  run.status = runCli(args, out, err);
  return run;
}

class ProgressTest : public testing::Test {
 protected:
  ProgressTest() {
    qputenv("XDG_CONFIG_HOME", dir.path("config").toUtf8());
    board = dir.write(test::sheetBoard(9, {0, 1, 4}), "b.vdz");
  }
  ~ProgressTest() override { qunsetenv("XDG_CONFIG_HOME"); }
  const test::TempFolder dir;
  QString board;
};

// Which probes a list holds is the wire list's own rule; here the options
// and the user's rules reach it.
TEST_F(ProgressTest, ExportWritesTheChosenProbesWithTheUsersColumns) {
  dir.write("config/Loomwright/Loomwright/default.rules",
            "Loomwright Rules File\r\n\r\n.ColumnGrid 0 0 Probe Size\r\n");
  const CliRun run = cli({"export", board, "-o", dir.path("list.csv"),
                          "--unwired", "--surface", "top"});
  ASSERT_EQ(run.status, kExitOk) << run.err.toStdString();
  EXPECT_TRUE(run.out.endsWith("list.csv (4 probes)\n"));
  const QStringList lines =
      QString::fromUtf8(dir.read("list.csv")).split("\r\n");
  EXPECT_TRUE(lines[0].startsWith("Wired,Probe #,X Loc,Y Loc,Feature Type"))
      << lines[0].toStdString();
  QStringList probes;
  for (const QString& line : lines.mid(1, lines.size() - 2))
    probes << line.section(',', 1, 1);
  EXPECT_EQ(probes, QStringList({"N103", "N106", "N108", "N109"}));
}

// $b is a good board, $e one without probes, $x a file in the folder.
TEST_F(ProgressTest, ExportRefusesWhatItCannotDo) {
  const QString empty = dir.write(test::sheetBoard(0), "e.vd");
  const struct {
    const char* args;
    int status;
    const char* err;
  } cases[] = {
      {"$b", kExitUsage, "no -o OUT given"},
      {"$b -o $x.txt", kExitUsage, "must end in .csv or .pdf"},
      {"$b -o $x.csv --surface left", kExitUsage, "--surface takes top, "},
      {"$e -o $x.csv", kExitFailed, "e.vd: the PCB file \"board.pcb\" has no"},
  };
  for (const auto& c : cases) {
    QStringList args = QString(c.args).split(' ');
    for (QString& arg : args)
      arg.replace("$b", board)
          .replace("$e", empty)
          .replace("$x", dir.path("x"));
    const CliRun run = cli(QStringList{"export"} + args);
    EXPECT_EQ(run.status, c.status) << c.args;
    EXPECT_TRUE(run.err.contains(c.err)) << run.err.toStdString();
  }
  EXPECT_FALSE(QFile::exists(dir.path("x.csv")));
}

TEST_F(ProgressTest, InfoTellsHowFarTheWiringIs) {
  const CliRun text = cli({"info", board});
  ASSERT_EQ(text.status, kExitOk);
  EXPECT_TRUE(
      text.out.endsWith("Wiring: 3 / 9 (33%) probes wired\n"
                        "  Top: 2 / 6 (33%)\n"
                        "  Bottom: 1 / 3 (33%)\n"
                        "  Saved wiring state: yes\n"))
      << text.out.toStdString();

  const CliRun json = cli({"info", "--json", board});
  ASSERT_EQ(json.status, kExitOk);
  const QJsonObject info = QJsonDocument::fromJson(json.out.toUtf8()).object();
  EXPECT_EQ(info["units"], "mm");
  EXPECT_EQ(info["entities"]["probe"], 9);
  const QJsonObject wiring = info["wiring"].toObject();
  EXPECT_EQ(wiring["top"]["wired"], 2);
  EXPECT_EQ(wiring["bottom"]["total"], 3);
  EXPECT_EQ(wiring["overall"]["wired"], 3);
  EXPECT_EQ(wiring["savedState"], true);

  // A board without probes still has its facts; its wiring says why not.
  const Board noProbes = test::sheetBoard(0);
  const CliRun none = cli({"info", dir.write(noProbes, "n.vd"), "--json"});
  ASSERT_EQ(none.status, kExitOk);
  const QJsonObject noWiring =
      QJsonDocument::fromJson(none.out.toUtf8()).object()["wiring"].toObject();
  EXPECT_EQ(noWiring["available"], false);
  EXPECT_EQ(noWiring["problem"], "the PCB file \"board.pcb\" has no probes.");
}

}  // namespace
}  // namespace lw
