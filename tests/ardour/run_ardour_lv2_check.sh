#!/usr/bin/env bash
# Ardour 7 as a real LV2 host: its headless session runner must instantiate lyrebloom.lv2, set
# its ports, roll, save the plug-in's state (our chunk) in the session, and on reopening
# restore it. The saved state is edited between the two runs (program 1 renamed, which no
# port carries): the state saved after reopening must hold the edit, so the host did hand the
# state back to the plug-in.
# Usage: run_ardour_lv2_check.sh <lyrebloom.lv2>
# Exit 0 passed, 1 failed, 77 skipped (Ardour not installed).
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
bundle=$(readlink -f "${1:?usage: $0 <lyrebloom.lv2>}")
command -v ardour7-lua >/dev/null || { echo "SKIP: Ardour 7 is not installed"; exit 77; }

work=$(mktemp -d /tmp/lyre-ardour-lv2-XXXXXX)
trap 'rm -rf "$work"' EXIT
# ~/.lv2 is on Ardour's LV2 path; its caches and our stored defaults stay in here too.
export HOME=$work/home XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config
export LYRE_SESSION_DIR=$work/session LYRE_ARDOUR_DIR=$here
mkdir -p "$HOME/.lv2" "$XDG_CACHE_HOME" "$XDG_CONFIG_HOME"
cp -r "$bundle" "$HOME/.lv2/"

script=$here/lv2_session.lua
# shellcheck source=session_phases.sh
. "$here/session_phases.sh"
# The chunk in the session's newest saved plug-in state; with a second argument, that program
# name is renamed in it.
chunk() { # [from to]
  python3 - "$LYRE_SESSION_DIR" "$@" <<'PY'
import base64, glob, os, re, sys
states = sorted(glob.glob(sys.argv[1] + '/plugins/*/state*/state.ttl'), key=os.path.getmtime)
if not states: sys.exit('no saved plug-in state')
text = open(states[-1]).read()
found = re.search(r'lyrebloom#chunk> """(.*?)"""', text, re.S)
if not found: sys.exit('no chunk in ' + states[-1])
data = base64.b64decode(found.group(1))
if len(sys.argv) == 4:
    old, new = sys.argv[2].encode(), sys.argv[3].encode()
    assert len(old) == len(new) and old in data
    data = data.replace(old, new)
    encoded = base64.b64encode(data).decode()
    open(states[-1], 'w').write(text.replace(found.group(1), encoded))
print(len(data), data.hex())
PY
}

echo "== session: instantiate, set Decay and Transpose, roll, save"
run_phase save
expect save "parameter 2 = 0.812500"
expect save "parameter 4 = 7.000000"
saved=$(chunk) || fail "no state saved"
[ "${saved%% *}" = 368 ] || fail "the saved state is ${saved%% *} bytes, not 368"
echo "ok: the session holds the plug-in's 368-byte state"
chunk Bright Bronze >/dev/null || fail "cannot edit the saved state"

echo "== session: reopen, roll, save again"
run_phase reopen
expect reopen "parameter 2 = 0.812500"
expect reopen "parameter 4 = 7.000000"
again=$(chunk) || fail "no state saved after reopening"
echo "$again" | grep -q "$(printf Bronze | od -An -tx1 | tr -d ' \n')" ||
  fail "the state saved after reopening lacks the edit: the state was not restored"
echo "ok: the reopened plug-in had its saved state back"
echo "PASS: Ardour ran, saved and restored the LV2 plug-in"
