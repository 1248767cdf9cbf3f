#!/usr/bin/env bash
# Times a cold launch of this tree's program, a fresh process per run,
# paired with zcat of the same file, at 100,000 and 300,000 probes
# (docs/performance.md, "A cold launch, paired with zcat"). Builds the
# benchmark and the program first; prints the machine, the commit and the
# load beside the figures.
#
#   scripts/bench-launch.sh [BUILD_DIR] [--sizes=100000,300000] [--pairs=5]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then
  build=$1
  shift
fi
nice -n 10 cmake --build "$build" --target bench_launch -j2 >/dev/null
lscpu | grep -E '^(Architecture|CPU\(s\)|Model name|Thread|Core|Hypervisor)'
dirty=$(git -C "$root" status --porcelain --untracked-files=no)
echo "source $(git -C "$root" rev-parse --short HEAD)${dirty:+ with changes}," \
  "build $build"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
"$build/bench/bench_launch" "$@"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
