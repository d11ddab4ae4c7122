#!/usr/bin/env bash
# Builds the browser version of the game from the same CMake project as the
# desktop's, with Debian's emscripten and its CMake toolchain, into a static
# folder any web server can host:
#
#   web/build.sh [OUT]     OUT defaults to build-web/ beside this folder
#
#   OUT/site/    index.html, quarndel.js, quarndel.wasm, quarndel.data (the
#                data/ tree), the page's scripts and style, the offline
#                worker, each also as .gz and .br
#   OUT/cmake/   the CMake build tree (emcmake cmake -S . -B OUT/cmake)
#   OUT/sdl-src  SDL 1.2's own C sources
#   OUT/lib-src  libarchive's and zlib's C sources (level packs)
#
# The sources come from Debian's archive (tools/sdl_source.sh), fetched once.
# The same rooms as on the desktop, with the same include views, so an
# include the desktop refuses fails here too; which libraries stand in for
# the desktop's system packages is web/cmake/libraries.cmake's, every flag
# web/cmake/flags.cmake's, the site web/CMakeLists.txt's. A second run
# rebuilds only what changed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$root/build-web}" && cd "${1:-$root/build-web}" && pwd)
# Debian's emscripten runs Debian's python3 and node with its acorn module.
export PATH=/usr/bin:$PATH EM_PYTHON=/usr/bin/python3 NODE_PATH=/usr/share/nodejs
command -v emcc >/dev/null || { echo "emcc is missing: tools/install-deps.sh web" >&2; exit 1; }

sdl=$("$root/tools/sdl_source.sh" "$out/sdl-src")
archive=$("$root/tools/sdl_source.sh" "$out/lib-src" libarchive)
zlib=$("$root/tools/sdl_source.sh" "$out/lib-src" zlib)

build=$out/cmake
# Link flags to try something out with, for this build only.
link_flags=${QUARNDEL_WEB_LINK_FLAGS:-}
# Configured once; CMake configures again by itself when a CMake file changed
# or a file came into web/page/ or data/.
if [ ! -f "$build/CMakeCache.txt" ]; then
  emcmake cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUARNDEL_WERROR=ON \
    -DQUARNDEL_SDL_SOURCE="${sdl%/}" -DQUARNDEL_ARCHIVE_SOURCE="${archive%/}" \
    -DQUARNDEL_ZLIB_SOURCE="${zlib%/}" -DQUARNDEL_WEB_SITE="$out/site" \
    -DQUARNDEL_WEB_LINK_FLAGS="$link_flags" >/dev/null
elif [ "$(sed -n 's/^QUARNDEL_WEB_LINK_FLAGS:STRING=//p' "$build/CMakeCache.txt")" != "$link_flags" ]; then
  cmake "$build" -DQUARNDEL_WEB_LINK_FLAGS="$link_flags" >/dev/null
fi
cmake --build "$build" -j "$(nproc)"
echo "built $out/site"
