#!/usr/bin/env bash
# Sets up and runs every test: the normal build, the AddressSanitizer +
# UndefinedBehaviorSanitizer build, the scene-block fuzz run and the Windows
# cross-build checked under wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)

echo "== normal build"
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLIX_BUILD_BENCH=ON >/dev/null
cmake --build build-test -j"$jobs"
ctest --test-dir build-test --output-on-failure -j"$jobs"

echo "== sanitizer build"
cmake -S . -B build-test-asan -DCMAKE_BUILD_TYPE=Debug -DPLIX_SANITIZE=ON -DPLIX_BUILD_BENCH=OFF >/dev/null
cmake --build build-test-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  ctest --test-dir build-test-asan --output-on-failure -j"$jobs"

echo "== fuzz run"
bash fuzz/run.sh "${PLIX_FUZZ_SECONDS:-60}"

if [[ "${PLIX_WINDOWS:-1}" == 1 ]]; then
  echo "== windows cross-build under wine"
  # The normal build above is the Linux side of the comparison.
  PLIX_WINREF_BUILD=${PLIX_WINREF_BUILD:-build-test} bash cmake/windows-ci.sh
fi
