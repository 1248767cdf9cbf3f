#include "largepages.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#if defined(__linux__)
#include <unistd.h>
#endif

namespace lw {

namespace {

constexpr char kVariable[] = "GLIBC_TUNABLES";
constexpr char kTunable[] = "glibc.malloc.hugetlb";

// "always" or "madvise" selected: glibc's request (an madvise) is honoured.
bool kernelGivesLargePages() {
  std::ifstream in("/sys/kernel/mm/transparent_hugepage/enabled");
  std::string modes;
  std::getline(in, modes);
  return modes.find("[always]") != std::string::npos ||
         modes.find("[madvise]") != std::string::npos;
}

}  // namespace

void restartWithLargeHeapPages(char** argv) {
#if defined(__linux__) && defined(__GLIBC__)
  const char* before = std::getenv(kVariable);
  // Set by the user (perhaps to 0), or by the start before this one.
  if (before && std::strstr(before, kTunable)) return;
  if (!kernelGivesLargePages()) return;
  const std::string previous = before ? before : "";
  const std::string value =
      (previous.empty() ? "" : previous + ":") + std::string(kTunable) + "=1";
  if (setenv(kVariable, value.c_str(), 1) != 0) return;
  execv("/proc/self/exe", argv);
  // Not started again: run on as the user started it.
  if (before)
    setenv(kVariable, previous.c_str(), 1);
  else
    unsetenv(kVariable);
#else
  (void)argv;
#endif
}

}  // namespace lw
