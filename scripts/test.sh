#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test through ctest:
# once in a normal build and once with AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
"$root/scripts/install-deps.sh"

export QT_QPA_PLATFORM=offscreen
echo "== build and test"
# CI builds with warnings as errors; a developer's build only shows them.
werror=()
if [ "${CI:-}" = true ]; then werror=(-DLW_WERROR=ON); fi
"$root/scripts/build.sh" "$root/build" "${werror[@]}"
ctest --test-dir "$root/build" --output-on-failure -j "$jobs"

if [ "${LW_SKIP_SANITIZERS:-0}" != 1 ]; then
  echo "== build and test with AddressSanitizer + UndefinedBehaviorSanitizer"
  "$root/scripts/build.sh" "$root/build-asan" -DLW_SANITIZE=ON \
    -DLW_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug "${werror[@]}"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir "$root/build-asan" --output-on-failure -j "$jobs"
fi
