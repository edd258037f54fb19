#!/usr/bin/env bash
# Compiles ui/Korvalinde.rc and checks the resulting resources byte by byte
# (resources_check.py): keyboard table, both dialogs, icon, version and manifest.
# Given the built program, checks the resources inside Korvalinde.exe as well, and
# compares them with what wrestool lists.
# Before trusting a pass, it breaks the script in a few known ways and makes sure
# that each broken copy is rejected.
#
#   tests/wine/resources_check.sh [--windres PROGRAM] [Korvalinde.exe]
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
ui="$here/../../ui"
check="$here/resources_check.py"
windres="x86_64-w64-mingw32-windres"
exe=""
while [ $# -gt 0 ]; do
  case "$1" in
    --windres) windres="$2"; shift 2 ;;
    *) exe="$1"; shift ;;
  esac
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

compile() {  # compile RC-FILE RES-FILE
  "$windres" -c 65001 -I "$ui" -i "$1" -o "$2" -O res
}

# 1. The resource script as it is.
compile "$ui/Korvalinde.rc" "$work/Korvalinde.res"
if python3 "$check" "$work/Korvalinde.res"; then
  echo "ok: ui/Korvalinde.rc compiles to the expected resources"
else
  fail "ui/Korvalinde.rc"
fi

# The committed icon is the one tools/make_icon.py draws.
python3 "$here/../../tools/make_icon.py" "$work/icon.ico"
if cmp -s "$work/icon.ico" "$ui/Korvalinde.ico"; then
  echo "ok: ui/Korvalinde.ico is what tools/make_icon.py draws"
else
  fail "ui/Korvalinde.ico differs from the output of tools/make_icon.py"
fi

# 2. Broken copies must be rejected. Each mutation is a Python regular-expression
#    substitution applied once; a mutation that no longer matches is itself a failure.
mutate() {  # mutate NAME PATTERN REPLACEMENT
  local name="$1" out="$work/mutant.rc"
  if ! python3 - "$ui/Korvalinde.rc" "$out" "$2" "$3" <<'EOF'
import re, sys
src, dst, pattern, replacement = sys.argv[1:5]
text = open(src, encoding="utf-8").read()
changed, n = re.subn(pattern, replacement, text, count=1, flags=re.M)
if n != 1:
    sys.exit(1)
open(dst, "w", encoding="utf-8").write(changed)
EOF
  then
    fail "mutation '$name' does not apply to ui/Korvalinde.rc any more"
    return
  fi
  if ! compile "$out" "$work/mutant.res" 2>/dev/null; then
    fail "mutation '$name' does not compile"
    return
  fi
  if python3 "$check" "$work/mutant.res" 2>/dev/null; then
    fail "mutation '$name' was not detected"
  else
    echo "ok: detects $name"
  fi
}
mutate "an accelerator without NOINVERT" '(ID_ROW_DELETE \+ 0,\s+VIRTKEY, ALT), NOINVERT' '\1'
mutate "two accelerators in swapped order" '^(\s*"M",.*)\n(\s*"T",.*)$' '\2\n\1'
mutate "a keypad key given for a main-keyboard digit" '^(\s*)"7",(\s*ID_ROW_EDIT)' '\1VK_NUMPAD7,\2'
mutate "a missing accelerator" '^\s*"S",.*\n' ''
mutate "a sorted combo box" '0x50210042' '0x50210142'
mutate "a control moved by one unit" '(IDC_TIME,\s+CLASS_EDIT,\s+0x50810080,\s+30,\s+)6,' '\g<1>7,'
mutate "OK and Cancel in swapped tab order" '^(\s*CONTROL "OK",.*IDOK.*73, 108.*)\n(\s*CONTROL "キャンセル".*)$' '\2\n\1'
mutate "a changed dialog font" '"MS Shell Dlg", 400' '"MS Shell Dlg", 700'
mutate "the manifest in the Japanese language" '^LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US\n' ''
mutate "a wrong file version" '^FILEVERSION\s.*$' 'FILEVERSION 1,0,0,2'

# 3. The built program, if given.
if [ -n "$exe" ]; then
  if [ ! -f "$exe" ]; then
    fail "$exe does not exist"
  else
    if python3 "$check" "$exe"; then
      echo "ok: $(basename "$exe") carries the expected resources"
    else
      fail "resources of $exe"
    fi
    # An independent reader: wrestool must list the same resources, in the same languages.
    listed="$(wrestool -l "$exe" | sed -E 's/ \[.*//' | sort)"
    expected="$(printf '%s\n' \
      '--type=14 --name=105 --language=1041' \
      '--type=16 --name=1 --language=1041' \
      '--type=24 --name=1 --language=1033' \
      '--type=3 --name=1 --language=1041' \
      '--type=5 --name=102 --language=1041' \
      '--type=5 --name=103 --language=1041' \
      '--type=9 --name=102 --language=1041' | sort)"
    if [ "$listed" = "$expected" ]; then
      echo "ok: wrestool lists the expected resources"
    else
      fail "wrestool -l $exe lists:"$'\n'"$listed"
    fi
    # The keyboard table in the program is the one the script compiles to.
    wrestool -x --raw --type=9 --name=102 "$exe" > "$work/accelerators.exe.bin"
    if python3 - "$here" "$work/Korvalinde.res" "$work/accelerators.exe.bin" <<'EOF'
import sys
sys.path.insert(0, sys.argv[1])
import resources_check
from_script = resources_check.load(sys.argv[2])[(9, 102, 0x0411)]
from_exe = open(sys.argv[3], "rb").read()
sys.exit(0 if from_script == from_exe else 1)
EOF
    then
      echo "ok: the program's keyboard table is the one ui/Korvalinde.rc compiles to"
    else
      fail "the keyboard table in $exe differs from ui/Korvalinde.rc"
    fi
  fi
fi

if [ "$failed" -ne 0 ]; then
  echo "resources check FAILED" >&2
  exit 1
fi
echo "resources check passed"
