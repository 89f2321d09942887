#!/usr/bin/env bash
# scripts/install-desktop into a temporary data folder: the entry passes the
# desktop file validator and starts the given binary, the archive suffix maps
# to the archive type (a kind of zip) and that type to the entry; uninstalling
# takes it all away again.
set -euo pipefail
source_dir="$1" binary="$2"
home="$(mktemp -d)"
trap 'rm -rf "$home"' EXIT
export XDG_DATA_HOME="$home/data" XDG_CONFIG_HOME="$home/config"
failures=0 passes=0
expect() {  # description, command...
  local what="$1"
  shift
  if "$@"; then echo "ok: $what"; passes=$((passes + 1)); else echo "FAILED: $what" >&2; failures=$((failures + 1)); fi
}

TOLLIVAR_BINARY="$binary" "$source_dir/scripts/install-desktop" >/dev/null
entry="$XDG_DATA_HOME/applications/com.marrowick.tollivar.desktop"
expect "the entry exists" test -f "$entry"
if command -v desktop-file-validate >/dev/null; then expect "the entry is valid" desktop-file-validate "$entry"; fi
expect "the entry starts the binary" grep -qxF "Exec=\"$binary\" %u" "$entry"
expect "the entry names the archive type" grep -qx "MimeType=application/x-tollivar-archive;" "$entry"
expect "the icon it names is installed" test -s "$XDG_DATA_HOME/icons/hicolor/scalable/apps/com.marrowick.tollivar.svg"
expect "the suffix maps to the type" grep -qx "50:application/x-tollivar-archive:\*.tollivarmobile" \
  "$XDG_DATA_HOME/mime/globs2"
expect "the type is a kind of zip" grep -qx "application/x-tollivar-archive application/zip" \
  "$XDG_DATA_HOME/mime/subclasses"
expect "the type opens with the entry" grep -qx "application/x-tollivar-archive=com.marrowick.tollivar.desktop;" \
  "$XDG_DATA_HOME/applications/mimeinfo.cache"

"$source_dir/scripts/install-desktop" --uninstall >/dev/null
expect "uninstalling removes the entry" test ! -e "$entry"
expect "uninstalling removes the type" bash -c "! grep -q tollivar '$XDG_DATA_HOME/mime/globs2'"
echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
