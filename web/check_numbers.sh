#!/usr/bin/env bash
# Compares the browser build's rand() and cos() with the desktop's C library
# (web/check_numbers.c built both ways): the same rand() sequences for five
# seeds, and the same enemy wave heights over the wave's whole range of
# arguments. The heights cannot differ as long as the browser's cos is within
# one unit in the last place of the desktop's (checked on every argument)
# and no height changes when cos is two units off (counted on the desktop).
# Exits 0 when all of that holds.
#   web/check_numbers.sh [--full] [OUT]   --full: every float argument (about
#                                         5 minutes under node); else every 61st
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mode=--quick
if [ "${1:-}" = --full ]; then mode=--full; shift; fi
out=${1:-$root/build-web}/check
mkdir -p "$out"
export PATH=/usr/bin:$PATH EM_PYTHON=/usr/bin/python3 NODE_PATH=/usr/share/nodejs
cc -O2 -Wall -Wextra -Werror -o "$out/check_numbers" "$root/web/check_numbers.c" -lm
emcc -O2 -Wall -Wextra -Werror -s EXIT_RUNTIME=1 -s ENVIRONMENT=node -s NODERAWFS=1 -o "$out/check_numbers.js" \
  "$root/web/check_numbers.c" "$root/web/libc_compat.c"
sensitive=$("$out/check_numbers" "$mode" "$out/desktop.cos" 2>&1 >"$out/desktop.txt")
node --no-experimental-fetch "$out/check_numbers.js" "$mode" "$out/browser.cos" \
  >"$out/browser.txt" 2>/dev/null
node --no-experimental-fetch -e '
  const fs = require("fs");
  const [desktop, browser] = [process.argv[1], process.argv[2]];
  // Read in blocks: the --full dumps are larger than one buffer may be.
  const [fa, fb] = [fs.openSync(desktop, "r"), fs.openSync(browser, "r")];
  const block = 1 << 26;
  const ba = Buffer.alloc(block), bb = Buffer.alloc(block);
  let count = 0, one = 0, more = 0, same = fs.fstatSync(fa).size === fs.fstatSync(fb).size;
  for (let got; (got = fs.readSync(fa, ba, 0, block, null)) > 0;) {
    same = same && fs.readSync(fb, bb, 0, block, null) === got;
    const a = new BigInt64Array(ba.buffer, ba.byteOffset, got / 8);
    const b = new BigInt64Array(bb.buffer, bb.byteOffset, got / 8);
    for (let i = 0; i < a.length; ++i) {
      const d = a[i] > b[i] ? a[i] - b[i] : b[i] - a[i];
      if (d === 1n) ++one; else if (d > 1n) ++more;
    }
    count += a.length;
  }
  console.log(`cos: ${count} wave arguments, ${one} a last bit off, ${more} further off`);
  process.exit(same && more === 0 ? 0 : 1);
' "$out/desktop.cos" "$out/browser.cos" | tee "$out/cos.txt"
cos_ok=${PIPESTATUS[0]}
if diff "$out/desktop.txt" "$out/browser.txt" && [ "$cos_ok" -eq 0 ] && [ "$sensitive" = 0 ]; then
  echo "the browser build's rand() and enemy wave match the desktop's:"
  sed 's/^/  /' "$out/desktop.txt"
  echo "  no wave height changes when cos is two units in the last place off"
else
  echo "the browser build's numbers differ from the desktop's (< desktop, > browser;" \
    "wave heights sensitive to cos two units off: $sensitive)"
  exit 1
fi
