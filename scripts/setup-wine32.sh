#!/usr/bin/env bash
# Makes this machine run the shipped 32-bit Windows build for the tests:
# wine's 32-bit loader (wine32:i386) beside wine64, and, where the kernel
# cannot start 32-bit x86 programs itself, qemu's i386 user-mode emulator
# registered for them through binfmt_misc. Bookworm's own qemu takes about
# a minute to start each process, so qemu comes from the release's
# backports suite, found from the machine's own apt sources.
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

loader=/usr/lib/wine/wine
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
apt_install() {
  local updated=yes
  echo "setup-wine32: installing $*"
  apt_get update -q || updated=no
  apt_get install -y -q --no-install-recommends "$@" && return
  [ "$updated" = yes ] || fail "apt-get could not install $*: apt-get update could not fetch" \
    "every package index (see above), and the ones it has do not make $* installable"
  fail "apt-get could not install $*"
}

install_wine32() {
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${as_root[@]}" dpkg --add-architecture i386
  fi
  installed wine32:i386 || apt_install wine32:i386
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

# qemu-i386 as the interpreter of 32-bit x86 programs, unless the kernel
# runs them already (natively or through an earlier registration). Its F
# flag opens the interpreter now, so it serves in every mount namespace.
register_qemu() {
  "$loader" --version >/dev/null 2>&1 && return
  install_qemu
  [ -f "$registration" ] || fail "$registration is missing (package qemu-user)"
  if [ ! -e "$binfmt/register" ]; then
    "${as_root[@]}" mount -t binfmt_misc binfmt_misc "$binfmt" ||
      fail "cannot mount binfmt_misc on $binfmt, so 32-bit programs cannot be handed to qemu"
  fi
  # An entry of this name left over with another interpreter goes first.
  if [ -e "$binfmt/qemu-i386" ]; then
    echo -1 | "${as_root[@]}" tee "$binfmt/qemu-i386" >/dev/null
  fi
  "${as_root[@]}" tee "$binfmt/register" <"$registration" >/dev/null ||
    fail "cannot register qemu for 32-bit programs in $binfmt"
  echo "setup-wine32: qemu registered for 32-bit x86 programs ($registration)"
}

install_wine32
register_qemu
version=$("$loader" --version 2>&1) ||
  fail "the 32-bit wine loader $loader does not start: $version"
echo "setup-wine32: $loader runs ($version)"
