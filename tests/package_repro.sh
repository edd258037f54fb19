#!/usr/bin/env bash
# The download is reproducible: two copies of the sources, in two different folders and with
# different file times, packed by scripts/package.sh give the same Korvalinde.exe and the same
# zip, byte for byte. The zip holds exactly Korvalinde.exe, ReadMe.txt and SHA256SUMS, the
# sums match, and the readme is UTF-8 with a byte order mark and CRLF line ends.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export SOURCE_DATE_EPOCH="$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 1767225600)"
zips=()
for copy in first/Korvalinde second/elsewhere/src; do
  mkdir -p "$work/$copy"
  tar -C "$root" --exclude=./build --exclude=./.git -cf - . | tar -C "$work/$copy" -xf -
  [ "$copy" = first/Korvalinde ] || find "$work/$copy" -exec touch -d '2001-02-03 04:05:06' {} +
  zips+=("$(bash "$work/$copy/scripts/package.sh" "$work/$copy/out" | tail -n 1)")
done
exe1="$(sha256sum < "$work/first/Korvalinde/out/package-files/Korvalinde.exe")"
exe2="$(sha256sum < "$work/second/elsewhere/src/out/package-files/Korvalinde.exe")"
zip1="$(sha256sum < "${zips[0]}")" zip2="$(sha256sum < "${zips[1]}")"
echo "Korvalinde.exe: ${exe1%% *} / ${exe2%% *}"
echo "$(basename "${zips[0]}"): ${zip1%% *} / ${zip2%% *}"
failed=0
[ "$exe1" = "$exe2" ] || { echo "FAIL: the two builds of Korvalinde.exe differ"; failed=1; }
[ "$zip1" = "$zip2" ] || { echo "FAIL: the two zips differ"; failed=1; }
mkdir "$work/unzipped"
python3 -c 'import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); print(*z.namelist()); z.extractall(sys.argv[2])' \
  "${zips[0]}" "$work/unzipped" > "$work/names"
[ "$(cat "$work/names")" = "Korvalinde.exe ReadMe.txt SHA256SUMS" ] \
  || { echo "FAIL: the zip holds $(cat "$work/names")"; failed=1; }
(cd "$work/unzipped" && sha256sum --quiet -c SHA256SUMS) || { echo "FAIL: SHA256SUMS does not match"; failed=1; }
readme="$work/unzipped/ReadMe.txt"
[ "$(head -c 3 "$readme" | od -An -tx1 | tr -d ' ')" = efbbbf ] || { echo "FAIL: ReadMe.txt has no BOM"; failed=1; }
[ "$(grep -c $'\r$' "$readme")" = "$(wc -l < "$readme")" ] || { echo "FAIL: ReadMe.txt has lines without CR"; failed=1; }
[ "$failed" = 0 ] && echo "package check passed" || echo "package check FAILED"
exit "$failed"
