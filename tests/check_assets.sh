#!/bin/sh
# Checks that the asset generator reproduces the committed data tree:
# two runs into fresh folders must give the same bytes as each other (no
# clock, no unseeded randomness, no uninitialised memory) and as data/
# (nobody edited a generated file by hand or forgot to regenerate). With
# ICON_DIR the application icons are checked the same way.
#
# usage: check_assets.sh ASSETGEN DATA_DIR [ICON_DIR]
set -u

if [ $# -ne 2 ] && [ $# -ne 3 ]; then
  echo "usage: $0 ASSETGEN DATA_DIR [ICON_DIR]" >&2
  exit 2
fi
assetgen=$1
data=$2
icons=${3:-}

work=$(mktemp -d "${TMPDIR:-/tmp}/check_assets.XXXXXX") || exit 2
trap 'rm -rf "$work"' EXIT INT TERM

status=0
for run in first second; do
  if ! "$assetgen" "$work/$run" ${icons:+"$work/$run-icons"}; then
    echo "FAIL: the $run run of $assetgen failed"
    exit 1
  fi
done

# Both runs wrote the same OUTPUT, and it matches the committed COMMITTED.
compare() { # compare OUTPUT COMMITTED
  if ! diff -r "$work/first$1" "$work/second$1"; then
    echo "FAIL: two runs of the generator wrote different files into $2"
    status=1
  fi
  if ! diff -r "$2" "$work/first$1"; then
    echo "FAIL: the generator does not reproduce $2; run: $assetgen $data $icons"
    status=1
  fi
}
compare "" "$data"
[ -z "$icons" ] || compare -icons "$icons"

if [ $status -eq 0 ]; then
  echo "OK: $(find "$work/first" -type f | wc -l) generated files match $data"
  [ -z "$icons" ] || echo "OK: $(find "$work/first-icons" -type f | wc -l) icons match $icons"
fi
exit $status
