#!/usr/bin/env bash
# Fetches Debian's source of SDL 1.2 into DIR (once) and prints the path of
# the unpacked tree: `apt-get source libsdl1.2`, patched as Debian ships it.
# Adds a deb-src entry for the Debian archive when the apt sources have none
# (and says so); needs root (or sudo) for that.
#
#   tools/sdl_source.sh DIR
set -euo pipefail
work=$1
mkdir -p "$work"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
if ! ls -d "$work"/libsdl1.2-*/ >/dev/null 2>&1; then
  have_src=no
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    if grep -qE '^[[:space:]]*(deb-src[[:space:]]|Types:.*deb-src)' "$f"; then have_src=yes; fi
  done
  if [ "$have_src" = no ]; then
    . /etc/os-release
    entry=/etc/apt/sources.list.d/debian-deb-src.sources
    echo "No deb-src entry in the apt sources: adding $entry for ${VERSION_CODENAME}." >&2
    printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s %s-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
      "$VERSION_CODENAME" "$VERSION_CODENAME" | $sudo tee "$entry" >/dev/null
    $sudo apt-get -o DPkg::Lock::Timeout=600 update >&2
  fi
  command -v dpkg-source >/dev/null || $sudo apt-get install -y dpkg-dev >&2
  (cd "$work" && apt-get source libsdl1.2 >&2) ||
    { $sudo apt-get -o DPkg::Lock::Timeout=600 update >&2 && (cd "$work" && apt-get source libsdl1.2 >&2); }
fi
ls -d "$work"/libsdl1.2-*/ | head -1
