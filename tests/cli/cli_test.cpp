// loomwright-cli as users and scripts meet it: its output, its exit status
// and its messages, on good boards and on files that are not.
#include "cli.h"
#include "boardgenerator.h"
#include "boardio.h"
#include "ipc356import.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>

namespace lw {
namespace {

struct CliRun {
  int status = -1;
  QString out;
  QString err;
};

CliRun cli(const QStringList& args) {
  CliRun run;
  QTextStream out(&run.out);
  QTextStream err(&run.err);
  run.status = runCli(args, out, err);
  return run;
}

QByteArray contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

int countOf(const Board& board, EntityKind kind) {
  return static_cast<int>(
      std::count_if(board.entities.begin(), board.entities.end(),
                    [&](const Entity& e) { return e.kind == kind; }));
}

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(mDir.isValid());
    ASSERT_TRUE(QDir(mDir.path()).mkdir(QStringLiteral("my boards")));
    mDemo = generateBoard(demoOptions());
    writeBoard(mDemo, demoPath(), Compression::None);
  }
  // Spaces in the folder name, as users have them.
  QString path(const QString& name) const {
    return mDir.filePath(QStringLiteral("my boards/") + name);
  }
  QString demoPath() const { return path(QStringLiteral("demo.vd")); }
  QString write(const Board& board, const QString& name) {
    writeBoard(board, path(name), Compression::None);
    return path(name);
  }

  QTemporaryDir mDir;
  Board mDemo;
};

TEST_F(CliTest, InfoShowsUnitsFilesLayersAndCounts) {
  const CliRun run = cli({QStringLiteral("info"), demoPath()});
  ASSERT_EQ(run.status, kExitOk) << run.err.toStdString();
  EXPECT_TRUE(run.err.isEmpty());
  const QStringList lines = run.out.split(QLatin1Char('\n'));
  auto has = [&](const QString& line) { return lines.contains(line); };
  EXPECT_TRUE(has(QStringLiteral("Units: mm")));
  EXPECT_TRUE(has(QStringLiteral("Files: %1").arg(mDemo.files.size())));
  EXPECT_TRUE(has(QStringLiteral("  2 \"LW-CTRL-100\" PCB, visible")));
  EXPECT_TRUE(has(QStringLiteral("  7 \"FAB_DRAWING\" drawing, hidden")));
  EXPECT_TRUE(has(QStringLiteral("Layers: %1").arg(mDemo.layers.size())));
  EXPECT_TRUE(has(QStringLiteral("  11 \"PROBE_TOP\" type 31, visible")));
  EXPECT_TRUE(has(QStringLiteral("Entities: %1").arg(mDemo.entities.size())));
  const std::pair<const char*, EntityKind> kinds[] = {
      {"Via", EntityKind::Via},
      {"Pin", EntityKind::Pin},
      {"Component", EntityKind::Component},
      {"Mechanical part", EntityKind::MechanicalPart},
      {"Mechanical hole", EntityKind::MechanicalHole},
      {"Access point", EntityKind::AccessPoint},
      {"Fiducial", EntityKind::Fiducial},
      {"Tooling hole", EntityKind::ToolingHole},
      {"Probe", EntityKind::Probe},
      {"Outline", EntityKind::Outline}};
  for (const auto& [name, kind] : kinds) {
    const QString line =
        QStringLiteral("  %1: %2").arg(name).arg(countOf(mDemo, kind));
    EXPECT_TRUE(has(line)) << line.toStdString();
  }
}

TEST_F(CliTest, InfoNamesEveryPageUnit) {
  const std::pair<PageUnits, const char*> cases[] = {
      {PageUnits::Inch, "inch"},
      {PageUnits::Mil, "mil"},
      {PageUnits::Tenth, "tenth (1/1012 inch)"},
      {PageUnits::Micron, "micron"}};
  for (const auto& [units, name] : cases) {
    Board board = mDemo;
    board.units = units;
    const CliRun run = cli({QStringLiteral("info"), write(board, "u.vd")});
    ASSERT_EQ(run.status, kExitOk);
    EXPECT_TRUE(run.out.contains(QStringLiteral("\nUnits: %1\n").arg(name)))
        << name;
  }
}

