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

bash scripts/install-deps.sh
[ "${1:-}" != --readme-picture ] || exec bash scripts/dpi-shots.sh --readme

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
kv_build_mingw kvwin
kvwin() { wine "$ROOT/build/mingw/scripts/tools/kvwin.exe" "$@" 2>/dev/null | tr -d '\r'; }
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
  echo "run: Wine ready ($KV_WINE_TIMINGS); starting $KORVALINDE_EXE on $DISPLAY"
  wine "$KORVALINDE_EXE" "$@"
  exit $?
fi

kv_wine_start run
echo "run: Wine ready on Xvfb $DISPLAY ($KV_WINE_TIMINGS); starting $KORVALINDE_EXE"
wine "$KORVALINDE_EXE" "$@" >/dev/null 2>&1 &
program_pid=$!
read -r x y w h _ < <(kvwin show main) || { echo "run: no window of Korvalinde appeared within 30 s" >&2; exit 1; }
echo "run: the window is at $x,$y, ${w}x$h"
sleep 1   # Wine draws the frame a moment after the window
desktop="$(xdotool search --name ' - Wine desktop$' 2>/dev/null | head -n 1 || true)"
if [ -n "$desktop" ]; then
  import -window "$desktop" "$ROOT/build/screenshot.png"
else
  import -window root "$ROOT/build/screenshot.png"
fi
echo "run: screenshot saved to $ROOT/build/screenshot.png"
kvwin close || echo "run: Korvalinde did not close within 10 s; ending the Wine session" >&2
wait "$program_pid" 2>/dev/null || true
program_pid=""
