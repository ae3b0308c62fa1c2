#!/usr/bin/env bash
# Runs every test: installs what is missing, then builds and tests the host
# build (against the stand-in) and the Windows build (under Wine).
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh || exit 1

passed=0
failed=0
status=0
for preset in host windows; do
  echo "== $preset =="
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; }; then
    echo "test: the $preset build failed" >&2
    status=1
    continue
  fi
  log=$(mktemp)
  ctest --preset "$preset" 2>&1 | tee "$log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
  # "100% tests passed, 0 tests failed out of 24"
  summary=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
  if [ -n "$summary" ]; then
    total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
    bad=$(sed -E 's/.*passed, ([0-9]+) tests failed.*/\1/' <<<"$summary")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
  else
    status=1
  fi
  rm -f "$log"
done

echo
echo "all: $passed passed, $failed failed"
exit $status
