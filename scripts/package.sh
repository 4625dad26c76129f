#!/usr/bin/env bash
# Builds the two packages and tries them as a user would: the Debian package
# (build/linux/kalvo_<version>_amd64.deb) is installed with apt-get, its
# /usr/bin/kalvo started on an X display (a private Xvfb when there is none)
# until its window shows, its /usr/bin/kalvo-mem run on a channel set, and
# removed again unless it was installed before; the Windows zip
# (build/win32/kalvo-<version>-win32.zip) must hold the two programs and the
# README. Run as root (or with sudo for apt-get).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

echo "=== packages: build"
cmake --preset linux >/dev/null
cmake --build --preset linux -j "$(nproc)" --target kalvo kalvo-mem kalvo_mem_man
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$(nproc)" --target kalvo-win32 kalvo-mem
rm -f build/linux/kalvo_*.deb build/win32/kalvo-*-win32.zip
(cd build/linux && cpack -G DEB >/dev/null)
(cd build/win32 && cpack -G ZIP >/dev/null)
deb=$(ls build/linux/kalvo_*.deb)
zip=$(ls build/win32/kalvo-*-win32.zip)

echo "=== packages: $zip"
listing=$(cmake -E tar tf "$zip")
echo "$listing"
for file in kalvo-win32.exe kalvo-mem.exe README.txt; do
  grep -q "/$file\$" <<<"$listing" || { echo "package: $zip lacks $file" >&2; exit 1; }
done

echo "=== packages: $deb"
dpkg-deb --field "$deb" Package Version Section Depends
# Looked for in the package: a system may be set to install no manual pages.
contents=$(dpkg-deb --contents "$deb")
for file in usr/bin/kalvo usr/bin/kalvo-mem usr/share/man/man1/kalvo-mem.1.gz; do
  grep -q " \./$file\$" <<<"$contents" || { echo "package: $deb lacks /$file" >&2; exit 1; }
done
installed_before=false
dpkg-query -W -f='${Status}' kalvo 2>/dev/null | grep -q "install ok installed" && installed_before=true
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=600 install -y -q --no-install-recommends "./$deb" >/dev/null
remove() {
  if ! $installed_before; then
    "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=600 remove -y -q kalvo >/dev/null || true
  fi
}
trap remove EXIT
grep -q '^Exec=kalvo$' /usr/share/applications/kalvo.desktop
# The console program on PATH: a channel set through CSV and back comes out
# byte for byte.
csv_check=$(mktemp -d)
(cd / && kalvo-mem export "$OLDPWD/tools/demo.mem" "$csv_check/demo.csv" &&
  kalvo-mem import "$csv_check/demo.csv" "$csv_check/demo.mem")
cmp tools/demo.mem "$csv_check/demo.mem"
rm -rf "$csv_check"
echo "package: $(command -v kalvo-mem) turned tools/demo.mem into CSV and back unchanged"
icon=$(sed -n 's/^Icon=//p' /usr/share/applications/kalvo.desktop)
[ -f "/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] || { echo "package: no icon $icon" >&2; exit 1; }

. scripts/xvfb.sh
kalvo_display
trap 'remove; [ -z "${KALVO_XVFB_PID:-}" ] || kill "$KALVO_XVFB_PID" 2>/dev/null || true' EXIT
# The menu entry's command, found on PATH as the desktop starts it.
(cd / && exec kalvo) &
program=$!
window=
for _ in $(seq 1 150); do
  window=$(xdotool search --onlyvisible --pid "$program" --name '^Kalvo 1.02$' 2>/dev/null | head -1) || true
  [ -n "$window" ] && break
  kill -0 "$program" 2>/dev/null || break
  sleep 0.1
done
kill "$program" 2>/dev/null || true
wait "$program" 2>/dev/null || true
if [ -z "$window" ]; then
  echo "package: the installed kalvo showed no window" >&2
  exit 1
fi
echo "package: $(command -v kalvo) showed its window \"Kalvo 1.02\"; closed"
