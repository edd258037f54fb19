# The builds and the Wine session for running and testing Korvalinde (README.md, "The Wine session", says
# what the session sets up and why). Source this file, then:
#   kv_build DIR [CMAKE_ARGS...] [-- BUILD_ARGS...]
#                        configures DIR (the log shows only on failure), builds it with JOBS (default 2) jobs;
#   kv_build_mingw TARGET...   builds them in build/mingw, and Korvalinde.exe unless KORVALINDE_EXE names
#                        another program; KORVALINDE_EXE then holds the program's full path;
#   kv_wine_start NAME   (KV_MESSAGES=en_US.UTF-8: an English UI language)
#                        the caller's X display with KV_USE_DISPLAY=1, else a new Xvfb, and a fresh prefix
#                        build/wine-NAME at KV_DPI (default 96), its wineserver and its desktop process kept
#                        running (kvwin hold, built if missing); the time of each step goes to KV_WINE_TIMINGS;
#   kv_wine_stop         ends exactly what kv_wine_start started, nothing else. Safe to call twice;
#   kv_until SECONDS COMMAND...   runs the command every 0.1 s until it succeeds, at most SECONDS;
#   kv_win ARGS...       runs scripts/tools/kvwin.exe (kv_build_mingw kvwin builds it) in the session;
#   kv_desktop           prints the X window of Wine's virtual desktop; fails when there is none;
#   kv_frame_drawn X Y WIDTH CLIENT_TOP   the close box of that window has its dark glyph (Wine may draw
#                        the frame a moment after the rest of a new window).

KV_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
KV_DESKTOP_SIZE="${KV_DESKTOP_SIZE:-800x600}"   # Wine's virtual desktop
KV_XVFB_PID=""
KV_HOLDER_PID=""
KV_WINE_STARTED=""

