// Wire lists of 100,000 probes: the CSV, and the PDF with the table and
// both probe maps, each written to a file as the window and the command
// line write them. A third of the probes is marked wired.

#include "boardgenerator.h"
#include "boardsheet.h"
#include "probemaps.h"
#include "wirelistcsv.h"
#include "wirelistpages.h"

#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kProbes = 100000;

// Generating and reading the board takes a while and is not measured.
lw::BoardSheet& sheet() {
  static const std::unique_ptr<lw::BoardSheet> read = [] {
    lw::Board board = lw::generateBoard(lw::largeOptions(kProbes));
    const int wired = board.addKeyword(QStringLiteral("PROBE_WIRED"));
    int probe = 0;
    for (lw::Entity& e : board.entities)
      if (e.kind == lw::EntityKind::Probe && probe++ % 3 == 0)
        e.attributes.push_back({wired, QStringLiteral("1"), {}});
    return std::make_unique<lw::BoardSheet>(lw::BoardDocument(std::move(board)),
                                            lw::RegionalFormat{});
  }();
  return *read;
}

void copyTheGrid(benchmark::State& state) {
  sheet();
  for (auto _ : state) {
    const lw::WireList list(sheet().grid(), {}, {});
    benchmark::DoNotOptimize(list.rowCount());
  }
}

void csvFile(benchmark::State& state) {
  const QTemporaryDir dir;
  sheet();
  for (auto _ : state) {
    // The list is made afresh each time, as each export makes it.
    const lw::WireList list(sheet().grid(), {}, {});
    lw::exportWireListCsv(list, dir.filePath("list.csv"));
  }
  state.counters["rows"] = kProbes;
}

void pdfFile(benchmark::State& state) {
  const bool maps = state.range(0) != 0;
  const QTemporaryDir dir;
  const QPageLayout layout = lw::wireListPageLayout(QLocale::c());
  sheet();
  for (auto _ : state) {
    const lw::WireList list(sheet().grid(), {}, {});
    std::unique_ptr<lw::ProbeMaps> probeMaps;
    if (maps)
      probeMaps = std::make_unique<lw::ProbeMaps>(
          sheet().document(), sheet().grid(), lw::shownClasses({}));
    lw::exportWireListPdf(
        lw::WireListPages(list, probeMaps.get(), {"board.vdz", "1 Jan 2027"}),
        dir.filePath("list.pdf"), layout);
    state.counters["MB"] =
        double(QFileInfo(dir.filePath("list.pdf")).size()) / 1e6;
  }
}

BENCHMARK(copyTheGrid)->Unit(benchmark::kMillisecond);
BENCHMARK(csvFile)->Unit(benchmark::kMillisecond);
// 0: the table alone; 1: the table and both maps.
BENCHMARK(pdfFile)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
