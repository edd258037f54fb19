#!/usr/bin/env bash
# Builds and runs every Korvalinde test:
#   1. native build + unit tests           (build/native)
#   2. the same with AddressSanitizer/UBSan (build/asan)
#   3. cross build of the Windows program and its Windows test programs (build/mingw)
#   4. Wine session (Xvfb, fresh prefix, one wineserver), then the Wine tests through ctest
#   5. screenshots at 96, 120 and 144 DPI (scripts/dpi-shots.sh, build/screenshots/dpi-N)
#   6. the Windows download built twice in two folders: the same bytes (tests/package_repro.sh)
#   7. the fuzz targets, built by clang with libFuzzer, 15 s each on their corpus (build/fuzz)
# Every stage runs even when an earlier one failed (a failed build skips its own tests);
# the exit code is non-zero if any stage failed. The Wine session is always cleaned up.
set -uo pipefail
cd "$(dirname "$0")/.."
ROOT="$PWD"
export JOBS="${JOBS:-2}"

bash scripts/install-deps.sh || { echo "test: installing the packages failed" >&2; exit 1; }

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
trap kv_wine_stop EXIT
trap 'exit 130' INT TERM

failed=()
summary=()
now() { date +%s; }

# stage NAME COMMAND...: runs the command, records its time and whether it failed.
stage() {
  local name="$1" t rc
  shift
  echo
  echo "==== $name"
  t="$(now)"
  "$@"
  rc=$?
  summary+=("$(printf '%-22s %4ss  %s' "$name" "$(( $(now) - t ))" "$([ $rc -eq 0 ] && echo ok || echo "FAILED ($rc)")")")
  [ $rc -eq 0 ] || failed+=("$name")
  return $rc
}

run_ctest() {   # DIR [ctest args...]
  local dir="$1"; shift
  (cd "$dir" && ctest --output-on-failure "$@")
}

# 1. Native unit tests.
if stage "native build" kv_build build/native -DKORVALINDE_SANITIZE=OFF; then
  stage "native tests" run_ctest build/native -j"$JOBS"
fi

# 2. The unit tests under the sanitizers.
if stage "asan build" kv_build build/asan -DKORVALINDE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug; then
  ASAN_OPTIONS="detect_leaks=1:halt_on_error=1" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    stage "asan tests" run_ctest build/asan -j"$JOBS"
fi

# 3. Windows build: the program and the test programs that run under Wine.
if stage "mingw build" kv_build build/mingw \
     -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DKORVALINDE_SHOTS_DIR="$ROOT/build/screenshots"; then
  # 4. Wine tests, one at a time: they share one desktop.
  if stage "wine session" kv_wine_start test; then
    echo "Wine session: DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX ($KV_WINE_TIMINGS)"
    export KORVALINDE_EXE="$ROOT/build/mingw/Korvalinde.exe"
    export KORVALINDE_SHOTS="$ROOT/build/screenshots"
    mkdir -p "$KORVALINDE_SHOTS"
    stage "wine tests" run_ctest build/mingw
    kv_wine_stop
  fi
  # 5. The windows at 96, 120 and 144 DPI, each in a Wine session of its own.
  KORVALINDE_EXE="$ROOT/build/mingw/Korvalinde.exe" stage "dpi screenshots" bash scripts/dpi-shots.sh
fi

# 6. The download: two builds in two folders give the same Korvalinde.exe and zip.
stage "package reproducible" bash tests/package_repro.sh

# 7. The fuzz targets (tests/fuzz); the g++ builds above only replay their corpus.
if command -v clang++ >/dev/null && stage "fuzz build" kv_build build/fuzz -DCMAKE_CXX_COMPILER=clang++ -- --target fuzz; then
  stage "fuzz" run_ctest build/fuzz -L fuzz
fi

echo
echo "==== summary"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "all stages passed"
