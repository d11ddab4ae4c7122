#!/usr/bin/env bash
# Serves the browser build on this machine only, for local play:
#   web/serve.sh [PORT] [SITE]   PORT 8021, SITE build-web/site; then open
#                                http://127.0.0.1:PORT/
# Any static web server can host the folder the same way; this one sends
# the precompressed files. A recording put in
# SITE plays with http://127.0.0.1:PORT/?replay=NAME.qrp; the page asks the
# player before it loads one from another site.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
port=${1:-8021}
site=${2:-$root/build-web/site}
[ -f "$site/quarndel.js" ] || { echo "no build in $site: run web/build.sh first" >&2; exit 1; }
echo "Quarndel: http://127.0.0.1:$port/"
# Python's own static server, sending a file's precompressed .br or .gz
# (web/build.sh writes them) to a browser that takes that encoding.
exec /usr/bin/python3 - "$site" "$port" <<'EOF'
import functools, http.server, os, sys

class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      '.wasm': 'application/wasm', '.js': 'text/javascript'}

    def send_head(self):
        path = self.translate_path(self.path)
        if os.path.isdir(path):
            path = os.path.join(path, 'index.html')
        accepted = self.headers.get('Accept-Encoding', '')
        for encoding, suffix in (('br', '.br'), ('gzip', '.gz')):
            if encoding in accepted and os.path.isfile(path + suffix):
                f = open(path + suffix, 'rb')
                self.send_response(200)
                self.send_header('Content-Type', self.guess_type(path))
                self.send_header('Content-Encoding', encoding)
                self.send_header('Content-Length', str(os.fstat(f.fileno()).st_size))
                self.send_header('Vary', 'Accept-Encoding')
                self.end_headers()
                return f
        return super().send_head()

site, port = sys.argv[1], int(sys.argv[2])
server = http.server.ThreadingHTTPServer(('127.0.0.1', port),
                                         functools.partial(Handler, directory=site))
server.serve_forever()
EOF
