#!/usr/bin/env bash
# Compiles ui/Korvalinde.rc and checks the resulting resources byte by byte with
# resources_check.py (keyboard table, both dialogs, icon, version and manifest); given the
# built program, checks the resources inside it as well.
#
#   tests/wine/resources_check.sh [--windres PROGRAM] [Korvalinde.exe]
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
ui="$here/../../ui"
windres="x86_64-w64-mingw32-windres"
files=()
while [ $# -gt 0 ]; do
  case "$1" in
    --windres) windres="$2"; shift 2 ;;
    *) files+=("$1"); shift ;;
  esac
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$windres" -c 65001 -I "$ui" -i "$ui/Korvalinde.rc" -o "$work/Korvalinde.res" -O res
python3 "$here/resources_check.py" "$work/Korvalinde.res" "${files[@]}"
echo "resources check passed"
