#!/usr/bin/env bash
# Compares the browser build's rand(), cos(), sscanf and snprintf with the
# desktop's C library (web/check_numbers.c built both ways, the browser's
# with web/'s stand-ins as the game links them): the same rand() sequences
# for five seeds, the same enemy wave heights over the wave's whole range of
# arguments, the same values read from made-up data-file lines and the same
# lines written. The heights cannot differ as long as the browser's cos is
# within one unit in the last place of the desktop's (checked on every
# argument) and no height changes when cos is two units off (counted on the
# desktop). Exits 0 when all of that holds.
#   web/check_numbers.sh [--full] [OUT]   --full: every float argument (about
#                                         5 minutes under node); else every 61st
# OUT (build-web) is web/build.sh's: the browser half is built in its CMake
# tree, which is made first when missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mode=--quick
if [ "${1:-}" = --full ]; then mode=--full; shift; fi
build=${1:-$root/build-web}
out=$build/cmake/check
export PATH=/usr/bin:$PATH EM_PYTHON=/usr/bin/python3 NODE_PATH=/usr/share/nodejs
[ -f "$build/cmake/CMakeCache.txt" ] || "$root/web/build.sh" "$build"
cmake --build "$build/cmake" --target check_numbers >/dev/null
cc -O2 -Wall -Wextra -Werror -o "$out/check_numbers" "$root/web/check_numbers.c" -lm
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
  echo "the browser build's rand(), enemy wave, sscanf and snprintf match the desktop's:"
  sed 's/^/  /' "$out/desktop.txt"
  echo "  no wave height changes when cos is two units in the last place off"
else
  echo "the browser build's numbers differ from the desktop's (< desktop, > browser;" \
    "wave heights sensitive to cos two units off: $sensitive)"
  exit 1
fi
