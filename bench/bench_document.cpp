// Opening a board document and the four record queries of a load, for
// generated boards of 1,000 to 100,000 probes, plain and compressed; and
// the open plus queries of each .vdz paired, run by run in one series, with
// the time zcat takes to decompress the same file, which is the floor any
// reader of that file has to pay (the table's `ratio`; a summary after it).
// Peak memory is measured in a child process that only opens and queries,
// so the generator's memory and earlier sizes do not count.
//
//   bench_document [--sizes=1000,10000,100000] [benchmark flags]
//   bench_document --peak-memory FILE   (the child: prints, in KiB, the
//                     peak after the open, the resident size then, and the
//                     peak after the queries)

#include "boarddocument.h"
#include "boardgenerator.h"
#include "boardio.h"
#include "childrun.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

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

double processCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

struct Paired {
  int pairs = 0;
  double open = 0, openCpu = 0, zcat = 0, zcatCpu = 0, ratio = 0, ratioCpu = 0;
};

std::map<int, Paired>& pairedResults() {
  static std::map<int, Paired> all;
  return all;
}

// The open plus queries of a .vdz and `zcat FILE > /dev/null` of the same
// file in turn, in one series, so that both meet the same load of a shared
// machine and the ratio is taken pair by pair. Both read the file from the
// page cache here; bench_launch measures a cold launch. Its time is the
// open's; the counters are medians over the pairs, zcat's processor time its
// own.
void BM_PairedWithZcat(benchmark::State& state, const QString& path,
                       int probes) {
  std::vector<double> open, openCpu, zcat, zcatCpu, ratio, ratioCpu;
  const std::string file = path.toStdString();
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const double startCpu = processCpuSeconds();
    Loaded loaded = openAndQuery(path);
    benchmark::DoNotOptimize(loaded.vias.status);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
            .count();
    const double cpu = processCpuSeconds() - startCpu;
    loaded = {};  // closing is not part of a load
    const lw::bench::ChildRun floor = lw::bench::runChild({"zcat", file});
    if (!floor.succeeded()) {
      state.SkipWithError("zcat failed");
      break;
    }
    state.SetIterationTime(wall);
    open.push_back(wall);
    openCpu.push_back(cpu);
    zcat.push_back(floor.wallSeconds);
    zcatCpu.push_back(floor.cpuSeconds());
    ratio.push_back(wall / floor.wallSeconds);
    ratioCpu.push_back(cpu / floor.cpuSeconds());
  }
  if (open.empty()) return;
  using lw::bench::median;
  const Paired m{int(open.size()), median(open),  median(openCpu), median(zcat),
                 median(zcatCpu),  median(ratio), median(ratioCpu)};
  pairedResults()[probes] = m;
  state.counters["zcat_ms"] = m.zcat * 1e3;
  state.counters["ratio"] = m.ratio;
  state.counters["ratio_cpu"] = m.ratioCpu;
}

void printPaired() {
  for (const auto& [probes, m] : pairedResults())
    std::printf(
        "%d probes, medians of %d pairs: open+query %.4g s wall, %.4g s cpu; "
        "zcat %.4g s wall, %.4g s cpu; ratio %.2f wall, %.2f cpu\n",
        probes, m.pairs, m.open, m.openCpu, m.zcat, m.zcatCpu, m.ratio,
        m.ratioCpu);
}

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
  // Enough pairs for a steady median, some twenty seconds a size.
  const int pairs = std::clamp(1000000 / probes, 10, 30);
  benchmark::RegisterBenchmark(("open+query-vs-zcat/" + n).c_str(),
                               BM_PairedWithZcat, base + QStringLiteral(".vdz"),
                               probes)
      ->Iterations(pairs)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond);
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
  benchmark::RunSpecifiedBenchmarks();
  printPaired();
  benchmark::Shutdown();
  return 0;
}
