#!/usr/bin/env bash
# Builds a release of both programs and makes the Debian package:
# build-package/loomwright_VERSION_ARCH.deb (or $1/...). Install it with
#   sudo apt install ./build-package/loomwright_*.deb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-package}
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DLW_BUILD_BENCH=OFF -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build" -j "$(nproc)" --target loomwright loomwright-cli \
  man_pages
(cd "$build" && cpack -G DEB)
