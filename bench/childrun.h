// Running a program as a child process and measuring it as its user would
// see it: wall clock from start to exit, its own processor time and its peak
// resident memory (from wait4, so neither the benchmark nor other children
// count). Also what a cold run needs: a file dropped from the page cache.
#pragma once

#include <string>
#include <vector>

namespace lw::bench {

struct ChildRun {
  bool started = false;    // false: it could not be started at all
  bool timedOut = false;   // killed after the time allowed
  int exitStatus = -1;     // its exit status, -1 when it did not exit
  double wallSeconds = 0;  // from start to exit
  double userSeconds = 0;
  double systemSeconds = 0;
  double peakMiB = 0;  // peak resident memory
  double cpuSeconds() const { return userSeconds + systemSeconds; }
  bool succeeded() const { return exitStatus == 0; }
};

// Runs argv (argv[0] looked up in PATH) with its standard output thrown away
// and the given environment (empty: this process's). Its error output goes
// to errorPath when one is given. A child still running after
// timeoutSeconds is killed.
ChildRun runChild(const std::vector<std::string>& argv,
                  const std::vector<std::string>& environment = {},
                  const std::string& errorPath = {},
                  double timeoutSeconds = 600);

// Writes the file's pages back and asks the kernel to drop them from the
// page cache (posix_fadvise, no root needed), so the next reader reads the
// disk. Returns the share of its pages still cached afterwards (0 to 1),
// or -1 when the file cannot be opened.
double dropFromPageCache(const std::string& path);

// The median of the values (0 for none).
double median(std::vector<double> values);

}  // namespace lw::bench
