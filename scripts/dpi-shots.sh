#!/usr/bin/env bash
# Screenshots of Korvalinde at several screen DPIs under Wine, to look at by eye:
#   bash scripts/dpi-shots.sh [DPI...]          (default: 96 120 144)
# Each DPI gets a fresh Wine prefix (KV_DPI); the program is driven through its own commands only, each step
# waiting for something the program makes true. Written to build/screenshots/dpi-N/, with each window's size
# printed: main.png, add-timer.png, add-timer-reading.png (the dialog with the time field's tip), settings.png and
# timeup.png (the notice of a timer that ran out).
#   --readme   only 96 DPI, with a shorter name, to build/screenshots/readme/, and copies main.png to
#              docs/window.png (the README's picture).
# KORVALINDE_EXE=path takes that program instead of building build/mingw/Korvalinde.exe.
set -euo pipefail
cd "$(dirname "$0")/.."

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
# KV_MESSAGES=en_US.UTF-8: the English program, to build/screenshots/dpi-N-en/.
add_caption="タイマー追加" five_hours="5時間"
[ -z "${KV_MESSAGES:-}" ] || { add_caption="Add Timer"; five_hours="5 h"; }

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
kv_build_mingw kvwin >/dev/null
work="$(mktemp -d)"
trap 'kv_wine_stop; rm -rf "$work"' EXIT
trap 'exit 130' INT TERM

fail() { echo "dpi-shots: $*" >&2; exit 1; }
grab() {   # X Y W H OUT.ppm: that part of the Wine desktop
  import -window "$desktop" -crop "$3x$4+$1+$2" +repage -depth 8 "ppm:$5"
}
settled() {   # X Y W H: two grabs in a row are the same picture
  grab "$@" "$work/a.ppm" && grab "$@" "$work/b.ppm" && cmp -s "$work/a.ppm" "$work/b.ppm"
}
# shot WINDOW OUT.png: waits for the window (kvwin's name), repaints it, saves it once it is steady. Leaves
# its frame and client (X Y WIDTH HEIGHT) in wx wy ww wh and cx cy cw ch.
shot() {
  read -r wx wy ww wh cx cy cw ch < <(kv_win show "$1") || fail "no window $1 appeared"
  kv_until 10 kv_frame_drawn "$wx" "$wy" "$ww" "$cy" || fail "$1 has no close box"
  kv_until 10 settled "$wx" "$wy" "$ww" "$wh" || fail "$1 did not settle"
  convert "$work/b.ppm" -strip "$2"
  echo "  $(basename "$2"): window ${ww}x$wh at $wx,$wy, client ${cw}x$ch"
}
row_text_is() { [ "$(kv_win row "$1")" = "$2" ]; }
shot_dialog() {   # WINDOW OUT.png: shoots the open dialog, then cancels it
  shot "$1" "$2"
  kv_win press "$1" cancel   # returns once the dialog has gone
}

for dpi in "${dpis[@]}"; do
  out="$KV_ROOT/build/screenshots/dpi-$dpi${KV_MESSAGES:+-en}"
  [ "$readme" = 0 ] || out="$KV_ROOT/build/screenshots/readme"
  rm -rf "$out"
  mkdir -p "$out"
  KV_DPI="$dpi" kv_wine_start "dpi$dpi" || fail "no Wine session at $dpi DPI"
  echo "$dpi DPI: Wine ready ($KV_WINE_TIMINGS)"
  # Mute on: the expired row stays red instead of being reported and removed.
  wine reg add 'HKCU\Software\Brelwix\Korvalinde' /v Mute /t REG_BINARY /d 01000000 /f >/dev/null 2>&1
  wine "$KORVALINDE_EXE" "0:0:1(済み)" "25($name)" "1:30" >/dev/null 2>&1 &

  kv_win bands 1000 || fail "row 1 did not turn red"
  desktop="$(kv_desktop)" || fail "no Wine desktop window"
  shot main "$out/main.png"   # now with all three rows: the window can show before the last ones are added
  # Row 2 shows its name and its time by turns, a second each. A picture taken between two readings of the
  # name less than a second apart shows the name: a turn to the time and back would have taken two seconds.
  # After 20 tries on a slow machine main.png keeps the first picture, whatever row 2 shows.
  for try in $(seq 1 20); do
    kv_until 10 row_text_is 2 "$name" || fail "row 2 never showed its name"
    t0="$(date +%s%N)"
    if row_text_is 2 "$name" && settled "$wx" "$wy" "$ww" "$wh" && row_text_is 2 "$name" &&
      [ $(( $(date +%s%N) - t0 )) -lt 1000000000 ]; then
      convert "$work/b.ppm" -strip "$out/main.png"
      break
    fi
  done

  kv_win press main add || fail "cannot reach the main window"
  shot add "$out/add-timer.png"
  # "5 min" typed into the time field (the keys go to the dialog's own X window): its tip, beside the dialog, reads
  # 5 hours. The picture holds both.
  xdotool windowfocus --sync "$(xdotool search --name "^$add_caption\$" | head -n 1)" key 5 space m i n
  read -r tx ty tw th < <(kv_win tip "$five_hours") || fail "the time field's tip did not read 5 min"
  left=$(( tx < wx ? tx : wx )) top=$(( ty < wy ? ty : wy ))
  right=$(( tx + tw > wx + ww ? tx + tw : wx + ww )) bottom=$(( ty + th > wy + wh ? ty + th : wy + wh ))
  kv_until 10 settled "$left" "$top" $(( right - left )) $(( bottom - top )) || fail "the tip did not settle"
  convert "$work/b.ppm" -strip "$out/add-timer-reading.png"
  echo "  add-timer-reading.png: tip ${tw}x$th at $tx,$ty"
  kv_win press add cancel

  kv_win press main settings
  shot_dialog settings "$out/settings.png"

  # Mute off (which drops the expired row unreported), then a second start adds a timer that runs out
  # and is reported.
  kv_win press main mute
  wine "$KORVALINDE_EXE" "0:0:1(お茶)" >/dev/null 2>&1
  shot_dialog notice "$out/timeup.png"

  kv_win close || fail "the program did not close"
  kv_wine_stop
done

if [ "$readme" = 1 ]; then
  cp "$KV_ROOT/build/screenshots/readme/main.png" docs/window.png
  echo "dpi-shots: docs/window.png updated"
fi
