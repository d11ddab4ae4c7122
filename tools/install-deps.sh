#!/usr/bin/env bash
# Installs the Debian packages the game needs to build and run ("run"), or to
# build and run every test, benchmark, fuzzer and the asset generator, and to
# build and check the Debian package ("test"), or to build the browser version
# and play its recorded games in headless Chromium ("web"). The tests also run
# the game on sdl12-compat (libsdl1.2-compat, installed beside the classic
# library).
# Only missing packages are installed; apt-get runs as root (or through sudo).
set -euo pipefail

run_packages=(g++ cmake make pkg-config libsdl1.2-dev libsdl-mixer1.2-dev libsdl-gfx1.2-dev libx11-dev
  libarchive-dev timgm6mb-soundfont)
test_packages=("${run_packages[@]}" libgtest-dev libgmock-dev libbenchmark-dev xvfb xdotool
  imagemagick x11-utils libx11-dev clang libclang-rt-dev libsdl-gfx1.2-dev libfreetype-dev
  fonts-dejavu-core libpng-dev debhelper dpkg-dev fakeroot lintian appstream desktop-file-utils
  man-db libsdl1.2-compat build-essential zip python3)
web_packages=(emscripten cmake make node-acorn chromium dpkg-dev fluidsynth vorbis-tools timgm6mb-soundfont brotli)

case "${1:-run}" in
  run) wanted=("${run_packages[@]}") ;;
  test) wanted=("${test_packages[@]}") ;;
  web) wanted=("${web_packages[@]}") ;;
  *) echo "usage: $0 run|test|web" >&2; exit 2 ;;
esac

missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
# npm drives Chromium for the browser tests; a node from elsewhere may bring
# its own npm, which Debian's package would conflict with.
if [ "${1:-run}" = web ] && ! command -v npm >/dev/null; then
  missing+=(npm)
fi
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update
"${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
