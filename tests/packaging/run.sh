#!/usr/bin/env bash
# run.sh DIST: runs every packaging test here (each an executable *.sh taking the dist folder;
# exit 0 passed, 77 skipped, anything else failed) and ends with one line of counts.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
dist=$(cd "${1:?usage: run.sh DIST}" && pwd)
passed=0 failed=0 skipped=0 failures=()
for test in "$here"/*.sh; do
  [ "$test" = "$here/run.sh" ] && continue
  [ -x "$test" ] || continue
  name=$(basename "$test" .sh)
  echo "== $name"
  start=$SECONDS
  "$test" "$dist"
  status=$?
  case $status in
    0) passed=$((passed + 1)) outcome=passed ;;
    77) skipped=$((skipped + 1)) outcome=skipped ;;
    *) failed=$((failed + 1)) outcome="FAILED (exit $status)" failures+=("$name") ;;
  esac
  echo "-- $name: $outcome in $((SECONDS - start)) s"
done
((failed)) && echo "failed: ${failures[*]}"
echo "packaging: $passed passed, $failed failed, $skipped skipped"
((failed == 0))
