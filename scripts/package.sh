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

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
kv_build "$dir" -DCMAKE_TOOLCHAIN_FILE="$KV_ROOT/cmake/mingw-w64-x86_64.cmake" -- --target package_files >/dev/null
cd "$dir"
cpack -G ZIP >/dev/null
zip="$(ls Korvalinde-*-win64.zip)"
sha256sum "$zip" > "$zip.sha256"
echo "$PWD/$zip"
