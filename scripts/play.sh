#!/usr/bin/env bash
# Sets everything up and starts the game: installs the packages, builds, installs the game
# under ~/.local, writes any absent default setting for this user, then runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
prefix=${HUEBLOC_PREFIX:-$HOME/.local}
cmake -S . -B build-play -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DHUEBLOC_TESTS=OFF -DHUEBLOC_BENCHMARKS=OFF >/dev/null
cmake --build build-play -j"$(nproc)"
cmake --install build-play >/dev/null
# The launcher the menu entry runs: the per-user install step, then the game.
exec "$prefix/bin/huebloc-launcher"
