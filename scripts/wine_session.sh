# Sourced by bench/bench_read_win32.sh and scripts/screenshot-win32.sh: the repository root in $root,
# the linux build's virtual transceiver in $vtrx, and
#   wine_session FILE...   stops unless each file exists, then gives an X
#                          display and a fresh wine prefix; at exit the
#                          processes in session_pids, the prefix and a display
#                          started here are ended.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
vtrx=$root/build/linux/tools/kalvo-vtrx
session_pids=()

wine_session_end() {
  local pid
  for pid in "${session_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  kalvo_wine_stop
  rm -rf "$WINEPREFIX"
  [ -z "${KALVO_XVFB_PID:-}" ] || kill "$KALVO_XVFB_PID"
}

wine_session() {
  local file
  for file in "$@"; do
    [ -e "$file" ] || { echo "$(basename "$0"): $file is not built" >&2; exit 1; }
  done
  . "$root/scripts/xvfb.sh"
  . "$root/scripts/wine.sh"
  kalvo_display
  kalvo_wine_prefix
  # In place of kalvo_display's own.
  trap 'wine_session_end >/dev/null 2>&1' EXIT
}
