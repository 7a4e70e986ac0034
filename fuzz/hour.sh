#!/usr/bin/env bash
# The long fuzz run of kinseg's reader and command line: fuzz_kinseg_read and
# fuzz_kinseg_options side by side for SECONDS each (default 3600), at the
# lowest priority, under AddressSanitizer and UndefinedBehaviorSanitizer. A
# failing input does not stop the run (libFuzzer's fork mode): every one is
# kept and counted. The figures for BENCHMARKS.md at the end: runs, crashes,
# hangs, wrong exit statuses, non-finite outputs, temporaries left, and the
# machine's load at the start and the end.
#
#   fuzz/hour.sh [SECONDS]
#
# Builds in build-fuzz/ as fuzz/run.sh does; new inputs go to
# build-fuzz/corpus/TARGET, failing ones to build-fuzz/hour/TARGET/, logs to
# build-fuzz/hour/TARGET.log. Exit status 1 when any input failed.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
secs=${1:-3600}

deps/install.sh fuzz
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKINSEG_FUZZ=ON -DKINSEG_TESTS=OFF -DKINSEG_WERROR=ON >/dev/null
nice -n 19 cmake --build build-fuzz -j2 --target fuzz_kinseg_read fuzz_kinseg_options

out=$src/build-fuzz/hour
rm -rf "$out"
mkdir -p "$out"
echo "start: $(date -u +%H:%M:%S) UTC, load: $(cut -d' ' -f1-3 /proc/loadavg)" | tee "$out/summary.txt"

run() {
  local t=$1 dict=$2
  mkdir -p "$out/$t" "$src/build-fuzz/corpus/$t"
  nice -n 19 "$src/build-fuzz/fuzz/fuzz_$t" -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 \
    -max_total_time="$secs" -timeout=20 -rss_limit_mb=2048 -max_len=4096 -dict="$dict" \
    -artifact_prefix="$out/$t/" "$src/build-fuzz/corpus/$t" "$src/fuzz/corpus/$t" >"$out/$t.log" 2>&1 || true
}
run kinseg_read "$src/fuzz/kinseg_read.dict" &
run kinseg_options "$src/fuzz/kinseg_options.dict" &
wait

failed=0
for t in kinseg_read kinseg_options; do
  log=$out/$t.log
  last=$(grep -E '^#[0-9]+:' "$log" | tail -n 1 || true)
  runs=$(sed -E 's/^#([0-9]+):.*/\1/' <<<"$last")
  crashes=$(find "$out/$t" -name 'crash-*' | wc -l)
  hangs=$(find "$out/$t" -name 'timeout-*' | wc -l)
  ooms=$(find "$out/$t" -name 'oom-*' | wc -l)
  wrong=$(grep -c 'an exit status other than 0, 1 and 2' "$log" || true)
  nonfinite=$(grep -c 'a non-finite number in' "$log" || true)
  temps=$(grep -c 'a temporary file left' "$log" || true)
  line="fuzz_$t: ${runs:-?} runs in $secs s; crashes $crashes, hangs $hangs, out of memory $ooms, wrong exits $wrong, non-finite outputs $nonfinite, temporaries left $temps"
  echo "$line" | tee -a "$out/summary.txt"
  [ $((crashes + hangs + ooms)) -eq 0 ] || failed=1
done
echo "end: $(date -u +%H:%M:%S) UTC, load: $(cut -d' ' -f1-3 /proc/loadavg)" | tee -a "$out/summary.txt"
exit $failed
