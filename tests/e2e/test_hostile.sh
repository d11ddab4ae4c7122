#!/usr/bin/env bash
# Level packs written to harm the game: files that are FIFOs, devices or
# endless, and pictures that decode to gigabytes. Each pack is a copy of the
# shipped tree with one change; with each the game must reach play within a
# few seconds of Enter on Start, end on Escape, and keep its peak resident
# memory under 512 MiB.
#
# Usage: test_hostile.sh GAME_EXE CLOSE_TOOL DATA_PARENT_DIR
# E2E_HOSTILE_REPORT=file appends "pack peak-KiB enter-to-play-ms" lines;
# E2E_HOSTILE_PACKS="name ..." plays only those packs; E2E_HOSTILE_PLAY_MS
# changes the time allowed from Enter to play (5000 ms).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$@"

SHIPPED_ROOT=$E2E_ROOT
MEMORY_LIMIT_KIB=$((512 * 1024))
PLAY_WITHIN_MS=${E2E_HOSTILE_PLAY_MS:-5000}

# ---------------------------------------------------------------- BMP files

# Little-endian bytes, as printf escapes.
le16() { printf '\\x%02x\\x%02x' $(($1 & 255)) $((($1 >> 8) & 255)); }
le32() { printf '%s%s' "$(le16 $(($1 & 65535)))" "$(le16 $((($1 >> 16) & 65535)))"; }

# write_bmp FILE WIDTH HEIGHT BITS — an all-black uncompressed BMP whose
# palette (for 1 to 8 bits) has every entry the depth allows.
write_bmp() {
    local file=$1 w=$2 h=$3 bits=$4 colors=0
    [ "$bits" -le 8 ] && colors=$((1 << bits))
    local pitch=$(((w * bits + 31) / 32 * 4))
    local offset=$((54 + colors * 4))
    local size=$((offset + pitch * h))
    {
        printf "BM$(le32 $size)$(le32 0)$(le32 $offset)"
        printf "$(le32 40)$(le32 "$w")$(le32 "$h")$(le16 1)$(le16 "$bits")"
        printf "$(le32 0)$(le32 0)$(le32 2835)$(le32 2835)$(le32 $colors)$(le32 0)"
        head -c $((colors * 4 + pitch * h)) /dev/zero
    } >"$file"
}

# ---------------------------------------------------------------- packs

# Each pack function changes the copy in $PACK (the folder holding data/).

pack_as_shipped() { :; } # the measure to compare with

pack_scene_terminal() { sed -i 's|^SCENE:.*|SCENE: /dev/ptmx|' "$PACK/data/level_1/leveldata"; }

pack_frame_terminal() {
    sed -i 's|^ship_0\.bmp|../../../../../../../../dev/ptmx|' "$PACK/data/ship/info"
}

pack_scene_fifo() {
    mkfifo "$PACK/data/level_1/scene_fifo.bmp" &&
        sed -i 's|^SCENE:.*|SCENE: data/level_1/scene_fifo.bmp|' "$PACK/data/level_1/leveldata"
}

pack_leveldata_fifo() { rm "$PACK/data/level_1/leveldata" && mkfifo "$PACK/data/level_1/leveldata"; }

pack_font_fifo() { rm "$PACK/data/font/font.ini" && mkfifo "$PACK/data/font/font.ini"; }

pack_leveldata_zero() { ln -sf /dev/zero "$PACK/data/level_1/leveldata"; }

pack_leveldata_urandom() { ln -sf /dev/urandom "$PACK/data/level_1/leveldata"; }

# The shots' set is loaded a second time from a frame list that never ends:
# level 1's boss falls to the first shot (BOSS_HP -100 gives it no hit points
# to lose) and level 2 takes its shots from that folder.
pack_info_zero() {
    local level1=$PACK/data/level_1/leveldata level2=$PACK/data/level_2/leveldata
    sed -i 's|^DISTANCE:.*|DISTANCE: 0|; s|^BOSS_HP:.*|BOSS_HP: -100|' "$level1" &&
        sed -i 's|^BULLET:.*|BULLET: data/bullet_zero|' "$level2" &&
        mkdir "$PACK/data/bullet_zero" && ln -s /dev/zero "$PACK/data/bullet_zero/info"
}

