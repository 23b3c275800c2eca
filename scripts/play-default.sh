#!/usr/bin/env bash
# Sets up, builds, and plays the built-in default scene into out/default.
set -euo pipefail
cd "$(dirname "$0")/.."
PLIX_WINDOWS=0 bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DPLIX_BUILD_TESTS=OFF -DPLIX_BUILD_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)" --target plix-sandbox plix6
./build/plix-sandbox play --out out/default "$@"
