#!/usr/bin/env bash
# Installs what is missing, checks the layout of the sources, builds and
# tests the core alone (without Qt), then runs the whole test suite twice:
# first everything under AddressSanitizer and UndefinedBehaviorSanitizer
# (clang: core, widgets offscreen, the real program end to end) together with
# a short run of each data file fuzzer, then everything again in a plain gcc
# build, which also keeps the screenshots.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh

# The house layout: every tracked source as clang-format would write it.
git ls-files -- '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

# The core alone, without Qt: it must build and pass by itself.
cmake -S . -B build/core -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELTRIN_WITH_QT=OFF
cmake --build build/core
(cd build/core && ctest --output-on-failure --timeout 600)

# Configured every time, so an older build folder picks up the options too.
CC=clang CXX=clang++ cmake -S . -B build/checks -G Ninja -DCMAKE_BUILD_TYPE=Debug \
      -DVELTRIN_WITH_QT=ON -DVELTRIN_SANITIZE=ON -DVELTRIN_FUZZ=ON
cmake --build build/checks
(cd build/checks && ctest --output-on-failure --timeout 600)

if [ ! -f build/test/CMakeCache.txt ]; then
  cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug
fi
cmake --build build/test
cd build/test && ctest --output-on-failure --timeout 600
