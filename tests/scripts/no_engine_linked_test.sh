#!/usr/bin/env bash
# The programs start without the HTML engine: neither names a library of it,
# nor does anything they load at start. The editor module alone needs it (so
# this check looks at the right names).
# Usage: no_engine_linked_test.sh MODULE PROGRAM...
set -euo pipefail
module="$1"
shift
source "$(dirname "$0")/not_at_start.sh"
status=0
for program in "$@"; do
  NotAtStart "$program" webengine || status=1
done
if ! readelf -d "$module" | grep 'NEEDED' | grep -qi 'libQt6WebEngineWidgets'; then
  echo "$module does not name the engine: the check above looks for the wrong names"
  status=1
fi
exit $status
