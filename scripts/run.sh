#!/usr/bin/env bash
# Installs what is missing, builds a release build and starts Veltrin on the
# data folder beside the executable (build/release/app/data).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
if [ ! -f build/release/CMakeCache.txt ]; then
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRIN_TESTS=OFF
fi
cmake --build build/release --target veltrin
exec build/release/app/veltrin "$@"
