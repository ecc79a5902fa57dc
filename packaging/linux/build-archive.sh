#!/usr/bin/env bash
# build-archive.sh STAGE DIST VERSION: lyrebloom-VERSION-linux-x86_64.tar.gz, the installed
# files of STAGE (usr/...) grouped by plug-in format, with install.sh to copy them into place.
set -euo pipefail
stage=$1 dist=$2 version=$3
here=$(cd "$(dirname "$0")" && pwd)
top=$here/../..
name=lyrebloom-$version-linux-x86_64

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dir=$work/$name
mkdir -p "$dir"/{vst,vst3,clap,lv2,bin,man}
cp -a "$stage/usr/lib/lxvst/." "$dir/vst/"
cp -a "$stage/usr/lib/vst3/." "$dir/vst3/"
cp -a "$stage/usr/lib/clap/." "$dir/clap/"
cp -a "$stage/usr/lib/lv2/." "$dir/lv2/"
cp -a "$stage/usr/bin/." "$dir/bin/"
gzip -9nc "$stage/usr/share/man/man1/lyrebloom-render.1" >"$dir/man/lyrebloom-render.1.gz"
cp "$top/README.md" "$top/LICENSE" "$dir/"
cp "$here/install.sh" "$dir/install.sh"

find "$dir" -type d -exec chmod 755 {} +
find "$dir" -type f -exec chmod 644 {} +
chmod 755 "$dir/install.sh" "$dir"/bin/*
echo "== $name.tar.gz"
tar -C "$work" --sort=name --owner=0 --group=0 --numeric-owner --mtime="@$SOURCE_DATE_EPOCH" \
  -cf - "$name" | gzip -9n >"$dist/$name.tar.gz"
