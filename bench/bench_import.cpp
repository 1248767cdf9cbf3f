// Importing the largest real IPC-D-356 sample, MinnowBoard (6,566 lines,
// 5,763 feature records, tests/data/ipc356): read, map and place probes,
// from the file. And reading a netlist at the record limit, where what the
// reader adds per record (the check for repeated features) shows.

#include "ipc356import.h"
#include "ipc356reader.h"

#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

QString minnowPath() {
  return QDir(QStringLiteral(LW_SOURCE_ROOT))
      .filePath(QStringLiteral("tests/data/ipc356/"
                               "MinnowBoard-org_design-files_MinnowMax_RevA1_"
                               "IPC356A.ipc"));
}

void importMinnow(benchmark::State& state, lw::ProbeSide side,
                  lw::ProbeSize size) {
  const QString path = minnowPath();
  if (!QFile::exists(path)) {
    state.SkipWithError("tests/data/ipc356 is missing");
    return;
  }
  lw::ImportOptions options;
  options.side = side;
  options.probeSize = size;
  for (auto _ : state) {
    lw::ImportResult result = lw::importIpc356(path, options);
    benchmark::DoNotOptimize(result.board.entities.data());
  }
}

// The default options: bottom side, 100 mil probes.
void BM_ImportMinnow(benchmark::State& state) {
  importMinnow(state, lw::ProbeSide::Bottom, lw::ProbeSize::Mil100);
}
BENCHMARK(BM_ImportMinnow)->Unit(benchmark::kMillisecond);

// The most placement work: both sides, 50 mil probes.
void BM_ImportMinnowBothSides50(benchmark::State& state) {
  importMinnow(state, lw::ProbeSide::Both, lw::ProbeSize::Mil50);
}
BENCHMARK(BM_ImportMinnowBothSides50)->Unit(benchmark::kMillisecond);

// 500,000 surface pads, each its own net, two to a part, 1,000 to a row.
void BM_ReadNetlistAtTheRecordLimit(benchmark::State& state) {
  const int records = lw::ImportLimits{}.featureRecords;
  QByteArray text = "P  UNITS CUST 0\n";
  text.reserve(records * 72LL + 32);
  char line[100];
  for (int i = 0; i < records; ++i) {
    const QByteArray refdes = "R" + QByteArray::number(i / 2, 16).toUpper();
    std::snprintf(line, sizeof line,
                  "327N%-13d   %-6s-%-4d       A02X%+07dY%+07dX0500Y0500R000\n",
                  i, refdes.constData(), i % 2 + 1, i % 1000 * 1000,
                  i / 1000 * 1000);
    text += line;
  }
  text += "999\n";
  for (auto _ : state) {
    lw::ipc356::Netlist netlist = lw::ipc356::readNetlist(text, "bench");
    benchmark::DoNotOptimize(netlist.features.data());
  }
}
BENCHMARK(BM_ReadNetlistAtTheRecordLimit)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
