#!/usr/bin/env bash
# Runs one test program in a sandbox of its own:
#   sandbox.sh <program> [args...]
# - a private mount namespace with a /dev of its own (the basic nodes and a
#   new pseudo-terminal instance), so the /dev/ttyUSB<N> names a test makes
#   are its alone: no other run, no real adapter at /dev/ttyUSB0 and no name
#   a crashed earlier run left behind can meet it;
# - a /tmp of its own (the X server's lock and socket, the buses, the tests'
#   files, a home), gone with the sandbox, and no network but its own
#   loopback; a checkout, build folder or working folder that lives under
#   /tmp stays visible at its place;
# - a PID namespace: when the program ends, or ctest kills the sandbox on a
#   timeout, every process it started (a transceiver, the editor, Xvfb) ends
#   with it;
# - an Xvfb display and a session bus of its own (the accessibility bus the
#   end-to-end suite reads the program's window from runs on it).
# As root the namespaces are made directly; any other user gets the same
# sandbox inside a user namespace in which it is root. Where the kernel
# refuses that, the suite fails and says so, unless KALVO_SANDBOX_SKIP=1
# asks to report it as skipped (exit status 77) instead.
set -euo pipefail
root=$(realpath "$(dirname "$0")/..")

if [ "${KALVO_SANDBOX:-}" != inside ]; then
  namespaces=(--mount --propagation private --net --pid --fork)
  [ "$(id -u)" -eq 0 ] || namespaces=(--user --map-root-user "${namespaces[@]}")
  if ! why=$(unshare "${namespaces[@]}" true 2>&1); then
    echo "sandbox: this suite runs in namespaces of its own, which the kernel refuses here: $why"
    [ "${KALVO_SANDBOX_SKIP:-}" = 1 ] && { echo "sandbox: skipped (KALVO_SANDBOX_SKIP=1)"; exit 77; }
    echo "sandbox: run as root, allow user namespaces, or set KALVO_SANDBOX_SKIP=1 to skip these suites"
    exit 1
  fi
  # --kill-child: should the sandbox itself be killed, its first process
  # goes too, and with it the whole PID namespace.
  exec env KALVO_SANDBOX=inside unshare "${namespaces[@]}" --kill-child --mount-proc bash "$0" "$@"
fi

# The first folders below /tmp that the test reaches: the checkout, the
# working folder and every path among the arguments (the program, the
# transceiver, the scripts). A fresh /tmp would hide them.
declare -A keep=()
for path in "$root" "$PWD" "$@"; do
  [[ "$path" == /* && -e "$path" ]] || continue
  path=$(realpath "$path")
  [[ "$path" == /tmp/?* ]] || continue
  top=${path#/tmp/}
  keep[${top%%/*}]=1
done
# The host's /tmp, still reachable through this descriptor once hidden.
exec 9</tmp
mount -t tmpfs -o mode=1777 kalvo-tmp /tmp
for top in "${!keep[@]}"; do
  if [ -d "/proc/self/fd/9/$top" ]; then mkdir "/tmp/$top"; else touch "/tmp/$top"; fi
  # As given: a canonical name would be the new /tmp's.
  mount --no-canonicalize --bind "/proc/self/fd/9/$top" "/tmp/$top"
done
exec 9<&-

# A /dev with only what a test needs, prepared aside and put over /dev.
# The basic nodes are the host's own, bound in: a user namespace may not
# make device nodes.
stage=$(mktemp -d /tmp/kalvo-dev.XXXXXX)
mount -t tmpfs -o mode=755,size=1m kalvo-dev "$stage"
for name in null zero full random urandom tty; do
  touch "$stage/$name"
  mount --bind "/dev/$name" "$stage/$name"
done
mkdir "$stage/pts" "$stage/shm"
mount -t devpts -o newinstance,ptmxmode=0666,mode=620 devpts "$stage/pts"
mount -t tmpfs -o mode=1777 shm "$stage/shm"
ln -s pts/ptmx "$stage/ptmx"
ln -s /proc/self/fd "$stage/fd"
ln -s /proc/self/fd/0 "$stage/stdin"
ln -s /proc/self/fd/1 "$stage/stdout"
ln -s /proc/self/fd/2 "$stage/stderr"
# A copy of the whole tree (a user namespace may not move it).
mount --rbind "$stage" /dev
umount -R "$stage"
rmdir "$stage"

ip link set lo up 2>/dev/null || true
# A home and a runtime folder of its own: the accessibility bus puts its
# socket there under the display's number, which every sandbox shares, and
# the file chooser keeps its recently used files in the home.
export HOME=/tmp/home XDG_RUNTIME_DIR=/tmp/runtime
mkdir -p "$HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DISPLAY XDG_CONFIG_HOME XDG_CACHE_HOME XDG_DATA_HOME
. "$root/scripts/xvfb.sh"
kalvo_display
export GSETTINGS_BACKEND=memory
status=0
dbus-run-session -- "$@" || status=$?
exit "$status"
