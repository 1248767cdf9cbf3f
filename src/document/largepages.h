#pragma once

// Opening a large board allocates millions of small blocks. Faulting them
// in 4 KiB at a time, and the TLB misses of walking them, are about a
// quarter of the time to open 100,000 probes. glibc backs its heap with
// transparent huge pages when a tunable asks for it, and reads tunables
// before main runs; so a program that wants them sets the tunable and
// starts itself again.

namespace lw {

// Starts the running program again with large heap pages asked for, once,
// and only where the kernel gives them on request. Returns (and the program
// runs on as it is) when they are already asked for, when GLIBC_TUNABLES
// already says otherwise, or when the program cannot be started again.
// Call first thing in main, before any thread or file is opened.
void restartWithLargeHeapPages(char** argv);

}  // namespace lw
