#!/usr/bin/env bash
# Runs a Windows program under wine's 32-bit loader as scripts/setup-wine32.sh
# unpacked it: wine32.sh <program.exe | wine command> [args...]
# qemu (registered for 32-bit x86 programs) finds the loader's libraries in
# that folder, for it and for every 32-bit program it starts. The prefix is
# a 32-bit Windows of its own; the wine server is the machine's, which
# serves 32-bit programs as well.
set -euo pipefail
. "$(dirname "$0")/wine.sh"
loader=$(kalvo_wine32_loader)
if [ ! -x "$loader" ]; then
  echo "wine32: no 32-bit wine loader at $loader (scripts/setup-wine32.sh puts it there)" >&2
  exit 1
fi
export QEMU_LD_PREFIX=$(kalvo_wine32_root) WINEARCH=win32
exec "$loader" "$@"
