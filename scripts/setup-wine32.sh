#!/usr/bin/env bash
# Makes this machine run the shipped 32-bit Windows build for the tests:
# - wine's 32-bit loader (wine32 for i386 and what it depends on) unpacked
#   into a folder of its own (kalvo_wine32_root in scripts/wine.sh), from
#   the machine's own apt sources and checked against their signatures as
#   apt checks every download. The machine itself gets no i386 packages: an
#   i386 twin must carry the very version of the amd64 package installed,
#   which an archive that serves its i386 index out of step with its
#   Release file (or a later security update) puts out of reach.
# - qemu's i386 user-mode emulator registered for 32-bit x86 programs
#   through binfmt_misc; scripts/wine32.sh tells it to find their libraries
#   in that folder. Bookworm's own qemu takes about a minute to start each
#   process, so qemu comes from the release's backports suite, found from
#   the machine's own apt sources.
# Safe to run again: each step is taken only when it is missing. When a step
# cannot be taken, it says why and exits 1.
set -euo pipefail

fail() {
  echo "setup-wine32: $*" >&2
  exit 1
}

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
apt_get() {
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get -o DPkg::Lock::Timeout=600 "$@"
}

. "$(dirname "$0")/wine.sh"
wine32=$(KALVO_WINE_BITS=32 kalvo_wine_loader)
binfmt=/proc/sys/fs/binfmt_misc
# qemu-user's own registration of i386 programs (Debian leaves it out of
# what qemu-user-binfmt registers on amd64).
registration=/usr/share/qemu/binfmt.d/qemu-i386.conf

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# "URI SUITE SIGNED-BY" for every enabled binary-package source of apt, in
# the one-line format (sources.list, *.list) and in deb822 (*.sources);
# SIGNED-BY is "-" when the entry names no key file.
apt_sources() {
  local file
  for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$file" ] || continue
    awk '$1 == "deb" {
      i = 2; signed = "-"
      if ($2 ~ /^\[/) {
        for (; i <= NF; i++) {
          if ($i ~ /signed-by=/) { signed = $i; sub(/.*signed-by=/, "", signed); sub(/\]$/, "", signed) }
          if ($i ~ /\]$/) { i++; break }
        }
      }
      print $i, $(i + 1), signed
    }' "$file"
  done
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    awk 'function flush(   n, k, s, u) {
      if (types ~ /(^|[ \t])deb([ \t]|$)/ && enabled != "no") {
        n = split(suites, s, /[ \t]+/)
        split(uris, u, /[ \t]+/)
        for (k = 1; k <= n; k++) print u[1], s[k], (signed == "" ? "-" : signed)
      }
      types = uris = suites = signed = enabled = ""
    }
    /^#/ { next }
    /^[ \t]*$/ { flush(); next }
    /^[^ \t]+:/ {
      key = tolower($1); value = $0; sub(/^[^:]+:[ \t]*/, "", value); sub(/[ \t]+$/, "", value)
      if (key == "types:") types = value
      else if (key == "uris:") uris = value
      else if (key == "suites:") suites = value
      else if (key == "signed-by:") signed = value
      else if (key == "enabled:") enabled = tolower(value)
    }
    END { flush() }' "$file"
  done
}

# The backports suite of this release, added from the archive the release
# itself comes from when apt has no source for it yet.
add_backports() {
  local codename sources uri suite signed options=""
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [ -n "$codename" ] || fail "/etc/os-release names no VERSION_CODENAME"
  backports=$codename-backports
  sources=$(apt_sources)
  if awk -v want="$backports" '$2 == want { found = 1 } END { exit !found }' <<<"$sources"; then
    return
  fi
  read -r uri suite signed < <(awk -v want="$codename" '$2 == want { print; exit }' <<<"$sources") ||
    fail "apt has no source for $codename (/etc/apt/sources.list, /etc/apt/sources.list.d): cannot add $backports"
  [ "$signed" = - ] || options="[signed-by=$signed] "
  echo "setup-wine32: adding $backports from $uri"
  echo "deb $options$uri $backports main" |
    "${as_root[@]}" tee /etc/apt/sources.list.d/kalvo-backports.list >/dev/null
}

# An index that apt-get update cannot fetch (a source the packages do not
# come from, or an archive caught mid-sync) need not stop the install: apt
# goes on with the indices it has. When the install then fails, the failed
# update is named as the likely cause.
# $1: how apt-get is run (apt_get, apt_i386 STATE); then what install takes.
apt_update_install() {
  local updated=yes run=("$1")
  [ "$1" != apt_i386 ] || { run+=("$2"); shift; }
  shift
  "${run[@]}" update -q || updated=no
  if ! "${run[@]}" install -y -q "$@"; then
    [ "$updated" = yes ] || fail "apt-get could not install $*: apt-get update could not fetch" \
      "every package index (see above), and the ones it has do not make $* installable"
    fail "apt-get could not install $*"
  fi
  [ "$updated" = yes ] || echo "setup-wine32: went on without the package indices apt-get" \
    "update could not fetch (see above)"
}

