// The grid at the probe grid's worst size: 100,000 rows by 20 columns.
//   bench_grid --benchmark_repetitions=5 --benchmark_report_aggregates_only
#include <QApplication>
#include <QLocale>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "gridview.h"
#include "probesort.h"

namespace {

constexpr int kRows = 100000;
constexpr int kColumns = 20;

enum Column {
  kProbe = 1,
  kX = 2,
  kRefDes = 8,
  kNet = 10,
  kPosition = 11,
  kPrefix = 12,
  kNumber = 13,
  kPin = 14
};

// Probe rows in extraction order, shaped like the probe table's; `decimal`
// is the regional separator of the coordinates.
QStringList probeRows(QChar decimal) {
  std::mt19937 random(7);
  std::vector<int> names(kRows);
  std::iota(names.begin(), names.end(), 1);
  std::shuffle(names.begin(), names.end(), random);
  const char* prefixes[] = {"R", "C", "U", "TP", "J", "L"};
  QStringList rows;
  rows.reserve(kRows + 1);
  QStringList titles = {
      "Wired",      "Probe #",         "X Loc",    "Y Loc",
      "Probe Size", "Probe Style",     "Surface",  "Feature Type",
      "RefDes",     "Tester Resource", "Net Name", "Probe Data Position",
      "Prefix",     "Number",          "Pin"};
  for (int c = titles.size(); c < kColumns; ++c)
    titles << QString("ATTRIBUTE_%1").arg(c);
  rows << titles.join(u'\t');
  for (int i = 0; i < kRows; ++i) {
    const QString prefix = prefixes[random() % 6];
    const QString number = QString::number(random() % 900 + 1);
    const QString pin = QString::number(random() % 40 + 1);
    QString x =
        QString::number((int(random() % 400000) - 200000) / 1000.0, 'f', 3);
    QString y = QString::number(int(random() % 300000) / 1000.0, 'f', 3);
    x.replace(u'.', decimal);
    y.replace(u'.', decimal);
    QStringList cells = {"",
                         QString::number(names[size_t(i)]),
                         x,
                         y,
                         "0.035",
                         "Waffle",
                         random() % 2 ? "T" : "B",
                         "Comp Pin",
                         prefix + number + "-" + pin,
                         QString("R%1").arg(random() % 2000),
                         QString("NET_%1").arg(random() % 20000),
                         QString::number(i * 3 + 100),
                         prefix,
                         number,
                         pin};
    for (int c = cells.size(); c < kColumns; ++c)
      cells << QString("value %1").arg(random() % 1000);
    rows << cells.join(u'\t');
  }
  return rows;
}

const QStringList& cRows() {
  static const QStringList rows = probeRows(u'.');
  return rows;
}

// Lets the view lay out and paint what changed, so that its share counts.
void settle() {
  QCoreApplication::processEvents();
}

void fill(lw::GridModel& grid, const QStringList& rows) {
  grid.setRedraw(lw::Redraw::Off);
  grid.clear();
  grid.setRows(0);
  grid.setColumns(kColumns);
  for (const QString& row : rows) grid.appendRow(row);
  grid.setRedraw(lw::Redraw::On);
}

// A shown view on a filled grid, so every reset pays for the view too.
struct Fixture {
  explicit Fixture(const QStringList& rows = cRows()) {
    view.resize(1200, 800);
    view.show();
    fill(*view.grid(), rows);
    settle();
  }
  // Back to extraction order without timing it.
  void unsort() { view.grid()->sortByColumn(kPosition); }
  lw::GridView view;
};

void BM_AppendRows(benchmark::State& state) {
  const QStringList& rows = cRows();
  lw::GridView view;
  view.resize(1200, 800);
  view.show();
  for (auto _ : state) {
    fill(*view.grid(), rows);
    settle();
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}

void BM_HideEverySecondRow(benchmark::State& state) {
  Fixture f;
  lw::GridModel& grid = *f.view.grid();
  for (auto _ : state) {
    grid.setRedraw(lw::Redraw::Off);
    for (int r = 1; r < grid.rows(); ++r) grid.setRowHidden(r, r % 2 == 0);
    grid.setRedraw(lw::Redraw::On);
    settle();
    state.PauseTiming();
    grid.setRedraw(lw::Redraw::Off);
    for (int r = 1; r < grid.rows(); ++r) grid.setRowHidden(r, false);
    grid.setRedraw(lw::Redraw::On);
    settle();
    state.ResumeTiming();
  }
}

void sortBench(benchmark::State& state, const QStringList& rows,
               std::initializer_list<int> columns) {
  Fixture f(rows);
  for (auto _ : state) {
    for (int column : columns) f.view.grid()->sortByColumn(column);
    settle();
    state.PauseTiming();
    f.unsort();
    settle();
    state.ResumeTiming();
  }
}

void BM_SortNumericColumn(benchmark::State& state) {
  sortBench(state, cRows(), {kX});
}

void BM_SortProbeNames(benchmark::State& state) {
  sortBench(state, cRows(), {kProbe});
}

void BM_SortTextColumn(benchmark::State& state) {
  sortBench(state, cRows(), {kNet});
}

void BM_SortRegionalCoordinates(benchmark::State& state) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  sortBench(state, probeRows(u','), {kX});
  QLocale::setDefault(saved);
}

void BM_SortThreePassRefDes(benchmark::State& state) {
  sortBench(state, cRows(), {kPin, kNumber, kPrefix});
}

// A rules file that repeats ".SortOrder RefDes": only the last three passes
// can change the order, so only they run, however long the list.
void BM_SortListOfRepeatedRefDes(benchmark::State& state) {
  Fixture f;
  const QStringList entries(qsizetype(state.range(0)), "RefDes");
  for (auto _ : state) {
    lw::sortProbeGrid(*f.view.grid(), entries);
    settle();
    state.PauseTiming();
    f.unsort();
    settle();
    state.ResumeTiming();
  }
}

void BM_SortNumericOnce(benchmark::State& state) {
  Fixture f;
  for (auto _ : state) {
    f.view.grid()->sortNumeric(kNumber);
    settle();
    state.PauseTiming();
    f.unsort();
    settle();
    state.ResumeTiming();
  }
}

void BM_AutoSize(benchmark::State& state) {
  Fixture f;
  for (auto _ : state) f.view.autoSize(0, kColumns - 1, 13);
}

}  // namespace

BENCHMARK(BM_AppendRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HideEverySecondRow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortNumericColumn)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortProbeNames)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortTextColumn)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortRegionalCoordinates)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortThreePassRefDes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortListOfRepeatedRefDes)
    ->Arg(1)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortNumericOnce)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AutoSize)->Unit(benchmark::kMillisecond);
