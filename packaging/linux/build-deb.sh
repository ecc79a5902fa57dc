#!/usr/bin/env bash
# build-deb.sh STAGE DIST VERSION: the Debian package lyrebloom_VERSION_amd64.deb from the
# installed tree in STAGE (usr/...), with its dependencies computed from the binaries.
set -euo pipefail
stage=$1 dist=$2 version=$3
here=$(cd "$(dirname "$0")" && pwd)
top=$here/../..
package=lyrebloom
deb=$dist/${package}_${version}_amd64.deb

changelog_version=$(sed -n '1s/^lyrebloom (\([^)]*\)).*/\1/p' "$here/changelog")
if [ "$changelog_version" != "$version" ]; then
  echo "packaging/linux/changelog starts at $changelog_version, the project is $version:" \
    "add an entry for this release" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
mkdir -p "$root/DEBIAN"
cp -a "$stage/usr" "$root/usr"

doc=$root/usr/share/doc/$package
mkdir -p "$doc"
gzip -9n "$root/usr/share/man/man1/lyrebloom-render.1"
# A package of our own making is a native one: its changelog is changelog.gz.
gzip -9nc "$here/changelog" >"$doc/changelog.gz"
gzip -9nc "$top/README.md" >"$doc/README.md.gz"
{
  echo "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
  echo "Upstream-Name: ZEM Lyrebloom"
  echo "Source: https://www.ostrandia.de"
  echo
  echo "Files: *"
  echo "Copyright: 2026 ZEM"
  echo "License: other"
  # The licence text, as an indented paragraph ("." for its empty lines).
  sed 's/^$/./; s/^/ /' "$top/LICENSE"
} >"$doc/copyright"

# What dpkg-shlibdeps needs to know about the package it works for.
mkdir -p "$work/debian"
printf 'Source: %s\n\nPackage: %s\nArchitecture: amd64\n' "$package" "$package" >"$work/debian/control"
shlibdeps_args=()
while IFS= read -r -d '' binary; do shlibdeps_args+=("-e$binary"); done < <(
  find "$root/usr" -type f \( -name '*.so' -o -name '*.clap' -o -path '*/bin/*' \) -print0 | sort -z)
depends=$(cd "$work" && dpkg-shlibdeps -O "${shlibdeps_args[@]}" 2>"$work/shlibdeps.log") ||
  { cat "$work/shlibdeps.log" >&2; exit 1; }
depends=${depends#shlibs:Depends=}

# As dh_fixperms leaves them: modules are not programs.
find "$root" -type d -exec chmod 755 {} +
find "$root/usr" -type f -exec chmod 644 {} +
chmod 755 "$root"/usr/bin/*
find "$root" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

(cd "$root" && find usr -type f -print0 | sort -z | xargs -0 md5sum) >"$root/DEBIAN/md5sums"
size=$(du -sk --exclude=DEBIAN "$root" | cut -f1)
{
  echo "Package: $package"
  echo "Version: $version"
  echo "Architecture: amd64"
  echo "Maintainer: ZEM <lyrebloom@ostrandia.de>"
  echo "Installed-Size: $size"
  echo "Depends: $depends"
  echo "Section: sound"
  echo "Priority: optional"
  echo "Homepage: https://www.ostrandia.de"
  echo "Description: $(cat "$here/description.txt")"
} >"$root/DEBIAN/control"
chmod 644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"

echo "== $(basename "$deb")"
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
dpkg-deb -f "$deb" Depends
