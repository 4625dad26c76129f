#!/usr/bin/env bash
# Sets up, builds and runs every test: the plain build, then the whole suite
# under the address and undefined-behaviour sanitizers, then the worker-thread
# suites under the thread sanitizer, and last a bounded run of the fuzz targets
# (FUZZ_SECONDS each, 30 by default).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
. scripts/xvfb.sh
kalvo_display

jobs=$(nproc)
for preset in linux asan tsan; do
  echo "=== $preset: build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "=== $preset: test"
  ctest --preset "$preset" -j "$jobs" --timeout 900
done

# Fuzzing, after every suite passed: clang builds of the input parsers.
bash scripts/fuzz.sh
