// A whole launch as a user meets it. Each run starts the real program as
// `loomwright FILE` in a fresh process (offscreen), which leaves as soon as
// the title names the file, the grid is filled and the window is painted
// (LOOMWRIGHT_EXIT_WHEN_LOADED; its exit status says whether that
// happened). In the same series, run by run, `zcat FILE > /dev/null` of the
// same file: launch, zcat, launch, zcat... so both meet the same load of a
// shared machine, and the ratio is taken pair by pair.
//
// Cold: before every run, of either, the file is written back and dropped
// from the page cache (posix_fadvise DONTNEED: no root needed), and this
// process never reads it, so both read it from the disk; `cached_pct` is
// the most of it still cached at the start of a run. The program and Qt's
// libraries stay cached, as after any earlier launch (one unmeasured
// `loomwright --version` first). Every launch gets empty settings, data
// and runtime folders, so it meets neither the user's settings nor the
// station lock or recovery journal of the previous run, nor another running
// Loomwright that would take the file over.
//
// Boards: the generator's large options (as bench_document), written as
// .vdz into a temporary folder by loomwright-gen in a process of its own:
// the kernel counts the peak memory of the process that starts a child
// into the child's (wait4's ru_maxrss), so this one stays small, and its
// own peak is printed as the floor under the figures. Times are medians over
// the pairs; peak_MiB is the launch's peak resident memory. The sizes take
// turns, a pair of each per round (--pairs rounds), so that a larger size's
// cost per probe is taken round by round against the smallest's and a
// machine that slows down during the series moves both alike. At the end: a
// summary of each size, and each larger size's cost per probe.
//
//   bench_launch [--sizes=100000,300000] [--pairs=5] [--program=PATH]
//                [benchmark flags]

#include "childrun.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace {

using lw::bench::ChildRun;
using lw::bench::median;

struct Options {
  std::vector<int> sizes{100000, 300000};
  int pairs = 5;
  std::string program = LW_PROGRAM;
};

struct Summary {
  double fileMiB = 0;
  int pairs = 0;
  double wall = 0, cpu = 0, user = 0, system = 0, peak = 0;
  double zcatWall = 0, zcatCpu = 0;
  double ratio = 0, ratioCpu = 0;
  double cached = 0;
  // Against the smallest size, per probe: the median of the rounds'.
  double perProbe = 0, perProbeCpu = 0;
};

std::map<int, Summary>& summaries() {
  static std::map<int, Summary> all;
  return all;
}

// This process's environment, with the launch's own: offscreen, leaving
// when loaded, and every per-user folder inside userDir.
std::vector<std::string> launchEnvironment(const QString& userDir) {
  static const char* const kReplaced[] = {"HOME=",
                                          "XDG_CONFIG_HOME=",
                                          "XDG_DATA_HOME=",
                                          "XDG_CACHE_HOME=",
                                          "XDG_RUNTIME_DIR=",
                                          "QT_QPA_PLATFORM=",
                                          "LOOMWRIGHT_EXIT_WHEN_LOADED="};
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e)
    if (std::none_of(std::begin(kReplaced), std::end(kReplaced),
                     [e](const char* key) {
                       return std::strncmp(*e, key, std::strlen(key)) == 0;
                     }))
      env.emplace_back(*e);
  const std::string dir = userDir.toStdString();
  env.push_back("HOME=" + dir + "/home");
  env.push_back("XDG_CONFIG_HOME=" + dir + "/config");
  env.push_back("XDG_DATA_HOME=" + dir + "/data");
  env.push_back("XDG_CACHE_HOME=" + dir + "/cache");
  env.push_back("XDG_RUNTIME_DIR=" + dir);  // QTemporaryDir: mode 0700
  env.emplace_back("QT_QPA_PLATFORM=offscreen");
  env.emplace_back("LOOMWRIGHT_EXIT_WHEN_LOADED=1");
  return env;
}

std::string failure(const char* what, const ChildRun& run) {
  if (!run.started) return std::string(what) + " could not be started";
  if (run.timedOut) return std::string(what) + " was killed: too slow";
  return std::string(what) + " failed, exit status " +
         std::to_string(run.exitStatus);
}

