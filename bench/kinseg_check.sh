#!/usr/bin/env bash
# Times kinseg check on simulated pedigree files of 250,000, 500,000 and
# 1,000,000 persons (bench/make_pedigree_file.cpp): wall time and peak memory
# (maximum resident set size) of the whole program, reading, checking and
# printing its summary, the least of three runs. Not part of the tests.
#
#   bench/kinseg_check.sh [BUILD_DIR]      (default build-bench-read)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-bench-read}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKINSEG_TESTS=OFF -DKINSEG_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target kinseg make_pedigree_file >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf '%10s %10s %10s %12s\n' persons MB seconds "peak MB"
for n in 250000 500000 1000000; do
  file=$work/pedigrees-$n.csv
  "$build/bench/make_pedigree_file" "$n" "$file" 2>/dev/null
  best=
  peak=0
  for run in 1 2 3; do
    /usr/bin/time -f '%e %M' -o "$work/time" "$build/kinseg/kinseg" check "$file" --covar age >/dev/null
    read -r secs kb <"$work/time"
    if [ -z "$best" ] || awk "BEGIN{exit !($secs < $best)}"; then best=$secs; fi
    [ "$kb" -gt "$peak" ] && peak=$kb
  done
  printf '%10s %10s %10s %12s\n' "$n" "$(awk "BEGIN{printf \"%.1f\", $(stat -c %s "$file") / 1e6}")" \
    "$best" "$((peak / 1024))"
done
