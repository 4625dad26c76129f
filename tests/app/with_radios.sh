#!/usr/bin/env bash
# Runs a test of the editor against virtual transceivers:
#   with_radios.sh <kalvo-vtrx> <port>[:option,option...]... -- <command...>
# Each port gets its own kalvo-vtrx (built for this machine) started from the
# same channel set: a port COMn is mapped to COMn of the wine prefix in
# WINEPREFIX (for the Windows build under wine), a port /dev/ttyUSBn is made
# a link to the transceiver's terminal (in the sandbox's own /dev). The
# options go to that transceiver ("COM51:--silent" makes a silent one),
# "<port>:empty" starts one with every channel empty, and "<port>:absent"
# maps the port to a device that does not exist. The test
# finds in its environment:
#   KALVO_TEST_FOLDER  a fresh folder (a Windows path for COM ports) holding
#                      radio.mem, the channel set every transceiver starts
#                      from, and <port name>.mem (COM50.mem, ttyUSB0.mem),
#                      what that transceiver holds now
#   KALVO_TEST_PORTS   the ports with a transceiver, e.g. "COM50 COM51"
#   KALVO_TEST_ABSENT  the ports mapped to no device
# Exit status 77 (skipped) when the tool has not been built.
set -euo pipefail
vtrx=$1
shift
if [ ! -x "$vtrx" ]; then
  echo "with_radios: $vtrx is not built (build the linux preset first)"
  exit 77
fi
. "$(dirname "$0")/../../scripts/wine.sh"
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine}
windows=false

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
  name=$(basename "$port")
  case "$port" in
    COM*) windows=true; links+=("$WINEPREFIX/dosdevices/com$number") ;;
    *) links+=("$port") ;;
  esac
  if [ "$options" = absent ]; then
    if [ "$windows" = true ]; then kalvo_wine_com "$number" "$folder/no-such-device"
    else ln -sfn "$folder/no-such-device" "$port"; fi
    absent="$absent $port"
    continue
  fi
  load=(--load "$folder/radio.mem")
  if [ "$options" = empty ]; then load=(); options=""; fi
  IFS=, read -r -a extra <<<"$options"
  output="$folder/$name.out"
  link=()
  [ "$windows" = true ] || link=(--link "$port")
  "$vtrx" "${load[@]}" --save "$folder/$name.mem" "${link[@]}" ${extra[@]+"${extra[@]}"} \
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
  [ "$windows" = false ] || kalvo_wine_com "$number" "$terminal"
  ports="$ports $port"
done
[ "${1:-}" = "--" ] && shift

export KALVO_TEST_FOLDER=$folder
[ "$windows" = false ] || KALVO_TEST_FOLDER="Z:${folder//\//\\}"
export KALVO_TEST_PORTS="${ports# }"
export KALVO_TEST_ABSENT="${absent# }"
"$@"
