#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", clang) and runs each for a
# bounded time on a copy of its seed corpus. Prints one line per target and
# exits non-zero when any target found a crash; the inputs that crashed are
# kept under build/fuzz/artifacts/<target>/.
#   FUZZ_SECONDS   seconds per target (default 30)
#   FUZZ_TARGETS   targets to run (default: all)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-30}
# Longest input per target: a little over what the input format holds.
declare -A max_len=(
  [fuzz_memory_file]=1024
  [fuzz_reply]=50
  [fuzz_text]=512
  [fuzz_file_patterns]=256
  [fuzz_channel_csv]=4096
)
targets=(${FUZZ_TARGETS:-fuzz_memory_file fuzz_reply fuzz_text fuzz_file_patterns fuzz_channel_csv})

echo "=== fuzz: build"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

bin=build/fuzz/tests/fuzz
artifacts=build/fuzz/artifacts
# Memory first: a target that writes files should not wait on the disk.
work=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$work"' EXIT
export UBSAN_OPTIONS=print_stacktrace=1

echo "=== fuzz: $seconds s per target"
printf '%-20s %8s %12s %9s %8s\n' target seconds executions exec/s crashes
failed=0
for target in "${targets[@]}"; do
  corpus="$work/$target"
  rm -rf "$artifacts/$target"
  mkdir -p "$corpus" "$artifacts/$target"
  cp tests/fuzz/corpus/"$target"/* "$corpus"/
  log="$artifacts/$target/last-run.log"
  status=0
  # Temporary files of a target stay in the work folder.
  TMPDIR="$work" "$bin/$target" -max_total_time="$seconds" -max_len="${max_len[$target]}" \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$artifacts/$target/" "$corpus" >"$log" 2>&1 || status=$?
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  crashes=$(find "$artifacts/$target" -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
    -o -name 'oom-*' | wc -l)
  if ((status != 0 && crashes == 0)); then
    crashes=1 # stopped without leaving an input, e.g. in start-up
  fi
  printf '%-20s %8s %12s %9s %8s\n' "$target" "$seconds" "${executions:-?}" "${speed:-?}" "$crashes"
  if ((crashes)); then
    failed=1
    grep -m 5 -E 'invariant broken|ERROR|SUMMARY|Test unit written' "$log" | sed 's/^/    /' || true
  fi
done
if ((failed)); then
  echo "fuzz: a target crashed; the inputs are under $artifacts" >&2
fi
exit "$failed"
