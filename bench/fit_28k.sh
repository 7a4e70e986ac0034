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

least() {  # least wall time of three runs of the command
  local best=
  for run in 1 2 3; do
    /usr/bin/time -f '%e' -o time "$@" >/dev/null 2>&1
    read -r secs <time
    if [ -z "$best" ] || awk "BEGIN{exit !($secs < $best)}"; then best=$secs; fi
  done
  echo "$best"
}
fit=("$build/kinseg/kinseg" fit fit_28k.dat --model mendelian:dominant --sex-effect --covar smoker,age)
echo "kinseg fit, default starts, no profiles: $(least "${fit[@]}" --no-profile) s"
echo "kinseg fit, default starts, profiles:    $(least "${fit[@]}") s"
"${fit[@]}" --out run 2>/dev/null
tail -n 1 run.log
"$build/bench/bench_fit" fit_28k.dat
