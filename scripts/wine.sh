#!/usr/bin/env bash
# Sourced by the scripts (or run: `scripts/wine.sh prefix` prints a new prefix).
# Gives each run a fresh wine prefix of its own, so no state of an earlier run
# (registry, dialogs' remembered folders, COM ports) leaks into the next.
#
#   kalvo_wine_prefix [dir]      create and initialise a prefix; exports WINEPREFIX
#   kalvo_wine_com N /dev/pts/M  make COMN of the prefix the given pseudo-terminal
#   kalvo_wine_loader            the wine loader of the stage (KALVO_WINE_BITS 32 or 64)
#   kalvo_wine32_root            the folder holding the 32-bit loader and its libraries
#   kalvo_wine32_loader          that loader (there only once the folder is complete)
#   kalvo_wine_stop              end the prefix's wineserver and wait for it

export WINEDEBUG=-all
# No menu entries, file associations or Mono/Gecko installers in a test prefix.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe=}"

# The loader of the stage: KALVO_WINE_BITS=32 for the shipped 32-bit build,
# 64 (the default) for the 64-bit build. The 32-bit one is not the
# machine's: scripts/setup-wine32.sh unpacks it into kalvo_wine32_root, and
# scripts/wine32.sh runs it from there.
kalvo_wine_loader() {
  if [ "${KALVO_WINE_BITS:-64}" = 32 ]; then
    echo "$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine32.sh"
  elif [ -x /usr/lib/wine/wine64 ]; then
    echo /usr/lib/wine/wine64
  else
    command -v wine64 || command -v wine
  fi
}

# One per user, kept between runs (KALVO_WINE32_ROOT names another).
kalvo_wine32_root() {
  local home=~ # $HOME, or the account's own home where HOME is not set
  echo "${KALVO_WINE32_ROOT:-${XDG_CACHE_HOME:-$home/.cache}/kalvo/wine32-i386}"
}

kalvo_wine32_loader() {
  echo "$(kalvo_wine32_root)/usr/lib/wine/wine"
}

kalvo_wine_prefix() {
  local dir="${1:-}"
  if [ -z "$dir" ]; then
    dir=$(mktemp -d /tmp/kalvo-wine.XXXXXX)
  fi
  mkdir -p "$dir"
  export WINEPREFIX="$dir"
  local loader
  loader=$(kalvo_wine_loader)
  # The server makes a new prefix 64-bit unless told otherwise.
  [ "${KALVO_WINE_BITS:-64}" != 32 ] || export WINEARCH=win32
  # One server for the whole run, until kalvo_wine_stop, started before
  # anything else. Left to start on demand, the server is started by
  # whichever program comes first and ends three seconds after the last
  # one: a program that starts while it is on its way down, or while two
  # starting programs race to start it, can find its connection reset and
  # fail before its first line. Wine's own processes (services, devices,
  # the desktop) then start with wineboot, out of every suite's output:
  # they stay as long as the server, and a suite whose output they held
  # would never be seen to end.
  wineserver -p </dev/null >/dev/null 2>&1 || {
    echo "wine: could not start the wine server for $WINEPREFIX" >&2
    return 1
  }
  # wineboot -i initialises the prefix.
  timeout 300 "$loader" wineboot -i </dev/null >/dev/null 2>&1 || {
    echo "wine: could not initialise $WINEPREFIX" >&2
    return 1
  }
  # Windows not handed to a window manager: on a bare X server (Xvfb) a
  # managed window waits seconds for a manager's answer each time it is
  # shown or destroyed.
  "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1 || true
}

kalvo_wine_com() {
  local n="$1" tty="$2"
  [ -n "${WINEPREFIX:-}" ] || { echo "wine: no prefix" >&2; return 1; }
  mkdir -p "$WINEPREFIX/dosdevices"
  ln -sfn "$tty" "$WINEPREFIX/dosdevices/com$n"
}

kalvo_wine_stop() {
  [ -n "${WINEPREFIX:-}" ] || return 0
  wineserver -k 2>/dev/null || true
  timeout 60 wineserver -w 2>/dev/null || true
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  set -euo pipefail
  case "${1:-}" in
    prefix) kalvo_wine_prefix "${2:-}"; echo "$WINEPREFIX" ;;
    com) kalvo_wine_com "$2" "$3" ;;
    loader) kalvo_wine_loader ;;
    *) echo "usage: $0 prefix [dir] | com N /dev/pts/M | loader" >&2; exit 2 ;;
  esac
fi
