#!/usr/bin/env bash
# Builds the plug-in and renders the built-in demo phrase through it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DLYRE_BUILD_TESTS=OFF -DLYRE_BUILD_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)" --target lyrebloom lyrebloom-render
mkdir -p out
./build/host/lyrebloom-render -o out/demo.wav "$@"
echo "Wrote out/demo.wav"
