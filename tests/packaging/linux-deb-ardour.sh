#!/usr/bin/env bash
# The Debian package as installed, seen by Ardour 7 with its default settings: its VST scanner
# indexes the plug-in in /usr/lib/lxvst, and Ardour, searching its default Linux VST path,
# lists it from there.
set -uo pipefail
. "$(dirname "$0")/installed-package.bash"

scanner=/usr/lib/ardour7/ardour-vst-scanner
if ! command -v ardour7-lua >/dev/null || [ ! -x "$scanner" ]; then
  echo "SKIP: Ardour 7 is not installed (apt-get install ardour)"
  exit 77
fi
plugin=/usr/lib/lxvst/lyrebloom.so
[ -f "$plugin" ] || { echo "FAIL: the package has no $plugin"; exit 1; }

# Ardour trusts a scan only when it is strictly newer, in whole seconds, than the module; the
# package's files carry the release's date, so any scan now is newer.
LD_LIBRARY_PATH=/usr/lib/ardour7 timeout 60 "$scanner" -f "$plugin" >"$work/scan.log" 2>&1
cache=$XDG_CACHE_HOME/ardour7/vst/$(printf %s "$plugin" | sha1sum | cut -d' ' -f1)-x64.v2i
grep -q 'name="ZEM Lyrebloom"' "$cache" 2>/dev/null ||
  { cat "$work/scan.log"; echo "FAIL: the scanner did not index $plugin"; exit 1; }
echo "ok: Ardour's scanner indexed $plugin"

listing=$(timeout 120 ardour7-lua "$(dirname "$0")/linux-deb-ardour.lua" 2>&1)
found=$(grep "^lxvst: ZEM Lyrebloom | " <<<"$listing")
if [ "$found" != "lxvst: ZEM Lyrebloom | $plugin" ]; then
  echo "$listing" | tail -20
  echo "FAIL: Ardour's default Linux VST path does not give ZEM Lyrebloom from $plugin"
  exit 1
fi
echo "ok: Ardour lists ZEM Lyrebloom from $plugin with its default Linux VST path"
