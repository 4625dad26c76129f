#!/usr/bin/env bash
# Installs what Kalvo needs to build, run and test on Debian 12. Safe to run
# again: it only calls apt-get when a package is missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libgtk-3-dev
  googletest
  clang libclang-rt-14-dev
  xvfb xdotool x11-utils imagemagick socat
)

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
