#!/usr/bin/env bash
# Installs what is missing, builds the game (Release) and starts it from the
# repository root, where it finds data/.
set -euo pipefail
cd "$(dirname "$0")"
tools/install-deps.sh run
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DQUARNDEL_TESTS=OFF \
  -DQUARNDEL_ASSETGEN=OFF >/dev/null
cmake --build build-release -j"$(nproc)" --target quarndel
exec ./build-release/quarndel