kv_build() {
  local dir="$1" cfg=()
  shift
  while [ $# -gt 0 ] && [ "$1" != -- ]; do
    cfg+=("$1")
    shift
  done
  [ $# -eq 0 ] || shift
  mkdir -p "$(dirname "$dir")"
  cmake -S "$KV_ROOT" -B "$dir" "${cfg[@]}" >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log" >&2; return 1; }
  cmake --build "$dir" -j"${JOBS:-2}" "$@"
}

kv_build_mingw() {
  [ -n "${KORVALINDE_EXE:-}" ] || set -- "$@" Korvalinde
  kv_build "$KV_ROOT/build/mingw" -DCMAKE_TOOLCHAIN_FILE="$KV_ROOT/cmake/mingw-w64-x86_64.cmake" \
    -- --target "$@" || return 1
  KORVALINDE_EXE="$(realpath -e "${KORVALINDE_EXE:-$KV_ROOT/build/mingw/Korvalinde.exe}")"
}

kv_until() {
  local end=$(( $(date +%s) + $1 ))
  shift
  until "$@"; do
    [ "$(date +%s)" -lt "$end" ] || return 1
    sleep 0.1
  done
}

kv_win() { wine "$KV_ROOT/build/mingw/scripts/tools/kvwin.exe" "$@" 2>/dev/null | tr -d '\r'; }
kv_desktop() { xdotool search --name ' - Wine desktop$' 2>/dev/null | head -n 1 | grep .; }
kv_frame_drawn() {
  local box="26x$(( $4 - $2 - 8 ))+$(( $1 + $3 - 30 ))+$(( $2 + 4 ))"
  [ "$(import -window "$(kv_desktop)" -crop "$box" +repage -colorspace gray -format '%[fx:minima<0.25]' info:)" = 1 ]
}

# kv_lap NAME: the time since the last lap goes to KV_WINE_TIMINGS under NAME.
kv_lap() {
  local now="$EPOCHREALTIME"
  KV_WINE_TIMINGS+="${KV_WINE_TIMINGS:+, }$1 $(awk -v a="$KV_LAP" -v b="$now" 'BEGIN { printf "%.1f", b - a }')s"
  KV_LAP="$now"
}

kv_wine_start() {
  local name="${1:-run}" w="${KV_DESKTOP_SIZE%x*}" h="${KV_DESKTOP_SIZE#*x}" number
  KV_WINE_TIMINGS=""
  locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8' ||
    { echo "wine-env: the ja_JP.UTF-8 locale is missing (bash scripts/install-deps.sh makes it)" >&2; return 1; }
  # Wine takes the Windows system locale and code page (932) from the Unix locale, and the UI language
  # from LC_MESSAGES when LC_ALL is not set: KV_MESSAGES=en_US.UTF-8 gives an English UI language
  # on the same Japanese system.
  export LANG=ja_JP.UTF-8
  if [ -n "${KV_MESSAGES:-}" ]; then
    unset LC_ALL
    export LC_MESSAGES="$KV_MESSAGES"
  else
    export LC_ALL=ja_JP.UTF-8
  fi
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"   # no Mono/Gecko prompts, no menu files
  export WINEPREFIX="$KV_ROOT/build/wine-$name"
  KV_WINE_STARTED=1
  KV_LAP="$EPOCHREALTIME"
  if [ "${KV_USE_DISPLAY:-0}" != 1 ] || [ -z "${DISPLAY:-}" ]; then
    # Xvfb picks a display number nobody uses and writes it to the file once it takes connections.
    number="$(mktemp)"
    Xvfb -displayfd 3 -screen 0 "$(( w > 1024 ? w : 1024 ))x$(( h > 768 ? h : 768 ))x24" -nolisten tcp \
      3>"$number" >/dev/null 2>&1 &
    KV_XVFB_PID=$!
    kv_until 10 test -s "$number" || { rm -f "$number"; echo "wine-env: Xvfb did not start" >&2; return 1; }
    export DISPLAY=":$(cat "$number")"
    rm -f "$number"
  fi
  kv_lap display

  # A fresh prefix every time. End a server still running on an old one first.
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  wine wineboot -i >/dev/null 2>&1 || { echo "wine-env: wineboot failed" >&2; return 1; }
  wineserver -w
  kv_lap prefix

  # The DPI comes before the fonts: Wine rewrites its default font entries when the DPI changes.
  if [ -n "${KV_DPI:-}" ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$KV_DPI" /f >/dev/null 2>&1 \
      || { echo "wine-env: setting LogPixels to $KV_DPI failed" >&2; return 1; }
  fi
  # Debian's Wine does not load its own fonts from its data folder; copy them into the prefix.
  cp /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon "$WINEPREFIX/drive_c/windows/Fonts/"
  # Above 96 DPI the 18-pixel bitmap System font would cut off the larger Japanese glyphs linked to it.
  [ "${KV_DPI:-96}" -le 96 ] || rm -f "$WINEPREFIX/drive_c/windows/Fonts/jvgasys.fon"
  # regedit wants UTF-16LE with a byte order mark.
  { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$KV_ROOT/scripts/fonts-ja.reg"; } \
    > "$WINEPREFIX/drive_c/fonts-ja.reg"
  wine regedit /S 'C:\fonts-ja.reg' >/dev/null 2>&1
  wine reg query 'HKCU\Software\Wine\Uniscribe\Fallback' /v 616e616b >/dev/null 2>&1 ||
    { echo "wine-env: the font settings of scripts/fonts-ja.reg did not reach the prefix" >&2; return 1; }
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$KV_DESKTOP_SIZE" /f >/dev/null 2>&1
  wineserver -w
  kv_lap settings

  # One server for the whole session: every Wine process then starts in milliseconds. Its helper
  # processes start now with their output going nowhere, so no later Wine process passes them a pipe
  # that someone waits on.
  wineserver -p
  wine cmd /c exit >/dev/null 2>&1 </dev/null
  kv_lap server

  # Wine ends its desktop process a second after the session's last window has gone; a program that
  # starts then can find no desktop (its CreateWindowExW fails with error 1400). One hidden window,
  # kvwin's, holds the desktop for the whole session.
  local kvwin="$KV_ROOT/build/mingw/scripts/tools/kvwin.exe"
  [ -f "$kvwin" ] || kv_build "$KV_ROOT/build/mingw" -DCMAKE_TOOLCHAIN_FILE="$KV_ROOT/cmake/mingw-w64-x86_64.cmake" \
    -- --target kvwin >/dev/null || { echo "wine-env: building kvwin failed" >&2; return 1; }
  wine "$kvwin" hold >/dev/null 2>&1 </dev/null &
  KV_HOLDER_PID=$!
  kv_until 60 kv_desktop >/dev/null || { echo "wine-env: Wine's desktop did not come" >&2; return 1; }
  kv_lap desktop
}

kv_wine_stop() {
  [ -n "$KV_WINE_STARTED" ] || return 0
  KV_WINE_STARTED=""
  wineserver -k >/dev/null 2>&1 || true   # returns once the server has ended, and every Wine process with it
  if [ -n "$KV_HOLDER_PID" ]; then
    wait "$KV_HOLDER_PID" 2>/dev/null || true
    KV_HOLDER_PID=""
  fi
  if [ -n "$KV_XVFB_PID" ]; then
    kill "$KV_XVFB_PID" 2>/dev/null || true
    wait "$KV_XVFB_PID" 2>/dev/null || true
    KV_XVFB_PID=""
  fi
}
