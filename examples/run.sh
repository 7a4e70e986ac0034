#!/usr/bin/env bash
# Installs the Debian packages the build needs and lacks (deps/install.sh: as
# root; otherwise it prints the apt-get line and the script stops), builds
# kinsort, kinfit and kinseg and runs the worked example: copies its input
# files into a fresh directory build/example-run/, runs kinsort there, then
# kinfit (with nothing to read at its pause), and tells where the results are
# and whether they are the ones committed in examples/output/; then the
# analysis a user runs, kinseg test on the same data file: the standard
# segregation models, their likelihood-ratio tests and the verdict.
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

echo
echo "== kinsort (in $run)"
status=0
"$build/prep/kinsort" > kinsort.console || status=$?
cat kinsort.console
echo "kinsort ended with exit status $status"
[ "$status" -eq 0 ] || exit "$status"

echo
echo "== kinfit"
status=0
"$build/fit/kinfit" < /dev/null > kinfit.console || status=$?
cat kinfit.console
echo "kinfit ended with exit status $status"
[ "$status" -eq 0 ] || exit "$status"

echo
echo "== sigma.DAT"
cat sigma.DAT

echo
echo "The results are in $run:"
echo "  sigma.DAT (estimates), max.dat (iteration listing), LH_fam.dat (each family's"
echo "  contribution), par.err (errors), new_dat and def.err (kinsort's), and the"
echo "  console text of both programs in kinsort.console and kinfit.console."
echo "How to read them: examples/README.md."
echo
differ=()
for f in new_dat def.err iway.dat max.dat sigma.DAT LH_fam.dat par.err kinsort.console kinfit.console; do
  cmp -s "$f" "$root/examples/output/$f" || differ+=("$f")
done
if [ ${#differ[@]} -eq 0 ]; then
  echo "Every output is identical to the committed one in examples/output/."
else
  echo "These outputs differ from the committed ones in examples/output/: ${differ[*]}"
  exit 1
fi

# The same data file read by kinseg (a kinsort data file: its columns are the
# ones task.inp names, the covariate smoker among them), every standard model
# fitted and compared.
echo
echo "== kinseg test sample.dat --covar smoker --out kinseg (in $run)"
status=0
"$build/kinseg/kinseg" test sample.dat --covar smoker --out kinseg || status=$?
echo "kinseg test ended with exit status $status"
[ "$status" -eq 0 ] || exit "$status"
echo
echo "kinseg wrote kinseg.models.tsv, kinseg.tests.tsv, kinseg.estimates.tsv, kinseg.families.tsv,"
echo "kinseg.genotypes.tsv, kinseg.json, kinseg.log and the report page kinseg.html in $run."
echo "Open $run/kinseg.html in a browser to see the tables, the profile plots and the pedigrees."
echo "How to read the model table, the tests, the verdict and the page: examples/README.md."
