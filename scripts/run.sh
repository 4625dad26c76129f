#!/usr/bin/env bash
# Sets up, builds and starts Kalvo.
# With no radio attached (no /dev/ttyUSB* device) it also starts the virtual
# transceiver with a demo channel set and names it /dev/ttyUSB0, so "Read
# TRX" works at once; making that name needs root, which a user other than
# root is asked for through sudo. Without an X display it runs Kalvo under a
# private Xvfb, reads the demo channels, saves a screenshot to
# build/kalvo-screenshot.png, says what it shows and exits.
#   scripts/run.sh [--screenshot FILE]
# --screenshot takes that picture on a private display even where there is a
# display, into FILE (how docs/kalvo-linux.png is made).
set -euo pipefail
screenshot=build/kalvo-screenshot.png
if [ "${1:-}" = --screenshot ]; then
  screenshot=$(realpath -m "${2:?--screenshot FILE}")
  unset DISPLAY
fi
cd "$(dirname "$0")/.."

bash scripts/setup.sh run
cmake --preset linux >/dev/null
cmake --build --preset linux -j "$(nproc)" --target kalvo kalvo-vtrx

kalvo=build/linux/app/kalvo
vtrx=build/linux/tools/kalvo-vtrx
cleanup=()
link=
made_link=
finish() {
  for pid in "${cleanup[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  # A name this script made through sudo goes with the transceiver.
  if [ -n "$made_link" ] && [ "$(readlink "$link" 2>/dev/null)" = "$made_link" ]; then
    sudo rm -f "$link" || true
  fi
}
trap finish EXIT

# The transceiver runs as the caller, so the caller's Kalvo may open its
# terminal; as root it names the terminal itself, else sudo makes the name.
start_demo_radio() {
  link=/dev/ttyUSB0
  local out
  out=$(mktemp)
  if [ "$(id -u)" -eq 0 ]; then
    "$vtrx" --link "$link" --load tools/demo.mem >"$out" &
  else
    "$vtrx" --load tools/demo.mem >"$out" &
  fi
  cleanup+=($!)
  for _ in $(seq 1 50); do [ -s "$out" ] && break; sleep 0.1; done
  local terminal
  terminal=$(head -1 "$out")
  rm -f "$out"
  if [ "$(id -u)" -ne 0 ]; then
    echo "run: naming the demo transceiver $link needs root (sudo):"
    if command -v sudo >/dev/null && sudo ln -s "$terminal" "$link"; then
      made_link=$terminal
    else
      echo "run: no $link; Kalvo starts without the demo transceiver" >&2
      link=
      return 0
    fi
  fi
  for _ in $(seq 1 50); do [ -e "$link" ] && break; sleep 0.1; done
  echo "run: virtual transceiver with a demo channel set on $link"
}

if ! compgen -G "/dev/ttyUSB*" >/dev/null; then
  start_demo_radio
fi

have_display() { [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; }
if have_display; then
  [ -z "$link" ] || echo "run: choose $link under PORT, then press \"Read TRX\""
  "$kalvo"
  exit 0
fi

. scripts/xvfb.sh
kalvo_display
# kalvo_display ends its Xvfb through an EXIT trap; keep ours, which ends it too.
cleanup+=("$KALVO_XVFB_PID")
trap finish EXIT
"$kalvo" &
cleanup+=($!)
window=
for _ in $(seq 1 100); do
  window=$(xdotool search --onlyvisible --name "^Kalvo 1.02$" 2>/dev/null | head -1) && [ -n "$window" ] && break
  sleep 0.1
done
sleep 1
shows="Kalvo's window as it starts: no port chosen, 100 empty channels"
if [ -n "$link" ] && [ -n "$window" ]; then
  # What a newcomer wants to see: the channels read from the demo radio. The
  # window is centred; its port combo and "Read TRX" are at fixed places.
  eval "$(xdotool getwindowgeometry --shell "$window")"
  xdotool mousemove $((X + 480)) $((Y + 24)) click 1
  sleep 0.5
  xdotool key Down Return
  sleep 0.5
  xdotool mousemove $((X + 50)) $((Y + 25)) click 1
  sleep 12 # 100 channels at 9600 baud take six seconds; slow machines more
  xdotool mousemove $((X + 170)) $((Y + 115)) click 1 # a channel to edit
  sleep 0.5
  if xdotool search --onlyvisible --name "^Error$" >/dev/null 2>&1; then
    shows="Kalvo's window with an error message: reading the demo transceiver on $link failed"
  else
    shows="Kalvo's window after \"Read TRX\" read the demo set's 100 channels from the virtual transceiver on $link, with channel 1 chosen for editing"
  fi
fi
if [ -n "$window" ]; then
  eval "$(xdotool getwindowgeometry --shell "$window")"
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$screenshot"
else
  shows="the whole screen: Kalvo's window did not show"
  import -window root "$screenshot"
fi
echo "run: no display here, so Kalvo ran under Xvfb and was closed again."
echo "run: screenshot: $(realpath "$screenshot")"
echo "run: it shows $shows."
