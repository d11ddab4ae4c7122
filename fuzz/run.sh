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
# Absolute: a target may change its working folder (fuzz_play plays in its
# own data tree).
out=$(cd "$(dirname "$target")/.." && pwd)
work=$out/corpus/$name
crashes=$out/crashes
mkdir -p "$work" "$crashes"

seed() { for f in "$@"; do [ -f "$f" ] && cp -f "$f" "$work/seed-$(echo "$f" | tr '/' '_')"; done; true; }
extra=()
case "$name" in
  fuzz_sprite_set)
    seed "$root"/data/*/info
    printf 'FILES: 3\n# frames\na.bmp 100 255 0 255\n\nb.bmp 50\n   \n' >"$work/seed-small-set"
    ;;
  fuzz_level_file) seed "$root"/data/level_*/leveldata ;;
  fuzz_play)
    extra=(-close_fd_mask=1) # the game reports each missing picture on stdout
    seed "$root"/data/level_*/leveldata
    printf 'LEVEL: 1\nNEXT LEVEL: data/level_2\nDISTANCE: 0\nBOSS: data/boss\nBOSS_HP: 2147483647\nSCENE: data/scene.bmp\nLEVEL IMAGE: data/title.bmp\nSHIP: data/ship\nBULLET: data/bullet\nENEMY 1: 0 -2147483648 2147483647\nENEMY 2: 0 2147483647 -2147483648\n' >"$work/seed-small-level"
    ;;
  fuzz_effect) seed "$root"/data/sounds/menu_move.wav "$root"/data/sounds/enemy_hit.wav ;;
  fuzz_image) seed "$root"/data/cursor/*.bmp "$root"/data/enemy/*.bmp "$root"/data/difficulty/*.bmp ;;
  fuzz_font)
    if [ -f "$root/data/font/font.ini" ]; then
      cat "$root/data/font/font.ini" "$root/data/font/font.dat" "$root/data/font/font.raw" \
        >"$work/seed-shipped-font"
    fi
    printf '16\n' >"$work/seed-small-font"
    ;;
  fuzz_settings)
    printf '# mine\nscale = 2\nmute = off\nfire = left ctrl, x\nup = w\npad_quit = 8\nshader = crt\nfire = o\n' \
      >"$work/seed-settings"
    ;;
  fuzz_scores)
    printf 'quarndel-scores 1\n# difficulty rank score level time recording name\n0 1 1240 2 2026-12-07T16:46:13Z game-1.qrp alice\n2 1 88 1 2026-12-06T20:01:55Z game-2.qrp b\\x1bob\n' \
      >"$work/seed-scores"
    ;;
  fuzz_replay)
    seed "$root"/tests/replays/*.qrp
    printf 'quarndel-replay 1\nseed 7\nf 01234567 data/a/info\nplay 1 data/a\n17 +13 -13:1 h+273 =beef\n16 =0001\n*3\n16 q =0002\nend 0 1 1 00000000 6\n' \
      >"$work/seed-small-replay"
    ;;
  fuzz_level_pack)
    # Small packs of a set as --pack writes them, without the large pictures.
    set_dir=$(mktemp -d)
    mkdir -p "$set_dir/myset/boss"
    cp "$root/data/level_1/leveldata" "$set_dir/myset/"
    printf 'NAME: myset\nAUTHOR: someone\nFIRST LEVEL: data/myset\n' >"$set_dir/myset/levelset"
    printf 'FILES: 1\nboss_0.bmp 40\n' >"$set_dir/myset/boss/info"
    (cd "$set_dir" && tar -czf pack.tar.gz myset && tar -cf pack.tar myset &&
      { ! command -v python3 >/dev/null || python3 -m zipfile -c pack.zip myset; })
    # A first byte of 1: the pack as it is.
    for pack in "$set_dir"/pack.*; do
      { printf '\001'; cat "$pack"; } >"$work/seed-${pack##*/}"
    done
    rm -rf "$set_dir"
    # A first byte of 0, 2, 4: members written as a tar, zip, tar.gz first.
    for kind in 0 2 4; do
      printf "\\00${kind}D:myset\\0\\0myset/leveldata\\0LEVEL: 1\\nSCENE: data/myset/scene.bmp\\n\\0myset/./boss/info\\0FILES: 1\\nb.bmp 40\\n\\0L:myset/link\\0../x\\0" \
        >"$work/seed-members-$kind"
    done
    ;;
esac

SDL_VIDEODRIVER=dummy "$target" "$work" -max_total_time="$seconds" -print_final_stats=1 \
  -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$crashes/$name-" "${extra[@]}" 2>&1 |
  grep -v -E '^#[0-9]+.*(NEW|REDUCE|pulse)' || true
# libFuzzer exits non-zero on a crash; the grep above hides its status.
test -z "$(ls "$crashes" | grep "^$name-" || true)"
