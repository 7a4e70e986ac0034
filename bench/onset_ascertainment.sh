#!/usr/bin/env bash
# Where the bias of the age-of-onset fits under proband ascertainment comes
# from: the samples of bench/onset_recovery.settings (seeds 1..N) drawn with
# each ascertainment in turn -- none (fitted without correction), and kinsim's
# single ascertainment with each affected member a proband with probability
# PI (fitted with the proband correction) -- and fitted with
# mendelian:dominant --onset age --no-profile. Prints per design the mean
# estimate of each parameter with the standard error of that mean, and the
# share of families with two or more probands (each such family is
# conditioned on all its probands, which is exact only as PI goes to 0). Not
# part of the tests.
#
#   bench/onset_ascertainment.sh [N [PI ... ]]   (default 100; none 0.01 0.05 0.2)
#
# BUILD_DIR (default build-bench-fit) and NO_BUILD=1 as for onset_recovery.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$(pwd)
n=${1:-100}
shift || true
designs=("$@")
[ ${#designs[@]} -gt 0 ] || designs=(none 0.01 0.05 0.2)
build=${BUILD_DIR:-build-bench-fit}
. "$src/bench/release_build.sh"

printf "%-8s %8s %9s %18s %18s %18s %18s %18s %18s\n" design fits "2+ prob" q w1 w3 m1 m3 s
for d in "${designs[@]}"; do
  if [ "$d" = none ]; then a="none"; asc=none; else a="single $d"; asc=proband; fi
  sed "s/^ascertainment = .*/ascertainment = $a/" "$src/bench/onset_recovery.settings" >design.settings
  : >est
  : >multi
  for seed in $(seq 1 "$n"); do
    "$build/tools/kinsim" design.settings "$seed" >/dev/null
    # Families with two or more probands (proband code 1 in column 6).
    awk 'NR > 1 { fam[$1] += $6 == 1 } END { for (f in fam) { n++; m += fam[f] >= 2 }; print m, n }' sample.dat >>multi
    if "$build/kinseg/kinseg" fit sample.dat --model mendelian:dominant --onset age --no-profile \
         --ascertainment $asc --out f >/dev/null 2>&1; then
      awk -F'\t' -v seed="$seed" 'NR > 1 && ($9 == "estimated" || $9 == "at bound" || $9 == "not identified") { print seed "\t" $2 "\t" $3 }' f.estimates.tsv >>est
    fi
  done
  awk -F'\t' -v d="$d" '
    FNR == NR { split($0, t, " "); multi += t[1]; fams += t[2]; next }
    { n[$2]++; s[$2] += $3; sq[$2] += $3 * $3; seeds[$1] = 1 }
    END {
      nf = 0; for (k in seeds) nf++
      printf "%-8s %8d %8.1f%%", d, nf, 100 * multi / fams
      split("q w1 w3 m1 m3 s", p, " ")
      for (i = 1; i <= 6; i++) {
        k = p[i]; m = n[k] ? s[k] / n[k] : 0; se = n[k] > 1 ? sqrt((sq[k] / n[k] - m * m) / (n[k] - 1)) : 0
        printf " %9.4f +-%6.4f", m, se
      }
      printf "\n"
    }' multi est
done
