#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite:
# first the core tests under AddressSanitizer and UndefinedBehaviorSanitizer,
# then everything (core, widgets offscreen, the real program end to end).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh

if [ ! -f build/sanitize/CMakeCache.txt ]; then
  cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DVELTRIN_WITH_QT=OFF -DVELTRIN_SANITIZE=ON
fi
cmake --build build/sanitize
(cd build/sanitize && ctest --output-on-failure --timeout 600)

if [ ! -f build/test/CMakeCache.txt ]; then
  cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug
fi
cmake --build build/test
cd build/test && ctest --output-on-failure --timeout 600
