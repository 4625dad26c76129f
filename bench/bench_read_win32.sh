#!/usr/bin/env bash
# Times "Read TRX" of the Windows editor under wine64 against the virtual
# transceiver at 9600 baud on COM70 of a fresh wine prefix:
#   bench/bench_read_win32.sh [build folder, default build/win64]
# Needs the linux build's kalvo-vtrx and the bench_read_win32 target of the
# 64-bit Windows build (cmake --build --preset win64 --target bench_read_win32).
set -euo pipefail
. "$(dirname "$0")/../scripts/wine_session.sh"
build=${1:-$root/build/win64}
bench=$build/bench/bench_read_win32.exe
wine_session "$bench" "$vtrx"
bash "$root/tests/app/with_radios.sh" "$vtrx" COM70:--baud,9600 -- \
  "$(kalvo_wine_loader)" "$bench"
