#!/usr/bin/env bash
# Fuzzes the picture readers against Debian's own SDL 1.2 built with
# AddressSanitizer, UBSan and libFuzzer coverage, so SDL's BMP decoder, its
# format conversion and its blitters are checked and guided too, not only the
# game's code around them. Optional: ./test.sh does not run it.
#
#   fuzz/sdl_instrumented.sh [SECONDS_PER_TARGET] [TARGET...]
#     SECONDS_PER_TARGET  default 900 (15 minutes)
#     TARGET              fuzz_image and/or fuzz_sprite_set (default both)
#   SDL_FUZZ_KNOWN=FILE   UBSan suppressions for findings already known, so a
#                         further run looks past them (e.g. shift-exponent:BlitNtoN)
#
# Needs root (or sudo) for apt: fetches the source with `apt-get source
# libsdl1.2`, adding a deb-src entry for the Debian archive when none exists
# (and saying so). Everything else lives in build-sdl-fuzz/:
#   src/       the Debian source package, patched as Debian ships it
#   prefix/    the instrumented libSDL (shared, same soname as the system's)
#   game/      the fuzz targets built against it (clang)
#   crashes/   every crashing input, one file each; runs go on after a crash
#   TARGET.log the libFuzzer output; summary.txt one line per distinct finding
set -euo pipefail
seconds=${1:-900}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_image fuzz_sprite_set)
root=$(cd "$(dirname "$0")/.." && pwd)
work=$root/build-sdl-fuzz
mkdir -p "$work/src" "$work/crashes"
# Let the other builds on the machine go first.
renice -n 19 $$ >/dev/null 2>&1 || true

sanitize="-fsanitize=address,undefined -fsanitize=fuzzer-no-link -fno-omit-frame-pointer"

# 1. The source package.
src=$("$root/tools/sdl_source.sh" "$work/src")
echo "SDL source: $src"

# 2. The instrumented library. UBSan reports do not stop SDL here; the runs
# below make them fatal (halt_on_error) so each one is kept as a crash input.
if [ ! -f "$work/prefix/lib/libSDL.so" ]; then
  rm -rf "$work/sdl-build"
  mkdir -p "$work/sdl-build"
  (cd "$work/sdl-build" &&
    CC=clang CFLAGS="-g -O1 $sanitize" LDFLAGS="-fsanitize=address,undefined" \
      "$src/configure" --prefix="$work/prefix" --disable-static --disable-rpath \
      --disable-assembly --disable-nasm --disable-video-x11 --disable-video-directfb \
      --disable-video-fbcon --disable-video-aalib --disable-video-caca --disable-video-ggi \
      --disable-video-svga --disable-video-opengl --disable-alsa --disable-pulseaudio \
      --disable-esd --disable-arts --disable-nas >configure.log 2>&1 ||
    { tail -30 configure.log; exit 1; })
  make -C "$work/sdl-build" -j1 >"$work/sdl-build/make.log" 2>&1 ||
    { tail -30 "$work/sdl-build/make.log"; exit 1; }
  make -C "$work/sdl-build" install >>"$work/sdl-build/make.log" 2>&1
fi

# 3. The fuzz targets, linked against it (pkg-config finds its sdl.pc first).
PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig" cmake -S "$root" -B "$work/game" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DQUARNDEL_FUZZ=ON \
  -DQUARNDEL_TESTS=OFF -DQUARNDEL_ASSETGEN=OFF >"$work/game-configure.log" 2>&1
cmake --build "$work/game" -j1 --target "${targets[@]}"
export LD_LIBRARY_PATH="$work/prefix/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
for t in "${targets[@]}"; do
  case "$(ldd "$work/game/fuzz/$t")" in
    *"$work/prefix/lib/libSDL-1.2"*) ;;
    *) echo "$t does not load the instrumented SDL" && exit 1 ;;
  esac
done

