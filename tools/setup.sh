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
  clang-14 libclang-rt-14-dev ardour
  # The Windows DLLs: mingw-w64 cross compilers (posix threads) and wine to test them.
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686
  binutils-mingw-w64-x86-64 wine wine32:i386 wine64 imagemagick
)

# wine32 is an i386 package: the architecture must be known to dpkg before apt can find it.
need_update=""
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "Adding the i386 architecture (for wine32)"
  $SUDO dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if ((${#missing[@]})) || [ -n "$need_update" ]; then
  ((${#missing[@]})) && echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  if ((${#missing[@]})); then
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
fi
