#!/usr/bin/env bash
# Plays recorded games with the browser build and checks that each ends as
# recorded (score, lives, level, last-frame checksum, iterations), first
# headless under node (fast), then headless in Debian's Chromium against the
# build served on 127.0.0.1. Exits 0 when every one matches, 1 naming the
# first difference, 2 for a recording that cannot be read.
#   web/verify.sh FILE...        builds build-web/site first when it is missing
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
site=${QUARNDEL_WEB_SITE:-$root/build-web/site}
[ $# -gt 0 ] || { echo "usage: web/verify.sh FILE..." >&2; exit 2; }
if [ ! -f "$site/quarndel.js" ]; then
  "$root/web/build.sh" || exit 1
fi
if [ ! -d "$root/web/node_modules/puppeteer-core" ]; then
  (cd "$root/web" && npm ci --no-audit --no-fund >/dev/null) || exit 1
fi
status=0
for f in "$@"; do
  out=$(node --no-experimental-fetch "$root/web/replay-node.js" "$site" "$f" 2>&1)
  s=$?
  if [ $s -eq 0 ]; then
    echo "PASS node $f: $(echo "$out" | head -1)"
  else
    echo "FAIL node $f:"
    echo "$out" | sed 's/^/  /'
    [ $status -ne 0 ] || status=$s
  fi
done
files=()
for f in "$@"; do files+=("$(realpath "$f")"); done
node "$root/web/browser.js" verify "$site" "${files[@]}" | sed 's/^PASS /PASS chromium /; s/^FAIL /FAIL chromium /'
s=${PIPESTATUS[0]}
[ $status -ne 0 ] || status=$s
exit $status