apt_install() {
  echo "setup-wine32: installing $*"
  apt_update_install apt_get --no-install-recommends "$@"
}

# apt for a system of i386 alone whose state lives in $1 (an empty dpkg
# status: nothing installed), reading the machine's own sources and keys.
# Needs no root (and, as root, downloads as root: the state may be in a
# home that apt's own download user cannot enter).
apt_i386() {
  local state=$1
  shift
  apt-get -o APT::Architecture=i386 -o APT::Architectures::=i386 \
    -o Dir::State::lists="$state/lists" -o Dir::State::status="$state/status" \
    -o Dir::Cache="$state/cache" -o Dir::Cache::archives="$state/archives" \
    -o Debug::NoLocking=true -o APT::Sandbox::User=root -o APT::Install-Recommends=false "$@"
}

# wine32 and everything it depends on, unpacked into a new folder that
# takes the place of $root only when complete (so a run cut short, or one
# beside it, never leaves a half-made root in use).
make_wine32_root() {
  local root=$1 work deb
  work=$(mktemp -d "$(dirname "$root")/.wine32-i386.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  mkdir -p "$work/apt/lists/partial" "$work/apt/archives/partial" "$work/root"
  : >"$work/apt/status"
  echo "setup-wine32: fetching wine32 for i386 into $root"
  apt_update_install apt_i386 "$work/apt" --download-only wine32
  for deb in "$work"/apt/archives/*.deb; do
    dpkg-deb -x "$deb" "$work/root"
  done
  # What the packages' own configuration would add: wine's copy of the
  # mingw zlib, marked as one of its built-in DLLs (user32 imports it), and
  # a dynamic linker cache of its own: an empty one, so the i386 linker
  # searches the root's library folders rather than reading the machine's
  # cache, whose /lib32 entries name the machine's own 32-bit libraries.
  local dlls=$work/root/usr/lib/i386-linux-gnu/wine/i386-windows zlib=$work/root/usr/i686-w64-mingw32/lib/zlib1.dll
  {
    head -c 64 "$zlib"
    printf 'Wine builtin DLL'
    head -c 16 /dev/zero
    tail -c +97 "$zlib"
  } >"$dlls/zlib1.dll"
  mkdir -p "$work/root/etc"
  : >"$work/root/etc/ld.so.cache"
  mv -T "$work/root" "$root" 2>/dev/null || [ -x "$(kalvo_wine32_loader)" ] ||
    fail "cannot put the i386 root in place at $root"
  rm -rf "$work"
  trap - EXIT
}

install_wine32() {
  local root
  [ -x "$(kalvo_wine32_loader)" ] && return
  root=$(kalvo_wine32_root)
  mkdir -p "$(dirname "$root")"
  make_wine32_root "$root"
}

# qemu-user of at least version 9, from backports.
install_qemu() {
  if installed qemu-user &&
    dpkg --compare-versions "$(dpkg-query -W -f='${Version}' qemu-user)" ge 1:9; then
    return
  fi
  add_backports
  apt_install "qemu-user/$backports"
}

# qemu-i386 as the interpreter of 32-bit x86 programs, unless an earlier
# registration does that already. Its F flag opens the interpreter now, so
# it serves in every mount namespace. Registered on a kernel that runs
# 32-bit programs itself too: the root's programs need qemu to find their
# libraries there, and the machine's own 32-bit programs go through qemu
# as well until the entry is removed (echo -1 >$binfmt/qemu-i386) or the
# machine restarts.
register_qemu() {
  grep -qsx enabled "$binfmt/qemu-i386" && return
  install_qemu
  [ -f "$registration" ] || fail "$registration is missing (package qemu-user)"
  if [ ! -e "$binfmt/register" ]; then
    "${as_root[@]}" mount -t binfmt_misc binfmt_misc "$binfmt" ||
      fail "cannot mount binfmt_misc on $binfmt, so 32-bit programs cannot be handed to qemu"
  fi
  # An entry of this name left over, disabled or with another interpreter,
  # goes first.
  if [ -e "$binfmt/qemu-i386" ]; then
    echo -1 | "${as_root[@]}" tee "$binfmt/qemu-i386" >/dev/null
  fi
  "${as_root[@]}" tee "$binfmt/register" <"$registration" >/dev/null ||
    fail "cannot register qemu for 32-bit programs in $binfmt"
  echo "setup-wine32: qemu registered for 32-bit x86 programs ($registration)"
}

install_wine32
register_qemu
version=$("$wine32" --version 2>&1) ||
  fail "the 32-bit wine loader does not start ($wine32): $version"
echo "setup-wine32: the 32-bit wine loader in $(kalvo_wine32_root) runs ($version)"
