#!/usr/bin/env bash
# Builds the plug-in for 32-bit and 64-bit Windows hosts with mingw-w64 and leaves the two
# VST 2.4 DLLs in dist/windows/x86/ and dist/windows/x64/ ("ZEM Lyrebloom.dll" in each), and
# the VST 3 bundle with both modules in dist/windows/ZEM Lyrebloom.vst3/, and the CLAP modules
# beside the DLLs ("ZEM Lyrebloom.clap" in x86/ and x64/: a host loads only its own).
set -euo pipefail
cd "$(dirname "$0")/.."
[ -n "${LYRE_SKIP_SETUP:-}" ] || tools/setup.sh

jobs=${LYRE_JOBS:-$(nproc)}
for pair in x86:i686:build-win32 x64:x86_64:build-win64; do
  IFS=: read -r dist arch dir <<<"$pair"
  echo "== ZEM Lyrebloom.dll for $dist"
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="cmake/toolchains/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DLYRE_WERROR=ON ${LYRE_WINDOWS_CMAKE_ARGS:-} >/dev/null
  cmake --build "$dir" -j"$jobs" --target lyrebloom lyrebloom_vst3 lyrebloom_clap
  mkdir -p "dist/windows/$dist"
  cp "$dir/ZEM Lyrebloom.dll" "$dir/ZEM Lyrebloom.clap" "dist/windows/$dist/"
  ls -l "dist/windows/$dist/ZEM Lyrebloom.dll" "dist/windows/$dist/ZEM Lyrebloom.clap"
  # Each tree's bundle holds its own module; the shipped one holds both.
  mkdir -p "dist/windows/ZEM Lyrebloom.vst3"
  cp -r "$dir/ZEM Lyrebloom.vst3/Contents" "dist/windows/ZEM Lyrebloom.vst3/"
done
ls -lR "dist/windows/ZEM Lyrebloom.vst3"
