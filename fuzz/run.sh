#!/usr/bin/env bash
# Builds the scene-block fuzz target with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs it for the given number of seconds
# (default 60) on a copy of fuzz/corpus. Exits non-zero on any finding.
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PLIX_FUZZ_BUILD:-$root/build-fuzz}
cxx=${PLIX_FUZZ_CXX:-clang++}

rm -rf "$build"
mkdir -p "$build/objects" "$build/corpus" "$build/findings"

flags=(-std=c++20 -O1 -g -fno-omit-frame-pointer -ffp-contract=off -Wall -Wextra -Werror
       -fsanitize=address,undefined -fno-sanitize-recover=all -I"$root")
# The module's own sources are built as they are for plix6.p.
objects=()
for source in "$root"/persist/*.cpp "$root"/effect/launch.cpp "$root"/effect/instance.cpp "$root"/module/service_refs.cpp; do
  object="$build/objects/$(basename "$(dirname "$source")")_$(basename "$source" .cpp).o"
  "$cxx" "${flags[@]}" -fsanitize=fuzzer-no-link -fno-exceptions -fno-rtti -c "$source" -o "$object"
  objects+=("$object")
done
"$cxx" "${flags[@]}" -fsanitize=fuzzer "$root/fuzz/scene_load_fuzz.cpp" "${objects[@]}" -o "$build/scene_load_fuzz"

cp "$root"/fuzz/corpus/* "$build/corpus/"
status=0
"$build/scene_load_fuzz" "$build/corpus" \
  -dict="$root/fuzz/scene.dict" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
  -rss_limit_mb=2048 -error_exitcode=77 -timeout_exitcode=78 -print_final_stats=1 \
  -artifact_prefix="$build/findings/" || status=$?
if ((status != 0)) || [[ -n "$(ls -A "$build/findings")" ]]; then
  echo "fuzz: finding (exit $status), see $build/findings" >&2
  exit $((status != 0 ? status : 1))
fi
echo "fuzz: clean after ${seconds}s"
