#!/usr/bin/env bash
# Two copies of the sources, in different folders and with different file times, packed by scripts/package.sh
# give the same Korvalinde.exe and zip, byte for byte. The zip holds exactly Korvalinde.exe, ReadMe.txt and
# SHA256SUMS, the sums match, and the readme has its Japanese and English text, a byte order mark and CRLF line ends.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# package.sh takes the zip's time from git, or a fixed one: the same in both copies, which have no .git.
fail() { echo "FAIL: $*"; failed=1; }
failed=0
zips=()
for copy in first/Korvalinde second/elsewhere/src; do
  mkdir -p "$work/$copy"
  tar -C "$root" --exclude=./build --exclude=./.git -cf - . | tar -C "$work/$copy" -xf -
  [ "$copy" = first/Korvalinde ] || find "$work/$copy" -exec touch -d '2001-02-03 04:05:06' {} +
  zips+=("$(bash "$work/$copy/scripts/package.sh" "$work/$copy/out" | tail -n 1)")
done
cmp "$work"/{first/Korvalinde,second/elsewhere/src}/out/package-files/Korvalinde.exe ||
  fail "the two builds of Korvalinde.exe differ"
cmp "${zips[@]}" || fail "the two zips differ"
mkdir "$work/unzipped" && cd "$work/unzipped"
names="$(python3 -c 'import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); print(*z.namelist()); z.extractall()' "${zips[0]}")"
[ "$names" = "Korvalinde.exe ReadMe.txt SHA256SUMS" ] || fail "the zip holds $names"
sha256sum --quiet -c SHA256SUMS || fail "SHA256SUMS does not match"
[ "$(head -c 3 ReadMe.txt | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "ReadMe.txt has no byte order mark"
[ "$(grep -c $'\r$' ReadMe.txt)" = "$(wc -l < ReadMe.txt)" ] || fail "ReadMe.txt has lines without CR"
for heading in 【時間の書き方】 'Time texts'; do grep -q "^$heading" ReadMe.txt || fail "ReadMe.txt has no $heading"; done
[ "$failed" = 0 ] && echo "package check passed" || echo "package check FAILED"
exit "$failed"
