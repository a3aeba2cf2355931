#!/usr/bin/env bash
# Counts the instructions of one sign-in's database work on a file of the benchmarks (1k, 20k,
# 100k or 20k-ind; 100k unless named), program side and reader helper apart, with callgrind
# (instruction counts hold on a noisy machine). Run bench/run.sh once first: it makes the files.
# Writes build-profile/profile/callgrind.{program,helper} and prints the top functions of each.
# Usage: bash bench/profile.sh [SIZE]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# A build of its own: valgrind cannot run the helper's seccomp filter, so this helper has none.
build="$root/build-profile"
out="$build/profile"
file="$root/build-bench/bench-data/drives-${1:-100k}/c/dat_ulmo/as_dbase/trener/01/dbtrener.mdb"
[ -f "$file" ] || { echo "profile: run bench/run.sh first (it makes $file)" >&2; exit 1; }
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DRULEVION_BENCH=ON \
  -DRULEVION_TESTS=OFF -DRULEVION_HELPER_SANDBOX=OFF >/dev/null
cmake --build "$build" --target rv-bench-scan rulevion-jetread -j2 >/dev/null
mkdir -p "$out"

# The helper, under callgrind, with limits that leave valgrind room. The program ends its helper with
# SIGKILL, which would lose the counts: the wrapper is what it kills, while the helper, started
# apart (its parent gone before it asks to die with its parent), sees its request pipe close and
# ends normally, writing its counts.
rm -f "$out/callgrind.helper" "$out/helper.pid"
cat >"$out/helper.sh" <<WRAP
#!/bin/sh
( valgrind --tool=callgrind --callgrind-out-file="$out/callgrind.helper" \
    "$build/bin/rulevion-jetread" 68719476736 600 2>>"$out/valgrind.log" &
  echo \$! >"$out/helper.pid" )
exec sleep 600
WRAP
chmod +x "$out/helper.sh"

valgrind --tool=callgrind --callgrind-out-file="$out/callgrind.program" \
  "$build/bin/rv-bench-scan" "$file" "no such number" "$out/helper.sh" 2>>"$out/valgrind.log"

# Wait (a minute at most) for the helper to write its counts.
for _ in $(seq 300); do
  [ -s "$out/helper.pid" ] && ! kill -0 "$(cat "$out/helper.pid")" 2>/dev/null && break
  sleep 0.2
done

for side in program helper; do
  echo "== $side"
  callgrind_annotate --inclusive=no "$out/callgrind.$side" 2>/dev/null | sed -n '1,40p' |
    grep -E '^ *[0-9,]+ ' | head -25
done
