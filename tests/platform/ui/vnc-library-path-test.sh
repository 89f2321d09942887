#!/usr/bin/env bash
# scripts/vnc with its loopback library where LD_PRELOAD would split its path:
# from a folder with spaces the server still listens on loopback alone; from
# one the loader cannot take at all, nothing starts and the message says why.
set -uo pipefail
source_dir="$1" binary="$2" library="$3" scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
# With the library in folder $1, the check exits with $2 and says $3.
check() {
  mkdir -p "$scratch/$1" && cp "$library" "$scratch/$1/"
  output="$(TOLLIVAR_LOOPBACK_LIBRARY="$scratch/$1/${library##*/}" "$source_dir/scripts/vnc" check "$binary" 2>&1 </dev/null)"
  status=$?
  [ "$status" -eq "$2" ] && [[ "$output" == *"$3"* ]] && return 0
  printf 'FAILED: %s: exit %s (expected %s), output:\n%s\n' "$1" "$status" "$2" "$output" >&2
  return 1
}
check $'a folder  with\tspaces' 0 "(loopback only)"
spaces=$?
check "a:colon" 1 "cannot preload" && [ "$spaces" -eq 0 ]
