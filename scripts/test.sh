#!/usr/bin/env bash
# Sets up, builds and runs every test: the plain build, then the whole suite
# under the address and undefined-behaviour sanitizers, then the worker-thread
# suites under the thread sanitizer, a bounded run of the fuzz targets
# (FUZZ_SECONDS each, 30 by default), the Windows builds, the two packages
# (scripts/package.sh), the Windows suites on the 64-bit build under wine64,
# and last the same suites on the shipped 32-bit build, as its zip holds it
# (scripts/test-win32.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

# Headers are reached only through the include folders each target names
# (a layer's internal headers only through kalvo_<layer>_internal), which a
# path climbing out of its own folder would get around.
if git grep -n '#include "\.\./' -- '*.cpp' '*.h'; then
  echo "include through a relative path above (use the target's include folders)" >&2
  exit 1
fi

# One style for every C++ source (.clang-format); a file it would change
# fails here with the lines it would change.
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format-14 --dry-run --Werror

. scripts/xvfb.sh
kalvo_display

jobs=$(nproc)
for preset in linux asan tsan; do
  echo "=== $preset: build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "=== $preset: test"
  # The suite that drives the real program from outside times it like a user
  # (it must exit within two seconds of the close box); under a sanitizer the
  # program is several times slower, so it runs in the plain build only. The
  # same code paths run under the sanitizers in the in-process suites.
  exclude=()
  [ "$preset" = linux ] || exclude=(-E '^program_test$')
  ctest --preset "$preset" -j "$jobs" --timeout 300 "${exclude[@]}"
done

# Fuzzing, after every suite passed: clang builds of the input parsers.
bash scripts/fuzz.sh

# Windows: the shipped 32-bit build, then the 64-bit one, whose suites run
# under wine64 directly, with no 32-bit support from the kernel or wine. The
# tests get a fresh wine prefix and the X display above; the serial and
# editor suites reach kalvo-vtrx of the linux build through COM ports of
# that prefix.
echo "=== win32: build"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs"
# The packages users install: the Debian package is installed and its
# program started, the Windows zip is checked for its two files.
bash scripts/package.sh
echo "=== win64: build"
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$jobs"
echo "=== win64: test under wine64"
. scripts/wine.sh
kalvo_wine_prefix
status=0
timeout 1800 ctest --preset win64 -j "$jobs" --timeout 300 || status=$?
kalvo_wine_stop
rm -rf "$WINEPREFIX"
# The 32-bit suites run whatever the 64-bit ones found: each shows its own
# faults. The stage sets the machine up for 32-bit wine and fails, saying
# why, where it cannot.
echo "=== win32: test the shipped build under wine32"
bash scripts/test-win32.sh || status=$?
exit "$status"
