#!/usr/bin/env bash
# The programs start without the libraries only some runs need: libcurl
# (and the TLS, Kerberos and LDAP libraries below it) is opened with the
# first sync request, Qt's multimedia (and the sound server's and codecs'
# libraries) with the first sound. Every start would pay for loading and
# relocating them.
# Usage: lean_start_test.sh PROGRAM...
set -euo pipefail
status=0
for program in "$@"; do
  for library in libcurl libQt6Multimedia; do
    if readelf -d "$program" | grep 'NEEDED' | grep -i "$library"; then
      echo "$program names $library"
      status=1
    fi
    if ldd "$program" | grep -i "$library"; then
      echo "$program loads $library at start"
      status=1
    fi
  done
done
exit $status
