#!/usr/bin/env bash
# Times kinseg fit of mendelian:dominant with a sex effect and two covariates
# on the 28,380-person sample of bench/fit_28k.settings (cousin loops, proband
# ascertainment): the whole program as a user runs it, from the default
# starts, without and with the profile intervals (least of three runs each),
# then bench_fit for the split between the searches and the profiles and for
# what the optimiser adds per evaluation. Not part of the tests.
#
#   bench/fit_28k.sh [BUILD_DIR]      (default build-bench-fit)
set -euo pipefail
cd "$(dirname "$0")/.."
src=$(pwd)
build=${1:-build-bench-fit}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKINSEG_TESTS=OFF -DKINSEG_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target kinseg kinsim bench_fit >/dev/null
build=$(cd "$build" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$build/tools/kinsim" "$src/bench/fit_28k.settings" >/dev/null

least() {  # the run of least wall time among three: wall and CPU (user + system) seconds
  local best= cpu=
  for run in 1 2 3; do
    /usr/bin/time -f '%e %U %S' -o time "$@" >/dev/null 2>&1
    read -r secs user sys <time
    if [ -z "$best" ] || awk "BEGIN{exit !($secs < $best)}"; then
      best=$secs
      cpu=$(awk "BEGIN{print $user + $sys}")
    fi
  done
  echo "$best s wall, $cpu s CPU"
}
fit=("$build/kinseg/kinseg" fit fit_28k.dat --model mendelian:dominant --sex-effect --covar smoker,age)
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "kinseg fit, default starts, no profiles: $(least "${fit[@]}" --no-profile)"
echo "kinseg fit, default starts, profiles:    $(least "${fit[@]}")"
"${fit[@]}" --out run >/dev/null 2>&1
tail -n 1 run.log
"$build/bench/bench_fit" fit_28k.dat
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
