#!/usr/bin/env bash
# Runs every test: installs what is missing, then builds and tests
#   host       the logic against our stand-in for the Windows calls;
#   windows64  the same sources for 64-bit Windows, under 64-bit Wine, which
#              runs natively on every x86_64 host;
#   windows    the shipped 32-bit exe under Wine, natively where the host
#              runs i386 code, else under qemu-i386 emulation.
# TAVRO_I386=emulated forces the emulated path on any host (see setup.sh).
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh || exit 1
. scripts/lib/i386.sh
mode=$(i386_probe)
[ "${TAVRO_I386:-}" != emulated ] || trap 'i386_restore' EXIT
if [ "$mode" = none ]; then
  echo "test: this host cannot execute i386 code and emulation is not set up; run scripts/setup.sh as root" >&2
  exit 1
fi
[ "$mode" = native ] || echo "test: i386 is emulated here; each start of a 32-bit program takes about a minute"

passed=0
failed=0
status=0
summaries=()
for preset in host windows64 windows; do
  case "$preset" in
    windows) name="windows (i386 $mode)" ;;
    *) name=$preset ;;
  esac
  echo "== $name =="
  start=$SECONDS
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; }; then
    echo "test: the $preset build failed" >&2
    status=1
    summaries+=("$name: build failed")
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
    summaries+=("$name: $((total - bad)) passed, $bad failed ($((SECONDS - start)) s)")
  else
    status=1
    summaries+=("$name: no test result")
  fi
  rm -f "$log"
done

echo
printf '%s\n' "${summaries[@]}"
echo "all: $passed passed, $failed failed"
exit $status