TEST_F(CliTest, ValidateAcceptsTheDemo) {
  const CliRun run = cli({QStringLiteral("validate"), demoPath()});
  EXPECT_EQ(run.status, kExitOk) << run.err.toStdString();
  EXPECT_TRUE(run.err.isEmpty());
  EXPECT_TRUE(run.out.startsWith(demoPath() + QStringLiteral(": OK")));
  EXPECT_TRUE(run.out.contains(QStringLiteral(" 150 probes")));
}

// Files that are no board: the status is non-zero and the message names the
// file, so that a script over many files shows which one failed.
TEST_F(CliTest, ValidateRejectsFilesThatAreNoBoard) {
  const QByteArray gzip = [&] {
    writeBoard(mDemo, path(QStringLiteral("full.vdz")), Compression::Gzip);
    return contents(path(QStringLiteral("full.vdz")));
  }();
  const std::pair<const char*, QByteArray> cases[] = {
      {"empty.vd", QByteArray()},
      {"text.vd", QByteArrayLiteral("this is not a board\n")},
      {"truncated-json.vd", contents(demoPath()).left(5000)},
      {"truncated-gzip.vdz", gzip.left(gzip.size() / 2)},
      {"gzip-header-only.vdz", gzip.left(10)},
  };
  for (const auto& [name, bytes] : cases) {
    writeBytes(path(name), bytes);
    const CliRun run = cli({QStringLiteral("validate"), path(name)});
    EXPECT_EQ(run.status, kExitFailed) << name;
    EXPECT_TRUE(run.err.contains(QLatin1String(name))) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty()) << name;
  }
  const CliRun missing = cli({QStringLiteral("validate"), path("missing.vd")});
  EXPECT_EQ(missing.status, kExitFailed);
  EXPECT_TRUE(missing.err.contains(QLatin1String("missing.vd")));
}

// Boards that read but that Loomwright cannot work with.
TEST_F(CliTest, ValidateRejectsBoardsLoomwrightCannotLoad) {
  auto without = [&](EntityKind kind) {
    Board board = mDemo;
    std::erase_if(board.entities,
                  [&](const Entity& e) { return e.kind == kind; });
    return board;
  };
  Board hidden = mDemo;
  for (BoardFile& f : hidden.files) f.visible = !f.isPcb;
  // Probes come last: removing them moves no pin's parent.
  const Board noProbes = without(EntityKind::Probe);
  Board noAccess = mDemo;
  for (Entity& e : noAccess.entities)
    if (e.kind == EntityKind::AccessPoint) e.file = 4;  // the hidden PCB
  const std::tuple<const char*, Board, const char*> cases[] = {
      {"hidden.vd", hidden, "no visible PCB file"},
      {"noprobes.vd", noProbes, "has no probes"},
      {"noaccess.vd", noAccess, "has no access points"},
  };
  for (const auto& [name, board, message] : cases) {
    const CliRun run = cli({QStringLiteral("validate"), write(board, name)});
    EXPECT_EQ(run.status, kExitFailed) << name;
    EXPECT_TRUE(run.err.startsWith(path(name) + QStringLiteral(": ")));
    EXPECT_TRUE(run.err.contains(QLatin1String(message)))
        << run.err.toStdString();
  }
}

TEST_F(CliTest, ValidateWarnsAboutSeveralVisiblePcbFiles) {
  Board board = mDemo;
  for (BoardFile& f : board.files) f.visible = true;
  // Loomwright takes the last one, which here holds nothing.
  const CliRun run = cli({QStringLiteral("validate"), write(board, "two.vd")});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_TRUE(run.err.contains(QStringLiteral("2 PCB files are visible")));
  EXPECT_TRUE(run.err.contains(QStringLiteral("LW-CTRL-100_REV_A")));

  std::swap(board.files[1], board.files[2]);
  const CliRun works =
      cli({QStringLiteral("validate"), write(board, "two.vd")});
  EXPECT_EQ(works.status, kExitOk) << works.err.toStdString();
  EXPECT_TRUE(works.err.contains(QStringLiteral("warning")));
}

TEST_F(CliTest, ConvertRoundTripIsByteIdentical) {
  const QString packed = path(QStringLiteral("demo copy.VDZ"));
  const QString back = path(QStringLiteral("back.Vd"));
  ASSERT_EQ(cli({QStringLiteral("convert"), demoPath(), packed}).status,
            kExitOk);
  EXPECT_TRUE(contents(packed).startsWith("\x1f\x8b")) << "gzip by extension";
  ASSERT_EQ(cli({QStringLiteral("convert"), packed, back}).status, kExitOk);
  EXPECT_EQ(contents(back), contents(demoPath()));
  EXPECT_EQ(readBoard(back), mDemo);
}

