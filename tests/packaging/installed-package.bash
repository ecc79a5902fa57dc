# Sourced by the tests of the Debian package: "installs" it the way the machine would see it,
# without touching the machine. Inside a private mount namespace (root, or a user namespace),
# the package's files are unpacked with dpkg -x and laid over /usr, so hosts find them in their
# default folders; the namespace and everything in it vanish with the test.
# Sets: top (the repository), version, deb, work (scratch folder).
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
version=$("$top/tools/version.sh")
dist=$(cd "$1" && pwd)
deb=$dist/lyrebloom_${version}_amd64.deb
[ -f "$deb" ] || { echo "FAIL: no $deb"; exit 1; }

if [ -z "${LYRE_PACKAGE_NAMESPACE:-}" ]; then
  unshare -m --propagation private true 2>/dev/null ||
    { echo "SKIP: no private mount namespace here (needs root): the package cannot be laid over /usr"; exit 77; }
  LYRE_PACKAGE_NAMESPACE=1 exec unshare -m --propagation private "$0" "$@"
fi

work=$(mktemp -d /tmp/lyre-package-XXXXXX)
trap 'umount /usr 2>/dev/null; rm -rf "$work"' EXIT
dpkg -x "$deb" "$work/root"
mount -t overlay overlay -o "lowerdir=$work/root/usr:/usr" /usr ||
  { echo "SKIP: overlay mounts are not available"; exit 77; }
# A user with nothing of ours in their home, settings or caches.
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME"
unset LYREBLOOM_PLUGIN LV2_PATH LXVST_PATH VST_PATH VST3_PATH CLAP_PATH
