#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a bounded time:
#   board   the board reader, its gzip layer and the save-reload round trip,
#           seeded with the documents in tests/data
#   import  the IPC-D-356 importer, seeded with the netlists of the tests
#   rules   the rules file reader and the sort passes it asks for, seeded
#           with tests/rules/data
#   wiring  the wiring state restored from a document
#
#   scripts/fuzz.sh [seconds] [target...]     default 60 seconds, all targets
#   LW_FUZZ_RUNS=N scripts/fuzz.sh            N inputs each instead
# New inputs collect in build-fuzz/fuzz-corpus/TARGET (kept between runs);
# a crash leaves its input in build-fuzz/fuzz-artifacts.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then targets=(board import rules wiring); fi
build=${LW_FUZZ_BUILD:-$root/build-fuzz}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DLW_BUILD_FUZZ=ON -DLW_SANITIZE=ON \
  -DLW_BUILD_BENCH=OFF >/dev/null
program_of() { if [ "$1" = import ]; then echo lw_ipc356_fuzz; else echo "lw_$1_fuzz"; fi; }
names=()
for target in "${targets[@]}"; do names+=("$(program_of "$target")"); done
cmake --build "$build" -j "${LW_JOBS:-2}" --target "${names[@]}"

limit=(-max_total_time="$seconds")
if [ -n "${LW_FUZZ_RUNS:-}" ]; then limit=(-runs="$LW_FUZZ_RUNS"); fi
mkdir -p "$build/fuzz-artifacts"
export QT_QPA_PLATFORM=offscreen
for target in "${targets[@]}"; do
  seeds=() dict=() max_len=65536
  case $target in
    board) seeds=("$root/tests/data/good" "$root/tests/data/bad")
           dict=(-dict="$root/tests/fuzz/board.dict") ;;
    # Some fifteen records, enough for every rule to meet the others, and
    # quick runs; longer seeds are cut.
    import) seeds=("$root/tests/import/data" "$root/tests/data/ipc356")
            dict=(-dict="$root/tests/fuzz/ipc356.dict") max_len=1024 ;;
    rules) seeds=("$root/tests/rules/data")
           dict=(-dict="$root/tests/fuzz/rules.dict") ;;
  esac
  mkdir -p "$build/fuzz-corpus/$target"
  echo "== $target"
  UBSAN_OPTIONS=print_stacktrace=1 "$build/tests/fuzz/$(program_of "$target")" \
    "${limit[@]}" -timeout=10 -rss_limit_mb=2560 -max_len="$max_len" \
    "${dict[@]}" -artifact_prefix="$build/fuzz-artifacts/$target-" \
    "$build/fuzz-corpus/$target" "${seeds[@]}"
done
