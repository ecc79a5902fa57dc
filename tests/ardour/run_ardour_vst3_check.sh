#!/usr/bin/env bash
# Ardour 7 as a real VST 3 host: its VST 3 scanner must list the bundle, and its headless
# session runner must instantiate it, switch a program through its presets, roll, save, and on
# reopening restore the whole state (a program's edit that no parameter of the session holds).
# Usage: run_ardour_vst3_check.sh "<ZEM Lyrebloom.vst3>"
# Exit 0 passed, 1 failed, 77 skipped (Ardour not installed).
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
bundle=$(readlink -f "${1:?usage: $0 <bundle.vst3>}")
scanner=/usr/lib/ardour7/ardour-vst3-scanner
if ! command -v ardour7-lua >/dev/null || [ ! -x "$scanner" ]; then
  echo "SKIP: Ardour 7 is not installed (apt-get install ardour)"
  exit 77
fi

work=$(mktemp -d /tmp/lyre-ardour3-XXXXXX)
trap 'rm -rf "$work"' EXIT
# ~/.vst3 is where Ardour looks first; its caches and our stored defaults stay in here too.
export HOME=$work/home XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config
export LYRE_SESSION_DIR=$work/session LYRE_ARDOUR_DIR=$here
mkdir -p "$HOME/.vst3" "$XDG_CACHE_HOME" "$XDG_CONFIG_HOME"

script=$here/vst3_session.lua
# shellcheck source=session_phases.sh
. "$here/session_phases.sh"

copy=$HOME/.vst3/$(basename "$bundle")
cp -r "$bundle" "$copy"
# Ardour trusts a cache only when it is newer, in whole seconds, than the module.
find "$copy" -type f -exec touch -d "@$(($(date +%s) - 5))" {} +

echo "== VST 3 scanner"
LD_LIBRARY_PATH=/usr/lib/ardour7 timeout 60 "$scanner" "$copy" >"$work/scan.log" 2>&1 ||
  { cat "$work/scan.log"; fail "the scanner exited $?"; }
cache=$(ls "$XDG_CACHE_HOME"/ardour7/vst/*.v3i 2>/dev/null | head -1)
[ -n "$cache" ] || { cat "$work/scan.log"; fail "no .v3i cache file"; }
for field in 'uid="5653545A6D4C797A656D206C79726562"' 'name="ZEM Lyrebloom"' \
  'category="Fx|Reverb"' 'n_inputs="2"' 'n_outputs="2"'; do
  grep -qF "$field" "$cache" || { cat "$cache"; fail "the cache lacks $field"; }
done
echo "ok: the cache lists the plug-in"


echo "== session: instantiate, edit, switch program, edit, roll, save"
run_phase save
# Program 2 ("High"): Decay 0.5, Transpose 0.75, Damp as edited.
expect save "parameter 2 = 0.500000"
expect save "parameter 3 = 0.375000"
expect save "parameter 4 = 0.750000"
grep -q 'VST3' "$LYRE_SESSION_DIR/lyre.ardour" || fail "no VST 3 state in the session file"

echo "== session: reopen, switch back"
run_phase reopen
expect reopen "parameter 3 = 0.375000"
expect reopen "parameter 4 = 0.750000"
# Program 0 kept its Decay edit: only the restored state knows it.
sed -n '/^after the switch$/,$p' "$work/reopen.log" | grep -q "^parameter 2 = 0.812500$" ||
  fail "after reopening and switching back, program 0 lost its edit"
echo "ok: program 0 kept its edit through save and reopen"
echo "PASS: Ardour scanned, ran, switched, saved and restored the VST 3 plug-in"
