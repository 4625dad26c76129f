#!/usr/bin/env bash
# Runs one test program in a sandbox of its own:
#   sandbox.sh <program> [args...]
# - a private mount namespace with a /dev of its own (the basic nodes and a
#   new pseudo-terminal instance), so the /dev/ttyUSB<N> names a test makes
#   are its alone: no other run, no real adapter at /dev/ttyUSB0 and no name
#   a crashed earlier run left behind can meet it;
# - a /tmp of its own (the X server's lock and socket, the buses, the tests'
#   files, a home), gone with the sandbox, and no network but its own
#   loopback;
# - a PID namespace: when the program ends, or ctest kills the sandbox on a
#   timeout, every process it started (a transceiver, the editor, Xvfb) ends
#   with it;
# - an Xvfb display and a session bus of its own (the accessibility bus the
#   end-to-end suite reads the program's window from runs on it).
# Namespaces and device nodes need root; without it the test is reported as
# skipped (exit status 77).
set -euo pipefail

if [ "${KALVO_SANDBOX:-}" != inside ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "sandbox: this suite runs in a namespace of its own and needs root; skipped"
    exit 77
  fi
  # --kill-child: should the sandbox itself be killed, its first process
  # goes too, and with it the whole PID namespace.
  exec env KALVO_SANDBOX=inside unshare --mount --propagation private --net --pid --fork \
    --kill-child --mount-proc bash "$0" "$@"
fi

mount -t tmpfs -o mode=1777 kalvo-tmp /tmp
# A /dev with only what a test needs, prepared aside and moved over /dev.
stage=$(mktemp -d /tmp/kalvo-dev.XXXXXX)
mount -t tmpfs -o mode=755,size=1m kalvo-dev "$stage"
for node in null:1:3 zero:1:5 full:1:7 random:1:8 urandom:1:9 tty:5:0; do
  IFS=: read -r name major minor <<<"$node"
  mknod -m 666 "$stage/$name" c "$major" "$minor"
done
mkdir "$stage/pts" "$stage/shm"
mount -t devpts -o newinstance,ptmxmode=0666,mode=620 devpts "$stage/pts"
mount -t tmpfs -o mode=1777 shm "$stage/shm"
ln -s pts/ptmx "$stage/ptmx"
ln -s /proc/self/fd "$stage/fd"
ln -s /proc/self/fd/0 "$stage/stdin"
ln -s /proc/self/fd/1 "$stage/stdout"
ln -s /proc/self/fd/2 "$stage/stderr"
mount --move "$stage" /dev
rmdir "$stage"

ip link set lo up 2>/dev/null || true
# A home and a runtime folder of its own: the accessibility bus puts its
# socket there under the display's number, which every sandbox shares, and
# the file chooser keeps its recently used files in the home.
export HOME=/tmp/home XDG_RUNTIME_DIR=/tmp/runtime
mkdir -p "$HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset DISPLAY XDG_CONFIG_HOME XDG_CACHE_HOME XDG_DATA_HOME
. "$(dirname "$0")/../scripts/xvfb.sh"
kalvo_display
export GSETTINGS_BACKEND=memory
status=0
dbus-run-session -- "$@" || status=$?
exit "$status"
