#!/bin/sh
# Instructions per frame of every case of the engine frame benchmark, counted
# by callgrind inside PlayFrame only (world set-up excluded).
#   bench/frame_instructions.sh [BENCH_BINARY] [CASE_REGEX]
# FRAMES (default 10) frames are run per case.
BENCH=${1:-build/release/bench/bench_engine_frame_bench}
FILTER=${2:-.}
FRAMES=${FRAMES:-10}
OUT=$(mktemp -d)
for name in $(BRINDLE_FRAME_ITERATIONS=$FRAMES "$BENCH" --benchmark_list_tests | grep -E -- "$FILTER"); do
  file="$OUT/cg.out"
  BRINDLE_FRAME_ITERATIONS=$FRAMES valgrind --tool=callgrind --callgrind-out-file="$file" \
    --toggle-collect='PlayFrame(cPlayWorld*)' "$BENCH" --benchmark_filter="^$name\$" >/dev/null 2>&1 || {
    echo "$name: the run failed" >&2
    continue
  }
  ir=$(awk '/^(summary|totals):/ { v = $2 } END { print v }' "$file")
  echo "$name $ir $FRAMES" | awk '{ printf "%-45s %8.2f M instructions per frame\n", $1, $2 / $3 / 1e6 }'
done
rm -rf "$OUT"
