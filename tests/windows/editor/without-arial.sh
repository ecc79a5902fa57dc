#!/bin/sh
# Runs a test program in a wine prefix of its own whose "Arial" mapping (which wine-run.sh adds
# to every prefix) is deleted first, as in a stock prefix without that face:
#   without-arial.sh WINE_RUN ARCH PREFIX PROGRAM [ARGS...]
# The program checks for itself that "Arial" is missing (LYRE_EXPECT_NO_ARIAL).
set -eu
run=$1 arch=$2 prefix=$3
shift 3
# Absent after the first run: nothing to delete then.
"$run" "$arch" "$prefix" reg delete 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /f \
  >/dev/null 2>&1 || true
LYRE_EXPECT_NO_ARIAL=1 exec "$run" "$arch" "$prefix" "$@"
