#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when some are missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libsndfile1-dev
  dpf-source libcairo2-dev libfontconfig-dev libx11-dev libxext-dev libxrandr-dev
  libxcursor-dev libxtst-dev fonts-liberation
  xvfb xdotool x11-utils zenity python3 python3-cairo
  zam-plugins valgrind
  # CLAP and LV2 hosts and tools: Qtractor's scanner, lilv's tools, the LV2 validator and
  # headers, jalv with a JACK server for the LV2 editor.
  qtractor lilv-utils sordi lv2-dev jalv jackd2
  clang-14 libclang-rt-14-dev ardour
  # The Windows DLLs: mingw-w64 cross compilers (posix threads) and wine to test them.
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686
  binutils-mingw-w64-x86-64 wine wine32:i386 wine64 imagemagick
  # The release: Debian's package checker, and NSIS for the Windows installer.
  lintian nsis
)

# wine32 is an i386 package: the architecture must be known to dpkg before apt can find it.
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
need_update=""
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "Adding the i386 architecture (for wine32)"
  $SUDO dpkg --add-architecture i386
  need_update=1
fi

# A mirror caught mid-sync fails a list or two; what was fetched is still usable, and the
# install below says clearly if something is then really missing.
apt_update() {
  local attempt
  for attempt in 1 2 3; do
    $SUDO apt-get update -qq && return 0
    echo "apt-get update failed (attempt $attempt of 3)" >&2
    sleep $((attempt * 5))
  done
  echo "continuing with the package lists apt has" >&2
}

# When one architecture's list of the security suite could not be fetched, apt will not pair
# i386 packages with amd64 twins whose candidates come from that suite; preferring the release
# itself then gives versions that exist for both.
apt_install() {
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "$@" ||
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
      -o APT::Default-Release=bookworm "$@"
}

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if ((${#missing[@]})) || [ -n "$need_update" ]; then
  ((${#missing[@]})) && echo "Installing: ${missing[*]}"
  apt_update
  if ((${#missing[@]})); then apt_install "${missing[@]}"; fi
fi

# The 32-bit Windows tests need 32-bit programs (wine's loader). A kernel that runs none gets
# them through qemu-i386 (cmake/run-i386.sh): Debian 12's own qemu 7.2 hangs in wine's first
# start, the one in bookworm-backports works. Backports is added as Debian documents it and
# pinned so that nothing but qemu-user ever comes from there.
here=$(cd "$(dirname "$0")" && pwd)
if [ "$(LYRE_X86_EMULATION=auto "$here/../cmake/run-i386.sh" --mode)" = unavailable ]; then
  echo "This kernel runs no 32-bit programs: installing qemu-user from bookworm-backports"
  $SUDO tee /etc/apt/sources.list.d/bookworm-backports.sources >/dev/null <<'SOURCES'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  $SUDO tee /etc/apt/preferences.d/lyrebloom-backports >/dev/null <<'PINS'
# Only qemu-user is taken from bookworm-backports (for the 32-bit tests); nothing else is
# installed or upgraded from there.
Package: qemu-user
Pin: release n=bookworm-backports
Pin-Priority: 500

Package: *
Pin: release n=bookworm-backports
Pin-Priority: -1
PINS
  apt_update
  apt_install qemu-user/bookworm-backports
  echo "32-bit programs: $(LYRE_X86_EMULATION=auto "$here/../cmake/run-i386.sh" --mode)"
fi
