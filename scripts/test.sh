#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite:
# first the core tests under AddressSanitizer and UndefinedBehaviorSanitizer
# together with a short run of each data file fuzzer (clang), then everything
# (core, widgets offscreen, the real program end to end).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh

if [ ! -f build/checks/CMakeCache.txt ]; then
  CC=clang CXX=clang++ cmake -S . -B build/checks -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DVELTRIN_WITH_QT=OFF -DVELTRIN_SANITIZE=ON -DVELTRIN_FUZZ=ON
fi
cmake --build build/checks
(cd build/checks && ctest --output-on-failure --timeout 600)

if [ ! -f build/test/CMakeCache.txt ]; then
  cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug
fi
cmake --build build/test
cd build/test && ctest --output-on-failure --timeout 600
