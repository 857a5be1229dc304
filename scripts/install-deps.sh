#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test the game.
set -euo pipefail
packages=(
  g++ cmake make pkg-config
  libsdl2-dev libvorbis-dev libfreetype-dev zlib1g-dev fonts-comfortaa fonts-dejavu-core
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xauth xdotool imagemagick x11-utils python3
  xfonts-base  # the font SDL's message boxes need on an X server without a desktop
  openbox  # a window manager for the journeys of full screen and decorated windows
  desktop-file-utils appstream
  groff-base mandoc man-db  # the manual pages' lints and man -l
  build-essential dpkg-dev debhelper lintian  # the Debian package and its check (no fakeroot: it needs no root)
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
