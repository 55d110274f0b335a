#!/bin/sh
# Rewrites the golden dumps from a build tree (default build/asan).
set -e
build=${1:-build/asan}
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$build/tools/make-sample-project" "$tmp/sample"
"$build/tools/brindle-data" dump stage "$tmp/sample/data/stg4/World1-1.stg4_000" > "$here/World1-1.stg4_000.json"
if [ -f "$tmp/sample/data/System.dat" ] && "$build/tools/brindle-data" kinds | grep -q '^system '; then
  "$build/tools/brindle-data" dump system "$tmp/sample/data/System.dat" > "$here/System.dat.json"
fi
echo "golden dumps written to $here"
