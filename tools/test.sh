#!/usr/bin/env bash
# Builds with warnings as errors and runs every test: a plain build, then the same tests under
# AddressSanitizer + UndefinedBehaviorSanitizer, then the concurrency tests under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh

jobs=$(nproc)
# Tests store defaults, memories and remembered paths: keep them out of the user's own settings.
export XDG_CONFIG_HOME
XDG_CONFIG_HOME=$(mktemp -d)
xvfb_pid=""
wine_prefixes=()
cleanup() {
  for prefix in "${wine_prefixes[@]}"; do WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; done
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$XDG_CONFIG_HOME"
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
  n=89
  while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  export DISPLAY=":$n"
  Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  sleep 1
fi

run_suite() { # name, build dir, cmake options..., then -- ctest options
  local name=$1 dir=$2; shift 2
  local cmake_opts=() ctest_opts=()
  while (($#)) && [ "$1" != "--" ]; do cmake_opts+=("$1"); shift; done
  (($#)) && shift
  ctest_opts=("$@")
  echo "== $name =="
  cmake -S . -B "$dir" -DLYRE_WERROR=ON "${cmake_opts[@]}" >/dev/null
  cmake --build "$dir" -j"$jobs"
  ctest --test-dir "$dir" --output-on-failure -j"$jobs" "${ctest_opts[@]}"
}

# The cross-platform comparison runs once the Windows builds exist (below).
run_suite "tests" build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -- -LE crossplatform
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_suite "tests under ASan+UBSan" build-asan -DCMAKE_BUILD_TYPE=Debug -DLYRE_SANITIZE=ON -DLYRE_BUILD_BENCH=OFF -- -LE crossplatform
TSAN_OPTIONS=halt_on_error=1 \
  run_suite "concurrency tests under TSan" build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLYRE_TSAN=ON -DLYRE_BUILD_BENCH=OFF -- -L concurrency

# libFuzzer targets (clang): the seed corpus replayed, then each target mutating for a while.
# New inputs go to a scratch folder, so the committed corpus stays small.
echo "== fuzz targets"
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_C_COMPILER=clang-14 \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLYRE_SANITIZE=ON -DLYRE_FUZZ=ON -DLYRE_BUILD_BENCH=OFF \
  -DLYRE_WERROR=ON >/dev/null
fuzz_targets=(fuzz_chunk fuzz_records fuzz_store fuzz_dispatcher)
cmake --build build-fuzz -j"$jobs" --target "${fuzz_targets[@]}"
ctest --test-dir build-fuzz --output-on-failure -L fuzz
for target in "${fuzz_targets[@]}"; do
  scratch=$(mktemp -d)
  echo "-- $target"
  build-fuzz/fuzz/$target -max_total_time="${LYRE_FUZZ_SECONDS:-20}" -timeout=20 \
    -rss_limit_mb=4096 -print_final_stats=1 -artifact_prefix="$scratch/" \
    "$scratch" "tests/fuzz/corpus/$target" 2>&1 | grep -E "^(#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|==|SUMMARY)|check failed" ||
    { echo "$target failed; the input is in $scratch"; exit 1; }
  rm -rf "$scratch"
done

# Windows: both DLLs (tools/build-windows.sh's trees and settings) and their tests under wine,
# each tree with its own prefix, made on first use and kept (cmake/wine-run.sh). One persistent
# wineserver per prefix for the whole run keeps each test's start short.
for pair in win32:i686 win64:x86_64; do
  IFS=: read -r arch triple <<<"$pair"
  dir=build-$arch
  prefix=$PWD/$dir/wineprefix
  echo "== Windows $arch: build and tests under wine"
  stage_start=$SECONDS
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="cmake/toolchains/mingw-$triple.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DLYRE_WERROR=ON >/dev/null
  cmake --build "$dir" -j"$jobs"
  if cmake/wine-run.sh "$arch" "$prefix" --version >/dev/null 2>&1; then
    cmake/wine-run.sh "$arch" "$prefix" cmd /c exit 0
    WINEPREFIX=$prefix wineserver -p </dev/null >/dev/null 2>&1 || true
    wine_prefixes+=("$prefix")
  else
    echo "wine cannot start $arch programs on this machine: the tests that need it are skipped"
  fi
  ctest --test-dir "$dir" --output-on-failure -j"$jobs"
  if ((${#wine_prefixes[@]})) && [ "${wine_prefixes[-1]}" = "$prefix" ]; then
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    unset 'wine_prefixes[-1]'
  fi
  echo "-- Windows $arch took $((SECONDS - stage_start)) s"
done

# The same workload, derived values and texts through the Linux module and both DLLs: bit for
# bit the same (a target wine cannot start here is reported as skipped).
echo "== cross-platform bit-exactness"
LYRE_WINDOWS_BUILD_DIRS="$PWD/build-win32|$PWD/build-win64" \
  ctest --test-dir build-test --output-on-failure -L crossplatform
