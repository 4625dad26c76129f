#!/usr/bin/env bash
# Sets up, builds and starts Kalvo.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j "$(nproc)"

if [ ! -x build/linux/app/kalvo ]; then
  echo "run: the kalvo program is not built yet (the editor is still being written)."
  exit 0
fi
exec build/linux/app/kalvo
