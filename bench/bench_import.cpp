// Importing the largest real IPC-D-356 sample, MinnowBoard (6,566 lines,
// 5,763 feature records, tests/data/ipc356): read, map and place probes,
// from the file.

#include "ipc356import.h"

#include <QDir>
#include <QFile>

#include <benchmark/benchmark.h>

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

}  // namespace

BENCHMARK_MAIN();
