#!/usr/bin/env bash
# Builds Korvalinde.exe and starts it under Wine. Arguments go to the program, e.g.
#   bash scripts/run.sh "5(tea)" P5:30
#
# With a DISPLAY, the program shows there (inside a Wine virtual desktop) and the script waits
# until it exits. Without one, it starts Xvfb, waits for the window, saves a screenshot of the
# desktop to build/screenshot.png, closes the program and cleans up.
# KORVALINDE_EXE=path runs that program instead of building one.
#
#   bash scripts/run.sh --readme-picture
# instead writes docs/window.png, the README's picture of the window (a few timers, one of
# them run out and red), through scripts/dpi-shots.sh at 96 DPI.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT="$PWD"

if [ "${1:-}" = --readme-picture ]; then
  bash scripts/install-deps.sh
  exec bash scripts/dpi-shots.sh --readme
fi

bash scripts/install-deps.sh

if [ -z "${KORVALINDE_EXE:-}" ]; then
  if [ -f build/mingw/CMakeCache.txt ]; then
    cmake -S . -B build/mingw >/dev/null
  else
    cmake -S . -B build/mingw -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
  fi
  cmake --build build/mingw -j2 --target Korvalinde
  KORVALINDE_EXE="$ROOT/build/mingw/Korvalinde.exe"
fi
[ -f "$KORVALINDE_EXE" ] || { echo "run: $KORVALINDE_EXE not found" >&2; exit 1; }
exe_name="$(basename "$KORVALINDE_EXE")"

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
kv_build_kvwin
program_pid=""
cleanup() {
  local rc=$?
  if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
    kill "$program_pid" 2>/dev/null || true
  fi
  kv_wine_stop
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -n "${DISPLAY:-}" ]; then
  KV_USE_DISPLAY=1 kv_wine_start run
  echo "run: Wine ready ($KV_WINE_TIMINGS); starting $exe_name on $DISPLAY"
  wine "$KORVALINDE_EXE" "$@"
  exit $?
fi

kv_wine_start run
echo "run: Wine ready on Xvfb $DISPLAY ($KV_WINE_TIMINGS); starting $exe_name"
wine "$KORVALINDE_EXE" "$@" >/dev/null 2>&1 &
program_pid=$!
if ! wine "$ROOT/build/tools/kvwin.exe" wait "$exe_name" 30; then
  echo "run: no window of $exe_name appeared within 30 s" >&2
  exit 1
fi
sleep 1
desktop="$(xdotool search --name ' - Wine desktop$' 2>/dev/null | head -n 1 || true)"
if [ -n "$desktop" ]; then
  import -window "$desktop" "$ROOT/build/screenshot.png"
else
  import -window root "$ROOT/build/screenshot.png"
fi
echo "run: screenshot saved to $ROOT/build/screenshot.png"
if ! wine "$ROOT/build/tools/kvwin.exe" close "$exe_name" 10; then
  echo "run: $exe_name did not close within 10 s; ending the Wine session" >&2
fi
wait "$program_pid" 2>/dev/null || true
program_pid=""
