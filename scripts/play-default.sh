#!/usr/bin/env bash
# Sets up, builds, and plays the built-in default scene into out/default.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh play
cmake --preset play >/dev/null
cmake --build --preset play -j"$(nproc)"
./build/plix-sandbox play --out out/default "$@"
