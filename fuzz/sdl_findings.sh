#!/usr/bin/env bash
# Summarises the crash inputs of fuzz/sdl_instrumented.sh: replays each one,
# and prints one line per distinct finding (sanitizer message and the first
# stack frame inside SDL or the game) with how many inputs reach it and the
# BMP kind of the first (header size, depth, compression, masks, size).
#   fuzz/sdl_findings.sh build-sdl-fuzz
set -uo pipefail
work=$(cd "${1:-build-sdl-fuzz}" && pwd)
export LD_LIBRARY_PATH="$work/prefix/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1
# The suppressions of the run that kept the inputs.
supp=$work/ubsan.supp
[ -f "$supp" ] || supp=$(cd "$(dirname "$0")" && pwd)/sdl_ubsan.supp
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:suppressions=$supp

# Describes a BMP file the way SDL's reader sees its header.
bmp_kind() {
  python3 - "$1" <<'EOF'
import struct, sys
d = open(sys.argv[1], 'rb').read()
if len(d) < 18 or d[:2] != b'BM':
    print('not a BMP (%d bytes)' % len(d)); sys.exit()
off = struct.unpack_from('<I', d, 10)[0]
hs = struct.unpack_from('<I', d, 14)[0]
if len(d) < 14 + 4 + (8 if hs == 12 else 16):
    print('header size %d, file ends inside the header (%d bytes)' % (hs, len(d))); sys.exit()
if hs == 12:
    w, h, planes, bpp = struct.unpack_from('<hhHH', d, 18); comp = 0
else:
    w, h, planes, bpp = struct.unpack_from('<iiHH', d, 18)
    comp = struct.unpack_from('<I', d, 30)[0] if len(d) >= 34 else -1
names = {0: 'RGB', 1: 'RLE8', 2: 'RLE4', 3: 'BITFIELDS'}
s = 'header %d, %dx%d, %d bpp, %s' % (hs, w, h, bpp, names.get(comp, 'compression %d' % comp))
# SDL reads three masks right after the fields it knows (12 or 40 bytes of
# header) for BITFIELDS, and also for RGB when the pixels do not start right
# after the header.
if bpp in (15, 16, 32) and (comp == 3 or (comp == 0 and off != 14 + hs)):
    at = 14 + (12 if hs == 12 else 40)
    if comp == 0:
        s += ' (pixels not right after the header, so masks are read)'
    if len(d) >= at + 12:
        m = struct.unpack_from('<III', d, at)
        s += ', masks %s' % '/'.join('%x' % x for x in m)
    else:
        s += ', masks past the end of the file'
pitch = ((abs(w) * bpp + 31) // 32) * 4 if bpp else 0
need = off + abs(h) * pitch
s += ', pixels at %d, %d bytes of %d needed' % (off, len(d), need)
print(s)
EOF
}

declare -A count=() example=()
for input in "$work"/crashes/*; do
  [ -f "$input" ] || continue
  name=$(basename "$input")
  target=${name%%-*}
  report=$("$work/game/fuzz/$target" "$input" 2>&1)
  what=$(echo "$report" | grep -m1 -oE '(runtime error: .*|ERROR: AddressSanitizer: [a-z-]+|ERROR: libFuzzer: [a-z-]+|SUMMARY: .*)' |
    sed -E 's/0x[0-9a-f]+/ADDR/g; s/[0-9]+ bytes/N bytes/g; s/(shift exponent|value) -?[0-9]+/\1 N/g; s/ -?[0-9]+ (places|is negative|cannot)/ N \1/g')
  where=$(echo "$report" | grep -E '^ *#[0-9]+ ' | grep -m1 -E '/(src|sprites|game|text|level)/' |
    sed -E 's/.* in ([^ ]+) .*\/((src|sprites|game|text|level)\/[^ ]*)$/\1 \2/; s/:[0-9]+$//')
  key="$target | $what | $where"
  count[$key]=$(( ${count[$key]:-0} + 1 ))
  [ -n "${example[$key]:-}" ] || example[$key]=$input
done
if [ ${#count[@]} -eq 0 ]; then
  echo "no crash inputs"
  exit 0
fi
for key in "${!count[@]}"; do
  input=${example[$key]}
  kind="frame list"
  case "$(basename "$input")" in fuzz_image-*) kind=$(bmp_kind "$input") ;; esac
  echo "$key | ${count[$key]} inputs | e.g. $(basename "$input"): $kind"
done | sort