# 4. The runs: one process each, after a crash the input is kept and the run
# goes on (-fork=1 -ignore_crashes=1).
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
export ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=1
cat "$root/fuzz/sdl_ubsan.supp" ${SDL_FUZZ_KNOWN:+"$SDL_FUZZ_KNOWN"} >"$work/ubsan.supp"
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:suppressions=$work/ubsan.supp
for t in "${targets[@]}"; do
  corpus=$work/corpus/$t
  mkdir -p "$corpus"
  # Seeds: the shipped pictures and frame lists, the same as fuzz/run.sh.
  case "$t" in
    fuzz_image)
      for f in "$root"/data/cursor/*.bmp "$root"/data/enemy/*.bmp "$root"/data/difficulty/*.bmp; do
        [ -f "$f" ] && cp -f "$f" "$corpus/seed-$(basename "$(dirname "$f")")-$(basename "$f")"
      done
      # The shipped pictures are all 24-bit; small files of every other kind
      # SDL reads give the fuzzer its other decoder paths from the start.
      python3 - "$corpus" <<'PYEOF'
import struct, sys
def bmp(name, w, h, bpp, comp=0, palette=0, masks=(), header=40, pixels=None):
    pitch = ((w * bpp + 31) // 32) * 4
    if pixels is None:
        pixels = bytes((i * 37) & 0xff for i in range(pitch * abs(h)))
    if header == 12:
        info = struct.pack('<IhhHH', 12, w, h, 1, bpp)
    else:
        info = struct.pack('<IiiHHIIiiII', header, w, h, 1, bpp, comp, len(pixels),
                           2835, 2835, palette, 0)
        info += b''.join(struct.pack('<I', m) for m in masks)
        info += bytes(header - len(info))
    pal = bytes((i * 50) & 0xff for i in range(palette * (3 if header == 12 else 4)))
    off = 14 + len(info) + len(pal)
    head = struct.pack('<2sIHHI', b'BM', off + len(pixels), 0, 0, off)
    open(sys.argv[1] + '/seed-' + name, 'wb').write(head + info + pal + pixels)
bmp('1bit.bmp', 9, 3, 1, palette=2)
bmp('4bit.bmp', 5, 3, 4, palette=16)
bmp('8bit.bmp', 5, 3, 8, palette=256)
bmp('8bit-topdown.bmp', 5, -3, 8, palette=4)
bmp('rle8.bmp', 4, 2, 8, comp=1, palette=4, pixels=bytes([2, 1, 0, 2, 1, 0, 4, 3, 0, 0, 0, 1]))
bmp('rle4.bmp', 4, 2, 4, comp=2, palette=4, pixels=bytes([4, 0x12, 0, 0, 4, 0x30, 0, 1]))
bmp('16bit-555.bmp', 4, 3, 16)
bmp('16bit-565.bmp', 4, 3, 16, comp=3, masks=(0xf800, 0x07e0, 0x001f), header=52)
bmp('32bit.bmp', 3, 3, 32)
bmp('32bit-bitfields.bmp', 3, 3, 32, comp=3, masks=(0xff0000, 0xff00, 0xff, 0xff000000), header=56)
bmp('32bit-v5.bmp', 3, 3, 32, comp=3, masks=(0xff, 0xff00, 0xff0000, 0xff000000), header=124)
bmp('24bit-os2.bmp', 3, 2, 24, header=12)
bmp('8bit-os2.bmp', 3, 2, 8, palette=256, header=12)
PYEOF
      ;;
    fuzz_sprite_set) for f in "$root"/data/*/info; do cp -f "$f" "$corpus/seed-$(basename "$(dirname "$f")")"; done ;;
  esac
  rm -f "$work/crashes/$t-"*
  echo "=== $t for $seconds s ==="
  "$work/game/fuzz/$t" "$corpus" -fork=1 -ignore_crashes=1 -max_total_time="$seconds" \
    -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$work/crashes/$t-" \
    >"$work/$t.log" 2>&1 || true
  grep -E '^#[0-9]+: cov' "$work/$t.log" | tail -1 || true
  echo "crash inputs: $(ls "$work/crashes" | grep -c "^$t-" || true)"
done

# 5. One line per distinct finding: the sanitizer's words, the first frame
# in SDL (or the game), and the BMP kind of one input that reaches it.
"$root/fuzz/sdl_findings.sh" "$work" | tee "$work/summary.txt"
