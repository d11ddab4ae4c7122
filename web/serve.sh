#!/usr/bin/env bash
# Serves the browser build on this machine only, for local play:
#   web/serve.sh [PORT] [SITE]   PORT 8021, SITE build-web/site; then open
#                                http://127.0.0.1:PORT/
# Any static web server can host the folder the same way. A recording put in
# SITE plays with http://127.0.0.1:PORT/?replay=NAME.qrp; the page asks the
# player before it loads one from another site.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
port=${1:-8021}
site=${2:-$root/build-web/site}
[ -f "$site/quarndel.js" ] || { echo "no build in $site: run web/build.sh first" >&2; exit 1; }
echo "Quarndel: http://127.0.0.1:$port/"
exec /usr/bin/python3 -m http.server --bind 127.0.0.1 --directory "$site" "$port"
