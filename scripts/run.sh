#!/usr/bin/env bash
# Builds uninst_tavro.exe and runs it under Wine, showing the registry keys it
# removes before and after.
#
#   scripts/run.sh                            a throwaway prefix seeded with sample data
#   WINEPREFIX=/path/to/prefix scripts/run.sh your own prefix, as it is
#
# With a display the dialog opens for you; without one the program runs on a
# private Xvfb display, OK is pressed as a user would, and screenshots of both
# dialogs are saved in out/run/.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target uninst_tavro regtree dlgprobe >/dev/null
build=$PWD/build/windows
echo "run: built $build/uninst_tavro.exe"

if [ -n "${WINEPREFIX:-}" ]; then
  echo "run: using YOUR Wine prefix $WINEPREFIX as it is; OK there removes the keys for real"
  seed=0
else
  tmp=$(mktemp -d)
  export WINEPREFIX=$tmp/prefix
  trap 'wineserver -k 2>/dev/null; rm -rf "$tmp"' EXIT
  echo "run: throwaway Wine prefix $WINEPREFIX, seeded with sample data"
  scripts/wineprefix.sh "$WINEPREFIX"
  seed=1
fi
/usr/bin/python3 tools/run_program.py "$build" "$seed" "$PWD/out/run"
