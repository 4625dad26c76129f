#!/usr/bin/env bash
# Sourced by the scripts (or run: `scripts/wine.sh prefix` prints a new prefix).
# Gives each run a fresh wine prefix of its own, so no state of an earlier run
# (registry, dialogs' remembered folders, COM ports) leaks into the next.
#
#   kalvo_wine_prefix [dir]      create and initialise a prefix; exports WINEPREFIX
#   kalvo_wine_com N /dev/pts/M  make COMN of the prefix the given pseudo-terminal
#   kalvo_wine_loader            the wine loader of the stage (KALVO_WINE_BITS 32 or 64)
#   kalvo_wine_stop              end the prefix's wineserver and wait for it

export WINEDEBUG=-all
# No menu entries, file associations or Mono/Gecko installers in a test prefix.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml,winemenubuilder.exe=}"

# The loader of the stage: KALVO_WINE_BITS=32 for the shipped 32-bit build,
# 64 (the default) for the 64-bit build. Each is named directly: once wine32
# is installed the "wine" command takes the 32-bit loader for every program,
# and that loader needs 32-bit support from the kernel (or qemu registered
# for it, scripts/setup-wine32.sh).
kalvo_wine_loader() {
  if [ "${KALVO_WINE_BITS:-64}" = 32 ]; then
    echo /usr/lib/wine/wine
  elif [ -x /usr/lib/wine/wine64 ]; then
    echo /usr/lib/wine/wine64
  else
    command -v wine64 || command -v wine
  fi
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
  # wineboot -i initialises the prefix; the server then stays for the run.
  timeout 300 "$loader" wineboot -i >/dev/null 2>&1 || {
    echo "wine: could not initialise $WINEPREFIX" >&2
    return 1
  }
  # Windows not handed to a window manager: on a bare X server (Xvfb) a
  # managed window waits seconds for a manager's answer each time it is
  # shown or destroyed.
  "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  timeout 120 wineserver -w 2>/dev/null || true
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
