#!/usr/bin/env bash
# How this host runs 32-bit (i386) Linux code, which 32-bit Wine needs:
# natively, or through qemu-i386 registered with binfmt_misc. Sourced by the
# scripts; `scripts/lib/i386.sh probe` prints the answer.
#
# TAVRO_I386=emulated forces emulation even where i386 runs natively (a
# registered binfmt entry is consulted before the kernel's own ELF loader),
# so the emulated path can be exercised on any machine. Unset, the host is
# left as it was found: our entry is only registered where it is needed.

I386_ENTRY=tavro-i386
I386_BINFMT=/proc/sys/fs/binfmt_misc
I386_QEMU=/usr/bin/qemu-i386-static
I386_LOADER=/lib/ld-linux.so.2

# native, emulated or none. A 32-bit program that runs proves nothing by
# itself, so the probe starts one that blocks (the i386 loader opening a
# FIFO) and asks the kernel which executable that process really is.
i386_probe() {
  [ -x "$I386_LOADER" ] || { echo none; return; }
  local fifo pid exe="" i
  fifo=$(mktemp -u "${TMPDIR:-/tmp}/i386-probe.XXXXXX")
  mkfifo "$fifo"
  "$I386_LOADER" "$fifo" >/dev/null 2>&1 &
  pid=$!
  for i in $(seq 1 100); do
    exe=$(readlink "/proc/$pid/exe" 2>/dev/null) || exe=""
    case "$exe" in
      ""|*/bash|*/sh|*/dash) kill -0 "$pid" 2>/dev/null || break; sleep 0.05 ;;
      *) break ;;
    esac
  done
  # Let the loader's open() return so that it exits.
  { exec 3>"$fifo"; exec 3>&-; } 2>/dev/null &
  wait "$pid" 2>/dev/null
  rm -f "$fifo"
  case "$exe" in
    */ld-linux.so.2) echo native ;;
    ""|*/bash|*/sh|*/dash) echo none ;;  # exec failed: Exec format error
    *) echo emulated ;;                  # the process is the emulator
  esac
}

# Runs a command as root: directly when we are, else through sudo.
as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; elif command -v sudo >/dev/null; then sudo "$@"; else return 1; fi
}

i386_can_be_root() {
  [ "$(id -u)" -eq 0 ] || sudo -n true 2>/dev/null
}

i386_mount_binfmt() {
  [ -e "$I386_BINFMT/register" ] && return 0
  as_root mount -t binfmt_misc binfmt_misc "$I386_BINFMT" 2>/dev/null
  [ -e "$I386_BINFMT/register" ]
}

# Registers (or re-enables) qemu-i386 for i386 ELF files. The F flag opens the
# interpreter at registration, so it also works inside other mount namespaces.
i386_register() {
  i386_mount_binfmt || return 1
  if [ -e "$I386_BINFMT/$I386_ENTRY" ]; then
    echo 1 | as_root tee "$I386_BINFMT/$I386_ENTRY" >/dev/null
    return
  fi
  local magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  printf ':%s:M::%s:%s:%s:F\n' "$I386_ENTRY" "$magic" "$mask" "$I386_QEMU" |
    as_root tee "$I386_BINFMT/register" >/dev/null
}

i386_unregister() {
  [ -e "$I386_BINFMT/$I386_ENTRY" ] || return 0
  echo -1 | as_root tee "$I386_BINFMT/$I386_ENTRY" >/dev/null
}

# What the host does without our entry: it is switched off for the probe.
i386_probe_without_entry() {
  local had=0
  if [ -e "$I386_BINFMT/$I386_ENTRY" ] && grep -qx enabled "$I386_BINFMT/$I386_ENTRY" 2>/dev/null; then
    had=1
    echo 0 | as_root tee "$I386_BINFMT/$I386_ENTRY" >/dev/null
  fi
  i386_probe
  [ "$had" -eq 0 ] || echo 1 | as_root tee "$I386_BINFMT/$I386_ENTRY" >/dev/null
}

# Removes our entry where the host runs i386 natively without it.
i386_restore() {
  [ -e "$I386_BINFMT/$I386_ENTRY" ] || return 0
  if [ "$(i386_probe_without_entry)" = native ]; then
    i386_unregister && echo "i386: removed the forced qemu-i386 entry; i386 runs natively again"
  fi
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  case "${1:-probe}" in
    probe) i386_probe ;;
    restore) i386_restore ;;
    *) echo "usage: $0 [probe|restore]" >&2; exit 2 ;;
  esac
fi
