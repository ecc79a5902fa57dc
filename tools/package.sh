#!/usr/bin/env bash
# Builds the release from this tree and leaves in dist/: the Debian package and the Linux
# archive (a Release tree, build-release), the Windows installer and zip
# (tools/package-windows.sh), and SHA256SUMS over whatever is there at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
tools/setup.sh

version=$(tools/version.sh)
dist=$root/dist
build=$root/build-release
stage=$build/stage
jobs=$(nproc)
# Every date inside the artefacts is the last commit's, so a rebuild gives the same bytes.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}
start=$SECONDS

rm -rf "$dist"
mkdir -p "$dist"

echo "== Linux release build ($version)"
# Debian's hardening flags (the optimisation level stays Release's); the tests are built and
# run in the other trees, so this one builds only what ships.
flags=$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CXXFLAGS | sed 's/ *-g\b//; s/ *-O2\b//')
flags="$(dpkg-buildflags --get CPPFLAGS) $flags"
ldflags=$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get LDFLAGS)
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DLYRE_WERROR=ON -DLYRE_BUILD_TESTS=OFF \
  -DLYRE_BUILD_BENCH=OFF -DLYRE_RELEASE_PACKAGE=ON -DCMAKE_C_FLAGS="$flags" \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
  -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" -DCMAKE_MODULE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" -j"$jobs"
rm -rf "$stage"
DESTDIR=$stage cmake --install "$build" --prefix /usr >/dev/null
# Stripped as Debian's own packages are: no symbols beyond what is linked against, no comments.
find "$stage/usr/lib" -type f \( -name '*.so' -o -name '*.clap' \) -exec \
  strip --remove-section=.comment --remove-section=.note --strip-unneeded {} +
strip --remove-section=.comment --remove-section=.note "$stage"/usr/bin/*
echo "-- built in $((SECONDS - start)) s"

packaging/linux/build-deb.sh "$stage" "$dist" "$version"
packaging/linux/build-archive.sh "$stage" "$dist" "$version"

if [ -x tools/package-windows.sh ]; then
  windows_start=$SECONDS
  echo "== Windows installer and zip"
  tools/package-windows.sh "$dist"
  echo "-- Windows artefacts in $((SECONDS - windows_start)) s"
else
  echo "== Windows installer and zip: tools/package-windows.sh is missing; skipped"
fi

# Written last, over every artefact present.
(cd "$dist" && find . -maxdepth 1 -type f ! -name SHA256SUMS -printf '%f\n' | sort |
  xargs -r -d '\n' sha256sum >SHA256SUMS)
echo "== dist/ ($((SECONDS - start)) s)"
(cd "$dist" && ls -l --time-style=+ | tail -n +2)
