#!/usr/bin/env bash
# Builds uninst_tavro.exe (32-bit Windows, statically linked) into build/windows.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target uninst_tavro
echo "built: build/windows/uninst_tavro.exe"
