#!/usr/bin/env bash
# Runs every test: installs what is missing, builds the host and Windows programs, runs the host
# tests and the end-to-end runs under Wine, and closes with one summary line.
set -uo pipefail
cd "$(dirname "$0")/.."

bash tools/install-deps.sh || { echo "installing the dependencies failed"; exit 1; }

passed=0
failed=0
skipped=0
status=0
log=$(mktemp)

# Runs one ctest preset and adds its figures to the totals.
run_ctest() {
  ctest --preset "$1" 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  local line
  line=$(grep -E "tests passed, [0-9]+ tests? failed out of [0-9]+" "$log" | tail -n 1)
  if [[ $line =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]]; then
    local skips
    skips=$(grep -c -- "\*\*\*Skipped" "$log")
    failed=$((failed + BASH_REMATCH[1]))
    skipped=$((skipped + skips))
    passed=$((passed + BASH_REMATCH[2] - BASH_REMATCH[1] - skips))
  fi
  ((rc == 0)) || status=1
}

step() {
  echo "== $*"
  "$@" || { echo "FAILED: $*"; status=1; return 1; }
}

if step cmake --preset host && step cmake --build --preset host -j2; then
  run_ctest host
  step bash tools/static-checks.sh
fi

if step cmake --preset host-asan && step cmake --build --preset host-asan -j2; then
  run_ctest host-asan
fi

for preset in windows-i686 windows-x86_64; do
  if step cmake --preset "$preset" && step cmake --build --preset "$preset" -j2; then
    run_ctest "$preset"
  fi
done

rm -f "$log"
echo
echo "total: $passed passed, $failed failed, $skipped skipped"
((status == 0 && failed == 0))
