// The main window at work on generated boards: the whole load, a "Probe
// Wired" press, a "RefDes" title click and a surface switch; and the resolve
// steps through their hash indexes against the nested searches they replace.
// Wiring and sorting run on the surface with more probes (the bottom of a
// generated board holds nearly nine in ten), where a wirer waits longest.
//
//   bench_app --benchmark_repetitions=5 --benchmark_report_aggregates_only

#include "boardgenerator.h"
#include "boardio.h"
#include "boardview.h"
#include "extraction.h"
#include "gridview.h"
#include "journal.h"
#include "mainwindow.h"
#include "probetable.h"
#include "prompts.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <memory>

using namespace lw;

namespace {

class SilentPrompts final : public Prompts {
 public:
  Answer message(QWidget*, const QString&, const QString&, Icon,
                 Buttons) override {
    return Answer::Ok;
  }
  QString openFileName(QWidget*, const QString&, const QString&) override {
    return {};
  }
  QString saveFileName(QWidget*, const QString&, const QString&) override {
    return {};
  }
};

QTemporaryDir& tempDir() {
  static QTemporaryDir dir;
  return dir;
}

// A generated board written once per size.
QString boardFile(int probes) {
  static std::map<int, QString> files;
  auto it = files.find(probes);
  if (it != files.end()) return it->second;
  const QString path =
      tempDir().filePath(QStringLiteral("board-%1.vdz").arg(probes));
  writeBoard(generateBoard(largeOptions(probes)), path, Compression::Gzip);
  return files[probes] = path;
}

struct Workbench {
  SilentPrompts prompts;
  QSettings settings{tempDir().filePath("settings.ini"), QSettings::IniFormat};
  std::unique_ptr<MainWindow> window;

  // With a data folder every mark goes into the recovery journal.
  explicit Workbench(bool journal = false) {
    MainWindowSetup setup;
    setup.prompts = &prompts;
    setup.settings = &settings;
    if (journal) setup.dataFolder = tempDir().filePath("data");
    window = std::make_unique<MainWindow>(setup);
    window->start();
    window->resize(1400, 900);
    window->show();
    QApplication::processEvents();
  }
  // Both views repainted, whole (after a load: nothing is on screen yet).
  void paint() {
    window->VDEditor->repaint();
    window->VDProbeView->repaint();
  }
  // What a command left to repaint is painted, as when control returns to
  // the event loop after a key: only the regions the views asked for.
  static void paintPending() { QApplication::processEvents(); }
};

// One loaded window per size (and journal), kept across benchmarks, showing
// the surface with more probes.
Workbench& loaded(int probes, bool journal = false) {
  static std::map<std::pair<int, bool>, std::unique_ptr<Workbench>> benches;
  auto& bench = benches[{probes, journal}];
  if (!bench) {
    bench = std::make_unique<Workbench>(journal);
    // A copy of its own: one station per file, even within a process.
    QString path = boardFile(probes);
    if (journal) {
      const QString copy = QString(path).replace(".vdz", "-journal.vdz");
      QFile::copy(path, copy);
      path = copy;
    }
    bench->window->loadFile(path);
    const SurfaceCounts probes = bench->window->state().probes;
    (probes.bottom > probes.top ? bench->window->optBot : bench->window->optTop)
        ->setChecked(true);
    Workbench::paintPending();
  }
  return *bench;
}

int surfaceRows(Workbench& bench) {
  const SurfaceCounts probes = bench.window->state().probes;
  return bench.window->optTop->isChecked() ? probes.top : probes.bottom;
}

// A load in a process that has loaded before: its memory is faulted in
// already (the generator ran here too) and the file is in the page cache.
// What a user meets, a fresh process and a file not in memory, is
// bench_launch's. Fixed iterations, so no untimed first run: the first load
// of each new window is in the mean, and on its own as first_ms.
void BM_LoadFile(benchmark::State& state) {
  const QString path = boardFile(int(state.range(0)));
  Workbench bench;
  double firstMs = -1;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    bench.window->loadFile(path);
    bench.paint();
    if (firstMs < 0)
      firstMs = std::chrono::duration<double, std::milli>(
                    std::chrono::steady_clock::now() - start)
                    .count();
  }
  state.counters["rows"] = bench.window->probeGrid().rows() - 1;
  state.counters["first_ms"] = firstMs;
}
BENCHMARK(BM_LoadFile)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

// Arguments: probes, and 1 with the recovery journal on. The rows counter
// is the surface's.
void BM_ProbeWired(benchmark::State& state) {
  Workbench& bench = loaded(int(state.range(0)), state.range(1) != 0);
  GridModel& grid = bench.window->probeGrid();
  for (auto _ : state) {
    const int marked = grid.currentRow();
    bench.window->cmdWired_Click();
    Workbench::paintPending();
    state.PauseTiming();
    // Unmark it again, so that the surface never runs out of work.
    grid.setText(marked, probe_grid::kWired, QString());
    Workbench::paintPending();
    state.ResumeTiming();
  }
  state.counters["rows"] = surfaceRows(bench);
}
BENCHMARK(BM_ProbeWired)
    ->ArgsProduct({{10000, 100000}, {0, 1}})
    ->ArgNames({"probes", "journal"})
    ->Iterations(50)
    ->Unit(benchmark::kMillisecond);

