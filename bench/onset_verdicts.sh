#!/usr/bin/env bash
# How often kinseg test's verdict is right under the age-of-onset model: for
# seeds FIRST..FIRST+N-1, kinsim draws a sample from each truth --
# bench/onset_dominant.settings (a rare dominant gene, q = 0.005, lifetime
# risk 0.8 against 0.1, carriers ill 15 years earlier) and
# bench/onset_sporadic.settings (no major gene) -- and kinseg test --onset age
# --no-profile analyses it with the proband correction. Prints per truth the
# verdicts, how often each criterion held, the best Mendelian type by AIC and
# the share of right verdicts ("major gene, Mendelian" with dominant best; the
# sporadic model not rejected). Not part of the tests.
#
#   bench/onset_verdicts.sh [N [FIRST [BUILD_DIR]]]   (default 100, 1, build-bench-fit)
#
# NO_BUILD=1 uses BUILD_DIR's kinseg/kinseg and tools/kinsim as they are;
# TRUTHS="dominant" runs one truth only.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$(pwd)
n=${1:-100}
first=${2:-1}
build=${3:-build-bench-fit}
. "$src/bench/release_build.sh"

for truth in ${TRUTHS:-dominant sporadic}; do
  : >verdicts
  start=$(date +%s)
  for seed in $(seq "$first" $((first + n - 1))); do
    "$build/tools/kinsim" "$src/bench/onset_$truth.settings" "$seed" >/dev/null
    if "$build/kinseg/kinseg" test sample.dat --onset age --no-profile --no-html --out t >/dev/null 2>&1; then
      # One line per sample: summary | criteria held (1/0 each) | best Mendelian type.
      awk '
        /"verdict": \{/ { v = 1 }
        v && /"summary":/ { sub(/.*"summary": "/, ""); sub(/",$/, ""); summary = $0 }
        v && /"holds":/ { held = held ($0 ~ /true/ ? 1 : 0) }
        /"best_mendelian_type":/ { sub(/.*"best_mendelian_type": "/, ""); sub(/",?$/, ""); type = $0 }
        END { print summary "|" held "|" type }' t.json >>verdicts
    else
      echo "failed||" >>verdicts
    fi
  done
  echo "truth: $truth, $n samples (seeds $first..$((first + n - 1))), $(($(date +%s) - start)) s"
  awk -F'|' -v truth="$truth" '
    { n++; v[$1]++; t[$3]++
      for (i = 1; i <= 3; i++) c[i] += substr($2, i, 1) == "1"
      # A verdict that rests on fits in doubt says "provisional: " first.
      sure = $1 !~ /^provisional: /
      if (truth == "dominant") ok = $1 ~ /^(provisional: )?evidence for a major gene with Mendelian transmission/ && $3 == "dominant"
      else ok = substr($2, 1, 1) == "0"
      right += ok; right_sure += ok && sure }
    END {
      for (k in v) printf "  verdict %3d  %s\n", v[k], k
      printf "  criteria held: 1 %d / 2 %d / 3 %d\n", c[1], c[2], c[3]
      for (k in t) printf "  best Mendelian type by AIC: %s %d\n", k, t[k]
      printf "  right: %d of %d (%s), of which not provisional: %d\n", right, n,
             truth == "dominant" ? "major gene, Mendelian, dominant best" : "sporadic not rejected", right_sure
    }' verdicts
done
