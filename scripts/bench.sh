#!/usr/bin/env bash
# Builds an optimised build and runs every benchmark; each speed goal prints
# one "target: <name> ratio=<measured> bound=<bound> ok|MISSED" line.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
if [ ! -f build/bench/CMakeCache.txt ]; then
  cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRIN_BENCH=ON -DVELTRIN_TESTS=OFF
fi
cmake --build build/bench --target bench