struct Board {
  int probes = 0;
  std::string path;
};

struct Series {
  std::vector<double> wall, cpu, user, system, peak, zcatWall, zcatCpu, ratio,
      ratioCpu;
  double cached = 0;
};

// One launch and one zcat of board, cold; an error, or nothing.
std::string runPair(const std::string& program, const Board& board, Series& s) {
  QTemporaryDir user;
  // Qt's offscreen platform warns about every window: kept for a failure.
  const QString messages = user.filePath(QStringLiteral("messages"));
  s.cached = std::max(s.cached, lw::bench::dropFromPageCache(board.path));
  const ChildRun launch =
      lw::bench::runChild({program, board.path}, launchEnvironment(user.path()),
                          messages.toStdString());
  s.cached = std::max(s.cached, lw::bench::dropFromPageCache(board.path));
  const ChildRun zcat = lw::bench::runChild({"zcat", board.path});
  if (!launch.succeeded()) {
    QFile file(messages);
    if (file.open(QIODevice::ReadOnly)) std::cerr << file.readAll().data();
    return failure(program.c_str(), launch) +
           " (the title did not name the file or the grid stayed empty)";
  }
  if (!zcat.succeeded()) return failure("zcat", zcat);
  s.wall.push_back(launch.wallSeconds);
  s.cpu.push_back(launch.cpuSeconds());
  s.user.push_back(launch.userSeconds);
  s.system.push_back(launch.systemSeconds);
  s.peak.push_back(launch.peakMiB);
  s.zcatWall.push_back(zcat.wallSeconds);
  s.zcatCpu.push_back(zcat.cpuSeconds());
  s.ratio.push_back(launch.wallSeconds / zcat.wallSeconds);
  s.ratioCpu.push_back(launch.cpuSeconds() / zcat.cpuSeconds());
  return {};
}

// Every iteration is a round: each size once, the order turning round by
// round, so that all sizes meet the same machine and a larger size's cost
// per probe is taken round by round against the smallest's.
void BM_Launch(benchmark::State& state, const std::string& program,
               const std::vector<Board>& boards) {
  std::vector<Series> series(boards.size());
  {
    QTemporaryDir user;
    lw::bench::runChild({program, "--version"}, launchEnvironment(user.path()));
  }
  int round = 0;
  for (auto _ : state) {
    double seconds = 0;
    for (std::size_t k = 0; k < boards.size(); ++k) {
      const std::size_t b = round % 2 ? boards.size() - 1 - k : k;
      if (std::string error = runPair(program, boards[b], series[b]);
          !error.empty()) {
        state.SkipWithError(error.c_str());
        return;
      }
      seconds += series[b].wall.back();
    }
    state.SetIterationTime(seconds);
    ++round;
  }
  for (std::size_t b = 0; b < boards.size(); ++b) {
    const Series& s = series[b];
    if (s.wall.empty()) return;
    Summary m{
        QFileInfo(QString::fromStdString(boards[b].path)).size() / 1048576.0,
        int(s.wall.size()),
        median(s.wall),
        median(s.cpu),
        median(s.user),
        median(s.system),
        median(s.peak),
        median(s.zcatWall),
        median(s.zcatCpu),
        median(s.ratio),
        median(s.ratioCpu),
        s.cached * 100,
        {},
        {}};
    const double scale = double(boards[b].probes) / boards.front().probes;
    std::vector<double> perProbe, perProbeCpu;
    for (std::size_t r = 0; r < s.wall.size(); ++r) {
      perProbe.push_back(s.wall[r] / series.front().wall[r] / scale);
      perProbeCpu.push_back(s.cpu[r] / series.front().cpu[r] / scale);
    }
    m.perProbe = median(perProbe);
    m.perProbeCpu = median(perProbeCpu);
    summaries()[boards[b].probes] = m;
    const std::string n = std::to_string(boards[b].probes);
    state.counters["ratio_" + n] = m.ratio;
    state.counters["peak_MiB_" + n] = m.peak;
    if (b > 0) state.counters["per_probe_" + n] = m.perProbe;
  }
}

