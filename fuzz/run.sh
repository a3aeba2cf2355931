#!/usr/bin/env bash
# Runs the fuzz targets for a bounded time each:
#   fuzz/run.sh <build-dir> [seconds-per-target] [target...]
# Each target starts from its seeds in fuzz/corpus/<target>, which it only reads, and keeps what it
# finds in <build-dir>/fuzz/corpus/<target>, so a later run goes on from there. A failing input is
# saved in <build-dir>/fuzz/findings/ and the script fails.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="$(cd "${1:?usage: fuzz/run.sh <build-dir> [seconds-per-target] [target...]}" && pwd)"
seconds="${2:-45}"
shift $(($# < 2 ? $# : 2))
targets=("$@")
[ ${#targets[@]} -gt 0 ] ||
  targets=(fuzz_jet_reply fuzz_monitor_file fuzz_password_file fuzz_students_csv fuzz_jet_reader
           fuzz_number_format fuzz_workbook)

status=0
passed=0
failed=0
for t in "${targets[@]}"; do
  timeout=10
  limits=(-rss_limit_mb=2048)
  case "$t" in
    fuzz_password_file) max_len=64 ;;     # nothing past the eighth byte is read
    fuzz_monitor_file) max_len=1024 ;;    # the file reader stops well before this
    fuzz_jet_reader)
      # The largest seed, an Access 2010 file of 96 pages, and the 3 bytes of a claimed size.
      max_len=$((96 * 4096 + 3))
      # The helper's reply deadline and memory: no single allocation past its 512 MB, and the
      # target itself fails an input whose heap peaks past what the helper has room for (the
      # process as a whole needs more under the sanitizers).
      timeout=5
      limits=(-rss_limit_mb=2048 -malloc_limit_mb=512)
      ;;
    fuzz_number_format) max_len=256 ;;    # codes are short; Excel takes at most 255 characters
    fuzz_workbook)
      # The seeds are the tests' workbooks, the largest 24 KiB as parts. A workbook may cost the
      # reader up to 100 MB; the rest is the sanitizers'.
      max_len=32768
      limits=(-rss_limit_mb=1024 -malloc_limit_mb=256)
      ;;
    *) max_len=4096 ;;
  esac
  args=(-max_total_time="$seconds" -max_len="$max_len" -timeout="$timeout" "${limits[@]}"
        -print_final_stats=1 -artifact_prefix="$build/fuzz/findings/$t-")
  [ -f "$here/$t.dict" ] && args+=(-dict="$here/$t.dict")
  mkdir -p "$build/fuzz/corpus/$t" "$build/fuzz/findings"
  log="$build/fuzz/$t.log"
  if "$build/fuzz/$t" "${args[@]}" "$build/fuzz/corpus/$t" "$here/corpus/$t" >"$log" 2>&1; then
    # The last progress line and the final figures.
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    last=$(grep -E '^#[0-9]+' "$log" | tail -n 1)
    echo "fuzz: $t ${seconds}s, $runs runs, $speed exec/s; $last"
    passed=$((passed + 1))
  else
    status=1
    failed=$((failed + 1))
    echo "fuzz: $t FAILED; its log ($log) ends:" >&2
    tail -n 40 "$log" >&2
  fi
done
echo "fuzz: $passed passed, $failed failed"
exit $status
