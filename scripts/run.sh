#!/usr/bin/env bash
# Builds uninst_tavro.exe and runs it under Wine, showing the registry keys it
# removes before and after.
#
#   scripts/run.sh                            a throwaway prefix seeded with sample data
#   WINEPREFIX=/path/to/prefix scripts/run.sh your own prefix, as it is
#
# With a display the dialog opens for you; without one the program runs on a
# private Xvfb display, OK is pressed as a user would, and screenshots of both
# dialogs are saved in out/run/. TAVRO_I386=emulated runs the 32-bit program
# under qemu-i386 even where i386 runs natively (see scripts/setup.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
. scripts/lib/i386.sh
mode=$(i386_probe)
[ "${TAVRO_I386:-}" != emulated ] || trap 'i386_restore' EXIT
if [ "$mode" = emulated ]; then
  echo "run: i386 is emulated on this host; the 32-bit program takes a few minutes in all"
fi
echo "run: building the exe, and 64-bit helpers that read the registry and the dialogs"
for preset in windows64 windows; do
  cmake --preset "$preset" >/dev/null
done
cmake --build --preset windows64 --target regtree dlgprobe >/dev/null
cmake --build --preset windows --target uninst_tavro >/dev/null
build=$PWD/build/windows
echo "run: built $build/uninst_tavro.exe"

if [ -n "${WINEPREFIX:-}" ]; then
  echo "run: using YOUR Wine prefix $WINEPREFIX as it is; OK there removes the keys for real"
  seed=0
else
  tmp=$(mktemp -d)
  export WINEPREFIX=$tmp/prefix
  trap 'wineserver -k 2>/dev/null || true; rm -rf "$tmp"; [ "${TAVRO_I386:-}" != emulated ] || i386_restore' EXIT
  echo "run: throwaway Wine prefix $WINEPREFIX, seeded with sample data"
  scripts/wineprefix.sh "$WINEPREFIX"
  seed=1
fi
[ "$mode" = emulated ] && echo "run: starting the program (about a minute under emulation)"
PYTHONPATH=$PWD /usr/bin/python3 -m tools.run_program "$build" "$PWD/build/windows64" "$seed" \
  "$PWD/out/run"
