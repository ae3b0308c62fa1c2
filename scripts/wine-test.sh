#!/usr/bin/env bash
# Runs a cross-built test program under Wine in the private prefix named by
# WINEPREFIX, preparing that prefix on first use. Refuses to fall back on the
# user's own ~/.wine.
set -euo pipefail
: "${WINEPREFIX:?wine-test.sh: WINEPREFIX must name the test prefix}"
here=$(cd "$(dirname "$0")" && pwd)
"$here/wineprefix.sh" "$WINEPREFIX"
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
exec wine "$@"
