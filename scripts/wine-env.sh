# Wine environment, and the builds, for running and testing Korvalinde. Source this file, then:
#
#   kv_build DIR [CMAKE_ARGS...] [-- BUILD_ARGS...]
#                        configures the build folder DIR (its output goes to DIR.configure.log and shows
#                        only when it fails) and builds it with JOBS (default 2) jobs;
#   kv_build_mingw TARGET...
#                        the cross build build/mingw of the targets, and of Korvalinde.exe unless
#                        KORVALINDE_EXE names another program; then sets KORVALINDE_EXE to the full path
#                        of the program to run;
#   kv_wine_start NAME   sets up an X display and a fresh Wine prefix build/wine-NAME, exports
#                        WINEPREFIX, DISPLAY, WINEDEBUG, WINEDLLOVERRIDES, LANG/LC_ALL, and
#                        keeps one wineserver running for the prefix;
#   kv_wine_stop         ends exactly what kv_wine_start started (this prefix's wineserver and
#                        its processes, the Xvfb it started), nothing else. Safe to call twice.
#
# Display: with KV_USE_DISPLAY=1 and DISPLAY set, the programs show on that display; otherwise
# an Xvfb is started on a display number that nobody uses. Inside it, Wine draws a virtual
# desktop of KV_DESKTOP_SIZE (default 800x600) at the top left, so windows get Windows-like
# frames and X coordinates inside the desktop equal Windows screen coordinates.
#
# Japanese: Wine takes the Windows system locale and code page from the Unix locale of every
# Wine process, so everything runs under ja_JP.UTF-8 (code page 932, locale 0411); with the
# fonts of scripts/fonts-ja.reg, controls that use the default "System" font show Japanese.
#
# Screen DPI: KV_DPI=120 (or 144, ...) makes the prefix run at that many dots per inch, as the
# Windows display setting "125 %" (150 %) does. Wine reads LogPixels from HKCU\Control
# Panel\Desktop (and falls back to the hardware profile's Software\Fonts key); it is set before
# the font settings below, because Wine rewrites its default font entries when the DPI changes.
#
# Timings of the steps are collected in KV_WINE_TIMINGS.

KV_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
KV_DESKTOP_SIZE="${KV_DESKTOP_SIZE:-800x600}"
KV_XVFB_PID=""
KV_WINE_TIMINGS=""
KV_WINE_STARTED=""

kv_now() { date +%s.%N; }

