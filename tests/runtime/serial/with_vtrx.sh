#!/usr/bin/env bash
# Runs a Windows serial test against the virtual transceiver:
#   with_vtrx.sh <kalvo-vtrx> <wine64> <test.exe> [test options]
# starts the tool (built for this machine), maps its pseudo-terminal to COM42
# of the wine prefix in WINEPREFIX (~/.wine when unset), runs the test with
# KALVO_TEST_COM=COM42 and stops the tool again. Exit status 77 (skipped)
# when the tool has not been built.
set -euo pipefail
vtrx=$1
shift
if [ ! -x "$vtrx" ]; then
  echo "with_vtrx: $vtrx is not built (build the linux preset first)"
  exit 77
fi
. "$(dirname "$0")/../../../scripts/wine.sh"
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine}
port=42

output=$(mktemp)
"$vtrx" >"$output" 2>&1 &
pid=$!
trap 'kill $pid 2>/dev/null; wait $pid 2>/dev/null; rm -f "$output" "$WINEPREFIX/dosdevices/com$port"' EXIT

# The tool prints the path of its terminal first.
for _ in $(seq 1 50); do
  [ -s "$output" ] && break
  sleep 0.1
done
terminal=$(head -n 1 "$output")
case "$terminal" in
  /dev/*) ;;
  *) echo "with_vtrx: kalvo-vtrx did not come up: $(cat "$output")" >&2; exit 1 ;;
esac
kalvo_wine_com "$port" "$terminal"
KALVO_TEST_COM=COM$port "$@"
