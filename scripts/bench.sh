#!/usr/bin/env bash
# Runs the benchmarks and writes docs/benchmarks.md (docs/benchmarks-quick.md
# with --quick, a smoke run of a couple of minutes).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset host-release >/dev/null && cmake --build --preset host-release >/dev/null
cmake --preset windows >/dev/null && cmake --build --preset windows >/dev/null
PYTHONPATH=$PWD exec /usr/bin/python3 bench/report.py "$@"
