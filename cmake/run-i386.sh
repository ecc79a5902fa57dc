#!/usr/bin/env bash
# Runs a command in which 32-bit x86 Linux programs (the 32-bit wine loader above all) can start:
#   run-i386.sh COMMAND [ARGS...]
#   run-i386.sh --mode    prints how they would run: "native", "emulated" or "unavailable"
#   run-i386.sh --time-factor    prints how many times longer a test may take when emulated
# Where the kernel runs them this is a plain exec. Where it does not (IA-32 emulation switched
# off: they fail with "Exec format error"), the command runs inside a private user and mount
# namespace that mounts a binfmt_misc instance of its own and hands i386 ELF programs to
# qemu-i386 there. Nothing outside that namespace changes, and no privilege is needed.
#
# LYRE_X86_EMULATION=auto (default) | always | never: "always" takes the emulated path even
# where the kernel could run the programs, so that path can be tested on any machine.
set -euo pipefail

probe=${LYRE_WINE32:-/usr/lib/wine/wine}
qemu=${LYRE_QEMU_I386:-$(command -v qemu-i386 || true)}
mode_wanted=${LYRE_X86_EMULATION:-auto}

# The i386 ELF header: 32-bit, little-endian, executable or shared object, machine 3.
i386_magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
i386_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

# Measured on a 2-core machine: a wine program starts in about 3 s instead of 0.1 s, and tests
# that do real work (the editor, the store stress) take 1.4 to 2.3 times as long; 4 leaves room
# for a slower or busier machine. Test programs scale their own waits by it too.
time_factor=4
if [ "${1:-}" = --time-factor ]; then
  echo "$time_factor"
  exit 0
fi

if [ "${1:-}" = --inside ]; then
  shift
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  # P keeps argv[0] as the program gave it (wine's loader relies on it); F opens qemu now, so
  # it is found whatever the namespace's programs later see of the file system.
  printf '%s' ":lyre-i386:M::$i386_magic:$i386_mask:$qemu:PF" >/proc/sys/fs/binfmt_misc/register
  export LYRE_I386_NAMESPACE=1 LYRE_TEST_TIME_FACTOR=${LYRE_TEST_TIME_FACTOR:-$time_factor}
  exec "$@"
fi

runs_natively() { "$probe" --version >/dev/null 2>&1; }

# Emulation works only with a qemu that runs wine's loader through a whole wineboot: Debian 12's
# own 7.2 starts it but hangs in wineboot, so tools/setup.sh installs a newer one from backports.
qemu_recent_enough() {
  [ -n "$qemu" ] || return 1
  local major
  major=$("$qemu" --version 2>/dev/null | sed -n 's/^qemu-i386 version \([0-9]*\)\..*/\1/p')
  [ -n "$major" ] && [ "$major" -ge 8 ]
}
emulation_works() {
  qemu_recent_enough &&
    unshare --user --map-root-user --mount -- "$0" --inside "$probe" --version >/dev/null 2>&1
}

# "always" and "never" skip the probes they make pointless, so a test run that decided once (and
# exports its decision) pays nothing per program started.
mode() {
  if [ -n "${LYRE_I386_NAMESPACE:-}" ]; then
    echo emulated
    return
  fi
  case $mode_wanted in
    never) if runs_natively; then echo native; else echo unavailable; fi ;;
    always) if qemu_recent_enough; then echo emulated; else echo unavailable; fi ;;
    *)
      if runs_natively; then
        echo native
      elif emulation_works; then
        echo emulated
      else
        echo unavailable
      fi
      ;;
  esac
}

if [ "${1:-}" = --mode ]; then
  mode
  exit 0
fi

# The command learns how its 32-bit programs run, so a wrapper that routes itself through this
# script (wine-run.sh) does so once.
LYRE_X86_RUNNER=$(mode)
export LYRE_X86_RUNNER
if [ "$LYRE_X86_RUNNER" = emulated ] && [ -z "${LYRE_I386_NAMESPACE:-}" ]; then
  exec unshare --user --map-root-user --mount -- "$0" --inside "$@"
fi
exec "$@"
