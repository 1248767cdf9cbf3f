#include "childrun.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>

extern char** environ;

namespace lw::bench {

namespace {

double seconds(const timeval& t) {
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
}

std::vector<char*> pointers(const std::vector<std::string>& strings) {
  std::vector<char*> result;
  result.reserve(strings.size() + 1);
  for (const std::string& s : strings)
    result.push_back(const_cast<char*>(s.c_str()));
  result.push_back(nullptr);
  return result;
}

// Waits until the child exits or the time is up: a pidfd turns readable at
// its exit, so the wall clock stops there and not at a polling tick.
bool exitsWithin(pid_t pid, double timeoutSeconds) {
  // By its number: the C library's header of this call lacks C linkage.
  const int pidfd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
  if (pidfd < 0) return true;  // no pidfd: wait4 blocks without a limit
  pollfd exitReady{pidfd, POLLIN, 0};
  int ready = 0;
  do {
    ready = poll(&exitReady, 1, static_cast<int>(timeoutSeconds * 1000));
  } while (ready < 0 && errno == EINTR);
  close(pidfd);
  return ready != 0;
}

}  // namespace

ChildRun runChild(const std::vector<std::string>& argv,
                  const std::vector<std::string>& environment,
                  const std::string& errorPath, double timeoutSeconds) {
  ChildRun run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null",
                                   O_WRONLY, 0);
  if (!errorPath.empty())
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<char*> args = pointers(argv);
  std::vector<char*> env = pointers(environment);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  // posix_spawn does not copy this process's page tables as fork would, so
  // the benchmark's own size does not lengthen the child's start.
  const int failed =
      posix_spawnp(&pid, args.front(), &actions, nullptr, args.data(),
                   environment.empty() ? environ : env.data());
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) return run;
  run.started = true;
  if (!exitsWithin(pid, timeoutSeconds)) {
    run.timedOut = true;
    kill(pid, SIGKILL);
  }
  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  run.wallSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
          .count();
  if (WIFEXITED(status)) run.exitStatus = WEXITSTATUS(status);
  run.userSeconds = seconds(usage.ru_utime);
  run.systemSeconds = seconds(usage.ru_stime);
  run.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;  // KiB
  return run;
}

double dropFromPageCache(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  // Dirty pages are not dropped: a freshly written board is written back
  // first.
  fdatasync(fd);
  posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  double cached = -1;
  struct stat info {};
  if (fstat(fd, &info) == 0 && info.st_size > 0) {
    const auto size = static_cast<size_t>(info.st_size);
    const auto page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    // Mapped but never touched, so counting does not fault anything in.
    void* map = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    if (map != MAP_FAILED) {
      std::vector<unsigned char> resident((size + page - 1) / page);
      if (mincore(map, size, resident.data()) == 0)
        cached = static_cast<double>(std::count_if(
                     resident.begin(), resident.end(),
                     [](unsigned char r) { return (r & 1) != 0; })) /
                 static_cast<double>(resident.size());
      munmap(map, size);
    }
  }
  close(fd);
  return cached;
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  const auto middle = values.begin() + std::ptrdiff_t(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  if (values.size() % 2 != 0) return *middle;
  const double upper = *middle;
  return (*std::max_element(values.begin(), middle) + upper) / 2;
}

}  // namespace lw::bench
