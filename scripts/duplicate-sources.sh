#!/usr/bin/env bash
# Lists every source file that more than one target compiles, read from a configured Ninja build:
#   scripts/duplicate-sources.sh [build-dir]      (default: build)
# Prints "<source>: <target> <target>..." for each and exits 1 if there is any, 0 if none. A
# source belongs to one library; whoever needs its code links that library.
set -euo pipefail
build="${1:-build}"
if [ ! -f "$build/build.ninja" ]; then
  echo "duplicate-sources: no build.ninja in $build (configure it with -G Ninja)" >&2
  exit 2
fi
root="$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")"
awk -v root="$root/" '
  # build <dir>/CMakeFiles/<target>.dir/<name>.o: <LANG>_COMPILER__<target>_<config> <source> ...
  $1 == "build" && $2 ~ /\.o:$/ && $3 ~ /_COMPILER__/ {
    n = split($2, parts, "/")
    target = ""
    for (i = 1; i <= n; ++i)
      if (parts[i] ~ /\.dir$/) { target = substr(parts[i], 1, length(parts[i]) - 4); break }
    source = $4
    if (index(source, root) == 1) source = substr(source, length(root) + 1)
    if (!((source, target) in seen)) {
      seen[source, target] = 1
      targets[source] = targets[source] " " target
      count[source]++
    }
  }
  END {
    found = 0
    for (s in count)
      if (count[s] > 1) { print s ":" targets[s]; found = 1 }
    exit found
  }' "$build/build.ninja" | sort
