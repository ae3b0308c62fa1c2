#!/usr/bin/env bash
# Installs everything the build, the tests and the run need on Debian 12.
# Safe to run again: it only installs what is missing.
#
# 32-bit Wine needs a host that runs i386 Linux code. Where the host cannot
# (or with TAVRO_I386=emulated), qemu-i386 is installed and registered with
# binfmt_misc, which needs root or sudo.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib/i386.sh"

packages=(
  cmake ninja-build g++ make pkg-config git clang-format
  googletest
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine32 wine64 fonts-wine
  xvfb xdotool x11-utils imagemagick
  locales fonts-ipafont-gothic
  python3 python3-pefile file
)


install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
  done
  [ "${#missing[@]}" -gt 0 ] || return 0
  echo "setup: installing ${missing[*]}"
  as_root apt-get update -qq
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "setup: enabling the i386 architecture"
  as_root dpkg --add-architecture i386
  as_root apt-get update -qq
fi
install_missing "${packages[@]}"

# Wine in a ja_JP.UTF-8 session gives the program ANSI code page 932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "setup: generating the ja_JP.UTF-8 locale"
  as_root sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
  as_root locale-gen >/dev/null
fi

# How 32-bit code runs here, found by a real probe with our own binfmt entry
# switched off, so that a forced emulation of an earlier run does not count.
host=$(i386_probe_without_entry)
want=${TAVRO_I386:-auto}
case "$want" in auto|emulated) ;; *) echo "setup: TAVRO_I386 must be 'emulated' or unset" >&2; exit 1 ;; esac
if [ "$host" = native ] && [ "$want" = auto ]; then
  i386_restore
  echo "setup: i386 code runs natively on this host"
elif [ "$host" = emulated ] && [ "$want" = auto ]; then
  echo "setup: i386 code runs emulated on this host (a binfmt entry of the host's own)"
else
  why="this host cannot execute i386 code"
  [ "$host" = none ] || why="TAVRO_I386=emulated forces emulation"
  if ! i386_can_be_root; then
    echo "setup: $why, and emulating it needs root: run scripts/setup.sh once as root or with sudo (it installs qemu-user-static and registers qemu-i386 with binfmt_misc)" >&2
    exit 1
  fi
  install_missing qemu-user-static
  if ! i386_register || [ "$(i386_probe)" != emulated ]; then
    echo "setup: $why, and registering qemu-i386 with binfmt_misc failed (is /proc/sys/fs/binfmt_misc writable?)" >&2
    exit 1
  fi
  echo "setup: $why; i386 code now runs under qemu-i386 (binfmt entry $I386_ENTRY)"
fi
echo "setup: ready"
