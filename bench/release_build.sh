# Sourced by the bench scripts that run kinseg over simulated samples, from
# the top of the source tree with $build set to the build folder: builds
# kinseg and kinsim there (CMake Release, without the tests) unless NO_BUILD
# is set, makes $build absolute, and moves into a fresh temporary folder,
# $work, removed when the script exits.
if [ -z "${NO_BUILD:-}" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKINSEG_TESTS=OFF >/dev/null
  cmake --build "$build" -j2 --target kinseg kinsim >/dev/null
fi
build=$(cd "$build" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
