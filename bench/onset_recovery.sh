#!/usr/bin/env bash
# Recovery of the age-of-onset model over simulated samples whose truth is
# known: for seeds 1..N, kinsim draws a sample from SETTINGS (default
# bench/onset_recovery.settings: ages at onset, single ascertainment with a
# small probability) and kinseg fits mendelian:dominant twice, once with the
# age-of-onset model (--onset age) and once with the age as a covariate
# (--covar age), both with the proband correction (ASCERTAINMENT, default
# proband). Prints, per parameter, the mean estimate against the truth and the
# share of samples whose 95% profile interval holds the truth; for the
# covariate fit, whose w's are logits at age 0, the risks by 50 and 70 it
# implies against the true ones. Not part of the tests.
#
#   bench/onset_recovery.sh [N [SETTINGS [ASCERTAINMENT [BUILD_DIR]]]]
#   (default 100, bench/onset_recovery.settings, proband, build-bench-fit)
#
# FITS=onset leaves the covariate fits out.
# NO_BUILD=1 uses BUILD_DIR's kinseg/kinseg and tools/kinsim as they are.
# KEEP=DIR keeps every sample's estimates (DIR/estimates.tsv: seed, fit,
# parameter, estimate, interval) for a closer look.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$(pwd)
n=${1:-100}
settings=$(cd "$(dirname "${2:-bench/onset_recovery.settings}")" && pwd)/$(basename "${2:-bench/onset_recovery.settings}")
asc=${3:-proband}
build=${4:-build-bench-fit}
. "$src/bench/release_build.sh"

# The truth in kinseg's orientation: kinsim numbers the genotypes with W1 <= W3,
# kinseg with genotype 1 the one of higher risk, so the two are exchanged.
truth() {
  awk '
    $1 == "Q" { Q = $3 } $1 == "W1" { W1 = $3 } $1 == "W2" { W2 = $3 } $1 == "W3" { W3 = $3 }
    $1 == "onset" { M1 = $3; M2 = $4; M3 = $5; S = $6 }
    END { printf "q %s\nw1 %s\nw2 %s\nw3 %s\nm1 %s\nm2 %s\nm3 %s\ns %s\n", 1 - Q, W3, W2, W1, M3, M2, M1, S }' truth.txt
}

: >estimates.tsv
for seed in $(seq 1 "$n"); do
  "$build/tools/kinsim" "$settings" "$seed" >/dev/null
  [ "$seed" = 1 ] && truth >truth.kinseg
  for fit in ${FITS:-onset covariate}; do
    if [ $fit = onset ]; then args=(--onset age); else args=(--covar age); fi
    status=failed
    if "$build/kinseg/kinseg" fit sample.dat --model mendelian:dominant "${args[@]}" \
         --ascertainment "$asc" --out "$fit" >/dev/null 2>&1; then
      status=$(sed -n 's/.*"status": "\(.*\)",/\1/p' "$fit.json" | head -n 1)
      awk -F'\t' -v seed="$seed" -v fit=$fit -v st="$status" 'NR > 1 && ($9 == "estimated" || $9 == "at bound" || $9 == "not identified") {
        print seed "\t" fit "\t" $2 "\t" $3 "\t" $5 "\t" $6 "\t" st }' "$fit.estimates.tsv" >>estimates.tsv
    fi
    echo "$fit $status" >>statuses
  done
done
[ -n "${KEEP:-}" ] && mkdir -p "$KEEP" && cp estimates.tsv truth.kinseg "$KEEP/"

echo "samples: $n ($(basename "$settings"), --ascertainment $asc)"
sort statuses | uniq -c | sed 's/^/status: /'
awk -F'\t' '
  FNR == NR { split($0, t, " "); truth[t[1]] = t[2]; next }
  function logistic(x) { return 1 / (1 + exp(-x)) }
  function F(a, m, s) { return logistic((a - m) / s) }
  function median(key, k,    i, j, x, v) {
    for (i = 1; i <= k; i++) v[i] = val[key, i]
    for (i = 2; i <= k; i++) { x = v[i]; for (j = i - 1; j >= 1 && v[j] > x; j--) v[j + 1] = v[j]; v[j + 1] = x }
    return k % 2 ? v[(k + 1) / 2] : (v[k / 2] + v[k / 2 + 1]) / 2
  }
  {
    key = $2 SUBSEP $3; n[key]++; sum[key] += $4; sq[key] += $4 * $4; val[key, n[key]] = $4
    if ($5 == "NA" || $6 == "NA") noci[key]++
    else if ($3 in truth && $5 <= truth[$3] && truth[$3] <= $6) cover[key]++
    est[$1, $2, $3] = $4; seen[$1, $2] = 1
  }
  END {
    printf "%-10s %-10s %9s %9s %9s %9s %6s %9s %6s\n", "fit", "parameter", "truth", "mean", "median", "sd", "fits", "covered", "no CI"
    split("q w1 w3 m1 m3 s d.age", order, " ")
    for (f = 1; f <= 2; f++) {
      fit = f == 1 ? "onset" : "covariate"
      for (i = 1; i <= 7; i++) {
        p = order[i]; key = fit SUBSEP p
        if (!(key in n)) continue
        m = sum[key] / n[key]; sd = sqrt(sq[key] / n[key] - m * m)
        printf "%-10s %-10s %9s %9.4f %9.4f %9.4f %6d %9s %6d\n", fit, p, (p in truth) ? truth[p] : "-", m,
               median(key, n[key]), sd, n[key],
               (p in truth) && fit == "onset" || p == "q" ? sprintf("%.1f%%", 100 * cover[key] / n[key]) : "-", noci[key]
      }
    }
    # Risks by age: the truth, the onset fit and the covariate fit (logistic in age).
    for (a = 50; a <= 70; a += 20) {
      rc = logistic(truth["w1"]) * F(a, truth["m1"], truth["s"])
      rn = logistic(truth["w3"]) * F(a, truth["m3"], truth["s"])
      so = sn = co = cn = 0; no = nc = 0
      for (k in seen) {
        split(k, kk, SUBSEP); s = kk[1]; fit = kk[2]
        if (fit == "onset") {
          so += logistic(est[s, fit, "w1"]) * F(a, est[s, fit, "m1"], est[s, fit, "s"])
          sn += logistic(est[s, fit, "w3"]) * F(a, est[s, fit, "m3"], est[s, fit, "s"]); no++
        } else {
          co += logistic(est[s, fit, "w1"] + a * est[s, fit, "d.age"])
          cn += logistic(est[s, fit, "w3"] + a * est[s, fit, "d.age"]); nc++
        }
      }
      printf "risk by %d: carriers truth %.4f onset %.4f covariate %.4f; non-carriers truth %.4f onset %.4f covariate %.4f\n",
             a, rc, no ? so / no : 0, nc ? co / nc : 0, rn, no ? sn / no : 0, nc ? cn / nc : 0
    }
  }' truth.kinseg estimates.tsv
