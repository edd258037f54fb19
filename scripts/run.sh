#!/usr/bin/env bash
# Builds Korvalinde.exe and starts it under Wine with the arguments given (the README says what it does with
# and without a DISPLAY); --readme-picture instead writes docs/window.png through scripts/dpi-shots.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh
[ "${1:-}" != --readme-picture ] || exec bash scripts/dpi-shots.sh --readme

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
kv_build_mingw kvwin
first_row_filled() {   # the first row shows its time or name, or there is no row
  local text
  ! text="$(kv_win row 1)" || [ -n "$text" ]
}
trap kv_wine_stop EXIT
trap 'exit 130' INT TERM

KV_USE_DISPLAY=1 kv_wine_start run
echo "run: Wine ready on ${KV_XVFB_PID:+Xvfb }$DISPLAY ($KV_WINE_TIMINGS); starting $KORVALINDE_EXE"
if [ -z "$KV_XVFB_PID" ]; then
  wine "$KORVALINDE_EXE" "$@"
  exit
fi
wine "$KORVALINDE_EXE" "$@" >/dev/null 2>&1 &
read -r x y w h _ cy _ < <(kv_win show main) || { echo "run: no window of Korvalinde appeared within 30 s" >&2; exit 1; }
echo "run: the window is at $x,$y, ${w}x$h"
kv_until 10 kv_frame_drawn "$x" "$y" "$w" "$cy" || echo "run: Wine drew no frame around the window" >&2
kv_until 10 first_row_filled || echo "run: the first row shows no text" >&2
desktop="$(kv_desktop)" || desktop=root
import -window "$desktop" build/screenshot.png
echo "run: screenshot saved to $KV_ROOT/build/screenshot.png"
kv_win close || echo "run: Korvalinde did not close within 10 s; ending the Wine session" >&2
