#!/usr/bin/env bash
# Writes FILE.gz, and FILE.br with BROTLI (Debian's brotli) when given, beside
# FILE: the site's precompressed copies (web/CMakeLists.txt). Both give the
# same bytes every time. NOTE keeps the checksum of the bytes last
# compressed: a FILE written again with the same bytes (the link writes the
# data package anew) keeps its copies, which are only marked as new.
#   web/cmake/precompress.sh FILE NOTE [BROTLI]
set -euo pipefail
file=$1 note=$2 brotli=${3:-}
sum=$(sha256sum <"$file")
if [ "$(cat "$note" 2>/dev/null)" = "$sum" ] && [ -f "$file.gz" ] &&
  { [ -z "$brotli" ] || [ -f "$file.br" ]; }; then
  touch "$file.gz" ${brotli:+"$file.br"}
  exit 0
fi
rm -f "$note"
gzip -9 -n -c "$file" >"$file.gz"
if [ -n "$brotli" ]; then
  "$brotli" -q 11 -f -o "$file.br" "$file"
else
  rm -f "$file.br"
fi
mkdir -p "$(dirname "$note")"
printf '%s\n' "$sum" >"$note"
