#!/usr/bin/env bash
# Runs one fuzz target for SECONDS, seeded from the shipped data tree.
#   fuzz/run.sh build-fuzz/fuzz/fuzz_level_file 600
# Crashing inputs land in build-fuzz/crashes/; add each to tests as a
# regression case.
set -euo pipefail
target=$1
seconds=${2:-10}
root=$(cd "$(dirname "$0")/.." && pwd)
name=$(basename "$target")
work=$(dirname "$target")/../corpus/$name
crashes=$(dirname "$target")/../crashes
mkdir -p "$work" "$crashes"

seed() { for f in "$@"; do [ -f "$f" ] && cp -f "$f" "$work/seed-$(echo "$f" | tr '/' '_')"; done; true; }
case "$name" in
  fuzz_sprite_set)
    seed "$root"/data/*/info
    printf 'FILES: 3\n# frames\na.bmp 100 255 0 255\n\nb.bmp 50\n   \n' >"$work/seed-small-set"
    ;;
  fuzz_level_file) seed "$root"/data/level_*/leveldata ;;
  fuzz_effect) seed "$root"/data/sounds/menu_move.wav "$root"/data/sounds/enemy_hit.wav ;;
  fuzz_image) seed "$root"/data/cursor/*.bmp "$root"/data/enemy/*.bmp "$root"/data/difficulty/*.bmp ;;
  fuzz_font)
    if [ -f "$root/data/font/font.ini" ]; then
      cat "$root/data/font/font.ini" "$root/data/font/font.dat" "$root/data/font/font.raw" \
        >"$work/seed-shipped-font"
    fi
    printf '16\n' >"$work/seed-small-font"
    ;;
esac

SDL_VIDEODRIVER=dummy "$target" "$work" -max_total_time="$seconds" -print_final_stats=1 \
  -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$crashes/$name-" 2>&1 |
  grep -v -E '^#[0-9]+.*(NEW|REDUCE|pulse)' || true
# libFuzzer exits non-zero on a crash; the grep above hides its status.
test -z "$(ls "$crashes" | grep "^$name-" || true)"
