#!/usr/bin/env bash
# Ctrl+C in the middle of a read, as a terminal sends it (SIGINT, which wine
# hands to a Windows console program as Ctrl+C):
#   interrupt.sh <command that runs kalvo-mem...>
# The command's last word is the program; when KALVO_TEST_PROGRAMS names a
# folder, the file of that name there is run instead (the program as a
# package holds it).
# Reads from the first port with_radios.sh started (9600 baud: six seconds
# for all channels) and interrupts 1.5 s into the read. The read must end at once
# with status 1, saying so, and leave the file that was there as it was.
set -euo pipefail
command=("$@")
if [ -n "${KALVO_TEST_PROGRAMS:-}" ]; then
  command[-1]=$KALVO_TEST_PROGRAMS/$(basename "${command[-1]}")
fi
port=${KALVO_TEST_PORTS%% *}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" # relative names: the same for a Windows program under wine
echo old >out.mem

# The terminal behind the port, which the program holds open in its read.
case "$port" in
  COM*) terminal=$(readlink -f "$WINEPREFIX/dosdevices/${port,,}") ;;
  *) terminal=$(readlink -f "$port") ;;
esac
holds_port() {
  local fd
  for fd in /proc/"$program"/fd/*; do
    [ "$(readlink "$fd" 2>/dev/null)" = "$terminal" ] && return 0
  done
  return 1
}

"${command[@]}" read "$port" out.mem 2>err.txt &
program=$!
# 1.5 s into the read, counted from when the program has opened the port:
# until then it is still starting, which under wine (a 32-bit build on a
# busy machine most of all) can take longer than that.
for _ in $(seq 1 300); do
  holds_port && break
  sleep 0.1
done
sleep 1.5
kill -INT "$program"
interrupted=$(date +%s%N)
status=0
wait "$program" || status=$?
took=$((($(date +%s%N) - interrupted) / 1000000))

echo "interrupt: ended $took ms after Ctrl+C with status $status: $(tr -d '\r' <err.txt)"
[ "$status" = 1 ] && [ "$took" -lt 1000 ] && [ "$(cat out.mem)" = old ] &&
  [ "$(tr -d '\r' <err.txt)" = "kalvo-mem: $port: interrupted; nothing written" ]
