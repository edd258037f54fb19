#!/usr/bin/env bash
# Screenshots of Korvalinde at several screen DPIs under Wine, to look at by eye:
#   bash scripts/dpi-shots.sh [DPI...]          (default: 96 120 144)
# For each DPI a fresh Wine prefix runs at that DPI (scripts/wine-env.sh, KV_DPI) and the
# program is driven through its own commands (no keys, no clicks, nothing that needs the
# foreground). Written to build/screenshots/dpi-N/:
#   main.png       the main window: an expired (red) row kept by Mute, a named timer showing
#                  its name, and a plain countdown;
#   add-timer.png  the add-timer dialog;   settings.png  the settings dialog;
#   timeup.png     the "TimeUp" notice of a timer that ran out with Mute off.
# Each step waits for something the program makes true (a window, a red band, a row's text,
# two equal grabs in a row), never for a fixed time. Prints each window's size. (The settings
# icon's size at each DPI is checked by the end-to-end tests.)
#   --readme   only 96 DPI, with a shorter name, to build/screenshots/readme/, and copies
#              main.png to docs/window.png (the README's picture).
# KORVALINDE_EXE=path takes that program instead of building build/mingw/Korvalinde.exe.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT="$PWD"

readme=0
dpis=()
for a in "$@"; do
  case "$a" in
    --readme) readme=1 ;;
    *[!0-9]* | "") echo "dpi-shots: not a DPI: $a" >&2; exit 2 ;;
    *) dpis+=("$a") ;;
  esac
done
# Row 1 runs out at once; row 2 is named (a long name: is it cut off?); row 3 is plain.
name="洗濯機の脱水"
[ "$readme" = 1 ] && { dpis=(96); name="洗濯"; }
[ ${#dpis[@]} -gt 0 ] || dpis=(96 120 144)

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
kv_build_mingw kvwin >/dev/null
program_pid=""
cleanup() {
  if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
  kv_wine_stop
}
trap cleanup EXIT
trap 'exit 130' INT TERM

kv() { wine "$ROOT/build/mingw/scripts/tools/kvwin.exe" "$@" 2>/dev/null | tr -d '\r'; }
fail() { echo "dpi-shots: $*" >&2; exit 1; }
# until SECONDS COMMAND...: runs the command every 0.1 s until it succeeds, at most SECONDS.
until_true() {
  local end=$(( $(date +%s) + $1 )); shift
  until "$@"; do [ "$(date +%s)" -lt "$end" ] || return 1; sleep 0.1; done
}
grab() {   # X Y W H OUT.ppm: that part of the Wine desktop
  import -window "$desktop" -crop "$3x$4+$1+$2" +repage -depth 8 "ppm:$5"
}
is_red() {   # X Y: the pixel there is pure red
  grab "$1" "$2" 1 1 "$work/pixel.ppm" && [ "$(tail -c 3 "$work/pixel.ppm" | od -An -tx1 | tr -d ' \n')" = ff0000 ]
}
settled() {   # X Y W H: two grabs in a row are the same picture
  grab "$@" "$work/a.ppm" && grab "$@" "$work/b.ppm" && cmp -s "$work/a.ppm" "$work/b.ppm"
}
# The frame is drawn: its close box (the right end of the caption, above the client area:
# X Y of the window, its width, the client's top) has a dark glyph. Wine may draw it a moment
# after the rest of a new window.
frame_drawn() {
  local h=$(( $4 - $2 - 8 ))
  grab $(( $1 + $3 - 30 )) $(( $2 + 4 )) 26 "$h" "$work/box.ppm" &&
    [ "$(convert "$work/box.ppm" -colorspace gray -format '%[fx:minima<0.25]' info:)" = 1 ]
}
# shot WINDOW OUT.png: waits for the window (kvwin's name), repaints it, saves it once it is steady.
shot() {
  local r
  r="$(kv show "$1")" || fail "no window $1 appeared"
  set -- "$@" $r
  until_true 10 frame_drawn "$3" "$4" "$5" "$8" || fail "$1 has no close box"
  until_true 10 settled "$3" "$4" "$5" "$6" || fail "$1 did not settle"
  convert "$work/b.ppm" -strip "$2"
  echo "  $(basename "$2"): window ${5}x${6} at $3,$4, client ${9}x${10}"
}
row_text_is() { [ "$(kv row "$1")" = "$2" ]; }

work="$(mktemp -d)"
trap 'cleanup; rm -rf "$work"' EXIT
for dpi in "${dpis[@]}"; do
  out="$ROOT/build/screenshots/dpi-$dpi"
  [ "$readme" = 0 ] || out="$ROOT/build/screenshots/readme"
  rm -rf "$out"; mkdir -p "$out"
  KV_DPI="$dpi" kv_wine_start "dpi$dpi" || fail "no Wine session at $dpi DPI"
  echo "$dpi DPI: Wine ready ($KV_WINE_TIMINGS)"
  # Mute on: the expired row stays red instead of being reported and removed.
  wine reg add 'HKCU\Software\Brelwix\Korvalinde' /v Mute /t REG_BINARY /d 01000000 /f >/dev/null 2>&1
  wine "$KORVALINDE_EXE" "0:0:1(済み)" "25($name)" "1:30" >/dev/null 2>&1 &
  program_pid=$!

  read -r _ _ _ _ cx cy _ _ < <(kv show main) || fail "the main window did not appear"
  desktop="$(xdotool search --name ' - Wine desktop$' | head -n 1)" || fail "no Wine desktop window"
  until_true 30 is_red $(( cx + 1 )) $(( cy + 1 )) || fail "row 1 did not turn red"
  shot main "$out/main.png"
  # Row 2 shows its name and its time by turns, a second each. A picture taken between two
  # readings of the name less than a second apart shows the name: a turn to the time and
  # back would have taken two seconds.
  read -r wx wy ww wh _ < <(kv show main)
  named=0
  for try in $(seq 1 20); do
    until_true 10 row_text_is 2 "$name" || fail "row 2 never showed its name"
    t0="$(date +%s%N)"
    row_text_is 2 "$name" && grab "$wx" "$wy" "$ww" "$wh" "$work/a.ppm" && grab "$wx" "$wy" "$ww" "$wh" "$work/b.ppm" &&
      row_text_is 2 "$name" && [ $(( $(date +%s%N) - t0 )) -lt 1000000000 ] && cmp -s "$work/a.ppm" "$work/b.ppm" &&
      { named=1; break; }
  done
  if [ "$named" = 1 ]; then
    convert "$work/b.ppm" -strip "$out/main.png"
  else
    echo "  main.png: row 2 shows its time (no picture of its name in 20 tries; the machine is slow)"
  fi

  kv press main add || fail "cannot reach the main window"
  shot add "$out/add-timer.png"
  kv press add cancel; kv gone add

  kv press main settings
  shot settings "$out/settings.png"
  kv press settings cancel; kv gone settings

  # Mute off (which drops the expired row unreported), then a second start adds a timer
  # that runs out and is reported.
  kv press main mute
  wine "$KORVALINDE_EXE" "0:0:1(お茶)" >/dev/null 2>&1
  shot notice "$out/timeup.png"
  kv press notice cancel; kv gone notice

  kv close || fail "the program did not close"
  wait "$program_pid" 2>/dev/null || true
  program_pid=""
  kv_wine_stop
done

if [ "$readme" = 1 ]; then
  mkdir -p docs
  cp "$ROOT/build/screenshots/readme/main.png" docs/window.png
  echo "dpi-shots: docs/window.png updated"
fi
