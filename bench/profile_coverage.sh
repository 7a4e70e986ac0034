#!/usr/bin/env bash
# Coverage of kinseg fit's 95% intervals over simulated samples whose truth is
# known (bench/coverage.settings, seeds 1..N): for each free parameter of
# mendelian:dominant, the share of samples whose profile-likelihood interval
# contains the true value, and for comparison the share of Wald intervals
# (estimate +- 1.96 SE) that do, with the number of samples where the
# parameter had no SE. Not part of the tests.
#
#   bench/profile_coverage.sh [N [BUILD_DIR]]      (default 100, build-bench-fit)
set -euo pipefail
cd "$(dirname "$0")/.."
src=$(pwd)
n=${1:-100}
build=${2:-build-bench-fit}
. "$src/bench/release_build.sh"

for seed in $(seq 1 "$n"); do
  "$build/tools/kinsim" "$src/bench/coverage.settings" "$seed" >/dev/null
  "$build/kinseg/kinseg" fit sample.dat --model mendelian:dominant --ascertainment none --out "fit$seed" \
    >/dev/null 2>&1 || true
  grep -h '"status"' "fit$seed.json" | head -n 1 >>statuses
done
echo "samples: $n"
sed 's/.*"status": "\(.*\)",/\1/' statuses | sort | uniq -c | sed 's/^/status: /'
cat fit*.estimates.tsv | awk -F'\t' '
  BEGIN { truth["q"] = 0.2; truth["w1"] = 0.5; truth["w3"] = -2.5 }
  $2 in truth {
    p = $2; t = truth[p]; all[p]++
    if ($5 != "NA" && $6 != "NA" && $5 <= t && t <= $6) profile[p]++
    if ($4 == "NA") nose[p]++
    else if ($3 - 1.959964 * $4 <= t && t <= $3 + 1.959964 * $4) wald[p]++
  }
  END {
    printf "%-10s %8s %10s %8s %8s\n", "parameter", "samples", "profile", "Wald", "no SE"
    for (p in truth)
      printf "%-10s %8d %9.1f%% %7.1f%% %8d\n", p, all[p], 100 * profile[p] / all[p], 100 * wald[p] / all[p], nose[p]
  }'
