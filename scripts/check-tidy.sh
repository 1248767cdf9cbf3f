#!/usr/bin/env bash
# Runs clang-tidy (.clang-tidy) over the program's own sources, using the
# compile commands of a build folder (default build/). Exit status 0: clean.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
cd "$root"
files=$(git ls-files 'src/*.cpp' 'tools/*.cpp' 'bench/*.cpp')
# Qt's generated files (moc) are not ours; the build must exist for the
# compile commands and the generated headers.
# shellcheck disable=SC2086
printf '%s\n' $files | xargs -P "$(nproc)" -n 4 \
  clang-tidy -p "$build" --quiet 2>/dev/null
echo "clang-tidy: clean"
