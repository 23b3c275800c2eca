#!/usr/bin/env bash
# Builds the scene-block fuzz target (plix_scene_load_fuzz, see
# fuzz/CMakeLists.txt) with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer in its own build folder, and runs it for the given
# number of seconds (default 60) on a copy of fuzz/corpus. Exits non-zero on
# any finding; what it found is left in the build folder's findings/.
#
#   fuzz/run.sh [SECONDS]
#
# Environment: PLIX_FUZZ_BUILD (build folder, default build-fuzz),
# PLIX_FUZZ_CXX / PLIX_FUZZ_CC (compilers, default clang++ / clang),
# PLIX_JOBS (default 2).
set -euo pipefail
seconds=${1:-60}
if [[ ! "$seconds" =~ ^[0-9]+$ ]]; then
  echo "usage: fuzz/run.sh [SECONDS]  (a whole number of seconds, default 60)" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PLIX_FUZZ_BUILD:-$root/build-fuzz}
jobs=${PLIX_JOBS:-2}

# Only the fuzz target is built: the module, the stand-in's load streams and
# the tests' hand-made instance.
(cd "$root" && cmake --preset fuzz -B "$build" \
  -DCMAKE_CXX_COMPILER="${PLIX_FUZZ_CXX:-clang++}" -DCMAKE_C_COMPILER="${PLIX_FUZZ_CC:-clang}" >/dev/null)
if ! grep -q '^PLIX_HAVE_LIBFUZZER:INTERNAL=1$' "$build/CMakeCache.txt"; then
  echo "fuzz: the compiler in $build has no libFuzzer (-fsanitize=fuzzer); set PLIX_FUZZ_CXX to a clang" >&2
  exit 2
fi
cmake --build "$build" -j"$jobs" --target plix_scene_load_fuzz
fuzzer="$build/fuzz/plix_scene_load_fuzz"

rm -rf "$build/corpus" "$build/findings"
mkdir -p "$build/corpus" "$build/findings"
cp "$root"/fuzz/corpus/* "$build/corpus/"
status=0
"$fuzzer" "$build/corpus" \
  -dict="$root/fuzz/scene.dict" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
  -rss_limit_mb=2048 -error_exitcode=77 -timeout_exitcode=78 -print_final_stats=1 \
  -artifact_prefix="$build/findings/" || status=$?
if ((status != 0)) || [[ -n "$(ls -A "$build/findings")" ]]; then
  echo "fuzz: finding (exit $status), see $build/findings" >&2
  exit $((status != 0 ? status : 1))
fi
echo "fuzz: clean after ${seconds}s"
