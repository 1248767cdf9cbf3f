#!/usr/bin/env bash
# Non-blank, non-comment C++ lines of the tests against the code (src/,
# tools/, bench/), and their ratio: the suite is kept near a third.
set -euo pipefail
cd "$(dirname "$0")/.."
count() {
  git ls-files "$@" | grep -E '\.(cpp|h)$' | xargs cat | awk '
    { line = $0
      if (inBlock) { if (index(line, "*/")) { inBlock = 0; sub(/.*\*\//, "", line) } else next }
      gsub(/^[ \t]+|[ \t]+$/, "", line)
      if (substr(line, 1, 2) == "/*") {
        if (!index(line, "*/")) { inBlock = 1; next }
        sub(/^\/\*.*\*\//, "", line); gsub(/^[ \t]+/, "", line)
      }
      if (line == "" || substr(line, 1, 2) == "//") next
      n++ }
    END { print n + 0 }'
}
tests=$(count tests)
code=$(count src tools bench)
awk -v t="$tests" -v c="$code" \
  'BEGIN { printf "tests %d, code %d, ratio %.3f\n", t, c, t / c }'
