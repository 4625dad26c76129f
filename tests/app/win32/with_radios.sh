#!/usr/bin/env bash
# Runs a Windows test of the editor against virtual transceivers:
#   with_radios.sh <kalvo-vtrx> <port>[:option,option...]... -- <wine64> <test.exe> [args]
# Each port COMn gets its own kalvo-vtrx (built for this machine) started from
# the same channel set, mapped to COMn of the wine prefix in WINEPREFIX; the
# options go to that transceiver ("COM51:--silent" makes a silent one) and
# "COMn:absent" maps COMn to a device that does not exist. The test finds in
# its environment:
#   KALVO_TEST_FOLDER  a fresh folder (Windows path) holding radio.mem, the
#                      channel set every transceiver starts from, and COMn.mem,
#                      what transceiver COMn holds now (rewritten on each write)
#   KALVO_TEST_PORTS   the mapped ports with a transceiver, e.g. "COM50 COM51"
#   KALVO_TEST_ABSENT  the ports mapped to no device
# Exit status 77 (skipped) when the tool has not been built.
set -euo pipefail
vtrx=$1
shift
if [ ! -x "$vtrx" ]; then
  echo "with_radios: $vtrx is not built (build the linux preset first)"
  exit 77
fi
. "$(dirname "$0")/../../../scripts/wine.sh"
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine}

folder=$(mktemp -d /tmp/kalvo-radios.XXXXXX)
pids=()
links=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  for link in "${links[@]}"; do rm -f "$link"; done
  rm -rf "$folder"
}
trap cleanup EXIT

# Little-endian 32-bit value as printf escapes.
le32() {
  local v=$1
  printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((v & 255)) $(((v >> 8) & 255)) \
    $(((v >> 16) & 255)) $(((v >> 24) & 255))
}

# 100 channels: every mode and pre-amp code, codes without a name, empty
# records with stray codes, one frequency above the editor's range.
modes=1234576980
preamps=0129
for c in $(seq 0 99); do
  frequency=$((100000 + c * 559013))
  [ "$c" -eq 1 ] && frequency=145500000
  [ $((c % 9)) -eq 4 ] && frequency=0
  printf "$(le32 $frequency)%s%s" "${modes:$((c % 10)):1}" "${preamps:$((c % 4)):1}"
done >"$folder/radio.mem"

ports=""
absent=""
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
  port=${1%%:*}
  options=""
  [ "$port" != "$1" ] && options=${1#*:}
  shift
  number=${port#COM}
  links+=("$WINEPREFIX/dosdevices/com$number")
  if [ "$options" = absent ]; then
    kalvo_wine_com "$number" "$folder/no-such-device"
    absent="$absent $port"
    continue
  fi
  IFS=, read -r -a extra <<<"$options"
  output="$folder/$port.out"
  "$vtrx" --load "$folder/radio.mem" --save "$folder/$port.mem" ${extra[@]+"${extra[@]}"} \
    >"$output" 2>&1 &
  pids+=($!)
  # The tool prints the path of its terminal first.
  for _ in $(seq 1 50); do
    [ -s "$output" ] && break
    sleep 0.1
  done
  terminal=$(head -n 1 "$output")
  case "$terminal" in
    /dev/*) ;;
    *) echo "with_radios: kalvo-vtrx for $port did not come up: $(cat "$output")" >&2; exit 1 ;;
  esac
  kalvo_wine_com "$number" "$terminal"
  ports="$ports $port"
done
[ "${1:-}" = "--" ] && shift

export KALVO_TEST_FOLDER="Z:${folder//\//\\}"
export KALVO_TEST_PORTS="${ports# }"
export KALVO_TEST_ABSENT="${absent# }"
"$@"
