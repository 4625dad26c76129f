#!/usr/bin/env bash
# Sets up, builds and starts Kalvo.
# Run as root with no radio attached (no /dev/ttyUSB* device), it also starts
# the virtual transceiver with a demo channel set on a free /dev/ttyUSB<N>,
# so "Read TRX" works at once. Without an X display it runs Kalvo under a
# private Xvfb, saves a screenshot to build/kalvo-screenshot.png and exits.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j "$(nproc)" --target kalvo kalvo-vtrx

kalvo=build/linux/app/kalvo
vtrx=build/linux/tools/kalvo-vtrx
cleanup=()
trap 'for pid in "${cleanup[@]}"; do kill "$pid" 2>/dev/null || true; done; wait 2>/dev/null || true' EXIT

if [ "$(id -u)" -eq 0 ] && ! compgen -G "/dev/ttyUSB*" >/dev/null; then
  link=/dev/ttyUSB0
  "$vtrx" --link "$link" --load tools/demo.mem >/dev/null &
  cleanup+=($!)
  for _ in $(seq 1 50); do [ -e "$link" ] && break; sleep 0.1; done
  echo "run: virtual transceiver with a demo channel set on $link (choose it under PORT)"
fi

have_display() { [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; }
if have_display; then
  "$kalvo"
  exit 0
fi

. scripts/xvfb.sh
kalvo_display
# kalvo_display ends its Xvfb through an EXIT trap; keep ours, which ends it too.
cleanup+=("$KALVO_XVFB_PID")
trap 'for pid in "${cleanup[@]}"; do kill "$pid" 2>/dev/null || true; done; wait 2>/dev/null || true' EXIT
"$kalvo" &
cleanup+=($!)
for _ in $(seq 1 100); do
  xdotool search --name "Kalvo 1.02" >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 1
import -window root build/kalvo-screenshot.png
echo "run: no display here, so Kalvo ran under Xvfb; screenshot saved to build/kalvo-screenshot.png"