pack_leveldata_directory() { rm "$PACK/data/level_1/leveldata" && mkdir "$PACK/data/level_1/leveldata"; }

# A 2 MB file that decodes to 16 million pixels, in the three shot sets.
pack_huge_shot() { write_bmp "$PACK/data/bullet/bullet_0.bmp" 4096 4096 1; }

# One 1024x1024 picture named with 4096 colour keys: without a bound each key
# decodes it again, 4 MiB each.
pack_many_keys() {
    write_bmp "$PACK/data/enemy/big.bmp" 1024 1024 24 || return 1
    {
        echo "FILES: 4096"
        local i
        for ((i = 0; i < 4096; ++i)); do echo "big.bmp 100 $((i & 255)) $((i >> 8)) 0"; done
    } >"$PACK/data/enemy/info"
}

# be16 / be32: big-endian bytes, as printf escapes.
be16() { printf '\\x%02x\\x%02x' $((($1 >> 8) & 255)) $(($1 & 255)); }
be32() { printf '%s%s' "$(be16 $((($1 >> 16) & 65535)))" "$(be16 $(($1 & 65535)))"; }

# A title tune of 64000 notes struck at one moment, looping: the MIDI player
# must neither flood stderr nor hold the title screen.
pack_chord_tune() {
    local notes=64000
    {
        printf "MThd$(be32 6)$(be16 0)$(be16 1)$(be16 96)MTrk$(be32 $((notes * 4 + 4)))"
        printf '\x00\x90\x3c\x40%.0s' $(seq $notes)
        printf '\x00\xff\x2f\x00'
    } >"$PACK/data/music/title_screen.mid"
}

# ---------------------------------------------------------------- the check

playing() { [[ "$(e2e_caption)" =~ ^Quarndel:\ [0-9]+$ ]]; }

peak_kib() { sed -n 's/^VmHWM:[[:space:]]*\([0-9]*\) kB$/\1/p' "/proc/$E2E_GAME_PID/status" 2>/dev/null; }

# check_pack NAME — builds the pack, plays it and ends it with Escape.
check_pack() {
    local name=$1
    PACK=$E2E_TMP/pack-$name
    rm -rf "$PACK"
    mkdir -p "$PACK" && cp -R "$SHIPPED_ROOT/data" "$PACK/data" || { e2e_fail "could not copy data/"; return 1; }
    "pack_$name" || { e2e_fail "could not build the pack"; return 1; }
    E2E_ROOT=$PACK
    e2e_start_game || return 1
    local start
    start=$(e2e_now_ms)
    e2e_key Return
    e2e_wait_until "$PLAY_WITHIN_MS" playing ||
        { e2e_fail "no play within $PLAY_WITHIN_MS ms of Enter: caption '$(e2e_caption)'"; return 1; }
    local took=$(($(e2e_now_ms) - start))
    # A shot, and a second and a half of play: spawns, the boss and the level
    # advance run.
    e2e_key space
    sleep 1.5
    local peak
    peak=$(peak_kib)
    [ -n "$peak" ] || { e2e_fail "no peak memory for the game"; return 1; }
    [ -n "${E2E_HOSTILE_REPORT:-}" ] && echo "$name $peak $took" >>"$E2E_HOSTILE_REPORT"
    e2e_log "$name: play after $took ms, peak $((peak / 1024)) MiB"
    [ "$peak" -lt "$MEMORY_LIMIT_KIB" ] || { e2e_fail "peak memory $((peak / 1024)) MiB"; return 1; }
    local noise
    noise=$(wc -c <"$E2E_RUN_DIR/stderr")
    [ "$noise" -lt 100000 ] || { e2e_fail "$noise bytes on stderr"; return 1; }
    e2e_key Escape
    e2e_wait_exit 5000 || return 1
    [ "$E2E_STATUS" = 0 ] || { e2e_fail "Escape ended the game with status $E2E_STATUS"; return 1; }
}

ALL_PACKS="as_shipped scene_terminal frame_terminal scene_fifo leveldata_fifo font_fifo leveldata_zero
    leveldata_urandom info_zero leveldata_directory huge_shot many_keys chord_tune"
for pack in ${E2E_HOSTILE_PACKS:-$ALL_PACKS}; do
    e2e_check "$pack" check_pack "$pack"
    rm -rf "$E2E_TMP/pack-$pack"
done
e2e_finish
