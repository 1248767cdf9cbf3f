#!/usr/bin/env bash
# Installs a build into a scratch prefix and checks what a desktop needs of
# it: the desktop entry, the AppStream metadata, the MIME types, the icon,
# the man pages, the shipped rules file found from the installed programs,
# and both programs running from the PATH.
#
#   scripts/check-install.sh BUILD_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: check-install.sh BUILD_DIR}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/usr
share=$prefix/share
id=org.loomwright.Loomwright

cmake --install "$build" --prefix "$prefix" >/dev/null

desktop-file-validate "$share/applications/$id.desktop"
grep -qx 'Exec=loomwright %f' "$share/applications/$id.desktop"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" >/dev/null
xmllint --noout "$share/icons/hicolor/scalable/apps/$id.svg"

# The types compile, .vdz is a kind of gzip, and the entry opens both.
xmllint --noout "$share/mime/packages/$id.xml"
XDG_DATA_DIRS=$share update-mime-database "$share/mime"
grep -q '^application/x-veldra-vdz application/gzip$' "$share/mime/subclasses"
grep -q ':application/x-veldra-vdz:\*\.vdz$' "$share/mime/globs2"
grep -q ':application/x-veldra-vd:\*\.vd$' "$share/mime/globs2"
grep -q '^MimeType=application/x-veldra-vd;application/x-veldra-vdz;$' \
  "$share/applications/$id.desktop"

if command -v man >/dev/null; then
  for page in loomwright loomwright-cli; do
    warnings=$(MANWIDTH=80 man --warnings -l "$share/man/man1/$page.1.gz" \
      2>&1 >/dev/null)
    [ -z "$warnings" ] || { echo "$page.1: $warnings" >&2; exit 1; }
  done
fi

# From the PATH, as a user runs them, with no display and a home of their
# own.
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export PATH=$prefix/bin:$PATH
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/home/.config
export XDG_RUNTIME_DIR=$scratch/run
mkdir -p "$HOME" && mkdir -m 700 "$XDG_RUNTIME_DIR"
[ "$(command -v loomwright)" = "$prefix/bin/loomwright" ]
loomwright --version | grep -q '^Loomwright 1\.'
loomwright-cli --version | grep -q '^loomwright-cli 1\.'

# The installed programs read the rules from share/loomwright, not beside
# themselves: a shipped file that hides "Probe Size" takes it out of the
# exported wire list.
printf 'Loomwright Rules File\r\n\r\n.ColumnGrid 0 0 Probe Size\r\n' \
  >"$share/loomwright/default.rules"
loomwright-cli export "$root/examples/demo.vdz" -o "$scratch/demo.csv" \
  >/dev/null
head -1 "$scratch/demo.csv" | grep -q '^Wired,Probe #,X Loc,Y Loc,Feature Type'
echo "installed files OK"
