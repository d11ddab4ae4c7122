#!/usr/bin/env bash
# Fetches a Debian source package into DIR (once) and prints the path of the
# unpacked tree: `apt-get source PACKAGE`, patched as Debian ships it.
# PACKAGE is libsdl1.2, the classic SDL 1.2, unless named: the browser build
# also takes libarchive and zlib (the level packs' reader) from here. The
# source always comes from Debian 12's source suite (bookworm), the last
# release that builds the classic library, so every release builds the
# browser version from the same C sources. apt runs with a private
# configuration in DIR (its own source list, package lists and cache), so the
# system's apt sources are neither read nor changed and no root is needed;
# apt still checks the archive's signatures with Debian's keyring.
#
#   tools/sdl_source.sh DIR [PACKAGE]
set -euo pipefail
work=$(mkdir -p "$1" && cd "$1" && pwd)
package=${2:-libsdl1.2}
suite=bookworm
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
if ! ls -d "$work/$package"-*/ >/dev/null 2>&1; then
  for tool in dpkg-source apt-get; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: tools/install-deps.sh web" >&2; exit 1; }
  done
  [ -r "$keyring" ] || { echo "$keyring is missing (debian-archive-keyring)" >&2; exit 1; }
  apt=$work/apt
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/sources.list.d"
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: %s\n' \
    "$suite" "$keyring" >"$apt/sources.list.d/debian-src.sources"
  options=(-o "Dir::State=$apt" -o "Dir::State::Lists=$apt/lists" -o "Dir::State::status=/dev/null"
    -o "Dir::Cache=$apt/cache" -o "Dir::Etc::SourceList=/dev/null"
    -o "Dir::Etc::SourceParts=$apt/sources.list.d" -o "APT::Sandbox::User=$(id -un)"
    -o "Debug::NoLocking=1")
  echo "Fetching $package's source from Debian's $suite source suite" >&2
  apt-get "${options[@]}" update >&2
  (cd "$work" && apt-get "${options[@]}" source "$package" >&2)
fi
ls -d "$work/$package"-*/ | head -1
