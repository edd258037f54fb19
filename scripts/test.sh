#!/usr/bin/env bash
# Builds and runs every Korvalinde test, stage by stage as the README lists them. Every stage runs even when an
# earlier one failed (a failed build skips its own tests); the exit code is non-zero if any stage failed. The
# Wine session is always cleaned up.
set -uo pipefail
cd "$(dirname "$0")/.."
export JOBS="${JOBS:-2}"

bash scripts/install-deps.sh || { echo "test: installing the packages failed" >&2; exit 1; }

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
trap kv_wine_stop EXIT
trap 'exit 130' INT TERM
export KORVALINDE_EXE="$KV_ROOT/build/mingw/Korvalinde.exe"

failed=()
summary=()

# stage NAME COMMAND...: runs the command, records its time and whether it failed.
stage() {
  local t=$SECONDS rc
  printf '\n==== %s\n' "$1"
  "${@:2}"
  rc=$?
  summary+=("$(printf '%-22s %4ss  %s' "$1" "$(( SECONDS - t ))" "$([ $rc -eq 0 ] && echo ok || echo "FAILED ($rc)")")")
  [ $rc -eq 0 ] || failed+=("$1")
  return $rc
}

# No two product files call each other, directly, through others or by a function handed over.
stage "call cycles" python3 tools/call_cycles.py

if stage "native build" kv_build build/native -DKORVALINDE_SANITIZE=OFF; then
  stage "native tests" ctest --test-dir build/native --output-on-failure -j"$JOBS"
fi

if stage "asan build" kv_build build/asan -DKORVALINDE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug; then
  ASAN_OPTIONS="detect_leaks=1:halt_on_error=1" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    stage "asan tests" ctest --test-dir build/asan --output-on-failure -j"$JOBS"
fi

if stage "mingw build" kv_build build/mingw \
     -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DKORVALINDE_SHOTS_DIR="$KV_ROOT/build/screenshots"; then
  # The Wine tests run one at a time: they share one desktop.
  if stage "wine session" kv_wine_start test; then
    echo "Wine session: DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX ($KV_WINE_TIMINGS)"
    mkdir -p build/screenshots
    stage "wine tests" ctest --test-dir build/mingw --output-on-failure
    kv_wine_stop
  fi
  stage "dpi screenshots" bash scripts/dpi-shots.sh
fi

stage "package reproducible" bash tests/package_repro.sh

# The fuzz targets, built by clang with libFuzzer, which replays each seed corpus before it fuzzes.
if stage "fuzz build" kv_build build/fuzz -DCMAKE_CXX_COMPILER=clang++ -- --target fuzz; then
  stage "fuzz" ctest --test-dir build/fuzz --output-on-failure -L fuzz
fi

printf '\n==== summary\n'
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "all stages passed"
