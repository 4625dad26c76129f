#!/usr/bin/env bash
# Runs a benchmark of the linux build against the virtual transceiver paced at
# 9600 baud on /dev/ttyUSB0 of a sandbox of its own (tests/sandbox.sh, as
# root), so no other program's port probe meets the read:
#   bench/bench.sh bench_serial|bench_read [build folder, default build/linux]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-$root/build/linux}
exec bash "$root/tests/sandbox.sh" bash "$root/tests/app/with_radios.sh" "$build/tools/kalvo-vtrx" \
  /dev/ttyUSB0:--baud,9600 -- "$build/bench/${1:?which benchmark: bench_serial or bench_read}"
