#!/usr/bin/env bash
# scripts/vnc with its loopback library in folders whose names the dynamic
# loader's LD_PRELOAD would split: from a folder with spaces the server still
# listens on the loopback address alone; from one the loader cannot take at
# all, nothing starts and the message says why.
set -euo pipefail
source_dir="$1" binary="$2" library="$3"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
failures=0
# folder name | expected exit status | expected text in the output
while IFS='|' read -r folder status text; do
  mkdir -p "$scratch/$folder"
  cp "$library" "$scratch/$folder/"
  set +e
  output="$(TOLLIVAR_LOOPBACK_LIBRARY="$scratch/$folder/$(basename "$library")" \
    "$source_dir/scripts/vnc" check "$binary" 2>&1 </dev/null)"
  got=$?
  set -e
  if [ "$got" -eq "$status" ] && [[ "$output" == *"$text"* ]]; then
    echo "ok: '$folder'"
  else
    echo "FAILED: '$folder': exit $got (expected $status), output:" >&2
    echo "$output" >&2
    failures=$((failures + 1))
  fi
done <<'CASES'
a folder with spaces|0|(loopback only)
two  spaces/and	a tab|0|(loopback only)
a:colon|1|cannot preload
CASES
[ "$failures" -eq 0 ]
