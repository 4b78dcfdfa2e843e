#!/usr/bin/env bash
# The programs start without the libraries only some runs need: libcurl
# (and the TLS, Kerberos and LDAP libraries below it) is opened with the
# first sync request, Qt's multimedia (and the sound server's and codecs'
# libraries) with the first sound. Every start would pay for loading and
# relocating them.
# Usage: lean_start_test.sh PROGRAM...
set -euo pipefail
source "$(dirname "$0")/not_at_start.sh"
status=0
for program in "$@"; do
  for library in libcurl libQt6Multimedia; do
    NotAtStart "$program" "$library" || status=1
  done
done
exit $status
