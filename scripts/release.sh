#!/usr/bin/env bash
# Builds the release executable into dist/ with its SHA-256 beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target uninst_tavro >/dev/null
mkdir -p dist
cp build/windows/uninst_tavro.exe dist/
(cd dist && sha256sum uninst_tavro.exe | tee uninst_tavro.exe.sha256)
