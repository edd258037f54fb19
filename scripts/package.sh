#!/usr/bin/env bash
# Makes the download for Windows users (cmake/package.cmake says what it holds):
#   bash scripts/package.sh [BUILD_FOLDER]      (default: build/package)
# prints the path of Korvalinde-<version>-win64.zip, with its SHA-256 beside it in the .zip.sha256. Two runs on
# one commit give the same bytes in any folder: the zip's time stamps are the commit's time (SOURCE_DATE_EPOCH,
# unless set already), written as UTC.
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build/package}"

bash scripts/install-deps.sh
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 1767225600)}" TZ=UTC

# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh
kv_build "$dir" -DCMAKE_TOOLCHAIN_FILE="$KV_ROOT/cmake/mingw-w64-x86_64.cmake" -- --target package_files >/dev/null
cd "$dir"
cpack -G ZIP >/dev/null
zip="$(ls Korvalinde-*-win64.zip)"
sha256sum "$zip" > "$zip.sha256"
echo "$PWD/$zip"
