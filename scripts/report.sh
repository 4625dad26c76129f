#!/usr/bin/env bash
# Reruns the hardening figures and prints them as one table: executions and
# crashes of every fuzz target, the soak's cycles, memory and descriptors,
# and the failure cases. Run after scripts/setup.sh, as root: the full-disk
# case mounts a small file system (it is counted as skipped otherwise).
#   FUZZ_SECONDS       seconds per fuzz target (default 30)
#   KALVO_SOAK_CYCLES  soak cycles (default 200), KALVO_SOAK_BAUD its line pace (0)
#   KALVO_BUILD_DIR    build folder of the suites (default build/linux)
set -uo pipefail
cd "$(dirname "$0")/.."

. scripts/xvfb.sh
kalvo_display || exit 1

build=${KALVO_BUILD_DIR:-build/linux}
logs=$(mktemp -d)
trap 'rm -rf "$logs"; kill ${KALVO_XVFB_PID:-} 2>/dev/null' EXIT

echo "=== report: build"
cmake --preset linux -B "$build" >/dev/null &&
  cmake --build "$build" -j "$(nproc)" --target soak_test exchange_failure_test save_failure_test >"$logs/build" 2>&1 ||
  { cat "$logs/build"; exit 1; }

echo "=== report: fuzz targets"
bash scripts/fuzz.sh >"$logs/fuzz" 2>&1
fuzz_status=$?

export LSAN_OPTIONS="suppressions=$PWD/tests/app/lsan.supp:print_suppressions=0"
export TSAN_OPTIONS="suppressions=$PWD/tests/app/tsan.supp"
for suite in soak_test exchange_failure_test save_failure_test; do
  echo "=== report: $suite"
  "$build/tests/soak/$suite" >"$logs/$suite" 2>&1
  echo $? >"$logs/$suite.status"
done

# "kalvo-figure <name> <value>" lines the suites print.
figure() { sed -n "s/^kalvo-figure $1 //p" "$logs"/*_test | tail -1; }
# Test cases of a suite that ended with this gtest verdict (OK, FAILED, SKIPPED).
cases() { grep -cE "^\[ +$2 +\] [A-Za-z]+\.[A-Za-z0-9_]+ \([0-9]+ ms\)" "$logs/$1"; }
or_failed() { [ -n "$1" ] && echo "$1" || echo "failed, see below"; }

row() { printf '| %-52s | %-22s |\n' "$1" "$2"; }
echo
row "measure" "value"
row "----------------------------------------------------" "----------------------"
# fuzz.sh prints: target seconds executions exec/s crashes
while read -r target seconds executions _ crashes; do
  row "fuzz $target ($seconds s): executions / crashes" "$executions / $crashes"
done < <(grep -E '^fuzz_[a-z_]+ +[0-9]+ ' "$logs/fuzz")
rss_start=$(figure soak_rss_start_kib)
rss_end=$(figure soak_rss_end_kib)
row "soak: cycles at baud $(figure soak_baud)" "$(or_failed "$(figure soak_cycles)") in $(figure soak_seconds) s"
row "soak: RSS at start / end (KiB)" "$rss_start / $rss_end"
row "soak: RSS growth after warm-up (KiB)" "$(figure soak_rss_growth_kib)"
row "soak: descriptors before / after" "$(figure soak_fds_before) / $(figure soak_fds_after)"
row "soak: verdict" "$(grep -qE '^\[ +OK +\] Soak\.' "$logs/soak_test" && echo passed || echo FAILED)"
total() { echo $(($(cases exchange_failure_test "$1") + $(cases save_failure_test "$1"))); }
row "failure cases: passed / failed / skipped" "$(total OK) / $(total FAILED) / $(total SKIPPED)"

status=$fuzz_status
for suite in soak_test exchange_failure_test save_failure_test; do
  if [ "$(cat "$logs/$suite.status")" != 0 ]; then
    status=1
    echo
    echo "--- $suite failed:"
    grep -E 'Failure|FAILED|^the |Expected|Which is|run [0-9]+' "$logs/$suite" | head -40
  fi
done
if ((fuzz_status)); then
  echo
  echo "--- fuzz: a target crashed:"
  grep -A5 -E 'crashed|ERROR' "$logs/fuzz" | head -20
fi
exit "$status"