void printSummaries() {
  const auto& all = summaries();
  for (const auto& [probes, m] : all) {
    std::printf(
        "%d probes (%.1f MiB .vdz), medians of %d pairs:\n"
        "  launch %.3f s wall, %.3f s cpu (%.3f user + %.3f sys), peak %.0f "
        "MiB\n"
        "  zcat   %.3f s wall, %.3f s cpu\n"
        "  launch / zcat, median of the pairs' ratios: %.2f wall, %.2f cpu\n"
        "  most of the file still cached at a run's start: %.1f%%\n",
        probes, m.fileMiB, m.pairs, m.wall, m.cpu, m.user, m.system, m.peak,
        m.zcatWall, m.zcatCpu, m.ratio, m.ratioCpu, m.cached);
  }
  if (all.size() < 2) return;
  const auto& [base, b] = *all.begin();
  for (auto it = std::next(all.begin()); it != all.end(); ++it) {
    const auto& [probes, m] = *it;
    const double scale = double(probes) / base;
    std::printf(
        "%d against %d probes, per probe (1.00 = linear), median of the "
        "rounds: launch %.2f wall, %.2f cpu; of the medians: peak memory "
        "%.2f, zcat %.2f wall\n",
        probes, base, m.perProbe, m.perProbeCpu, m.peak / b.peak / scale,
        m.zcatWall / b.zcatWall / scale);
  }
}

// Takes --name=VALUE out of argv, for Google Benchmark not to see it.
std::string takeFlag(int& argc, char** argv, const char* name) {
  const std::string prefix = std::string("--") + name + "=";
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], prefix.c_str(), prefix.size()) != 0) continue;
    std::string value = argv[i] + prefix.size();
    std::memmove(argv + i, argv + i + 1, (argc - i) * sizeof(char*));
    --argc;
    return value;
  }
  return {};
}

Options optionsFrom(int& argc, char** argv) {
  Options options;
  if (const std::string sizes = takeFlag(argc, argv, "sizes"); !sizes.empty()) {
    options.sizes.clear();
    for (const QByteArray& part : QByteArray::fromStdString(sizes).split(','))
      options.sizes.push_back(part.toInt());
  }
  if (const std::string pairs = takeFlag(argc, argv, "pairs"); !pairs.empty())
    options.pairs = std::stoi(pairs);
  if (std::string program = takeFlag(argc, argv, "program"); !program.empty())
    options.program = std::move(program);
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const Options options = optionsFrom(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (options.pairs < 1 ||
      std::any_of(options.sizes.begin(), options.sizes.end(),
                  [](int n) { return n < 1; })) {
    std::cerr << "bench_launch: --pairs and --sizes take whole numbers above "
                 "0\n";
    return 1;
  }

  QTemporaryDir dir;
  if (!dir.isValid()) return 1;
  std::vector<int> sizes = options.sizes;
  std::sort(sizes.begin(), sizes.end());
  sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
  std::vector<Board> boards;
  for (int probes : sizes) {
    std::cerr << "generating " << probes << " probes..." << std::endl;
    const QString path =
        dir.filePath(QStringLiteral("board-%1.vdz").arg(probes));
    const ChildRun generator = lw::bench::runChild(
        {LW_GENERATOR, "--probes", std::to_string(probes), path.toStdString()});
    if (!generator.succeeded()) {
      std::cerr << "bench_launch: " << LW_GENERATOR << " failed\n";
      return 1;
    }
    boards.push_back({probes, path.toStdString()});
  }
  benchmark::RegisterBenchmark("launch", BM_Launch, options.program, boards)
      ->Iterations(options.pairs)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond);
  benchmark::RunSpecifiedBenchmarks();
  printSummaries();
  rusage self{};
  getrusage(RUSAGE_SELF, &self);
  std::printf("this benchmark's own peak, a floor under the peaks: %.0f MiB\n",
              static_cast<double>(self.ru_maxrss) / 1024.0);
  benchmark::Shutdown();
  return 0;
}
