#!/usr/bin/env bash
# Builds the Debian package from a release build: build/package/veltrin_<version>_<arch>.deb.
# Install it with `sudo apt install ./build/package/veltrin_*.deb`.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/deps.sh
# Debian's hardening flags, as its own packages are built.
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRIN_TESTS=OFF
cmake --build build/package --target veltrin veltrin-data veltrin_packed_docs veltrin_chime
(cd build/package && cpack -G DEB)
deb="$(ls build/package/veltrin_*.deb)"
lintian --tag-display-limit 0 "$deb"
echo "$deb"
