#!/usr/bin/env bash
# Installs the Debian packages that a job needs and the machine lacks.
#
#   deps/install.sh [LIST...]
#
# LISTs among test, bench, fuzz: the packages named in deps/LIST.txt are added
# to those of deps/build.txt, which every job needs. Nothing to do when all are
# installed. As root, the missing ones are installed with apt-get; otherwise
# the script prints the apt-get line to run and fails, before anything is
# built. On a system without dpkg it says which packages it would want and
# leaves the rest to CMake.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

lists=(build "$@")
wanted=()
for l in "${lists[@]}"; do
  f=$here/$l.txt
  if [ ! -f "$f" ]; then
    echo "deps/install.sh: no package list $l (expected one of: build test bench fuzz)" >&2
    exit 2
  fi
  while read -r p _; do
    [ -n "$p" ] && [ "${p:0:1}" != "#" ] && wanted+=("$p")
  done < "$f"
done

if ! command -v dpkg-query >/dev/null; then
  echo "deps/install.sh: not a Debian system; make sure these (Debian names) are installed: ${wanted[*]}" >&2
  exit 0
fi

# A package counts as present when dpkg has it installed, or, for a tool
# (cmake, make, g++, file, clang), when a command of its name is on the path,
# however it was installed.
missing=()
for p in "${wanted[@]}"; do
  [ "$(dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null)" = "ii " ] || command -v "$p" >/dev/null ||
    missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "deps/install.sh: missing Debian packages; install them as root, then run this again:" >&2
  echo "  apt-get install ${missing[*]}" >&2
  exit 1
fi
echo "deps/install.sh: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
