#!/usr/bin/env bash
# Times the whole battery, kinseg test, with the default starts and without
# profile intervals: on the 28,014-person sample with cousin-marriage loops
# drawn by kinsim from bench/loops_28k.settings (--covar smoker, and with the
# terms of the model it was drawn from, --sex-effect --regressive), and on the
# worked example (as examples/run.sh runs it, profile intervals of the
# selected model included, and without them). Wall time, processor time
# (user + system, both threads) and peak memory of the program; the run of
# least wall time of RUNS runs (default 3), the largest peak memory. WHICH
# runs: all (the default), binary (the 28,014-person runs without ages and the
# example) or onset (the battery with ages at onset, a sex effect and the
# covariate on the same design drawn from bench/onset_28k.settings). Not part
# of the tests.
#
#   bench/kinseg_test.sh [BUILD_DIR] [RUNS] [WHICH]   (default build-bench-test, 3, all)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build-bench-test}
runs=${2:-3}
which=${3:-all}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKINSEG_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target kinseg kinsim >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$root/$build/tools/kinsim" "$root/bench/loops_28k.settings" 2>/dev/null
"$root/$build/tools/kinsim" "$root/bench/onset_28k.settings" 2>/dev/null
cp "$root/examples/input/sample.dat" example.dat

# time LABEL ARGS...: the run of least wall time, the largest peak memory.
time_runs() {
  local label=$1
  shift
  local best= cpu= peak=0
  for ((run = 1; run <= runs; run++)); do
    /usr/bin/time -f '%e %U %S %M' -o time.txt "$root/$build/kinseg/kinseg" test "$@" --out run >/dev/null 2>run.err
    read -r secs user sys kb <time.txt
    if [ -z "$best" ] || awk "BEGIN{exit !($secs < $best)}"; then
      best=$secs
      cpu=$(awk "BEGIN{printf \"%.2f\", $user + $sys}")
    fi
    [ "$kb" -gt "$peak" ] && peak=$kb
  done
  printf '%-58s %8s %8s %8s   %s\n' "$label" "$best" "$cpu" "$((peak / 1024))" \
    "$(sed -n 's/^Verdict[^:]*: //p' run.log)"
}

printf '%-58s %8s %8s %8s   %s\n' "run" seconds "cpu s" "peak MB" verdict
if [ "$which" != onset ]; then
  time_runs "loops_28k --covar smoker --no-profile" loops_28k.dat --covar smoker --no-profile
  time_runs "loops_28k --covar smoker --sex-effect --regressive --no-profile" loops_28k.dat --covar smoker \
    --sex-effect --regressive --no-profile
  time_runs "example --covar smoker (as examples/run.sh)" example.dat --covar smoker
  time_runs "example --covar smoker --no-profile" example.dat --covar smoker --no-profile
fi
if [ "$which" != binary ]; then
  time_runs "onset_28k --onset age --sex-effect --covar smoker --no-profile" onset_28k.dat --onset age \
    --sex-effect --covar smoker --no-profile
fi
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
