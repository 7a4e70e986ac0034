#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz/ and runs each of them for a
# while, two at a time, starting from the committed seed corpora.
#
#   fuzz/run.sh [SECONDS [TARGET...]]
#
# SECONDS per target (default 300); TARGETs among free_input, kinsort,
# kinfit_controls, prepared, kinseg_read, kinseg_options (default all). Inputs found along the way go to
# build-fuzz/corpus/TARGET (the committed seeds are left alone); an input that
# fails is saved under build-fuzz/artifacts/TARGET/ and the script fails.
# clang and its libFuzzer runtime (deps/fuzz.txt) are installed with apt-get
# when missing (deps/install.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD

secs=${1:-300}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(free_input kinsort kinfit_controls prepared kinseg_read kinseg_options)

deps/install.sh fuzz

cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKINSEG_FUZZ=ON -DKINSEG_TESTS=OFF -DKINSEG_WERROR=ON >/dev/null
cmake --build build-fuzz -j"$(nproc 2>/dev/null || echo 2)" --target fuzz_targets

max_len() {
  case $1 in
    kinsort | prepared) echo 16384 ;;
    *) echo 4096 ;;
  esac
}
dict() {
  case $1 in
    kinsort) echo "-dict=$src/fuzz/kinsort.dict" ;;
    free_input) echo "-dict=$src/fuzz/free_input.dict" ;;
    kinfit_controls) echo "-dict=$src/fuzz/kinfit.dict" ;;
    prepared) echo "-dict=$src/fuzz/prepared.dict" ;;
    kinseg_read) echo "-dict=$src/fuzz/kinseg_read.dict" ;;
    kinseg_options) echo "-dict=$src/fuzz/kinseg_options.dict" ;;
  esac
}

run_one() {
  local t=$1 out=$src/build-fuzz
  mkdir -p "$out/corpus/$t" "$out/artifacts/$t" "$out/logs"
  # The targets work in scratch directories of their own: every path is absolute.
  "$out/fuzz/fuzz_$t" -max_total_time="$secs" -timeout=10 -rss_limit_mb=2048 \
    -max_len="$(max_len "$t")" $(dict "$t") -print_final_stats=1 \
    -artifact_prefix="$out/artifacts/$t/" "$out/corpus/$t" "$src/fuzz/corpus/$t" \
    >"$out/logs/$t.log" 2>&1
}

status=0
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  pids=()
  for t in "${targets[@]:i:2}"; do
    run_one "$t" &
    pids+=("$!:$t")
  done
  for p in "${pids[@]}"; do
    if wait "${p%%:*}"; then
      t=${p#*:}
      runs=$(grep -m1 'stat::number_of_executed_units' "build-fuzz/logs/$t.log" | awk '{print $2}')
      rate=$(grep -m1 'stat::average_exec_per_sec' "build-fuzz/logs/$t.log" | awk '{print $2}')
      echo "fuzz_$t: ${runs:-?} runs in ${secs} s (${rate:-?} exec/s), no failure"
    else
      t=${p#*:}
      echo "fuzz_$t FAILED; log: build-fuzz/logs/$t.log" >&2
      tail -n 40 "build-fuzz/logs/$t.log" >&2
      status=1
    fi
  done
done
exit $status
