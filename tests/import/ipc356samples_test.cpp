// The real netlists in shared/boards/ipc356 (see SOURCES.md there for their
// origin and licences). Counts are checked against a small scan of the record
// codes written here, independently of the importer, and against SOURCES.md.

#include "importtesting.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>

#include <gtest/gtest.h>

namespace lw {
namespace {

using test::attr;
using test::entitiesOf;

QString samplesDir() {
  return QDir(QStringLiteral(LW_SOURCE_ROOT))
      .filePath(QStringLiteral("../shared/boards/ipc356"));
}

struct Scan {
  int featureRecords = 0;  // 3x7 and 0x7
  int padRecords = 0;      // 317 and 327 alone
  int vias = 0;
  int testPads = 0;
  int components = 0;
  int nets = 0;
};

// Column scan of the records: no continuations occur in the samples.
Scan scan(const QByteArray& bytes) {
  Scan s;
  QHash<QByteArray, QByteArray> aliases;
  QSet<QByteArray> components;
  QSet<QByteArray> nets;
  const QList<QByteArray> lines = bytes.split('\n');
  for (QByteArray l : lines) {
    if (l.endsWith('\r')) l.chop(1);
    if (l.startsWith("P  NNAME")) {
      const QByteArray body = l.mid(8).trimmed();
      const qsizetype space = body.indexOf(' ');
      aliases.insert(body.left(space), body.mid(space).trimmed());
    }
  }
  for (QByteArray l : lines) {
    if (l.endsWith('\r')) l.chop(1);
    if (l.size() < 3 || (l[0] != '3' && l[0] != '0') || l[2] != '7' ||
        !QByteArray("012346").contains(l[1]))
      continue;
    ++s.featureRecords;
    if (l[0] != '3' || (l[1] != '1' && l[1] != '2')) continue;
    ++s.padRecords;
    l = l.leftJustified(80, ' ');
    const QByteArray refdes = l.mid(20, 6).trimmed();
    QByteArray net = l.mid(3, 14).trimmed();
    if (aliases.contains(net))
      net = aliases.value(net);
    else if (net.startsWith("NNAME") && aliases.contains(net.mid(5)))
      net = aliases.value(net.mid(5));
    if (refdes == "VIA")
      ++s.vias;
    else if (!refdes.isEmpty())
      components.insert(refdes);
    if (refdes.startsWith("TP")) ++s.testPads;
    const bool mechanical = refdes.isEmpty() && l[37] == 'U';
    if (!net.isEmpty() && net != "N/C" && !mechanical) nets.insert(net);
  }
  s.components = static_cast<int>(components.size());
  s.nets = static_cast<int>(nets.size());
  return s;
}

struct Sample {
  const char* file;
  // From SOURCES.md: 317 and 327 records, vias, test pads.
  int sourcesFeatures;
  int sourcesVias;
  int sourcesTestPads;
  // Placed probes with the default options (bottom, 100 mil).
  int placedDefault;
};

const Sample kSamples[] = {
    {"curtacircuitos_pcb-tools_ipc-d-356.ipc", 105, 14, 0, -1},
    {"AndersBNielsen_Universal-Serial-Adapter_netlist.ipc", 355, 107, 2, -1},
    {"MinnowBoard-org_design-files_MinnowMax_RevA1_IPC356A.ipc", 5759, 1873, 24,
     -1},
};

void PrintTo(const Sample& sample, std::ostream* os) {
  *os << sample.file;
}

class Ipc356Sample : public ::testing::TestWithParam<Sample> {
 protected:
  void SetUp() override {
    if (!QDir(samplesDir()).exists())
      GTEST_SKIP() << "shared IPC-D-356 samples not found at "
                   << samplesDir().toStdString();
    QFile file(QDir(samplesDir()).filePath(QLatin1String(GetParam().file)));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << GetParam().file;
    mBytes = file.readAll();
    mPath = file.fileName();
  }
  QByteArray mBytes;
  QString mPath;
};

TEST_P(Ipc356Sample, CountsMatchAnIndependentScan) {
  const Scan expected = scan(mBytes);
  EXPECT_EQ(expected.padRecords, GetParam().sourcesFeatures);
  EXPECT_EQ(expected.vias, GetParam().sourcesVias);
  EXPECT_EQ(expected.testPads, GetParam().sourcesTestPads);

  const ImportResult r = importIpc356(mPath, {});
  const ImportSummary& s = r.summary;
  EXPECT_EQ(s.featureRecords, expected.featureRecords);
  EXPECT_EQ(s.vias, expected.vias);
  EXPECT_EQ(s.components, expected.components);
  EXPECT_EQ(s.nets, expected.nets);
  EXPECT_TRUE(s.problems.isEmpty()) << s.problems.join('\n').toStdString();
  EXPECT_EQ(static_cast<int>(entitiesOf(r.board, EntityKind::Via).size()),
            expected.vias);
  EXPECT_EQ(static_cast<int>(entitiesOf(r.board, EntityKind::Component).size()),
            expected.components);
  // One probe per net, placed or not.
  EXPECT_EQ(static_cast<int>(entitiesOf(r.board, EntityKind::Probe).size()),
            expected.nets);
  EXPECT_EQ(s.probesPlaced + s.unplacedNoAccess + s.unplacedPadTooSmall +
                s.unplacedTooClose,
            expected.nets);
  if (GetParam().placedDefault >= 0) {
    EXPECT_EQ(s.probesPlaced, GetParam().placedDefault);
  }
  std::cout << formatSummary(s).toStdString();
}

TEST_P(Ipc356Sample, EveryOptionGivesASoundPlacement) {
  for (const ProbeSide side :
       {ProbeSide::Bottom, ProbeSide::Top, ProbeSide::Both}) {
    for (const ProbeSize size :
         {ProbeSize::Mil100, ProbeSize::Mil75, ProbeSize::Mil50}) {
      ImportOptions options;
      options.side = side;
      options.probeSize = size;
      const ImportResult r = importIpc356(mPath, options);
      const double spacing = static_cast<int>(size);  // page units are mil
      ASSERT_EQ(r.board.units, PageUnits::Mil);
      const QStringList faults =
          test::placementFaults(r.board, side, spacing, minimumPadMils(size));
      EXPECT_TRUE(faults.isEmpty())
          << static_cast<int>(side) << "/" << spacing << ": "
          << faults.mid(0, 10).join('\n').toStdString();
      EXPECT_GT(r.summary.probesPlaced, 0);
    }
  }
}

TEST_P(Ipc356Sample, ImportingTwiceGivesTheSameBoard) {
  ImportOptions options;
  options.side = ProbeSide::Both;
  options.probeSize = ProbeSize::Mil50;
  const ImportResult first = importIpc356(mPath, options);
  const ImportResult second = importIpc356(mPath, options);
  EXPECT_TRUE(first.board == second.board);
}

INSTANTIATE_TEST_SUITE_P(Shared, Ipc356Sample, ::testing::ValuesIn(kSamples));

}  // namespace
}  // namespace lw
