#!/usr/bin/env bash
# Installs what Kalvo needs to build, run and test on Debian 12. Safe to run
# again: it only calls apt-get when a package is missing.
#   scripts/setup.sh       everything, for the tests
#   scripts/setup.sh run   only what building and running kalvo needs
set -euo pipefail

# What building and running kalvo needs (the private display and the tools
# scripts/run.sh takes its picture with on a machine without one).
packages=(
  g++ cmake ninja-build pkg-config
  libgtk-3-dev
  xvfb xdotool x11-utils imagemagick
)

if [ "${1:-}" != run ]; then
  # Everything the tests need besides: GoogleTest, clang with its sanitizer
  # and fuzzer runtimes, the accessibility bus the end-to-end suite reads
  # the program's window from (on a session bus of its own), and the
  # Debian package's tools (its Depends come from dpkg-shlibdeps, which
  # CPack runs on the files the file utility tells are programs), and
  # clang-format for the style check.
  packages+=(
    googletest
    clang libclang-rt-14-dev clang-format-14
    libatspi2.0-dev at-spi2-core dbus-bin
    dpkg-dev file
  )
  # The Windows program and its tests: mingw-w64 cross compilers for the
  # shipped 32-bit build and for the 64-bit test build, and wine64 to run the
  # 64-bit tests.
  packages+=(
    g++-mingw-w64-i686 g++-mingw-w64-x86-64
    wine wine64
  )
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=600 update -q
  "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "${missing[@]}"
fi
