#!/usr/bin/env bash
# Installs the missing Debian packages that building, running and testing Korvalinde need, and the ja_JP.UTF-8
# locale Wine runs under. Quiet when there is nothing to do; needs root (or sudo) only to install.
set -euo pipefail

PACKAGES=(
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine64 fonts-wine xvfb xdotool imagemagick x11-utils
  fonts-ipafont-gothic icoutils faketime libfaketime
  libgtest-dev googletest cmake g++ make python3 universal-ctags
  clang libclang-rt-14-dev
  locales
)

sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg -s "$p" 2>/dev/null | grep -q '^Status: install ok installed' || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# ja_JP.UTF-8: the locale Wine runs under; en_US.UTF-8: the English UI language of the second end-to-end pass.
for loc in ja_JP en_US; do
  locale -a 2>/dev/null | grep -qix "$loc\\.utf-\\?8" && continue
  echo "install-deps: generating the $loc.UTF-8 locale"
  grep -q "^$loc.UTF-8 UTF-8" /etc/locale.gen 2>/dev/null ||
    echo "$loc.UTF-8 UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
done
