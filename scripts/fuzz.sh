#!/usr/bin/env bash
# Builds the board reader's fuzz target with clang (libFuzzer with
# AddressSanitizer and UndefinedBehaviorSanitizer) and runs it for a bounded
# time, seeded with the documents in tests/data.
#   scripts/fuzz.sh [seconds]      default 60
# New inputs collect in build-fuzz/fuzz-corpus (kept between runs); a crash
# leaves its input in build-fuzz/fuzz-artifacts.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
build=${LW_FUZZ_BUILD:-$root/build-fuzz}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DLW_BUILD_FUZZ=ON -DLW_SANITIZE=ON \
  -DLW_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target lw_board_fuzz -j "${LW_JOBS:-2}"

mkdir -p "$build/fuzz-corpus" "$build/fuzz-artifacts"
export QT_QPA_PLATFORM=offscreen
UBSAN_OPTIONS=print_stacktrace=1 "$build/tests/fuzz/lw_board_fuzz" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 \
  -max_len=65536 -dict="$root/tests/fuzz/board.dict" \
  -artifact_prefix="$build/fuzz-artifacts/" \
  "$build/fuzz-corpus" "$root/tests/data/good" "$root/tests/data/bad"
