#!/usr/bin/env bash
# Builds the Debian package from a copy of the source tree, so that the build
# leaves nothing behind in the tree (dpkg-buildpackage writes its build folder
# into the tree and the package beside it). The copy holds the files git
# tracks plus new ones it does not ignore; outside a git checkout, everything
# but the build folders.
#
# usage: tools/build-deb.sh OUTDIR   — quarndel_<version>_<arch>.deb lands in OUTDIR
set -euo pipefail
if [ $# -ne 1 ]; then
  echo "usage: $0 OUTDIR" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$1"
out=$(cd "$1" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/quarndel-deb.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/quarndel"
if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  (cd "$root" && git ls-files -z --cached --others --exclude-standard |
    xargs -0 -r ls -d 2>/dev/null | tar -cf - -T -) | tar -C "$work/quarndel" -xf -
else
  tar -C "$root" --exclude=./.git --exclude='./build*' --exclude='./obj-*' -cf - . |
    tar -C "$work/quarndel" -xf -
fi
(cd "$work/quarndel" &&
  DEB_BUILD_OPTIONS="parallel=$(nproc) noddebs ${DEB_BUILD_OPTIONS:-}" dpkg-buildpackage -us -uc -b)
mv "$work"/*.deb "$out"/
