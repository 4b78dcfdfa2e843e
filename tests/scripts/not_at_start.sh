# Sourced by the start-up library checks.
# NotAtStart PROGRAM PATTERN: fails when PROGRAM names a library matching
# PATTERN, or loads one at start through the libraries it names.
NotAtStart() {
  local program="$1" pattern="$2" status=0
  if readelf -d "$program" | grep 'NEEDED' | grep -i "$pattern"; then
    echo "$program names $pattern"
    status=1
  fi
  if ldd "$program" | grep -i "$pattern"; then
    echo "$program loads $pattern at start"
    status=1
  fi
  return $status
}
