#!/usr/bin/env bash
# Runs the whole test suite again and again under load, to find tests that fail now and then:
# twice as many parallel tests as cores, with a CPU hog on every core beside them.
# Usage: scripts/soak.sh [RUNS] [BUILD_DIR] [REGEX]    (defaults: 20 runs of every test in build/)
# REGEX picks the tests by name, as ctest -R does (say 'e2e|session' for those on an X server).
# Each failing run's log is kept; the last line reads "N passed, M failed" (runs).
set -uo pipefail
runs=${1:-20}
build=${2:-build}
only=()
[ -n "${3:-}" ] && only=(-R "$3")
case $runs in ''|*[!0-9]*) echo "soak.sh: the number of runs must be a whole number: $runs" >&2; exit 2 ;; esac
if [ ! -f "$build/CTestTestfile.cmake" ]; then
  echo "soak.sh: no tests in $build; configure and build it first" >&2
  exit 2
fi
cores=$(nproc)
jobs=$((2 * cores))
logs=$(mktemp -d "${TMPDIR:-/tmp}/rv-soak-XXXXXX")

hogs=()
stop_hogs() {
  for pid in "${hogs[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${hogs[@]}"; do wait "$pid" 2>/dev/null; done
  hogs=()
}
trap stop_hogs EXIT
trap 'echo "soak.sh: interrupted" >&2; exit 130' INT TERM
for _ in $(seq "$cores"); do
  yes > /dev/null &
  hogs+=($!)
done

echo "Soak: $runs runs of the tests in $build${3:+ matching $3}, $jobs at a time, beside $cores CPU hogs; logs in $logs"
passed=0
failed=0
for run in $(seq "$runs"); do
  log=$logs/run-$run.log
  start=$SECONDS
  if ctest --test-dir "$build" -j"$jobs" --output-on-failure "${only[@]}" > "$log" 2>&1; then
    passed=$((passed + 1))
    echo "run $run: passed ($((SECONDS - start)) s)"
    rm -f "$log"
  else
    failed=$((failed + 1))
    echo "run $run: FAILED ($((SECONDS - start)) s), log kept: $log"
    sed -n '/The following tests FAILED/,$p' "$log"
  fi
done
stop_hogs
if [ "$failed" -gt 0 ]; then
  echo "Failing runs' output (the whole logs are in $logs):"
  for log in "$logs"/run-*.log; do
    echo "==== $log"
    # Each failed test's own output, as ctest printed it on failure.
    awk '/^ *Start +[0-9]+:|% tests passed/ {show = 0}
         /^ *[0-9]+\/[0-9]+ Test +#/ {show = /\*\*\*/}
         show' "$log"
  done
else
  rmdir "$logs" 2>/dev/null
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
