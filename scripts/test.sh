#!/usr/bin/env bash
# Builds and runs every Korvalinde test, stage by stage as the README lists them (build/native, build/asan,
# build/mingw and its Wine tests, dpi screenshots, the package built twice, build/fuzz). Every stage runs even
# when an earlier one failed (a failed build skips its own tests); the exit code is non-zero if any stage
# failed. The Wine session is always cleaned up.
set -uo pipefail
cd "$(dirname "$0")/.."
export JOBS="${JOBS:-2}"

bash scripts/install-deps.sh || { echo "test: installing the packages failed" >&2; exit 1; }

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
trap kv_wine_stop EXIT
trap 'exit 130' INT TERM

failed=()
summary=()

# stage NAME COMMAND...: runs the command, records its time and whether it failed.
stage() {
  local name="$1" t rc
  shift
  echo
  echo "==== $name"
  t=$SECONDS
  "$@"
  rc=$?
  summary+=("$(printf '%-22s %4ss  %s' "$name" "$(( SECONDS - t ))" "$([ $rc -eq 0 ] && echo ok || echo "FAILED ($rc)")")")
  [ $rc -eq 0 ] || failed+=("$name")
  return $rc
}

# 1. Native unit tests.
if stage "native build" kv_build build/native -DKORVALINDE_SANITIZE=OFF; then
  stage "native tests" ctest --test-dir build/native --output-on-failure -j"$JOBS"
fi

# 2. The unit tests under the sanitizers.
if stage "asan build" kv_build build/asan -DKORVALINDE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug; then
  ASAN_OPTIONS="detect_leaks=1:halt_on_error=1" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    stage "asan tests" ctest --test-dir build/asan --output-on-failure -j"$JOBS"
fi

# 3. Windows build: the program and the test programs that run under Wine.
if stage "mingw build" kv_build build/mingw \
     -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DKORVALINDE_SHOTS_DIR="$KV_ROOT/build/screenshots"; then
  # 4. Wine tests, one at a time: they share one desktop.
  if stage "wine session" kv_wine_start test; then
    echo "Wine session: DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX ($KV_WINE_TIMINGS)"
    export KORVALINDE_EXE="$KV_ROOT/build/mingw/Korvalinde.exe"
    export KORVALINDE_SHOTS="$KV_ROOT/build/screenshots"
    mkdir -p "$KORVALINDE_SHOTS"
    stage "wine tests" ctest --test-dir build/mingw --output-on-failure
    kv_wine_stop
  fi
  # 5. The windows at 96, 120 and 144 DPI, each in a Wine session of its own.
  KORVALINDE_EXE="$KV_ROOT/build/mingw/Korvalinde.exe" stage "dpi screenshots" bash scripts/dpi-shots.sh
fi

# 6. The download: two builds in two folders give the same Korvalinde.exe and zip.
stage "package reproducible" bash tests/package_repro.sh

# 7. The fuzz targets (tests/fuzz); the g++ builds above only replay their corpus.
if command -v clang++ >/dev/null && stage "fuzz build" kv_build build/fuzz -DCMAKE_CXX_COMPILER=clang++ -- --target fuzz; then
  stage "fuzz" ctest --test-dir build/fuzz --output-on-failure -L fuzz
fi

echo
echo "==== summary"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "all stages passed"
