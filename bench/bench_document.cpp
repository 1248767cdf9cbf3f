// Opening a board document and the four record queries of a load, for
// generated boards of 1,000 to 100,000 probes, plain and compressed; beside
// them the time zcat takes to decompress the same .vdz, which is the floor
// any reader of that file has to pay. Peak memory is measured in a child
// process that only opens and queries, so the generator's memory and
// earlier sizes do not count.
//
//   bench_document [--sizes=1000,10000,100000] [benchmark flags]
//   bench_document --peak-memory FILE   (the child: prints, in KiB, the
//                     peak after the open, the resident size then, and the
//                     peak after the queries)

#include "boarddocument.h"
#include "boardgenerator.h"
#include "boardio.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <string>

namespace {

using lw::BoardDocument;
using lw::RecordKind;

// What a load keeps: the document and its four record sets.
struct Loaded {
  std::unique_ptr<BoardDocument> doc;
  lw::RecordQuery probes, access, pins, vias;
};

int visiblePcbFile(const BoardDocument& doc) {
  QList<int> numbers;
  doc.listDocumentFiles(&numbers);
  int found = 0;
  for (int number : numbers) {
    const auto info = doc.fileInformation(number);
    if (info && info->isPcb && info->visible) found = number;
  }
  return found;
}

void query(Loaded& loaded) {
  const int file = visiblePcbFile(*loaded.doc);
  loaded.probes = loaded.doc->queryEntityRecords(file, RecordKind::Probes);
  loaded.access =
      loaded.doc->queryEntityRecords(file, RecordKind::AccessPoints);
  loaded.pins = loaded.doc->queryComponentPinRecords(file);
  loaded.vias = loaded.doc->queryEntityRecords(file, RecordKind::Vias);
}

Loaded openAndQuery(const QString& path) {
  Loaded loaded{std::make_unique<BoardDocument>(), {}, {}, {}, {}};
  loaded.doc->open(path);
  query(loaded);
  return loaded;
}

// A "Vm...:" line of /proc/self/status in KiB: VmHWM the peak, VmRSS now.
long statusKiB(const char* key) {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly | QIODevice::Text)) return -1;
  for (QByteArray line = status.readLine(); !line.isEmpty();
       line = status.readLine()) {
    if (line.startsWith(key))
      return line.mid(std::strlen(key)).trimmed().split(' ').front().toLong();
  }
  return -1;
}

struct Peaks {
  double open = -1;      // MiB, peak until the open is done
  double resident = -1;  // MiB, resident right after the open
  double all = -1;       // MiB, peak once the four queries are done too
};

// Peak memory of a process that opens path and runs the four queries.
Peaks childPeaks(const QString& path) {
  static std::map<QString, Peaks> cache;
  if (auto it = cache.find(path); it != cache.end()) return it->second;
  QProcess child;
  child.start(QCoreApplication::applicationFilePath(),
              {QStringLiteral("--peak-memory"), path});
  child.waitForFinished(-1);
  const QList<QByteArray> kib =
      child.readAllStandardOutput().simplified().split(' ');
  Peaks peaks;
  if (kib.size() == 3)
    peaks = {kib[0].toLong() / 1024.0, kib[1].toLong() / 1024.0,
             kib[2].toLong() / 1024.0};
  return cache[path] = peaks;
}

double fileMiB(const QString& path) {
  return QFileInfo(path).size() / (1024.0 * 1024.0);
}

void BM_OpenAndQuery(benchmark::State& state, const QString& path) {
  for (auto _ : state) {
    Loaded loaded = openAndQuery(path);
    benchmark::DoNotOptimize(loaded.vias.status);
    state.PauseTiming();  // closing is not part of a load
    loaded = {};
    state.ResumeTiming();
  }
  state.counters["file_MiB"] = fileMiB(path);
  const Peaks peaks = childPeaks(path);
  state.counters["peak_open_MiB"] = peaks.open;
  state.counters["rss_open_MiB"] = peaks.resident;
  state.counters["peak_MiB"] = peaks.all;
}

// The two halves of the above, to tell the reader from the queries.
void BM_Open(benchmark::State& state, const QString& path) {
  for (auto _ : state) {
    auto doc = std::make_unique<BoardDocument>();
    doc->open(path);
    state.PauseTiming();
    doc.reset();
    state.ResumeTiming();
  }
}

// The reader without the file and without gzip: JSON text to board.
void BM_Parse(benchmark::State& state, const QString& plainPath) {
  QFile file(plainPath);
  if (!file.open(QIODevice::ReadOnly)) {
    state.SkipWithError("cannot read the board");
    return;
  }
  const QByteArray json = file.readAll();
  for (auto _ : state) {
    auto board = std::make_unique<lw::Board>(lw::parseBoard(
        std::string_view(json.constData(), json.size()), plainPath));
    state.PauseTiming();
    board.reset();
    state.ResumeTiming();
  }
}

void BM_Queries(benchmark::State& state, const QString& path) {
  Loaded loaded{std::make_unique<BoardDocument>(), {}, {}, {}, {}};
  loaded.doc->open(path);
  for (auto _ : state) {
    query(loaded);
    benchmark::DoNotOptimize(loaded.vias.status);
  }
  state.counters["records"] = loaded.probes.status + loaded.access.status +
                              loaded.pins.status + loaded.vias.status;
}

double childrenCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6;
  };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Real time, and zcat's own processor time as a counter: on a busy machine
// processor times compare more fairly than wall clocks.
void BM_Zcat(benchmark::State& state, const QString& path) {
  double cpu = 0;
  for (auto _ : state) {
    const double before = childrenCpuSeconds();
    QProcess zcat;
    zcat.setStandardOutputFile(QProcess::nullDevice());
    zcat.start(QStringLiteral("zcat"), {path});
    if (!zcat.waitForFinished(-1) || zcat.exitCode() != 0) {
      state.SkipWithError("zcat failed");
      break;
    }
    cpu += childrenCpuSeconds() - before;
  }
  state.counters["zcat_cpu_ms"] =
      benchmark::Counter(cpu * 1e3, benchmark::Counter::kAvgIterations);
}

// After the usual table, prints how many times zcat's time the open plus
// queries of each .vdz took, by wall clock and by processor time (medians
// when repetitions were asked for).
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const bool median =
          run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (run.run_type != Run::RT_Iteration && !median) continue;
      const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
      Times& t = mTimes[run.run_name.function_name][median];
      t.real = run.GetAdjustedRealTime() / unit;
      t.cpu = run.GetAdjustedCPUTime() / unit;
      if (auto it = run.counters.find("zcat_cpu_ms"); it != run.counters.end())
        t.cpu = it->second.value / 1e3;
    }
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    const std::string prefix = "open+query/vdz/";
    for (const auto& [name, byKind] : mTimes) {
      if (name.rfind(prefix, 0) != 0) continue;
      const std::string size = name.substr(prefix.size());
      const auto zcat = mTimes.find("zcat/" + size);
      if (zcat == mTimes.end()) continue;
      const bool median = byKind.count(true) && zcat->second.count(true);
      const Times& open = byKind.at(median);
      const Times& floor = zcat->second.at(median);
      std::printf(
          "%s probes, %s: open+query %.3f s real, %.3f s cpu; zcat %.3f s "
          "real, %.3f s cpu; ratio %.2f real, %.2f cpu\n",
          size.c_str(), median ? "medians" : "single runs", open.real, open.cpu,
          floor.real, floor.cpu, open.real / floor.real, open.cpu / floor.cpu);
    }
  }

 private:
  struct Times {
    double real = 0;
    double cpu = 0;
  };
  // benchmark name -> {single run, median} -> seconds
  std::map<std::string, std::map<bool, Times>> mTimes;
};

std::vector<int> sizesFrom(int& argc, char** argv) {
  std::vector<int> sizes{1000, 10000, 100000};
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--sizes=", 8) != 0) continue;
    sizes.clear();
    for (const QByteArray& part : QByteArray(argv[i] + 8).split(','))
      sizes.push_back(part.toInt());
    std::memmove(argv + i, argv + i + 1, (argc - i) * sizeof(char*));
    --argc;
    break;
  }
  return sizes;
}

// Wall clock is what the targets are about; the process's processor time
// (all threads) shows what the machine's other load left out.
template <typename Fn>
void registerTimed(const std::string& name, Fn fn, const QString& path) {
  benchmark::RegisterBenchmark(name.c_str(), fn, path)
      ->Unit(benchmark::kMillisecond)
      ->MeasureProcessCPUTime()
      ->UseRealTime();
}

void registerSize(int probes, const QString& dir) {
  const QString base = QStringLiteral("%1/board-%2").arg(dir).arg(probes);
  {
    const lw::Board board = lw::generateBoard(lw::largeOptions(probes));
    lw::writeBoard(board, base + QStringLiteral(".vd"), lw::Compression::None);
    lw::writeBoard(board, base + QStringLiteral(".vdz"), lw::Compression::Gzip);
  }
  const std::string n = std::to_string(probes);
  for (const char* format : {"vd", "vdz"}) {
    const QString path = base + QLatin1Char('.') + QLatin1String(format);
    const std::string tag = std::string(format) + "/" + n;
    registerTimed("open+query/" + tag, BM_OpenAndQuery, path);
    registerTimed("open/" + tag, BM_Open, path);
  }
  registerTimed("parse/" + n, BM_Parse, base + QStringLiteral(".vd"));
  registerTimed("queries/" + n, BM_Queries, base + QStringLiteral(".vdz"));
  registerTimed("zcat/" + n, BM_Zcat, base + QStringLiteral(".vdz"));
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc == 3 && std::strcmp(argv[1], "--peak-memory") == 0) {
    Loaded loaded{std::make_unique<BoardDocument>(), {}, {}, {}, {}};
    loaded.doc->open(QString::fromLocal8Bit(argv[2]));
    const long peakOpen = statusKiB("VmHWM:");
    const long residentOpen = statusKiB("VmRSS:");
    query(loaded);
    benchmark::DoNotOptimize(loaded.vias.status);
    std::printf("%ld %ld %ld\n", peakOpen, residentOpen, statusKiB("VmHWM:"));
    return 0;
  }
  const std::vector<int> sizes = sizesFrom(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;

  QTemporaryDir dir;
  if (!dir.isValid()) return 1;
  for (int probes : sizes) {
    std::cerr << "generating " << probes << " probes..." << std::endl;
    registerSize(probes, dir.path());
  }
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
