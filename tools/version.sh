#!/usr/bin/env bash
# Prints the release's version, which lives in one place: the project's CMake version.
set -euo pipefail
sed -n 's/^project(Lyrebloom VERSION \([0-9][0-9.]*\).*/\1/p' "$(dirname "$0")/../CMakeLists.txt"
