#!/usr/bin/env bash
# Runs every command of the user's guide, so that the guide cannot go stale:
# each fenced block of the guide whose language is sh, in order, in one fresh
# directory holding the worked examples' pedigree files (sample.dat and
# women.dat), with the kinseg under test first on PATH. A block fails when a
# command in it does.
#   guide_commands.sh GUIDE.md KINSEG SAMPLE.dat WOMEN.dat
set -euo pipefail
guide=$1 kinseg=$2 sample=$3 women=$4

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"
ln -s "$kinseg" "$work/bin/kinseg"
cp "$sample" "$work/sample.dat"
cp "$women" "$work/women.dat"

# The blocks, each into a file of its own: block-1.sh, block-2.sh, ...
awk -v dir="$work" '
  /^```sh[[:space:]]*$/ { n++; file = sprintf("%s/block-%d.sh", dir, n); inside = 1; start = NR; next }
  /^```/ && inside { inside = 0; close(file); next }
  inside { print > file }
  END { if (inside) { print "guide_commands: a block opened on line " start " is not closed" > "/dev/stderr"; exit 1 } }
' "$guide"

count=$(ls "$work"/block-*.sh 2>/dev/null | wc -l)
[ "$count" -gt 0 ] || { echo "guide_commands: no sh block in $guide" >&2; exit 1; }
cd "$work"
for i in $(seq 1 "$count"); do
  block=$work/block-$i.sh
  if ! PATH="$work/bin:$PATH" bash -euo pipefail "$block" > "block-$i.out" 2> "block-$i.err"; then
    echo "guide_commands: block $i of $guide failed:" >&2
    sed 's/^/  /' "$block" >&2
    echo "its standard error:" >&2
    tail -n 20 "block-$i.err" >&2
    exit 1
  fi
done
echo "guide_commands: the $count command blocks of $guide ran"
