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

# The default time a Windows test may take (tests with a time of their own keep it): 32-bit
# programs under qemu-i386 run several times slower than natively (docs/windows-tests.md).
test_timeout() { # arch
  local factor=1
  [ "$1" = win32 ] && [ "$x86_mode" = emulated ] && factor=$x86_time_factor
  echo $((600 * factor))
}

# "N tests: P passed, F failed, S skipped" from a ctest log.
ctest_counts() { # log
  local total failed skipped
  total=$(sed -n 's/.*tests failed out of \([0-9]*\).*/\1/p' "$1" | tail -1)
  failed=$(sed -n 's/.*, \([0-9]*\) tests failed out of.*/\1/p' "$1" | tail -1)
  skipped=$(grep -cE "^ *[0-9]+/[0-9]+ Test +#[0-9]+: .*Skipped" "$1" || true)
  total=${total:-0} failed=${failed:-0}
  echo "$total tests: $((total - failed - skipped)) passed, $failed failed, $skipped skipped"
}

# How the cross-platform tests of one DLL ended.
crossplatform_outcome() { # log, X86 or X64, why its tree's tests could not run (or "")
  local lines
  lines=$(grep -E "^ *[0-9]+/[0-9]+ Test +#[0-9]+: CrossPlatform\.$2" "$1" || true)
  if [ -z "$lines" ]; then
    echo "not run"
  elif grep -q Skipped <<<"$lines"; then
    echo "skipped (${3:-see ctest -V -L crossplatform in build-test})"
  else
    echo "$(grep -c Passed <<<"$lines") of $(wc -l <<<"$lines") passed"
  fi
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
# 32-bit programs run natively where the kernel can, else under qemu-i386 in a private namespace
# (cmake/run-i386.sh); decided once here, so no test start probes it again.
x86_mode=$(cmake/run-i386.sh --mode)
x86_time_factor=$(cmake/run-i386.sh --time-factor)
case $x86_mode in
  emulated) export LYRE_X86_EMULATION=always ;;
  native) export LYRE_X86_EMULATION=never ;;
esac
windows_summary=()
declare -A windows_unavailable=()
for pair in win32:i686:x86 win64:x86_64:x64; do
  IFS=: read -r arch triple target <<<"$pair"
  dir=build-$arch
  prefix=$PWD/$dir/wineprefix
  how=natively
  if [ "$arch" = win32 ] && [ "$x86_mode" = emulated ]; then
    how="under emulation ($(qemu-i386 --version | head -1 | sed 's/ (.*//') in a private namespace)"
  elif [ "$arch" = win32 ] && [ "$x86_mode" = unavailable ]; then
    how="if wine can start them (this machine runs no 32-bit programs)"
  fi
  echo "== Windows $target DLL: build, then tests under wine, $how"
  stage_start=$SECONDS
  cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="cmake/toolchains/mingw-$triple.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DLYRE_WERROR=ON >/dev/null
  cmake --build "$dir" -j"$jobs"
  if cmake/wine-run.sh "$arch" "$prefix" --version >/dev/null 2>&1; then
    prefix_start=$SECONDS
    cmake/wine-run.sh "$arch" "$prefix" cmd /c exit 0
    WINEPREFIX=$prefix wineserver -p </dev/null >/dev/null 2>&1 || true
    wine_prefixes+=("$prefix")
    echo "-- wine prefix ready in $((SECONDS - prefix_start)) s"
  else
    windows_unavailable[$target]="wine cannot start $target programs here"
    [ "$arch" = win32 ] &&
      windows_unavailable[$target]+=": the kernel runs no 32-bit code and no qemu-i386 8 or later is installed"
    how="skipped (${windows_unavailable[$target]})"
    echo "$how"
  fi
  log=$dir/ctest.log
  ctest --test-dir "$dir" --output-on-failure -j"$jobs" --timeout "$(test_timeout "$arch")" | tee "$log"
  if ((${#wine_prefixes[@]})) && [ "${wine_prefixes[-1]}" = "$prefix" ]; then
    WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
    unset 'wine_prefixes[-1]'
  fi
  windows_summary+=("$target DLL: $how; $(ctest_counts "$log"); $((SECONDS - stage_start)) s with the build")
done

# The same workload, derived values and texts through the Linux module and both DLLs: bit for
# bit the same (a target wine cannot start here is reported as skipped).
echo "== cross-platform bit-exactness"
stage_start=$SECONDS
LYRE_WINDOWS_BUILD_DIRS="$PWD/build-win32|$PWD/build-win64" \
  ctest --test-dir build-test --output-on-failure -L crossplatform | tee build-test/crossplatform.log
for target in x86 x64; do
  how=$(crossplatform_outcome build-test/crossplatform.log "${target^^}" "${windows_unavailable[$target]:-}")
  windows_summary+=("$target DLL against Linux, bit for bit: $how")
done
windows_summary+=("(the cross-platform comparisons took $((SECONDS - stage_start)) s)")

echo "== Windows targets"
printf '%s\n' "${windows_summary[@]}"

# The release: every artefact built from this tree (the Windows ones from the trees above), then
# the tests of what a user gets: the package and the archive installed, the checksums.
echo "== packaging"
stage_start=$SECONDS
tools/package.sh
echo "-- the artefacts took $((SECONDS - stage_start)) s; their tests:"
tests/packaging/run.sh dist
