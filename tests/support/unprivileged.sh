#!/bin/sh
# Runs a test program as an unprivileged user when started as root, for
# tests of files a user may not read or write: root may read and write
# anything, and those tests would only skip. Anyone else runs the program
# as it is. nobody must be able to read the build and the sources (as a
# fresh clone with the usual umask allows).
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null 2>&1; then
  exec setpriv --reuid=65534 --regid=65534 --clear-groups -- "$@"
fi
exec "$@"
