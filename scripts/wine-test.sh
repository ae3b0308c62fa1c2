#!/usr/bin/env bash
# Runs a cross-built test program under Wine in the private prefix named by
# WINEPREFIX, preparing that prefix on first use. Refuses to fall back on the
# user's own ~/.wine.
#
#   wine-test.sh i686|x86_64 PROGRAM [ARGS...]
#
# The loader matches the program, so a 64-bit program never goes through the
# 32-bit loader (emulated on some hosts) first.
set -euo pipefail
: "${WINEPREFIX:?wine-test.sh: WINEPREFIX must name the test prefix}"
here=$(cd "$(dirname "$0")" && pwd)
arch=${1:?usage: wine-test.sh i686|x86_64 PROGRAM [ARGS...]}
shift
"$here/wineprefix.sh" "$WINEPREFIX"
set -a
. "$here/lib/wine.env"
set +a
case "$arch" in
  i686) exec /usr/lib/wine/wine "$@" ;;
  x86_64) exec /usr/lib/wine/wine64 "$@" ;;
  *) echo "wine-test.sh: unknown architecture $arch" >&2; exit 2 ;;
esac
