#!/usr/bin/env bash
# The report page of a real study's size for the browser check: kinsim draws
# 396 pedigrees of up to three generations and four of five generations (two
# of more than 300 persons), the four numbered 1001 to 1004 after the others,
# and kinseg test analyses the 400 together.
#   large_study.sh KINSIM KINSEG SETTINGS_DIR OUT_PREFIX
set -euo pipefail
kinsim=$1 kinseg=$2 settings=$3 out=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && "$kinsim" "$settings/large_study_families.settings" > /dev/null &&
  "$kinsim" "$settings/large_study_pedigrees.settings" > /dev/null)
{
  cat "$work/families.dat"
  echo
  tail -n +2 "$work/pedigrees.dat" | awk '{ $1 = $1 + 1000; print }'
} | awk 'NF' > "$work/study.dat"
"$kinseg" test "$work/study.dat" --covar smoker --out "$out" > /dev/null
