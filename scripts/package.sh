#!/usr/bin/env bash
# Makes the download for Windows users:
#   bash scripts/package.sh [BUILD_FOLDER]      (default: build/package)
# cross-compiles Korvalinde.exe there and has cpack pack Korvalinde-<version>-win64.zip
# (Korvalinde.exe, ReadMe.txt, SHA256SUMS), with the zip's own SHA-256 beside it in
# Korvalinde-<version>-win64.zip.sha256. Prints the zip's path.
# Two runs on one commit give the same bytes in any folder: the time stamps in the zip are the
# commit's time (SOURCE_DATE_EPOCH, unless set already), written as UTC.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build/package}"

bash scripts/install-deps.sh
SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 1767225600)}"
export SOURCE_DATE_EPOCH TZ=UTC

# The toolchain file counts only when a build folder is first configured.
toolchain=()
[ -f "$dir/CMakeCache.txt" ] || toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake)
cmake -S . -B "$dir" "${toolchain[@]}" >/dev/null
cmake --build "$dir" -j"${JOBS:-2}" --target package_files >/dev/null
dir="$(cd "$dir" && pwd)"
(cd "$dir" && cpack -G ZIP >/dev/null)
zip="$(cd "$dir" && ls Korvalinde-*-win64.zip)"
(cd "$dir" && sha256sum "$zip" > "$zip.sha256")
echo "$dir/$zip"
