#!/usr/bin/env bash
# Installs what is missing, builds the game (Release) and starts it from the
# repository root, where it finds data/. The build's installed data folder is
# the repository root too, so build-release/quarndel finds data/ from any
# folder.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh run
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DQUARNDEL_TESTS=OFF \
  -DQUARNDEL_ASSETGEN=OFF -DQUARNDEL_DATADIR="$(pwd)" >/dev/null
cmake --build build-release -j"$(nproc)" --target quarndel
# Players starting here get a window as large as fits their desktop.
exec ./build-release/quarndel --scale auto