TEST_F(CliTest, ConvertRefusesOtherExtensionsAndWritesNothing) {
  for (const char* name : {"demo.json", "demo", "demo.vdz.bak"}) {
    const CliRun run = cli({QStringLiteral("convert"), demoPath(), path(name)});
    EXPECT_EQ(run.status, kExitUsage) << name;
    EXPECT_TRUE(run.err.contains(QLatin1String(name)));
    EXPECT_FALSE(QFile::exists(path(name))) << name;
  }
}

TEST_F(CliTest, ConvertFromABadFileLeavesTheTargetAlone) {
  const QString target = path(QStringLiteral("keep.vd"));
  writeBytes(target, "old contents");
  writeBytes(path("bad.vd"), "{");
  const CliRun run = cli({QStringLiteral("convert"), path("bad.vd"), target});
  EXPECT_EQ(run.status, kExitFailed);
  EXPECT_TRUE(run.err.contains(QLatin1String("bad.vd")));
  EXPECT_EQ(contents(target), QByteArray("old contents"));
}

TEST(Cli, CommandLineMistakesAreUsageErrors) {
  const QStringList cases[] = {
      {},
      {QStringLiteral("frobnicate"), QStringLiteral("a.vd")},
      {QStringLiteral("info")},
      {QStringLiteral("info"), QStringLiteral("a.vd"), QStringLiteral("b.vd")},
      {QStringLiteral("convert"), QStringLiteral("a.vd")},
  };
  for (const QStringList& args : cases) {
    const CliRun run = cli(args);
    EXPECT_EQ(run.status, kExitUsage) << args.join(' ').toStdString();
    EXPECT_FALSE(run.err.isEmpty());
    EXPECT_TRUE(run.out.isEmpty());
  }
  EXPECT_TRUE(cli({QStringLiteral("frobnicate")})
                  .err.contains(QStringLiteral("\"frobnicate\"")));
}

TEST(Cli, HelpListsEveryCommandAndVersionIsOneThree) {
  for (const char* flag : {"--help", "-h", "help"}) {
    const CliRun run = cli({QString::fromLatin1(flag)});
    EXPECT_EQ(run.status, kExitOk);
    for (const char* command : {"info FILE", "validate FILE", "convert IN OUT"})
      EXPECT_TRUE(run.out.contains(QLatin1String(command))) << command;
  }
  const CliRun command =
      cli({QStringLiteral("convert"), QStringLiteral("--help")});
  EXPECT_EQ(command.status, kExitOk);
  EXPECT_TRUE(command.out.contains(QStringLiteral("convert IN OUT")));
  for (const char* flag : {"--version", "-v"}) {
    const CliRun run = cli({QString::fromLatin1(flag)});
    EXPECT_EQ(run.status, kExitOk);
    EXPECT_EQ(run.out, QStringLiteral("loomwright-cli 1.3\n"));
  }
}

// The real program: statuses and streams reach the shell.
TEST_F(CliTest, ProgramReportsThroughExitStatusAndStderr) {
  QProcess process;
  process.start(QStringLiteral(LW_CLI_PROGRAM),
                {QStringLiteral("validate"), path("missing.vd")});
  ASSERT_TRUE(process.waitForFinished(60000));
  EXPECT_EQ(process.exitCode(), kExitFailed);
  EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
  EXPECT_TRUE(process.readAllStandardError().contains("missing.vd"));

  process.start(QStringLiteral(LW_CLI_PROGRAM),
                {QStringLiteral("info"), demoPath()});
  ASSERT_TRUE(process.waitForFinished(60000));
  EXPECT_EQ(process.exitCode(), kExitOk);
  EXPECT_TRUE(process.readAllStandardOutput().contains("  Probe: 150\n"));
}

// The corpus of damaged files: every one is refused, by name.
TEST(CliBadFiles, ValidateRejectsEveryFileOfTheBadCorpus) {
  const QDir dir(QStringLiteral(LW_TEST_DATA "/bad"));
  if (!dir.exists()) GTEST_SKIP() << "no tests/data/bad yet";
  const QFileInfoList files = dir.entryInfoList(QDir::Files, QDir::Name);
  ASSERT_FALSE(files.isEmpty());
  for (const QFileInfo& file : files) {
    const CliRun run = cli({QStringLiteral("validate"), file.filePath()});
    EXPECT_NE(run.status, kExitOk) << file.fileName().toStdString();
    EXPECT_TRUE(run.err.contains(file.fileName()))
        << file.fileName().toStdString() << ": " << run.err.toStdString();
  }
}

