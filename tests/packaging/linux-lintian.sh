#!/usr/bin/env bash
# Debian's package checker on the .deb: no error and no warning. Every tag it reports, of any
# level, is printed, so that what it says can be read in the log.
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
deb=$1/lyrebloom_$("$top/tools/version.sh")_amd64.deb
[ -f "$deb" ] || { echo "FAIL: no $deb"; exit 1; }
command -v lintian >/dev/null || { echo "SKIP: lintian is not installed (apt-get install lintian)"; exit 77; }
report=$(lintian --info --display-level '>=pedantic' --display-experimental "$deb" 2>&1)
status=$?
report=$(grep -v "running with root privileges is not recommended" <<<"$report")
echo "${report:-lintian: no tags}"
if grep -qE '^[EW]: ' <<<"$report" || [ $status -ne 0 ]; then
  echo "FAIL: lintian reports errors or warnings (exit $status)"
  exit 1
fi
