// Importing the largest real IPC-D-356 netlist in the folder the build
// names (LW_NETLIST_DIR, by default tests/data/ipc356; the largest there is
// MinnowBoard MAX: 6,566 lines, 5,763 feature records): read, map and place
// probes, from the file; a generated netlist of 17,000 lines, three times
// as large, from memory; and reading a netlist at the record limit, where
// what the reader adds per record (the check for repeated features) shows.
// Without a real netlist it fails rather than leave the first benchmarks
// out.

#include "ipc356import.h"
#include "ipc356reader.h"

#include <QDir>
#include <QFileInfo>
#include <QString>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <exception>

namespace {

QString& realNetlist() {
  static QString path;
  return path;
}

// The largest *.ipc file in the folder, empty when there is none.
QString largestNetlist(const QString& folder) {
  const QFileInfoList files = QDir(folder).entryInfoList(
      {QStringLiteral("*.ipc")}, QDir::Files, QDir::Size);
  return files.isEmpty() ? QString() : files.front().filePath();
}

void importReal(benchmark::State& state, lw::ProbeSide side,
                lw::ProbeSize size) {
  const QString& path = realNetlist();
  lw::ImportOptions options;
  options.side = side;
  options.probeSize = size;
  lw::ImportSummary summary;
  try {
    for (auto _ : state) {
      lw::ImportResult result = lw::importIpc356(path, options);
      benchmark::DoNotOptimize(result.board.entities.data());
      summary = std::move(result.summary);
    }
  } catch (const std::exception& e) {
    state.SkipWithError(e.what());
    return;
  }
  state.SetLabel(QFileInfo(path).fileName().toStdString());
  state.counters["lines"] = summary.lines;
  state.counters["placed"] = summary.probesPlaced;
}

// The default options: bottom side, each probe as large as fits.
void BM_ImportReal(benchmark::State& state) {
  importReal(state, lw::ProbeSide::Bottom, lw::ProbeSize::Auto);
}
BENCHMARK(BM_ImportReal)->Unit(benchmark::kMillisecond);

// One fixed size: a single placement pass.
void BM_ImportReal100(benchmark::State& state) {
  importReal(state, lw::ProbeSide::Bottom, lw::ProbeSize::Mil100);
}
BENCHMARK(BM_ImportReal100)->Unit(benchmark::kMillisecond);

// The most placement work: both sides, every size.
void BM_ImportRealBothSides(benchmark::State& state) {
  importReal(state, lw::ProbeSide::Both, lw::ProbeSize::Auto);
}
BENCHMARK(BM_ImportRealBothSides)->Unit(benchmark::kMillisecond);

// A dense made-up board of the given number of lines, on a 40 mil grid:
// parts of 16 surface pads (20 x 40 mil), top and bottom in turn, and a
// 16 mil via after every four pads; four features to a net on average.
QByteArray generatedNetlist(int lines) {
  QByteArray text =
      "C  generated for the import benchmark\nP  JOB BENCH\n"
      "P  UNITS CUST 0\n";
  const int features = lines - 4;
  const int columns = 150;
  const int nets = features / 4;
  for (int k = 0; k < features; ++k) {
    const int x = k % columns * 400;
    const int y = k / columns * 400;
    const int net = static_cast<int>((k * 7919LL) % nets);
    const int part = k / 20;
    const bool via = k % 5 == 0;
    const int side = part % 2 == 0 ? 1 : 2;
    const QByteArray netName = "N" + QByteArray::number(net);
    const QByteArray refdes = via ? "VIA" : "U" + QByteArray::number(part);
    text += QString::asprintf(
                "%s%-14s   %-6s-%-4s %-6sA%02dX%+07dY%+07dX%sS%d\n",
                via ? "317" : "327", netName.constData(), refdes.constData(),
                via ? "" : QByteArray::number(k % 20).constData(),
                via ? "D0080P" : "", via ? 0 : side, x, y,
                via ? "0160Y         " : "0200Y0400     ", via ? 3 : side)
                .toLatin1();
  }
  return text + "999\n";
}

void BM_ImportGenerated17000Lines(benchmark::State& state) {
  const QByteArray text = generatedNetlist(17000);
  lw::ImportOptions options;
  options.side = state.range(0) ? lw::ProbeSide::Both : lw::ProbeSide::Bottom;
  lw::ImportSummary summary;
  for (auto _ : state) {
    lw::ImportResult result =
        lw::importIpc356Text(text, QStringLiteral("generated.ipc"), options);
    benchmark::DoNotOptimize(result.board.entities.data());
    summary = std::move(result.summary);
  }
  state.counters["lines"] = summary.lines;
  state.counters["nets"] = summary.nets;
  state.counters["placed"] = summary.probesPlaced;
  state.counters["problems"] = static_cast<double>(summary.problems.size());
}
BENCHMARK(BM_ImportGenerated17000Lines)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

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

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  realNetlist() = largestNetlist(QStringLiteral(LW_NETLIST_DIR));
  if (realNetlist().isEmpty()) {
    std::fprintf(stderr,
                 "bench_import: no real netlist (*.ipc) in %s; configure "
                 "with -DLW_NETLIST_DIR=FOLDER\n",
                 LW_NETLIST_DIR);
    return 1;
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
