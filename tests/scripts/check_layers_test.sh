#!/usr/bin/env bash
# The layer check passes on the tree as it is and fails, naming the place, on
# each kind of wrong include or link planted in a copy of it.
set -euo pipefail
check=$1
src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

expect() {  # expect <0|1> <text the output must hold> <tree>
    local want=$1 text=$2 tree=$3 out status=0
    out=$(python3 "$check" "$tree" 2>&1) || status=$?
    if [ "$status" -ne "$want" ] || ! grep -qF -- "$text" <<<"$out"; then
        echo "FAILED: expected exit $want and '$text' for $tree, got exit $status:"
        echo "$out"
        failures=$((failures + 1))
    fi
}

plant() {  # plant <name>: a fresh copy of the tree to spoil
    rm -rf "$work/$1"
    cp -r "$src" "$work/$1"
    echo "$work/$1"
}

expect 0 "every include and link points down" "$src"

tree=$(plant upward)
echo '#include "app/CMainDialog.h"' >>"$tree/base/Text.cpp"
expect 1 "base/Text.cpp" "$tree"
expect 1 "base/ may not include app/" "$tree"

tree=$(plant sideways)
echo '#include "today/CityTable.h"' >>"$tree/events/Schedule.cpp"
expect 1 "events/ may not include today/" "$tree"

tree=$(plant window)
echo '#include "events/CEventsView.h"' >>"$tree/events/EventList.cpp"
expect 1 "EventList.cpp:" "$tree"
expect 1 "core code may not include a window or Qt header" "$tree"

tree=$(plant link)
echo 'target_link_libraries(veltrin_storage PUBLIC veltrin_events)' >>"$tree/storage/CMakeLists.txt"
expect 1 "storage may not link veltrin_events" "$tree"

tree=$(plant stranger)
mkdir "$tree/gadgets"
expect 1 "gadgets: not in the layer table" "$tree"

if [ "$failures" -ne 0 ]; then
    echo "$failures case(s) failed"
    exit 1
fi
echo "layer check: all cases behave"
