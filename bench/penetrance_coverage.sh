#!/usr/bin/env bash
# Coverage of the penetrances' 95% intervals (delta method on the logit
# scale) over simulated samples whose truth is known
# (bench/penetrance_coverage.settings, seeds 1..N): kinseg fit
# mendelian:dominant with a sex effect and the covariate x at --reference
# x=0.5, and for each genotype and sex the share of samples whose interval
# holds the true penetrance logistic(w_g + v_g [women] + 0.8 x 0.5); then the
# prevalence the model implies against the one observed (no ascertainment:
# both estimate the population's), their mean difference and the share of
# samples whose implied interval holds the observed value. Not part of the
# tests.
#
#   bench/penetrance_coverage.sh [N [BUILD_DIR]]      (default 200, build-bench-fit)
set -euo pipefail
cd "$(dirname "$0")/.."
src=$(pwd)
n=${1:-200}
build=${2:-build-bench-fit}
. "$src/bench/release_build.sh"

for seed in $(seq 1 "$n"); do
  "$build/tools/kinsim" "$src/bench/penetrance_coverage.settings" "$seed" >/dev/null
  if "$build/kinseg/kinseg" fit sample.dat --covar x --sex-effect --reference x=0.5 --model mendelian:dominant \
       --ascertainment none --no-profile --starts 3 --out "fit$seed" >/dev/null 2>&1; then
    tail -n +2 "fit$seed.penetrances.tsv" >>rows
  fi
done
echo "samples: $n, fitted: $(ls fit*.penetrances.tsv 2>/dev/null | wc -l)"
printf "%-10s %6s %10s %9s %10s %6s\n" genotype sex truth covered "mean width" "no CI"
awk -F'\t' '
  function logistic(x) { return 1 / (1 + exp(-x)) }
  {
    g = $2; s = $3; key = g " " s
    t = logistic((g < 3 ? 1 : -3) + (s == "women" ? (g < 3 ? 0.5 : -0.5) : 0) + 0.8 * 0.5)
    truth[key] = t; all[key]++
    if ($5 == "NA") none[key]++
    else if ($5 <= t && t <= $6) held[key]++
    width[key] += ($5 == "NA" ? 0 : $6 - $5)
  }
  END {
    for (k in truth) {
      split(k, f, " ")
      printf "%-10s %6s %10.4f %8.1f%% %10.4f %6d\n", f[1], f[2], truth[k], 100 * held[k] / all[k],
             width[k] / (all[k] - none[k]), none[k]
    }
  }' rows | sort
# The implied prevalence, its interval and the observed one, from each JSON.
for f in fit*.json; do
  awk '/"prevalence": \{/ { p = 1 }
       p && /"(implied|ci_low|ci_high|observed)"/ { last = /"observed"/; gsub(/[",]/, ""); printf "%s ", $2 }
       p && last { print ""; exit }' "$f"
done | awk '
  NF == 4 && $1 != "null" { n++; d += $1 - $4; if ($2 <= $4 && $4 <= $3) held++ }
  END { printf "implied - observed prevalence: mean %.4f over %d samples; observed within the implied interval in %.1f%%\n", d / n, n, 100 * held / n }'
