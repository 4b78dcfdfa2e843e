#!/usr/bin/env bash
# Packs the already built program as the release does and asks lintian
# about the package: any error fails. Warnings are printed for the reader.
set -euo pipefail
build="$1"
out="$(mktemp -d /tmp/veltrin-package-XXXXXX)"
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log") || { cat "$out/cpack.log"; exit 1; }
deb="$(ls "$out"/veltrin_*.deb)"
dpkg-deb --field "$deb"
dpkg-deb --contents "$deb" | sed -E 's/^([^ ]+ +){5}//'
lintian --tag-display-limit 0 "$deb" | tee "$out/lintian.log"
if grep -q '^E:' "$out/lintian.log"; then
  echo "lintian reports errors"
  exit 1
fi
