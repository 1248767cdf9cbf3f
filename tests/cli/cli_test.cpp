// loomwright-cli as users and scripts meet it: exit statuses, output and
// messages naming the file at fault. The commands run in-process; one run
// of the real program shows that statuses and streams reach the shell.
#include "cli.h"
#include "boardgenerator.h"
#include "boardio.h"
#include "ipc356import.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>

#include <sys/stat.h>

namespace lw {
namespace {

struct CliRun {
  int status = -1;
  std::string out, err;
};

CliRun cli(const QStringList& args) {
  QString out, err;
  QTextStream outStream(&out), errStream(&err);
  const int status = runCli(args, outStream, errStream);
  return {status, out.toStdString(), err.toStdString()};
}

// Boards sit in a folder with a space in its name, as users' do.
class CliTest : public testing::Test {
 protected:
  CliTest() { dir.write(demo, "demo.vd"); }
  const test::TempFolder dir;
  const Board demo = generateBoard(demoOptions());
};

TEST_F(CliTest, InfoShowsUnitsFilesLayersAndCounts) {
  QStringList lines = QString(
                          "Units: |Files: 4|  2 \"LW-CTRL-100\" PCB, visible|"
                          "  7 \"FAB_DRAWING\" drawing, hidden|Layers: 14|"
                          "  11 \"PROBE_TOP\" type 31, visible|Via|Pin|"
                          "Component|Mechanical part|Mechanical hole|"
                          "Access point|Fiducial|Tooling hole|Probe|Outline")
                          .split('|');
  std::array<int, kEntityKindCount> count{};  // the names above are 1..10
  for (const Entity& e : demo.entities) ++count[int(e.kind)];
  for (int i = 0; i < 10; ++i)
    lines[6 + i] = QString("  %1: %2").arg(lines[6 + i]).arg(count[i + 1]);
  lines << QString("Entities: %1").arg(demo.entities.size());
  // The names of the units in code order.
  const QStringList units =
      QString("inch|mil|mm|tenth (1/1012 inch)|micron").split('|');
  Board board = demo;
  for (int u = 0; u < 5; ++u) {
    board.units = PageUnits(u);
    lines[0] = "Units: " + units[u];
    const CliRun run = cli({"info", dir.write(board, "u.vd")});
    EXPECT_TRUE(run.status == kExitOk && run.err.empty()) << run.err;
    const QStringList out = QString::fromStdString(run.out).split('\n');
    for (const QString& line : lines)
      EXPECT_TRUE(out.contains(line)) << line.toStdString();
  }
}

// What scripts rely on: the status (0 done, 1 a file could not be used, 2
// a wrong command line) and messages naming the file at fault. In the
// arguments and messages, $NAME stands for a file in the fixture's folder
// and @NAME for a netlist of the import tests (@net: a good one).
TEST_F(CliTest, StatusesAndMessages) {
  Board hidden = demo, noProbes = demo, noAccess = demo, lastEmpty = demo;
  for (BoardFile& f : hidden.files) f.visible = !f.isPcb;
  std::erase_if(noProbes.entities,  // probes come last: no parent moves
                [](const Entity& e) { return e.kind == EntityKind::Probe; });
  for (Entity& e : noAccess.entities)
    if (e.kind == EntityKind::AccessPoint) e.file = 4;  // the hidden PCB
  for (BoardFile& f : lastEmpty.files) f.visible = true;
  Board lastFull = lastEmpty;  // Loomwright takes the last visible PCB file
  std::swap(lastFull.files[1], lastFull.files[2]);
  dir.write(hidden, "hidden.vd");
  dir.write(noProbes, "noprobes.vd");
  dir.write(noAccess, "noaccess.vd");
  dir.write(lastEmpty, "lastempty.vd");
  dir.write(lastFull, "lastfull.vd");
  // Opening it would wait for a writer for ever.
  mkfifo(QFile::encodeName(dir.path("pipe.vd")).constData(), 0600);
  const char* ok = "OK, PCB file \"LW-CTRL-100\" with 150 probes";
  const struct {
    const char* args;
    int status;
    const char *out, *err;  // text they hold; "" for nothing at all
  } cases[] = {
      {"validate $demo.vd", kExitOk, ok, ""},
      {"validate $hidden.vd", kExitFailed, "", "$hidden.vd: no visible PCB"},
      {"validate $noprobes.vd", kExitFailed, "", "$noprobes.vd: the PCB file"},
      {"validate $noprobes.vd", kExitFailed, "", "100\" has no probes.\n"},
      {"validate $noaccess.vd", kExitFailed, "", "$noaccess.vd: the PCB file"},
      {"validate $noaccess.vd", kExitFailed, "", "has no access points.\n"},
      {"validate $lastempty.vd", kExitFailed, "", "_REV_A\" has no probes"},
      {"validate $lastfull.vd", kExitOk, ok, "$lastfull.vd: warning: 2 PCB"},
      {"validate $missing.vd", kExitFailed, "", "Cannot open \"$missing.vd\""},
      {"import $pipe.vd -o $x.vd", kExitFailed, "", "it is a named pipe"},
      {"convert $demo.vd $demo.VDZ", kExitOk, "(compressed)", ""},
      {"convert $demo.VDZ $back.Vd", kExitOk, "$demo.VDZ -> $back.Vd\n", ""},
      {"convert $demo.vd $demo.json", kExitUsage, "", "$demo.json: the output"},
      {"convert $missing.vd $back.Vd", kExitFailed, "", "\"$missing.vd\""},
      {"", kExitUsage, "", "Usage: loomwright-cli COMMAND"},
      {"frobnicate a.vd", kExitUsage, "", "command \"frobnicate\""},
      {"info", kExitUsage, "", "Usage: loomwright-cli info FILE [--json]\n"},
      {"info a.vd b.vd", kExitUsage, "", "info FILE [--json]\n"},
      {"convert --help", kExitOk, "convert IN OUT", ""},
      {"--version", kExitOk, "loomwright-cli 1.3\n", ""},
      {"-v", kExitOk, "loomwright-cli 1.3\n", ""},
      {"help", kExitOk, "  validate FILE  ", ""},
      {"-h", kExitOk, "  convert IN OUT  ", ""},
      {"--help", kExitOk, "  info FILE [--json]  ", ""},
      {"import @net", kExitUsage, "", "no -o OUT given\nUsage:"},
      {"import -o $x.vd", kExitUsage, "", "no netlist given"},
      {"import @net -o", kExitUsage, "", "-o needs a file name"},
      {"import @a @b -o $x.vd", kExitUsage, "", "unexpected \"@b\""},
      {"import @net -o $x.txt", kExitUsage, "", "must end in .vd"},
      {"import @net -o $x.vd --side left", kExitUsage, "", "--side takes"},
      {"import @net -o $x.vd --probe-size 60", kExitUsage, "",
       "--probe-size takes auto, 100, 75, 50 or 39"},
      {"import @net -o $x.vd --probe-size", kExitUsage, "", "takes auto"},
      {"import @no_features.ipc -o $x.vd", kExitFailed, "", "no_features.ipc"},
      {"import @net -o $imported.VDZ --side both --probe-size 50", kExitOk,
       "placed", ""},
      // Every net left without a probe, with its reason.
      {"import @net -o $listed.vd --unplaced --side top --probe-size 100",
       kExitOk,
       "Nets without a probe (net, tab, reason):\n"
       "NET-(R1-2)\tPads below the minimum size\n"
       "/~{RESET}\tNo access from the probe side\n@net -> $listed.vd\n",
       ""},
      {"validate $imported.VDZ", kExitOk, "OK, PCB file", ""},  // has probes
      // Skipped lines are counted first; --strict writes no board then.
      {"import @net -o $strict.vd --strict", kExitOk, "Skipped lines: 0\n", ""},
      {"import @malformed.ipc -o $lax.vd", kExitOk,
       "Skipped lines: 6\nImported malformed.ipc", ""},
      {"import @malformed.ipc -o $no.vd --strict", kExitFailed,
       "Skipped lines: 6\n",
       "\"@malformed.ipc\" has skipped lines (6); with --strict no board is "
       "written.\n"}};
  const auto named = [&](const QString& text) {
    return QString(text)
        .replace(QRegularExpression(R"(\$([\w.]+))"), dir.path("\\1"))
        .replace("@net", "@kicad_style.ipc")
        .replace(QRegularExpression(R"(@([\w.]+))"),
                 LW_SOURCE_ROOT "/tests/import/data/\\1");
  };
  for (const auto& c : cases) {
    QStringList args = QString(c.args).split(' ', Qt::SkipEmptyParts);
    for (QString& arg : args) arg = named(arg);
    const CliRun run = cli(args);
    EXPECT_EQ(run.status, c.status) << c.args;
    EXPECT_TRUE(args.value(0) != "import" || run.out.empty() ||
                run.out.starts_with("Skipped lines: "))
        << c.args;
    for (auto [stream, text] : {std::pair{run.out, c.out}, {run.err, c.err}})
      EXPECT_TRUE(*text ? stream.find(named(text).toStdString()) != stream.npos
                        : stream.empty())
          << c.args << ": " << stream;
  }
  // The format follows the output's extension, in any case, and the round
  // trip gives the same bytes. Refused names are not written.
  for (const char* compressed : {"demo.VDZ", "imported.VDZ"})
    EXPECT_TRUE(dir.read(compressed).startsWith("\x1f\x8b")) << compressed;
  EXPECT_EQ(dir.read("back.Vd"), dir.read("demo.vd"));
  for (const char* unwritten : {"demo.json", "x.vd", "x.txt", "no.vd"})
    EXPECT_FALSE(QFile::exists(dir.path(unwritten))) << unwritten;
}

// The real program: the status and the message reach the shell.
TEST_F(CliTest, ProgramReportsThroughExitStatusAndStderr) {
  QProcess process;
  process.start(LW_CLI_PROGRAM, {"validate", dir.path("missing.vd")});
  ASSERT_TRUE(process.waitForFinished(60000));
  EXPECT_EQ(process.exitCode(), kExitFailed);
  EXPECT_EQ(process.readAllStandardOutput(), "");
  EXPECT_EQ(process.readAllStandardError(),
            "loomwright-cli: Cannot open \"" + dir.path("missing.vd").toUtf8() +
                "\": no such file.\n");
}

// The bundled demo, plain and compressed, is the MinnowBoard netlist
// imported with probes on both sides, each as large as fits, and it can be
// loaded.
TEST(BundledDemo, IsTheImportedRealBoard) {
  const QString demo = LW_SOURCE_ROOT "/examples/demo.vd";
  EXPECT_EQ(readBoard(demo), readBoard(demo + "z"));
  EXPECT_EQ(cli({"validate", demo}).status, kExitOk);
  const QString source = LW_TEST_DATA
      "/ipc356/MinnowBoard-org_design-files_MinnowMax_RevA1_IPC356A.ipc";
  const ImportOptions options{ProbeSide::Both, ProbeSize::Auto};
  EXPECT_EQ(readBoard(demo), importIpc356(source, options).board)
      << "rewrite them: cmake --build BUILD --target demo-boards";
}

}  // namespace
}  // namespace lw
