#!/usr/bin/env bash
# Installs the Debian packages the build needs and lacks (deps/install.sh: as
# root; otherwise it prints the apt-get line and the script stops), builds
# kinseg, kinsort and kinfit and runs the worked example in a fresh directory
# build/example-run/: first the analysis a user runs, kinseg test on the
# example's pedigree file (the standard segregation models, their
# likelihood-ratio tests, the verdict, the report page); then kinsort and
# kinfit, the exact programs for files of the older format, on the same data,
# with their outputs compared byte for byte with the ones committed in
# examples/output/ and their console text summarised in a line. Then the
# second example, in build/example-run/late_onset/: kinseg test with ages at
# onset on a late-onset disease recorded in women (examples/late_onset/).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build
run=$build/example-run

"$root/deps/install.sh"
cmake -S "$root" -B "$build"
cmake --build "$build" -j"$(nproc 2>/dev/null || echo 2)" --target kinsort kinfit kinseg

rm -rf "$run"
mkdir -p "$run"
cp "$root"/examples/input/{sample.dat,task.inp,maxpar.inp,par.inp} "$run"/
cd "$run"

# The example's pedigree file read by kinseg as it is (it finds the columns by
# their header names; --covar names the covariate), every standard model
# fitted and compared.
echo
echo "== kinseg test sample.dat --covar smoker --out kinseg    (in $run)"
status=0
"$build/kinseg/kinseg" test sample.dat --covar smoker --out kinseg || status=$?
echo "kinseg test ended with exit status $status"
[ "$status" -eq 0 ] || exit "$status"
echo
echo "Open $run/kinseg.html in a browser: the verdict, the estimates with"
echo "their intervals, the tests, the families and their pedigrees on one page."
echo "kinseg also wrote kinseg.models.tsv, .tests.tsv, .estimates.tsv, .families.tsv,"
echo ".genotypes.tsv, .penetrances.tsv, .json and .log there. How to read them: examples/README.md;"
echo "the user's guide: docs/guide.md."

# kinsort and kinfit on the same data, with their hand-written parameter
# files; kinfit's pause at the start values ends by itself on /dev/null.
echo
echo "== kinsort and kinfit, the exact programs for files of the older format"
status=0
"$build/prep/kinsort" > kinsort.console || status=$?
[ "$status" -eq 0 ] || { cat kinsort.console; echo "kinsort ended with exit status $status"; exit "$status"; }
"$build/fit/kinfit" < /dev/null > kinfit.console || status=$?
[ "$status" -eq 0 ] || { cat kinfit.console; echo "kinfit ended with exit status $status"; exit "$status"; }
differ=()
for f in new_dat def.err iway.dat max.dat sigma.DAT LH_fam.dat par.err kinsort.console kinfit.console; do
  cmp -s "$f" "$root/examples/output/$f" || differ+=("$f")
done
lnl=$(awk '/ln LH/ {print "ln LH = " $NF}' sigma.DAT)
if [ ${#differ[@]} -eq 0 ]; then
  echo "kinsort and kinfit ended normally; sigma.DAT${lnl:+ ($lnl)} and every other output are identical"
  echo "to the committed ones in examples/output/ (their console text: kinsort.console, kinfit.console;"
  echo "how to read them: examples/older_format.md)."
else
  echo "These outputs of kinsort and kinfit differ from the committed ones in examples/output/: ${differ[*]}"
  exit 1
fi

# The second example: a late-onset disease recorded in women, each woman's
# age at diagnosis or at last follow-up in the column `age`.
late=$run/late_onset
mkdir -p "$late"
cp "$root"/examples/late_onset/women.dat "$late"/
cd "$late"
echo
echo "== kinseg test women.dat --onset age --trait-only sex=F --out women    (in $late)"
status=0
"$build/kinseg/kinseg" test women.dat --onset age --trait-only sex=F --out women || status=$?
echo "kinseg test ended with exit status $status"
[ "$status" -eq 0 ] || exit "$status"
echo
echo "Open $late/women.html: under the estimates, each genotype's risk by age with its"
echo "95% band; women.risks.tsv holds the curves. How to read them: examples/README.md."