kv_build() {
  local dir="$1" cfg=()
  shift
  while [ $# -gt 0 ] && [ "$1" != -- ]; do
    # The toolchain file counts only when a build folder is first configured.
    if [[ "$1" != -DCMAKE_TOOLCHAIN_FILE=* ]] || [ ! -f "$dir/CMakeCache.txt" ]; then cfg+=("$1"); fi
    shift
  done
  [ $# -eq 0 ] || shift
  mkdir -p "$(dirname "$dir")"
  cmake -S "$KV_ROOT" -B "$dir" "${cfg[@]}" >"$dir.configure.log" 2>&1 || { cat "$dir.configure.log"; return 1; }
  cmake --build "$dir" -j"${JOBS:-2}" "$@"
}

kv_build_mingw() {
  local targets=("$@")
  [ -n "${KORVALINDE_EXE:-}" ] || targets+=(Korvalinde)
  kv_build "$KV_ROOT/build/mingw" -DCMAKE_TOOLCHAIN_FILE="$KV_ROOT/cmake/mingw-w64-x86_64.cmake" \
    -- --target "${targets[@]}" || return 1
  KORVALINDE_EXE="$(realpath "${KORVALINDE_EXE:-$KV_ROOT/build/mingw/Korvalinde.exe}")" || return 1
  [ -f "$KORVALINDE_EXE" ] || { echo "$KORVALINDE_EXE is not there" >&2; return 1; }
}
kv_since() { awk -v a="$1" -v b="$(kv_now)" 'BEGIN { printf "%.1f", b - a }'; }
kv_note_time() { KV_WINE_TIMINGS+="${KV_WINE_TIMINGS:+, }$1 $2s"; }

# A display number with neither a socket nor a lock file.
kv_free_display() {
  local n
  for n in $(seq 90 299); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      echo "$n"; return 0
    fi
  done
  return 1
}

kv_start_xvfb() {
  local tries n i
  local w="${KV_DESKTOP_SIZE%x*}" h="${KV_DESKTOP_SIZE#*x}"
  local sw=$(( w > 1024 ? w : 1024 )) sh=$(( h > 768 ? h : 768 ))
  for tries in 1 2 3 4 5; do
    n="$(kv_free_display)" || { echo "wine-env: no free X display number" >&2; return 1; }
    Xvfb ":$n" -screen 0 "${sw}x${sh}x24" -nolisten tcp >/dev/null 2>&1 &
    KV_XVFB_PID=$!
    for i in $(seq 1 100); do
      if ! kill -0 "$KV_XVFB_PID" 2>/dev/null; then break; fi   # lost a race for :n; try another
      if xdpyinfo -display ":$n" >/dev/null 2>&1; then
        export DISPLAY=":$n"; return 0
      fi
      sleep 0.1
    done
    kill "$KV_XVFB_PID" 2>/dev/null; wait "$KV_XVFB_PID" 2>/dev/null
    KV_XVFB_PID=""
  done
  echo "wine-env: Xvfb did not start" >&2
  return 1
}

kv_wine_start() {
  local name="${1:-run}" t
  KV_WINE_STARTED=1
  KV_WINE_TIMINGS=""
  if ! locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\?8'; then
    echo "wine-env: the ja_JP.UTF-8 locale is missing (bash scripts/install-deps.sh makes it)" >&2
    return 1
  fi
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
  export WINEDEBUG="${WINEDEBUG:--all}"
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"   # no Mono/Gecko prompts, no menu files
  export WINEPREFIX="$KV_ROOT/build/wine-$name"

  t="$(kv_now)"
  if [ "${KV_USE_DISPLAY:-0}" = 1 ] && [ -n "${DISPLAY:-}" ]; then
    :   # show on the caller's display
  else
    kv_start_xvfb || return 1
  fi
  kv_note_time display "$(kv_since "$t")"

  # A fresh prefix every time. End a server still running on an old one first.
  t="$(kv_now)"
  if [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
  fi
  mkdir -p "$(dirname "$WINEPREFIX")"
  wine wineboot -i >/dev/null 2>&1 || { echo "wine-env: wineboot failed" >&2; return 1; }
  wineserver -w
  kv_note_time prefix "$(kv_since "$t")"

  t="$(kv_now)"
  if [ -n "${KV_DPI:-}" ]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$KV_DPI" /f >/dev/null 2>&1 \
      || { echo "wine-env: setting LogPixels to $KV_DPI failed" >&2; return 1; }
  fi
  # Debian's Wine does not load its own fonts from its data folder; copy them into the prefix.
  cp /usr/share/wine/fonts/*.ttf /usr/share/wine/fonts/*.fon "$WINEPREFIX/drive_c/windows/Fonts/"
  # Above 96 DPI Wine asks for the System font at a height scaled by the DPI (27 pixels at
  # 144 DPI), but its Japanese System font jvgasys.fon is a bitmap font of 18 pixels only:
  # the metrics stay 18 pixels while the IPA glyphs linked in for Japanese come at the
  # scaled height, and controls cut them off at the top and bottom. Without that bitmap font
  # the System font is a scalable one, whose metrics and linked glyphs grow together.
  if [ "${KV_DPI:-96}" -gt 96 ]; then
    rm -f "$WINEPREFIX/drive_c/windows/Fonts/jvgasys.fon"
  fi
  # regedit wants UTF-16LE with a byte order mark.
  { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$KV_ROOT/scripts/fonts-ja.reg"; } \
    > "$WINEPREFIX/drive_c/fonts-ja.reg"
  wine regedit /S 'C:\fonts-ja.reg' >/dev/null 2>&1
  if ! wine reg query 'HKCU\Software\Wine\Uniscribe\Fallback' /v 616e616b >/dev/null 2>&1; then
    echo "wine-env: the font settings of scripts/fonts-ja.reg did not reach the prefix" >&2
    return 1
  fi
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$KV_DESKTOP_SIZE" /f >/dev/null 2>&1
  wineserver -w
  kv_note_time settings "$(kv_since "$t")"

  t="$(kv_now)"
  # One server for the whole session: every Wine process then starts in milliseconds.
  wineserver -p
  # Start the helper processes (services, the desktop) now, with their output going nowhere,
  # so that no later Wine process passes them a pipe that someone waits on.
  wine cmd /c exit >/dev/null 2>&1 </dev/null
  kv_note_time server "$(kv_since "$t")"
  return 0
}

kv_wine_stop() {
  [ -n "$KV_WINE_STARTED" ] || return 0
  KV_WINE_STARTED=""
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
  fi
  if [ -n "$KV_XVFB_PID" ]; then
    kill "$KV_XVFB_PID" 2>/dev/null || true
    wait "$KV_XVFB_PID" 2>/dev/null || true
    KV_XVFB_PID=""
  fi
  return 0
}
