#!/usr/bin/env bash
# Puts the npm package mdb-reader (3.x) and our small reading script into DIR. The package is
# installed once and found there afterwards; parallel test processes wait for each other.
# Without the package (no registry, no npm) it fails: the tests that need it must not pass.
set -euo pipefail
dir=${1:?usage: setup-mdb-reader.sh DIR}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$dir"
exec 9>"$dir/.lock"
flock 9

installed() {
  [ -f "$dir/node_modules/mdb-reader/package.json" ] &&
    (cd "$dir" && node -e 'process.exit(require("mdb-reader/package.json").version.startsWith("3.") ? 0 : 1)' 2>/dev/null)
}

if ! installed; then
  [ -f "$dir/package.json" ] || echo '{ "private": true }' > "$dir/package.json"
  (cd "$dir" && npm install --no-audit --no-fund --no-save --loglevel=error \
     --fetch-retries=2 --fetch-timeout=60000 mdb-reader@3 >&2)
  installed || { echo "setup-mdb-reader: mdb-reader 3 is not installed in $dir" >&2; exit 1; }
fi

# Replace the script by renaming, so a test reading it meanwhile never sees half a file.
if ! cmp -s "$here/read-mdb.mjs" "$dir/read-mdb.mjs"; then
  cp "$here/read-mdb.mjs" "$dir/read-mdb.mjs.new"
  mv -f "$dir/read-mdb.mjs.new" "$dir/read-mdb.mjs"
fi
