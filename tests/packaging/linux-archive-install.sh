#!/usr/bin/env bash
# The Linux archive's install.sh for one user, into a home that already holds things of its own
# where the plug-ins go: each plug-in loads from the per-user folder its hosts scan, the render
# tool run from there finds the plug-in by itself, and installing twice then uninstalling leaves
# the home exactly as it was, the things of its own included. Then the same as root, into the
# system folders of a throw-away copy of /usr in a private mount namespace.
set -uo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
version=$("$top/tools/version.sh")
archive=$1/lyrebloom-$version-linux-x86_64.tar.gz
[ -f "$archive" ] || { echo "FAIL: no $archive"; exit 1; }
workload=$top/build-release/lyrebloom-workload
[ -x "$workload" ] || { echo "SKIP: no $workload (tools/package.sh builds it)"; exit 77; }

work=$(mktemp -d /tmp/lyre-archive-XXXXXX)
trap 'rm -rf "$work"' EXIT
tar -xzf "$archive" -C "$work" || { echo "FAIL: the archive does not unpack"; exit 1; }
install=$work/lyrebloom-$version-linux-x86_64/install.sh
export HOME=$work/home XDG_CONFIG_HOME=$work/config
unset LYREBLOOM_PLUGIN LV2_PATH
mkdir -p "$HOME/.vst3/Other.vst3/Contents" "$HOME/.local/bin" "$HOME/.lv2" "$XDG_CONFIG_HOME"
echo "another plug-in" >"$HOME/.vst3/Other.vst3/Contents/module"
printf '#!/bin/sh\n' >"$HOME/.local/bin/own-tool" && chmod 755 "$HOME/.local/bin/own-tool"
snapshot() { # every path with its type and mode, and every file's contents
  (cd "$HOME" && find . -printf '%y %m %p\n' | sort && find . -type f -print0 | sort -z |
    xargs -0 sha256sum)
}
before=$(snapshot)
failed=0
fail() { echo "FAIL: $*"; failed=1; }

"$install" --user >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "install.sh failed"; }
"$install" --user >"$work/install.log" 2>&1 || { cat "$work/install.log"; fail "install.sh failed over an earlier install"; }
cat "$work/install.log"

for module in "$HOME/.vst/lyrebloom.so" "$HOME/.vst3/ZEM Lyrebloom.vst3" "$HOME/.clap/ZEM Lyrebloom.clap"; do
  out=$("$workload" "$module" 2>&1) && echo "ok: $module loads and renders" ||
    fail "$module does not load: $out"
done
if command -v lv2info >/dev/null; then
  lv2info https://www.ostrandia.de/plugins/lyrebloom >/dev/null 2>&1 &&
    echo "ok: lilv finds the LV2 plug-in in ~/.lv2" || fail "lilv does not find the LV2 plug-in in ~/.lv2"
fi
(cd "$work" && "$HOME/.local/bin/lyrebloom-render" -o demo.wav >/dev/null 2>"$work/render.log") &&
  [ -s "$work/demo.wav" ] && echo "ok: ~/.local/bin/lyrebloom-render finds the plug-in in ~/.vst" ||
  fail "the installed render tool: $(cat "$work/render.log")"

"$install" --user --uninstall || fail "install.sh --uninstall failed"
after=$(snapshot)
if [ "$before" = "$after" ]; then
  echo "ok: after --uninstall the home is exactly as before"
else
  diff <(echo "$before") <(echo "$after")
  fail "--uninstall left the home otherwise than it was"
fi

if ! unshare -m --propagation private true 2>/dev/null; then
  echo "(no private mount namespace here: the install as root is not tried)"
  exit $failed
fi
mkdir -p "$work/upper" "$work/overlay-work"
unshare -m --propagation private bash -s -- "$install" "$workload" "$work" <<'AS_ROOT' || failed=1
set -u
install=$1 workload=$2 work=$3
# Writes land in $work/upper; the machine's /usr is never changed.
mount -t overlay overlay -o "lowerdir=/usr,upperdir=$work/upper,workdir=$work/overlay-work" /usr ||
  { echo "(overlay mounts are not available: the install as root is not tried)"; exit 0; }
snapshot() { find /usr/local /usr/lib/clap -printf '%y %m %p\n' 2>/dev/null | sort; }
before=$(snapshot)
"$install" >/dev/null || { echo "FAIL: install.sh as root failed"; exit 1; }
for module in /usr/local/lib/lxvst/lyrebloom.so "/usr/local/lib/vst3/ZEM Lyrebloom.vst3" \
  "/usr/lib/clap/ZEM Lyrebloom.clap"; do
  "$workload" "$module" >/dev/null 2>&1 || { echo "FAIL: $module does not load"; exit 1; }
done
/usr/local/bin/lyrebloom-render -o "$work/system.wav" >/dev/null 2>&1 ||
  { echo "FAIL: /usr/local/bin/lyrebloom-render does not find the plug-in"; exit 1; }
"$install" --uninstall >/dev/null || { echo "FAIL: install.sh --uninstall as root failed"; exit 1; }
if [ "$before" != "$(snapshot)" ]; then
  diff <(echo "$before") <(snapshot)
  echo "FAIL: as root, --uninstall left the system folders otherwise than they were"
  exit 1
fi
echo "ok: as root, the plug-ins load from the system folders and --uninstall restores them"
AS_ROOT
exit $failed
