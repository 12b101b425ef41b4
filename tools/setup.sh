#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; skips what is already there.
set -euo pipefail

packages=(
  cmake g++ make clang clang-format libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
  nlohmann-json3-dev libclang-rt-14-dev python3
  # The corpus test's HTML5 parser, against which the page scanner is checked (velmo does not
  # link it)
  libgumbo-dev
  hyperfine time python3-bs4 python3-lxml linux-perf strace
  # The Debian package: Debian's hardening flags, its manual page, its completion's test, its
  # checks (lintian, and hardening-check of devscripts)
  dpkg-dev help2man bash-completion lintian devscripts
  fp-utils libchm-dev libchm-bin chromium
  # Windows build, cross-compiled and tested under Wine
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools libwine-dev googletest
  wine wine64 wine32:i386 fonts-wine
  # The Windows Installer packages: built with wixl, read back with msitools
  wixl msitools
  # The dialogs' windows under Wine: an X server without a screen, and screenshots of it
  xvfb imagemagick
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]})); then
  if [[ $(id -u) -ne 0 ]]; then
    echo "setup: missing packages: ${missing[*]} (run as root, or install them)" >&2
    exit 1
  fi
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # The 32-bit Wine comes from the i386 architecture.
  if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
