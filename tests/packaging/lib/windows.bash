# shellcheck disable=SC2034 # the artefacts and keys are for the tests that source this
# Shared by the Windows packaging tests (sourced, with the dist folder as $1): the artefacts, a
# throw-away wine prefix, and what a Windows host would see in it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
dist=$(cd "${1:?usage: $0 DIST_DIR}" && pwd)
version=$("$root/tools/version.sh")
setup=$dist/ZEM-Lyrebloom-$version-Setup.exe
zip=$dist/ZEM-Lyrebloom-$version-windows.zip
product="ZEM Lyrebloom"
uninstall_key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$product"
settings_key='HKCU\Software\Ostrandia\ZEMLyrebloom'

# What the test is at and since when, for a log that shows where the time goes.
step() { echo "-- ${SECONDS} s: $*"; }

skip() {
  echo "skipped: $*"
  exit 77
}
fail() {
  echo "FAILED: $*" >&2
  exit 1
}

# The installer is a 32-bit program whatever Windows it serves, so even a 64-bit prefix needs
# 32-bit code: natively, or under cmake/run-i386.sh's emulation. The whole test then runs inside
# that (the prefix must be made there too, or wine leaves out its 32-bit half).
enter_x86_runner() {
  [ -x /usr/lib/wine/wine64 ] || skip "wine is not installed (tools/setup.sh installs it)"
  if [ -z "${LYRE_X86_RUNNER:-}" ]; then
    [ "$("$root/cmake/run-i386.sh" --mode)" != unavailable ] ||
      skip "the installer is a 32-bit program and this machine runs no 32-bit code"
    exec "$root/cmake/run-i386.sh" "$0" "$@"
  fi
  time_factor=1
  [ "$LYRE_X86_RUNNER" != emulated ] || time_factor=$("$root/cmake/run-i386.sh" --time-factor)
}

# A prefix of its own for WINEARCH $1, gone (with its server) when the test ends.
make_prefix() {
  arch=$1
  scratch=$(mktemp -d /tmp/lyre-windows-package.XXXXXX)
  prefix=$scratch/prefix
  trap 'WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true; rm -rf "$scratch"' EXIT
  win cmd /c exit 0 || fail "wine could not make a $arch prefix"
}

win() { "$root/cmake/wine-run.sh" "$arch" "$prefix" "$@"; }

# C:\... as a path on this machine.
unix_path() {
  local path=${1#[Cc]:\\}
  echo "$prefix/drive_c/${path//\\//}"
}

# Everything on drive C but Windows itself and the temporary folders (the uninstaller leaves
# its own copy there for Windows to delete at the next restart).
drive_c_listing() {
  (cd "$prefix/drive_c" && find . \( -path ./windows -o -name Temp \) -prune -o -print | LC_ALL=C sort)
}

# A value of a registry key as reg.exe prints it, or nothing.
reg_value() {
  win reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
    sed -n "s/^ *$2 \{4\}REG_[A-Z_]* \{4\}//p"
}

# x64 or x86, from a PE file's machine field.
pe_machine() {
  local header
  header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  case $(od -An -tx2 -j$((header + 4)) -N2 "$1" | tr -d ' ') in
    8664) echo x64 ;;
    014c) echo x86 ;;
    *) echo "not a Windows module" ;;
  esac
}

expect_module() {
  local path=$1 arch=$2
  [ -f "$(unix_path "$path")" ] || fail "nothing at $path"
  [ "$(pe_machine "$(unix_path "$path")")" = "$arch" ] || fail "$path is not an $arch module"
}

# The Windows test host of the build tree ($1), built when the tree has not built it yet.
workload_of() {
  local tree=$root/$1
  [ -f "$tree/CMakeCache.txt" ] || fail "$tree is not configured (tools/package-windows.sh does it)"
  [ -f "$tree/lyrebloom-workload.exe" ] ||
    cmake --build "$tree" --target lyrebloom-workload >/dev/null || fail "cannot build $tree's workload"
  echo "$tree/lyrebloom-workload.exe"
}

# Runs the workload tool on an installed module; prints its output hash.
render_through() {
  local workload=$1 module=$2 out
  shift 2
  out=$(win "$workload" "$module" "$@") || fail "the test host could not run $module: $out"
  local frames
  frames=$(sed -n 's/^frames //p' <<<"$out" | tr -d '\r')
  [ "${frames:-0}" -gt 300000 ] || fail "$module rendered only ${frames:-no} frames"
  sed -n 's/^output //p' <<<"$out" | tr -d '\r'
}

# Runs the uninstaller as Apps & Features does (its QuietUninstallString). It hands over to a
# copy of itself and returns at once; the copy is done when drive C is as it was ($1, a listing)
# or, if it never gets there, when nothing has changed for a while.
uninstall_quietly() {
  local before=$1 command
  command=$(reg_value "$uninstall_key" QuietUninstallString)
  [[ $command == '"'*'" /S' ]] || fail "no quiet uninstall command registered (got: $command)"
  local exe=${command#\"}
  exe=${exe%\" /S}
  win "$exe" /S || fail "the uninstaller failed"
  local now last="" still=0
  while now=$(drive_c_listing) && [ "$now" != "$before" ]; do
    if [ "$now" = "$last" ]; then still=$((still + 1)); else still=0 last=$now; fi
    ((still < 5 * time_factor)) || {
      diff <(echo "$before") <(echo "$now") >&2 || true
      fail "the uninstaller left drive C different from before the installation (above)"
    }
    sleep 1
  done
  # Its last step: the Apps & Features entry.
  local tries=0
  while [ -n "$(reg_value "$uninstall_key" DisplayName)" ]; do
    ((++tries < 5)) || fail "Apps & Features still lists $product after uninstalling"
    sleep 1
  done
}
