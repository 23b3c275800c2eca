#!/usr/bin/env bash
# Sets up and runs every test: the normal build, the AddressSanitizer +
# UndefinedBehaviorSanitizer build, the scene-block fuzz run and the Windows
# cross-build checked under wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)

# The configurations are CMakePresets.json's.
echo "== normal build"
cmake --preset normal >/dev/null
cmake --build --preset normal -j"$jobs"
ctest --preset normal -j"$jobs"

echo "== sanitizer build"
cmake --preset sanitizers >/dev/null
cmake --build --preset sanitizers -j"$jobs"
ctest --preset sanitizers -j"$jobs"

echo "== fuzz run"
bash fuzz/run.sh "${PLIX_FUZZ_SECONDS:-60}"

if [[ "${PLIX_WINDOWS:-1}" == 1 ]]; then
  echo "== windows cross-build under wine"
  # The normal build above is the Linux side of the comparison.
  PLIX_WINREF_BUILD=${PLIX_WINREF_BUILD:-build-test} bash cmake/windows-ci.sh
fi
