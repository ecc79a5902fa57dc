#!/usr/bin/env bash
# Ardour 7 as a real host: its scanner must index the plug-in correctly, and its headless
# session runner must instantiate it, set parameters, roll, save, and restore the state through
# the chunk on reopening. Usage: run_ardour_check.sh <lyrebloom.so>
# Exit 0 passed, 1 failed, 77 skipped (Ardour not installed).
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
module=$(readlink -f "${1:?usage: $0 <lyrebloom.so>}")
scanner=/usr/lib/ardour7/ardour-vst-scanner
if ! command -v ardour7-lua >/dev/null || [ ! -x "$scanner" ]; then
  echo "SKIP: Ardour 7 is not installed (apt-get install ardour)"
  exit 77
fi

work=$(mktemp -d /tmp/lyre-ardour-XXXXXX)
trap 'rm -rf "$work"' EXIT
# Ardour's caches, configuration and our own stored defaults stay in the scratch folder.
export HOME=$work/home XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config
export LXVST_PATH=$work/vst LYRE_SESSION_DIR=$work/session LYRE_ARDOUR_DIR=$here
mkdir -p "$HOME" "$XDG_CACHE_HOME" "$XDG_CONFIG_HOME" "$LXVST_PATH"

script=$here/vst2_session.lua
# shellcheck source=session_phases.sh
. "$here/session_phases.sh"

# Ardour trusts a cache only when it is strictly newer, in whole seconds, than the module.
plugin=$LXVST_PATH/lyrebloom.so
cp "$module" "$plugin"
touch -d "@$(($(date +%s) - 5))" "$plugin"

echo "== scanner"
LD_LIBRARY_PATH=/usr/lib/ardour7 timeout 60 "$scanner" -f "$plugin" || fail "the scanner exited $?"
cache=$XDG_CACHE_HOME/ardour7/vst/$(printf %s "$plugin" | sha1sum | cut -d' ' -f1)-x64.v2i
[ -f "$cache" ] || fail "no cache file $cache"
vendor=$(sed -n 's/.*kVendorString\[\] = "\(.*\)";/\1/p' "$here/../../shell/EffectIdentity.h")
python3 "$here/ardour_files.py" cache "$cache" "$vendor" || exit 1

echo "== session: instantiate, set, roll, save"
run_phase save
for expected in "2 = 0.812500" "3 = 0.250000" "5 = 0.625000"; do
  expect save "parameter $expected"
done
session=$LYRE_SESSION_DIR/lyre.ardour
# The chunk in the session holds what was set; another Decay and name go into it.
python3 "$here/ardour_files.py" edit "$session" 0.375 "Ardour Roundtrip" 2=0.8125 3=0.25 5=0.625 ||
  exit 1

echo "== session: reopen"
run_phase reopen
for expected in "2 = 0.375000" "3 = 0.250000" "5 = 0.625000"; do
  expect reopen "parameter $expected"
done
python3 "$here/ardour_files.py" name "$session" "Ardour Roundtrip" || exit 1
echo "PASS: Ardour scanned, ran, saved and restored the plug-in"
