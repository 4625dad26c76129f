#!/usr/bin/env bash
# Takes the picture of the Windows editor in the README: kalvo-win32.exe of
# the 64-bit build under wine64 on a private X display, after "Read TRX" from
# the virtual transceiver holding tools/demo.mem on COM1 (the first port, in
# place of what the prefix maps there), one row selected.
#   scripts/screenshot-win32.sh [build folder, default build/win64] [output png]
set -euo pipefail
. "$(dirname "$0")/wine_session.sh"
build=${1:-$root/build/win64}
output=${2:-$root/docs/kalvo-win32.png}
program=$build/app/kalvo-win32.exe
unset DISPLAY # a private display: nothing else on the picture
wine_session "$program" "$vtrx"
work=$WINEPREFIX/screenshot # goes with the prefix
mkdir -p "$work"

"$vtrx" --baud 0 --load "$root/tools/demo.mem" >"$work/vtrx.out" 2>&1 &
session_pids+=($!)
for _ in $(seq 1 50); do [ -s "$work/vtrx.out" ] && break; sleep 0.1; done
# Wine maps COM1 to /dev/ttyS0 each time it starts, unless its registry
# names another device for it; the change holds from the next start.
"$(kalvo_wine_loader)" reg add 'HKLM\Software\Wine\Ports' /v COM1 \
  /d "$(head -n 1 "$work/vtrx.out")" /f >/dev/null 2>&1
kalvo_wine_stop

# Quietly: the wine server it starts reports on its way down.
"$(kalvo_wine_loader)" "$program" >/dev/null 2>&1 &
session_pids+=($!)
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Kalvo 1.03$' | head -n 1)
sleep 3 # start-up: the port probe and the 100 rows
# X, Y, WIDTH, HEIGHT of the whole window, which wine frames itself: the
# 530 x 310 client area sits inside equal borders below the caption.
eval "$(xdotool getwindowgeometry --shell "$window")"
border=$(((WIDTH - 530) / 2))
caption=$((HEIGHT - 310 - border))
click() { xdotool mousemove $((X + border + $1)) $((Y + caption + $2)) click 1; sleep 0.5; }
click 480 24 # port_combo opens its list
click 480 46 # its first item, COM1
click 50 25 # "Read TRX"
sleep 4
click 100 96 # row 2 of the list
xdotool mousemove 0 0
sleep 1
import -window root "$work/screen.png"
convert "$work/screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$output"
echo "$output"