// The bundled generated board is what the generator makes today.
TEST(BundledDemo, MatchesTheGenerator) {
  const Board expected = generateBoard(demoOptions());
  for (const char* name : {"generated-demo.vd", "generated-demo.vdz"}) {
    const QString path = QStringLiteral(LW_SOURCE_ROOT "/examples/") + name;
    EXPECT_EQ(readBoard(path), expected)
        << name << ": rewrite them: cmake --build BUILD --target demo-boards";
  }
}

TEST_F(CliTest, ImportWritesTheBoardAndSummarises) {
  const QString source =
      QStringLiteral(LW_SOURCE_ROOT "/tests/import/data/kicad_style.ipc");
  const QString out = path(QStringLiteral("imported.VDZ"));
  const CliRun run =
      cli({QStringLiteral("import"), source, QStringLiteral("-o"), out,
           QStringLiteral("--side"), QStringLiteral("both"),
           QStringLiteral("--probe-size"), QStringLiteral("50")});
  ASSERT_EQ(run.status, kExitOk) << run.err.toStdString();
  EXPECT_TRUE(run.out.contains(QStringLiteral("placed")))
      << run.out.toStdString();
  EXPECT_TRUE(contents(out).startsWith("\x1f\x8b"));
  EXPECT_GT(countOf(readBoard(out), EntityKind::Probe), 0);
  EXPECT_EQ(cli({QStringLiteral("validate"), out}).status, kExitOk);
}

TEST_F(CliTest, ImportRefusesBadCommandLinesAndFiles) {
  const QString source =
      QStringLiteral(LW_SOURCE_ROOT "/tests/import/data/kicad_style.ipc");
  const QString out = path(QStringLiteral("x.vd"));
  const struct {
    QStringList args;
    int status;
  } cases[] = {
      {{source}, kExitUsage},
      {{QStringLiteral("-o"), out}, kExitUsage},
      {{source, QStringLiteral("-o"), path(QStringLiteral("x.txt"))},
       kExitUsage},
      {{source, QStringLiteral("-o"), out, QStringLiteral("--side"),
        QStringLiteral("left")},
       kExitUsage},
      {{source, QStringLiteral("-o"), out, QStringLiteral("--probe-size"),
        QStringLiteral("60")},
       kExitUsage},
      {{source, QStringLiteral("-o"), out, QStringLiteral("--probe-size")},
       kExitUsage},
      {{QStringLiteral(LW_SOURCE_ROOT "/tests/import/data/no_features.ipc"),
        QStringLiteral("-o"), out},
       kExitFailed},
  };
  for (const auto& c : cases) {
    const CliRun run = cli(QStringList{QStringLiteral("import")} + c.args);
    EXPECT_EQ(run.status, c.status) << c.args.join(' ').toStdString();
    EXPECT_FALSE(run.err.isEmpty());
  }
  EXPECT_FALSE(QFile::exists(out));
}

// The bundled demo is a real board: the shared MinnowBoard netlist imported
// with probes on both sides.
TEST(BundledDemo, IsTheImportedRealBoard) {
  const QString source = QStringLiteral(
      LW_SOURCE_ROOT
      "/../shared/boards/ipc356/"
      "MinnowBoard-org_design-files_MinnowMax_RevA1_IPC356A.ipc");
  if (!QFile::exists(source))
    GTEST_SKIP() << "no shared boards beside the repo";
  ImportOptions options;
  options.side = ProbeSide::Both;
  const Board expected = importIpc356(source, options).board;
  for (const char* name : {"demo.vd", "demo.vdz"}) {
    const QString path = QStringLiteral(LW_SOURCE_ROOT "/examples/") + name;
    const Board demo = readBoard(path);
    EXPECT_EQ(demo, expected)
        << name << ": rewrite them: cmake --build BUILD --target demo-boards";
    int top = 0, bottom = 0;
    for (const Entity& e : demo.entities)
      if (e.kind == EntityKind::Probe) ++(e.side == Side::Top ? top : bottom);
    EXPECT_GT(top, 10);
    EXPECT_GT(bottom, 10);
    EXPECT_EQ(cli({QStringLiteral("validate"), path}).status, kExitOk) << name;
  }
}

}  // namespace
}  // namespace lw
