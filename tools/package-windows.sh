#!/usr/bin/env bash
# Builds the Windows release into DIST_DIR:
#   ZEM-Lyrebloom-<version>-Setup.exe    the installer (Debian's nsis), for 32- and 64-bit Windows
#   ZEM-Lyrebloom-<version>-windows.zip  the same files for placing by hand, with INSTALL.txt
#
#   tools/package-windows.sh DIST_DIR
#
# The DLLs come from build-win32 and build-win64, configured as tools/build-windows.sh does
# (reused when they already are) and brought up to date. Both artefacts are made from one staged
# tree, so the installer and the zip carry the same bytes.
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 DIST_DIR" >&2; exit 2; }
mkdir -p "$1"
dist=$(cd "$1" && pwd)
cd "$(dirname "$0")/.."
root=$PWD

version=$(tools/version.sh)
[ -n "$version" ] || { echo "package-windows.sh: no version from tools/version.sh" >&2; exit 1; }
# Windows' version resource wants four numbers.
vi_version=$version
while [ "$(tr -cd . <<<"$vi_version" | wc -c)" -lt 3 ]; do vi_version+=.0; done
name=ZEM-Lyrebloom-$version
product="ZEM Lyrebloom"

command -v makensis >/dev/null || { echo "package-windows.sh: makensis is missing (Debian's nsis; tools/setup.sh installs it)" >&2; exit 1; }

jobs=${LYRE_JOBS:-$(nproc)}
for pair in i686:build-win32 x86_64:build-win64; do
  IFS=: read -r triple dir <<<"$pair"
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    # shellcheck disable=SC2086 # extra settings, one word each, as tools/build-windows.sh takes them
    cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="cmake/toolchains/mingw-$triple.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DLYRE_WERROR=ON ${LYRE_WINDOWS_CMAKE_ARGS:-} >/dev/null
  fi
  cmake --build "$dir" -j"$jobs" --target lyrebloom lyrebloom_vst3 lyrebloom_clap
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
stage=$scratch/$name-windows
mkdir -p "$stage"/{VST2,CLAP}/{x64,x86} "$stage/VST3/$product.vst3"
for pair in x86:build-win32 x64:build-win64; do
  IFS=: read -r arch dir <<<"$pair"
  cp "$dir/$product.dll" "$stage/VST2/$arch/"
  cp "$dir/$product.clap" "$stage/CLAP/$arch/"
  # Each tree's bundle holds its own module; the shipped one holds both.
  cp -r "$dir/$product.vst3/Contents" "$stage/VST3/$product.vst3/"
done

crlf() { sed 's/\r*$/\r/' "$1"; }
sed "s/@VERSION@/$version/g" packaging/windows/INSTALL.txt | crlf /dev/stdin >"$stage/INSTALL.txt"
license_define=()
if [ -f LICENSE ]; then
  crlf LICENSE >"$stage/LICENSE.txt"
  license_define=(-DLICENSE_FILE="$stage/LICENSE.txt")
fi

# One date for every file (the last commit's), so the same sources give the same archive.
epoch=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}
find "$stage" -exec touch -h -d "@$epoch" {} +

kb() { find "$@" -type f -printf '%s\n' | awk '{ s += $1 } END { print int((s + 1023) / 1024) }'; }
rm -f "$dist/$name-Setup.exe" "$dist/$name-windows.zip"
makensis -V2 -WX -NOCD \
  -DVERSION="$version" -DVI_VERSION="$vi_version" -DSTAGE="$stage" \
  -DOUTFILE="$dist/$name-Setup.exe" "${license_define[@]}" \
  -DKB_VST3="$(kb "$stage/VST3")" \
  -DKB_DLL_X64="$(kb "$stage/VST2/x64")" -DKB_DLL_X86="$(kb "$stage/VST2/x86")" \
  -DKB_CLAP_X64="$(kb "$stage/CLAP/x64")" -DKB_CLAP_X86="$(kb "$stage/CLAP/x86")" \
  "$root/packaging/windows/installer.nsi"

# Python's zipfile adds each folder's entries in sorted order: no zip package needed.
(cd "$scratch" && /usr/bin/python3 -m zipfile -c "$dist/$name-windows.zip" "$name-windows")
ls -l "$dist/$name-Setup.exe" "$dist/$name-windows.zip"
