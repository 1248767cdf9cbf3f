#!/usr/bin/env bash
# Installs what is missing, builds, and opens Loomwright on the demo board.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
exec "$root/build/src/app/loomwright" "$root/examples/demo.vdz"
