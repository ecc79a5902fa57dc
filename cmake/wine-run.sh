#!/usr/bin/env bash
# Runs one Windows program under wine in a throwaway prefix of the build tree:
#   wine-run.sh win32|win64 PREFIX PROGRAM [ARGS...]
# The prefix is made on first use (once, even with tests running in parallel) and gets what
# the tests need: "Arial" mapped to Liberation Sans, so GDI+ finds a face for its text.
set -euo pipefail
arch=$1 prefix=$2
# A kernel that runs no 32-bit code still runs the 32-bit loader, through run-i386.sh's
# emulation; everything below (the prefix made on first use included) then happens inside it.
if [ "$arch" = win32 ] && [ -z "${LYRE_X86_RUNNER:-}" ]; then
  exec "$(dirname "$0")/run-i386.sh" "$0" "$@"
fi
shift 2
export WINEARCH=$arch WINEPREFIX=$prefix
export WINEDEBUG=${LYRE_WINEDEBUG:--all}
# No Mono or Gecko installers: nothing here needs them, and they would prompt.
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
# Debian's "wine" always starts the 32-bit loader when wine32 is installed; a 64-bit prefix
# needs the 64-bit one.
if [ "$arch" = win64 ]; then loader=${LYRE_WINE64:-/usr/lib/wine/wine64}; else loader=${LYRE_WINE32:-/usr/lib/wine/wine}; fi

# "--version" only asks whether this machine can start wine for the target at all (a kernel
# without 32-bit support cannot run the 32-bit loader); it needs no prefix.
if [ "${1:-}" = --version ]; then
  exec "$loader" --version
fi

if [ ! -e "$prefix/.lyre-ready" ]; then
  mkdir -p "$(dirname "$prefix")"
  exec 9>"$prefix.lock"
  flock 9
  if [ ! -e "$prefix/.lyre-ready" ]; then
    "$loader" wineboot -i >/dev/null 2>&1 </dev/null
    "$loader" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /t REG_SZ \
      /d 'Liberation Sans' /f >/dev/null 2>&1 </dev/null
    wineserver -w
    touch "$prefix/.lyre-ready"
  fi
  flock -u 9
  exec 9>&-
fi

# A server that outlives this program a little and holds none of our output pipes (it detaches
# itself), so the next test starts fast and ctest is not kept waiting for a server that
# inherited its pipe. When one already runs (tools/test.sh keeps one for the whole stage), this
# start just gives up.
wineserver -p30 </dev/null >/dev/null 2>&1 || true

# Now and then wine fails to start a program at all: it exits at once with an error status and
# not a byte of output (seen once in CI, 0.04 s, on a test that passes every other time). A test
# program always prints before it can fail, so only that case is tried once more, and says so.
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
for attempt in 1 2; do
  rc=0
  "$loader" "$@" >"$out" 2>"$err" || rc=$?
  if [ "$rc" -eq 0 ] || [ -s "$out" ] || [ -s "$err" ] || [ "$attempt" -eq 2 ]; then break; fi
  echo "wine-run.sh: $1 exited with status $rc before printing anything; starting it once more" >&2
done
cat "$out"
cat "$err" >&2
exit "$rc"
