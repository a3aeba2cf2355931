#!/usr/bin/env bash
# Builds the benchmarks and runs every figure side by side, then prints one table (also saved in
# build-bench/bench-table.md; Google Benchmark's own output goes to build-bench/bench-detail.log).
# Figures are medians of interleaved repetitions; compare the ratios, not the absolute times.
# Extra arguments go to Google Benchmark, e.g. --benchmark_filter=100k --benchmark_repetitions=3.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-bench"

bash "$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DRULEVION_BENCH=ON -DRULEVION_TESTS=OFF >/dev/null
cmake --build "$build" --target rv-bench rv-bench-widerows -j2 >/dev/null

echo "running the benchmarks (a few minutes)..." >&2
"$build/bin/rv-bench" --data "$build/bench-data" --table "$build/bench-table.md" "$@" \
  2>"$build/bench-detail.log"

# Rows of 255 text columns, Jet3 against Jet4 (Google Benchmark's own table).
echo "wide rows, Jet3 against Jet4:" >&2
"$build/bin/rv-bench-widerows" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  2>>"$build/bench-detail.log"