// What the journal adds to a mark: one line written through to the kernel
// (argument 0), and with a sync to the disk after every mark (1), which is
// why syncs are batched.
void BM_JournalMark(benchmark::State& state) {
  WiringJournal journal(tempDir().filePath("journal-bench"),
                        stampDocument(boardFile(10000), {}));
  JournalEntry mark;
  mark.dataPosition = 123456;
  mark.probe = QStringLiteral("P12345");
  for (auto _ : state) {
    journal.append(mark);
    if (state.range(0)) journal.sync();
  }
  journal.restart(boardFile(10000));
}
BENCHMARK(BM_JournalMark)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_RefDesTitleClick(benchmark::State& state) {
  Workbench& bench = loaded(int(state.range(0)));
  GridModel& grid = bench.window->probeGrid();
  int column = 0;
  while (column < grid.columns() &&
         grid.text(0, column) != QLatin1StringView("RefDes"))
    ++column;
  QHeaderView* header = bench.window->fgProbes->horizontalHeader();
  for (auto _ : state) {
    emit header->sectionClicked(column);
    Workbench::paintPending();
  }
  state.counters["rows"] = surfaceRows(bench);
}
BENCHMARK(BM_RefDesTitleClick)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

void BM_SwitchSurface(benchmark::State& state) {
  Workbench& bench = loaded(int(state.range(0)));
  bool top = true;
  for (auto _ : state) {
    (top ? bench.window->optBot : bench.window->optTop)->setChecked(true);
    top = !top;
    Workbench::paintPending();
  }
}
BENCHMARK(BM_SwitchSurface)->Arg(100000)->Unit(benchmark::kMillisecond);

// ---- resolve steps --------------------------------------------------------

ExtractionTables& extracted(int probes) {
  static std::map<int, std::unique_ptr<ExtractionTables>> all;
  auto& t = all[probes];
  if (!t) {
    t = std::make_unique<ExtractionTables>();
    const BoardDocument doc(generateBoard(largeOptions(probes)));
    int pcb = 0;
    for (const BoardFile& f : doc.board().files)
      if (f.isPcb && f.visible) pcb = f.number;
    extractProbes(doc, pcb, *t);
    extractAccessPoints(doc, pcb, *t);
    extractComponentPins(doc, pcb, *t);
    extractVias(doc, pcb, *t);
    if (t->probeData.lastRow() < probes / 2) std::abort();
  }
  return *t;
}

// The first-match nested searches, as the links were once resolved.
void resolveNested(ExtractionTables& t) {
  RecordTable& access = t.accessData;
  for (int a = 1; a <= access.lastRow(); ++a) {
    const QStringView link = access.cell(access_col::kDatalink, a);
    for (int k = 1; k <= t.pinData.lastRow(); ++k) {
      if (t.pinData.cell(5, k) != link) continue;
      access.setCell(access_col::kFeatureType, a, QStringLiteral("Comp Pin"));
      access.setCell(access_col::kFeatureIndex, a, QString::number(k));
      break;
    }
  }
  for (int a = 1; a <= access.lastRow(); ++a) {
    if (!access.cell(access_col::kFeatureType, a).isEmpty()) continue;
    const QStringView link = access.cell(access_col::kDatalink, a);
    for (int k = 1; k <= t.viaData.lastRow(); ++k) {
      if (t.viaData.cell(10, k) != link) continue;
      access.setCell(access_col::kFeatureType, a, QStringLiteral("Via"));
      break;
    }
  }
  for (int p = 1; p <= t.probeData.lastRow(); ++p) {
    const QStringView link = t.probeData.cell(probe_col::kDatalink, p);
    for (int a = 1; a <= access.lastRow(); ++a) {
      if (access.cell(access_col::kEntityNumber, a) != link) continue;
      t.probeData.setCell(probe_col::kAccessIndex, p, QString::number(a));
      break;
    }
  }
}

void BM_ResolveIndexed(benchmark::State& state) {
  ExtractionTables& t = extracted(int(state.range(0)));
  for (auto _ : state) {
    resolveAccessFeatures(t, true, true);
    resolveProbeAccess(t);
  }
}
BENCHMARK(BM_ResolveIndexed)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_ResolveNested(benchmark::State& state) {
  ExtractionTables& t = extracted(int(state.range(0)));
  for (auto _ : state) resolveNested(t);
}
BENCHMARK(BM_ResolveNested)
    ->Arg(20000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
