#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for a bounded time:
#   board   the document reader, seeded with the documents in tests/data
#   import  the IPC-D-356 importer, seeded with the netlists of the tests
#           and the shared real boards beside the repository
#   scripts/fuzz.sh [seconds] [board|import]...   default 60, both targets
# New inputs collect in build-fuzz/fuzz-corpus-TARGET (kept between runs); a
# crash leaves its input in build-fuzz/fuzz-artifacts.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then targets=(board import); fi
build=${LW_FUZZ_BUILD:-$root/build-fuzz}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DLW_BUILD_FUZZ=ON -DLW_SANITIZE=ON \
  -DLW_BUILD_BENCH=OFF >/dev/null
mkdir -p "$build/fuzz-artifacts"
export QT_QPA_PLATFORM=offscreen

for target in "${targets[@]}"; do
  case $target in
    board)
      program=lw_board_fuzz dict=board.dict max_len=65536
      seeds=("$root/tests/data/good" "$root/tests/data/bad") ;;
    import)
      # Some fifteen records, enough for every rule to meet the others,
      # and quick runs; longer seeds are cut.
      program=lw_ipc356_fuzz dict=ipc356.dict max_len=1024
      seeds=("$root/tests/import/data")
      if [ -d "$root/../shared/boards/ipc356" ]; then
        seeds+=("$root/../shared/boards/ipc356")
      fi ;;
    *) echo "fuzz.sh: unknown target \"$target\" (board or import)" >&2
       exit 2 ;;
  esac
  cmake --build "$build" --target "$program" -j "${LW_JOBS:-2}"
  mkdir -p "$build/fuzz-corpus-$target"
  UBSAN_OPTIONS=print_stacktrace=1 "$build/tests/fuzz/$program" \
    -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 \
    -max_len="$max_len" -dict="$root/tests/fuzz/$dict" \
    -artifact_prefix="$build/fuzz-artifacts/" \
    "$build/fuzz-corpus-$target" "${seeds[@]}"
done
