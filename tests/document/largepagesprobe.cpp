// Starts itself again as the programs do, then prints the tunables it runs
// with, for largepages_test.
#include "largepages.h"

#include <cstdio>
#include <cstdlib>

int main(int /*argc*/, char** argv) {
  lw::restartWithLargeHeapPages(argv);
  const char* tunables = std::getenv("GLIBC_TUNABLES");
  std::printf("%s", tunables ? tunables : "(unset)");
  return 0;
}
