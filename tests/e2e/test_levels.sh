#!/usr/bin/env bash
# The levels as the player flies them: enemies of both kinds coming in from
# the right once the level's title picture is gone and falling to the ship's
# shots, the boss that comes when the level's distance is flown and the next
# level that follows its destruction, and losing every life, after which N
# starts a new game.
#
# The game runs in a copy of data/ whose level files each check sets up:
# - enemies: the levels as shipped;
# - boss, next level and game over: a first level one screen long (about
#   11 s) with the weakest boss, 8 hits on Easy, and with enemies that stay
#   beyond the right edge, so that only the boss meets the ship. The first
#   game has one life to spare: with traffic about, two stray enemies could
#   end it before the boss is reached.
#
# The game paces itself at 60 frames a second, but the machine may be busy:
# every wait below polls screenshots until what the player should see is
# there, with generous time limits.
#
# Usage: test_levels.sh GAME_EXE CLOSE_TOOL DATA_PARENT_DIR
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$@"

# ---------------------------------------------------------------- the copy

SHIPPED_DATA=$E2E_DATA
E2E_ROOT=$E2E_TMP/tree
E2E_DATA=$E2E_ROOT/data
mkdir -p "$E2E_ROOT" && cp -R "$SHIPPED_DATA" "$E2E_DATA" ||
    { echo "FAIL $E2E_SUITE: could not copy $SHIPPED_DATA"; exit 1; }

# leveldata_value LEVEL KEY — the last value of KEY in a level's file; a path
# there is relative to the folder that holds data/.
leveldata_value() {
    sed -n "s/^$2:[[:space:]]*\([^[:space:]]*\).*/\1/p" "$E2E_DATA/$1/leveldata" | tail -n1
}

# set_level_value LEVEL KEY VALUE — rewrites the line of KEY in a level's file.
set_level_value() {
    local file=$E2E_DATA/$1/leveldata
    sed -i "s|^$2:.*|$2: $3|" "$file"
    grep -qx "$2: $3" "$file" || { e2e_fail "could not set $2 in $1/leveldata"; return 1; }
}

levels_as_shipped() {
    local dir
    for dir in "$SHIPPED_DATA"/level_*/; do
        [ -f "$dir/leveldata" ] && cp "$dir/leveldata" "$E2E_DATA/$(basename "$dir")/leveldata"
    done
    return 0
}

# The first level ends after one screen with a boss of 0 + 8 hit points, and
# its enemies get speed class -2 plus 0 or 1: they stand still at x 640 or fly
# off to the right, never into view.
short_quiet_first_level() {
    levels_as_shipped
    set_level_value level_1 DISTANCE 1 &&
        set_level_value level_1 BOSS_HP 0 &&
        set_level_value level_1 "ENEMY 1" "0 0 -2" &&
        set_level_value level_1 "ENEMY 2" "0 1 -2"
}

# ---------------------------------------------------------------- pictures

LEVEL1_PICTURE=$E2E_ROOT/$(leveldata_value level_1 "LEVEL IMAGE")
LEVEL2_PICTURE=$E2E_ROOT/$(leveldata_value level_2 "LEVEL IMAGE")
SCENE1=$E2E_ROOT/$(leveldata_value level_1 SCENE)
SCENE2=$E2E_ROOT/$(leveldata_value level_2 SCENE)
GAME_OVER=$E2E_DATA/gameover.bmp

# set_frames ARRAY SET_DIR — ARRAY gets "IMAGE KEY" for each distinct frame of
# a sprite set, in the set's order.
set_frames() {
    local -n frames=$1
    local file key
    frames=()
    while read -r file key; do
        [[ " ${frames[*]} " == *" $2/$file $key "* ]] || frames+=("$2/$file $key")
    done < <(e2e_frames "$2")
}
set_frames SHIP_FRAMES "$E2E_ROOT/$(leveldata_value level_1 SHIP)"
set_frames BOSS_FRAMES "$E2E_ROOT/$(leveldata_value level_1 BOSS)"
set_frames BOSS2_FRAMES "$E2E_ROOT/$(leveldata_value level_2 BOSS)"
set_frames BULLET_FRAMES "$E2E_ROOT/$(leveldata_value level_1 BULLET)"
# Frame 0 of the enemies flies a wave, frame 1 flies straight.
ENEMY_FRAMES=()
while read -r file key; do
    ENEMY_FRAMES+=("$E2E_DATA/enemy/$file $key")
done < <(e2e_frames "$E2E_DATA/enemy" | head -n2)

SHIP_X=80 # where every level puts the ship
SHIP_Y=140
BOSS_X=420
BOSS_Y=110

# frames_at SHOT X Y FRAME... — one of the frames ("IMAGE KEY") is shown at (X,Y).
frames_at() {
    local shot=$1 x=$2 y=$3 frame candidates=()
    shift 3
    for frame in "$@"; do candidates+=("$x $y $frame"); done
    e2e_first_match "$shot" "${candidates[@]}"
}

boss_shown() { frames_at "$1" $BOSS_X $BOSS_Y "${BOSS_FRAMES[@]}"; }
ship_shown_at() { frames_at "$1" "$2" "$3" "${SHIP_FRAMES[@]}"; }
picture_shown() { e2e_shows "$1" 200 100 "$2" "$E2E_BLACK"; }
game_over_shown() { e2e_shows "$1" 10 30 "$GAME_OVER" "$E2E_BLACK"; }

# ship_on_row SHOT Y X_FROM X_TO — prints "X FRAME_INDEX" of the ship on row Y
# (it moves 2 pixels a frame from even places, so it stands on even columns).
ship_on_row() {
    local shot=$1 y=$2 x f candidates=()
    for ((x = $3; x <= $4; x += 2)); do
        for f in "${!SHIP_FRAMES[@]}"; do candidates+=("$x $y ${SHIP_FRAMES[$f]}"); done
    done
    e2e_first_match "$shot" "${candidates[@]}" || return 1
    echo "$(($3 + 2 * (E2E_MATCH / ${#SHIP_FRAMES[@]}))) $((E2E_MATCH % ${#SHIP_FRAMES[@]}))"
}

# ---------------------------------------------------------------- enemies

# enemy_marker FRAME KEY AVOID... — prints "R,G,B X Y": a colour that FRAME
# draws in exactly one pixel, (X,Y), and that none of the pictures AVOID
# holds, so that a pixel of it on screen tells where such an enemy would be.
enemy_marker() {
    local frame=$1 key=$2 colour x y
    shift 2
    while read -r colour x y; do
        if [ "$(convert "$@" -alpha off -fill black +opaque "rgb($colour)" -background black -append -format '%[max]' info: 2>/dev/null)" = 0 ]; then
            echo "$colour $x $y"
            return 0
        fi
    done < <(convert "$frame" -alpha off -depth 8 txt:- 2>/dev/null | awk -v key="$key" '
        NR > 1 {
            split($1, xy, /[,:]/)
            c = $2
            gsub(/[()]/, "", c)
            if (c == key) next
            n[c]++
            at[c] = xy[1] " " xy[2]
        }
        END { for (c in n) if (n[c] == 1) print c, at[c] }' | head -n 20)
    return 1
}

# What shares the screen with the enemies in the first level.
AVOID=("$SCENE1" "$LEVEL1_PICTURE")
for frame in "${SHIP_FRAMES[@]}" "${BULLET_FRAMES[@]}" "${ENEMY_FRAMES[@]}"; do AVOID+=("${frame% *}"); done
ENEMY_MARKERS=()
for kind in 0 1; do
    read -r frame key <<<"${ENEMY_FRAMES[$kind]}"
    others=()
    for picture in "${AVOID[@]}"; do [ "$picture" = "$frame" ] || others+=("$picture"); done
    ENEMY_MARKERS+=("$(enemy_marker "$frame" "$key" "${others[@]}")")
done

# enemies_of_kind SHOT KIND — prints "X Y" for every enemy of KIND (0 wave,
# 1 straight) that SHOT shows whole, uncovered and inside the window.
enemies_of_kind() {
    local shot=$1 colour ox oy px py pixel candidates=() places=() i
    read -r colour ox oy <<<"${ENEMY_MARKERS[$2]}"
    [ -n "$oy" ] || return 1
    while read -r pixel; do
        [ -n "$pixel" ] || continue
        px=${pixel%%,*}
        pixel=${pixel#*,}
        py=${pixel%%,*}
        places+=("$((px - ox)) $((py - oy))")
        candidates+=("$((px - ox)) $((py - oy)) ${ENEMY_FRAMES[$2]}")
    done < <(convert "$shot" -alpha set -channel RGBA -fill none +opaque "rgb($colour)" \
        sparse-color:- 2>/dev/null | tr ' ' '\n' | head -n 30)
    [ ${#candidates[@]} -gt 0 ] || return 1
    e2e_match_all "$shot" "${candidates[@]}" || return 1
    for i in "${E2E_MATCHES[@]}"; do echo "${places[$i]}"; done
}

# any_enemy_pixel SHOT — SHOT holds a marker pixel of either kind.
any_enemy_pixel() {
    local kind colour
    for kind in 0 1; do
        read -r colour _ <<<"${ENEMY_MARKERS[$kind]}"
        [ "$(convert "$1" -alpha off -fill black +opaque "rgb($colour)" -format '%[max]' info: 2>/dev/null)" != 0 ] && return 0
    done
    return 1
}

# ---------------------------------------------------------------- playing

playing() { [[ "$(e2e_caption)" =~ ^Quarndel:\ [0-9]+$ ]]; }

# start_play — a fresh game, Start chosen on the title screen.
start_play() {
    e2e_start_game || return 1
    e2e_key Return
    e2e_wait_until 5000 playing || { e2e_fail "Enter on Start: caption stayed '$(e2e_caption)'"; return 1; }
}

# expect_text SHOT X Y TEXT WHAT — fails unless SHOT shows TEXT at (X,Y).
expect_text() {
    e2e_text_shown "$1" "$2" "$3" "$4" && return 0
    e2e_fail "$5: \"$4\" is not written at ($2,$3)"
}

score_shown() { e2e_text_shown "$1" 5 10 "Score: $2"; }
level_shown() { e2e_text_shown "$1" 100 10 "Level: $2"; }
lives_shown() { e2e_text_shown "$1" 580 10 "Lives: $2"; }

# shot_until TIMEOUT_MS NAME TEST [ARGS...] — takes screenshots NAME until
# TEST SHOT ARGS... holds for one of them (left in E2E_SHOT).
shot_until() {
    local timeout=$1 name=$2
    shift 2
    e2e_wait_until "$timeout" shot_and_test "$name" "$@"
}
shot_and_test() {
    local name=$1 test=$2
    shift 2
    e2e_shot "$name" || return 1
    "$test" "$E2E_SHOT" "$@"
}

# ---------------------------------------------------------------- checks

check_enemies() {
    levels_as_shipped
    [ -n "${ENEMY_MARKERS[0]}" ] && [ -n "${ENEMY_MARKERS[1]}" ] ||
        { e2e_fail "the enemy frames have no colour of their own to find them by"; return 1; }
    start_play || return 1
    e2e_shot enemies-start
    picture_shown "$E2E_SHOT" "$LEVEL1_PICTURE" || { e2e_fail "the level's title picture is not at (200,100)"; return 1; }
    expect_text "$E2E_SHOT" 5 10 "Score: 0" "at the start" || return 1

    # To the left edge, where an enemy needs over 5 s to reach the ship: the
    # first game has one life to spare, no more.
    local ship_y
    e2e_keydown Left Down
    sleep 0.4
    e2e_keyup Down
    e2e_wait_until 5000 ship_at_left_edge
    local arrived=$?
    e2e_keyup Left
    [ $arrived = 0 ] || { e2e_fail "holding Left did not bring the ship to the left edge"; return 1; }
    ship_y=$SHIP_ROW

    # No enemy while the level's title picture is up.
    local deadline=$(($(e2e_now_ms) + 15000))
    while true; do
        e2e_shot enemies-waiting
        picture_shown "$E2E_SHOT" "$LEVEL1_PICTURE" || break
        any_enemy_pixel "$E2E_SHOT" && { e2e_fail "an enemy is on screen while the level's title picture is up"; return 1; }
        [ "$(e2e_now_ms)" -ge "$deadline" ] && { e2e_fail "the level's title picture stayed over 15 s"; return 1; }
        sleep 0.2
    done

    # Then they come, and the ship fires at whatever crosses its row.
    local seen_wave="" seen_straight="" first_x="" moved_left="" scored=""
    local -A straight_rows=()
    local x y last count
    deadline=$(($(e2e_now_ms) + 25000))
    while true; do
        e2e_key space
        e2e_shot enemies-play
        game_over_shown "$E2E_SHOT" && { e2e_fail "the ship was lost before both kinds were seen and hit"; return 1; }
        while read -r x y; do
            [ -n "$y" ] || continue
            [ -n "$first_x" ] || first_x=$x
            [ "$y" -ge 130 ] && [ "$y" -le 330 ] ||
                { e2e_fail "an enemy of the wave kind at ($x,$y), off its band of rows 130..330"; return 1; }
            if [ -z "$seen_wave" ]; then
                seen_wave="$x,$y"
                e2e_keep "$E2E_SHOT" enemy-wave
            fi
        done < <(enemies_of_kind "$E2E_SHOT" 0)
        while read -r x y; do
            [ -n "$y" ] || continue
            [ -n "$first_x" ] || first_x=$x
            if [ -z "$seen_straight" ]; then
                seen_straight="$x,$y"
                e2e_keep "$E2E_SHOT" enemy-straight
            fi
            # A straight one keeps its row: seen three times on it, each time
            # further left. (One that flew a wave would change rows.)
            read -r last count <<<"${straight_rows[$y]:-9999 0}"
            if [ "$x" -le $((last - 10)) ]; then
                count=$((count + 1))
                straight_rows[$y]="$x $count"
                [ $count -ge 3 ] && moved_left="$y"
            fi
        done < <(enemies_of_kind "$E2E_SHOT" 1)
        if [ -z "$scored" ] && ! score_shown "$E2E_SHOT" 0; then
            e2e_text_shown "$E2E_SHOT" 5 10 "Score:" ||
                { e2e_fail "the score text at (5,10) is gone"; return 1; }
            scored=1
            e2e_keep "$E2E_SHOT" enemy-shot-down
        fi
        [ -n "$seen_wave" ] && [ -n "$seen_straight" ] && [ -n "$moved_left" ] && [ -n "$scored" ] && break
        if [ "$(e2e_now_ms)" -ge "$deadline" ]; then
            local missing=""
            [ -n "$seen_wave" ] || missing="$missing, no enemy of the wave kind (frame 0) seen whole"
            [ -n "$seen_straight" ] || missing="$missing, no enemy of the straight kind (frame 1) seen whole"
            [ -n "$seen_straight" ] && [ -z "$moved_left" ] && missing="$missing, no straight one seen three times on its row, moving left"
            [ -n "$scored" ] || missing="$missing, the score stayed \"Score: 0\" with the ship firing on row $((ship_y + 23))"
            e2e_fail "25 s after the level's title picture went:${missing#,}"
            return 1
        fi
    done
    [ "$first_x" -ge 320 ] || { e2e_fail "the first enemy seen was at x $first_x, not coming in from the right"; return 1; }
}

SHIP_ROW=""
ship_at_left_edge() {
    e2e_shot ship-left || return 1
    local y candidates=()
    for ((y = SHIP_Y; y <= 400; y += 2)); do candidates+=("0 $y ${SHIP_FRAMES[0]}"); done
    e2e_first_match "$E2E_SHOT" "${candidates[@]}" || return 1
    SHIP_ROW=$((SHIP_Y + E2E_MATCH * 2))
}

# The level's title picture goes when the game clock first passes 6 s, and
# that timer runs on freely: about every 6 s it hides whatever level picture
# is up. PICTURE_GONE is the moment (ms) the first level's picture went.
PICTURE_GONE=""
await_level_picture_gone() {
    local last_seen first_gone
    last_seen=$(e2e_now_ms)
    local deadline=$((last_seen + 15000))
    while true; do
        e2e_shot picture-wait
        first_gone=$(e2e_now_ms)
        picture_shown "$E2E_SHOT" "$LEVEL1_PICTURE" || break
        last_seen=$first_gone
        [ "$first_gone" -ge "$deadline" ] && { e2e_fail "the level's title picture stayed over 15 s"; return 1; }
        sleep 0.05
    done
    PICTURE_GONE=$(((last_seen + first_gone) / 2))
}

check_boss_and_next_level() {
    short_quiet_first_level || return 1
    start_play || return 1
    await_level_picture_gone || return 1
    # At most about 6 s of play: far from the 640 frames of one screen.
    boss_shown "$E2E_SHOT" && { e2e_fail "the boss is there before a screen was flown"; return 1; }

    shot_until 45000 boss boss_shown ||
        { e2e_fail "no boss frame at ($BOSS_X,$BOSS_Y) within 45 s of a level one screen long"; return 1; }
    e2e_keep "$E2E_SHOT" boss
    ship_shown_at "$E2E_SHOT" $SHIP_X $SHIP_Y || { e2e_fail "the ship is not at ($SHIP_X,$SHIP_Y) when the boss comes"; return 1; }
    expect_text "$E2E_SHOT" 5 10 "Score: 0" "when the boss comes" || return 1

    # The ship's shots leave 23 pixels below its top and fly into the boss:
    # 1 point a hit, and 7 hits leave it standing.
    e2e_key space space space space space space space
    shot_until 8000 boss-hit boss_hit_seven_times ||
        { e2e_fail "after 7 shots into the boss: not \"Score: 7\" with the boss still there"; return 1; }
    e2e_keep "$E2E_SHOT" boss-hit

    # The 8th hit destroys it (1000 points) and the next level is set up at
    # once, its title picture up until the timer next fires: the shot is timed
    # to land clear of that, about 0.8 s after Space.
    local land phase
    land=$(($(e2e_now_ms) + 850))
    phase=$(((land - PICTURE_GONE) % 6000))
    if [ $phase -lt 800 ]; then
        sleep "$(printf '0.%03d' $((800 - phase)))"
    elif [ $phase -gt 4000 ]; then
        sleep "$(awk -v ms=$((6800 - phase)) 'BEGIN { printf "%.3f", ms / 1000 }')"
    fi
    e2e_key space
    shot_until 6000 next-level picture_shown "$LEVEL2_PICTURE" ||
        { e2e_fail "the 8th shot into the boss did not bring the next level's title picture to (200,100)"; return 1; }
    e2e_keep "$E2E_SHOT" next-level
    local shot=$E2E_SHOT
    expect_text "$shot" 100 10 "Level: 2" "in the next level" || return 1
    expect_text "$shot" 5 10 "Score: 1007" "after 8 hits destroyed the boss" || return 1
    ship_shown_at "$shot" $SHIP_X $SHIP_Y || { e2e_fail "the ship is not back at ($SHIP_X,$SHIP_Y) in the next level"; return 1; }
    frames_at "$shot" $BOSS_X $BOSS_Y "${BOSS_FRAMES[@]}" "${BOSS2_FRAMES[@]}" &&
        { e2e_fail "a boss is still shown in the next level"; return 1; }
    e2e_scene_offset "$shot" "$SCENE2" 300 30 ||
        { e2e_fail "rows 300..329 do not show the next level's background"; return 1; }
}

boss_hit_seven_times() { score_shown "$1" 7 && boss_shown "$1"; }

check_game_over_and_new_game() {
    short_quiet_first_level || return 1
    start_play || return 1
    e2e_shot first-game
    expect_text "$E2E_SHOT" 580 10 "Lives: 1" "the first game" || return 1
    # N does nothing while a game runs.
    e2e_key n
    sleep 0.3
    e2e_shot n-while-playing
    expect_text "$E2E_SHOT" 580 10 "Lives: 1" "after N during play" || return 1

    # Right as far as the ship goes: the boss will stand there.
    e2e_keydown Right
    shot_until 45000 rammed lives_shown 0
    local rammed=$?
    e2e_keyup Right
    [ $rammed = 0 ] || { e2e_fail "flying into the boss's place for 45 s did not cost a life (\"Lives: 0\" never written)"; return 1; }
    # The hit sends the ship back to (10,245), blinking while protected, and
    # leaves the boss standing.
    sleep 0.1
    local x frame
    shot_until 3000 after-hit ship_on_row_found 245 10 360 ||
        { e2e_fail "after the hit the ship is not on row 245"; return 1; }
    read -r x frame <<<"$SHIP_FOUND"
    boss_shown "$E2E_SHOT" || { e2e_fail "ramming destroyed the boss"; return 1; }
    e2e_keep "$E2E_SHOT" rammed
    if [ "$frame" = 0 ]; then
        shot_until 2500 blink frames_at "$x" 245 "${SHIP_FRAMES[@]:1}" ||
            { e2e_fail "the ship at ($x,245) did not blink after the hit"; return 1; }
    fi

    # Once its protection is over, the ship flies into the boss again and
    # that ends the game.
    e2e_keydown Right
    shot_until 20000 game-over game_over_shown
    local over=$?
    e2e_keyup Right
    [ $over = 0 ] || { e2e_fail "flying into the boss again did not bring the game-over picture to (10,30)"; return 1; }
    e2e_keep "$E2E_SHOT" game-over
    local first=$E2E_SHOT caption diff
    expect_text "$first" 580 10 "Lives: -1" "in the game-over frame" || return 1
    caption=$(e2e_caption)
    sleep 1
    e2e_shot game-over-later
    diff=$(e2e_region_diff "$first" "$E2E_SHOT" 0 0 640 480)
    [ "$diff" = 0 ] || { e2e_fail "after the game was over the screen changed in $diff pixels"; return 1; }
    [ "$(e2e_caption)" = "$caption" ] || { e2e_fail "after the game was over the caption changed"; return 1; }

    # N starts a new game: the first level with its title picture, 3 lives,
    # no score and no boss.
    e2e_key n
    shot_until 5000 new-game new_game_shown ||
        { e2e_fail "after N the first level's title picture is not at (200,100) without the game-over picture"; return 1; }
    e2e_keep "$E2E_SHOT" new-game
    local shot=$E2E_SHOT
    expect_text "$shot" 580 10 "Lives: 3" "in the new game" || return 1
    expect_text "$shot" 5 10 "Score: 0" "in the new game" || return 1
    expect_text "$shot" 100 10 "Level: 1" "in the new game" || return 1
    boss_shown "$shot" && { e2e_fail "the boss is still there in the new game"; return 1; }
    ship_shown_at "$shot" $SHIP_X $SHIP_Y || { e2e_fail "the ship is not at ($SHIP_X,$SHIP_Y) in the new game"; return 1; }
    # And it runs: the background scrolls on.
    e2e_scene_offset "$shot" "$SCENE1" 300 30 ||
        { e2e_fail "rows 300..329 do not show the first level's background in the new game"; return 1; }
    e2e_wait_until 3000 scene_moved_from "$E2E_OFFSET" ||
        { e2e_fail "the new game's background does not move"; return 1; }
}

SHIP_FOUND=""
ship_on_row_found() { SHIP_FOUND=$(ship_on_row "$@"); }
new_game_shown() { picture_shown "$1" "$LEVEL1_PICTURE" && ! game_over_shown "$1"; }
scene_moved_from() {
    e2e_shot scroll || return 1
    e2e_scene_offset "$E2E_SHOT" "$SCENE1" 300 30 && [ "$E2E_OFFSET" != "$1" ]
}

# ---------------------------------------------------------------- level sets

CHECKER=$(dirname "$E2E_GAME")/tools/levelcheck/quarndel-check

# install_pack PACK [OPTION...] — --install-levels from a folder without
# data/, the shipped levels named with --data-dir; its status and last line.
install_pack() {
    local pack=$1
    shift
    mkdir -p "$E2E_TMP/elsewhere"
    local status=0
    (cd "$E2E_TMP/elsewhere" && XDG_DATA_HOME=$E2E_DATA_HOME \
        "$E2E_GAME" --install-levels "$pack" --data-dir "$E2E_ROOT" "$@") \
        >/dev/null 2>"$E2E_TMP/install.err" || status=$?
    INSTALL_LINE=$(tail -n1 "$E2E_TMP/install.err")
    return $status
}

# A level made with --new-level is packed, installed from another folder,
# played with --levels (the recording names the set) and listed by L; packs
# that climb out, link, hold devices, too many entries or a bomb are each
# refused with their line and write nothing outside the player's levels.
check_level_set_packs() {
    [ -x "$CHECKER" ] || { e2e_log "no quarndel-check beside the game: skipped"; return 0; }
    levels_as_shipped
    local packs=$E2E_TMP/packs levels=$E2E_DATA_HOME/quarndel/levels
    mkdir -p "$packs"
    (cd "$E2E_ROOT" && "$CHECKER" --new-level data/shared_set >/dev/null &&
        "$CHECKER" --pack data/shared_set "$packs/shared.zip" >/dev/null &&
        "$CHECKER" --pack data/shared_set "$packs/shared.tar.gz" >/dev/null) ||
        { e2e_fail "quarndel-check could not make and pack a new level"; return 1; }
    rm -rf "$E2E_DATA/shared_set" # from here on it comes from the pack alone
    install_pack "$packs/shared.zip" ||
        { e2e_fail "the .zip pack did not install: $INSTALL_LINE"; return 1; }
    [ -f "$levels/shared_set/leveldata" ] || { e2e_fail "no set in $levels"; return 1; }
    install_pack "$packs/shared.tar.gz" &&
        { e2e_fail "a second install replaced the set without --overwrite"; return 1; }
    install_pack "$packs/shared.tar.gz" --overwrite ||
        { e2e_fail "--overwrite did not install: $INSTALL_LINE"; return 1; }

    # Hostile packs, made with the system's tar and zip.
    local work=$packs/work
    mkdir -p "$work/evil/many" && echo kept >"$packs/outside.txt"
    (cd "$work" && seq 1 10001 | (cd evil/many && xargs touch) &&
        tar -czf ../many.tar.gz evil/many && rm -rf evil/many &&
        tar -czPf ../climb.tar.gz evil ../outside.txt &&
        tar -czPf ../absolute.tar.gz evil "$packs/outside.txt" &&
        ln -s "$packs/outside.txt" evil/link && tar -czf ../link.tar.gz evil &&
        zip -qry ../link.zip evil && rm evil/link &&
        truncate -s 300M evil/big && tar -czf ../bomb.tar.gz evil && zip -qr ../bomb.zip evil &&
        rm evil/big) || { e2e_fail "could not make the hostile packs"; return 1; }
    if [ "$(id -u)" = 0 ]; then
        mknod "$work/evil/dev" c 1 3 && (cd "$work" && tar -czf ../device.tar.gz evil)
    fi
    local pack why
    for pack in "climb.tar.gz:climbs out of the set" "absolute.tar.gz:absolute name" \
        "link.tar.gz:is a link" "link.zip:is a link" "many.tar.gz:more than 10000 entries" \
        "bomb.tar.gz:archive bomb" "bomb.zip:archive bomb" "device.tar.gz:is a device"; do
        why=${pack#*:}
        pack=$packs/${pack%%:*}
        [ -f "$pack" ] || continue
        install_pack "$pack" && { e2e_fail "$pack was installed"; return 1; }
        [[ "$INSTALL_LINE" == "quarndel: $pack not installed: "*"$why"* ]] ||
            { e2e_fail "$pack: the line does not say \"$why\": $INSTALL_LINE"; return 1; }
    done
    [ "$(cat "$packs/outside.txt")" = kept ] || { e2e_fail "a pack wrote outside"; return 1; }
    [ "$(ls -A "$levels")" = shared_set ] ||
        { e2e_fail "the levels folder holds more than the set: $(ls -A "$levels")"; return 1; }
    [ -z "$(ls -A "$E2E_TMP/elsewhere")" ] || { e2e_fail "a pack wrote into the folder it was installed from"; return 1; }

    # What an install killed half way leaves, its scratch folder, goes with
    # the next install once over a minute old; nothing else does: a fresh
    # one, one a running install holds locked, other names, a link.
    local left=$levels/.install-Old123 kept=".install-Lck123 .install-Lnk123 .install-New123 .install-Old1234 .installOld123"
    mkdir -p "$left/shared_set" "$levels/.install-Lck123" "$levels/.install-Old1234" \
        "$levels/.installOld123" "$E2E_TMP/linked" && ln -s "$E2E_TMP/linked" "$levels/.install-Lnk123" &&
        touch -h -d '2 minutes ago' "$levels"/.install* && mkdir "$levels/.install-New123" ||
        { e2e_fail "could not make the leftovers"; return 1; }
    flock "$levels/.install-Lck123" sleep 60 &
    local holder=$!
    sleep 0.3
    local installed=0
    install_pack "$packs/shared.tar.gz" --overwrite || installed=$?
    kill "$holder" 2>/dev/null
    wait "$holder" 2>/dev/null
    [ $installed = 0 ] || { e2e_fail "--overwrite beside leftovers did not install: $INSTALL_LINE"; return 1; }
    [ "$(LC_ALL=C ls -A "$levels" | tr '\n' ' ')" = "$kept shared_set " ] && [ -d "$E2E_TMP/linked" ] ||
        { e2e_fail "an install left or took the wrong leftovers: $(LC_ALL=C ls -A "$levels" | tr '\n' ' ')"; return 1; }
    rm -rf "$levels"/.install* && mkdir -p "$left" && touch -d '2 minutes ago' "$left"

    # Played with --levels: the set's level, and its recording names the set.
    E2E_GAME_ARGS=(--levels shared_set --record "$E2E_TMP/set.qrp")
    e2e_start_game || return 1
    e2e_key Return
    shot_until 8000 set-play picture_shown "$LEVEL1_PICTURE" ||
        { e2e_fail "--levels shared_set shows no level picture"; return 1; }
    e2e_key Escape
    e2e_wait_exit 10000 || return 1
    grep -qx "levels shared_set" "$E2E_TMP/set.qrp" && grep -qx "play 0 data/shared_set" "$E2E_TMP/set.qrp" ||
        { e2e_fail "the recording does not name the set and its level"; return 1; }

    # L lists the shipped levels, then the set.
    E2E_GAME_ARGS=()
    e2e_start_game || return 1
    sleep 0.5
    e2e_key l
    shot_until 5000 set-list e2e_text_shown 50 130 "shared_set" ||
        { e2e_fail "L does not list shared_set"; return 1; }
    e2e_keep "$E2E_SHOT" level-sets
    expect_text "$E2E_SHOT" 50 100 "Shipped levels" "the list of level sets" || return 1
    expect_text "$E2E_SHOT" 410 100 "3" "the shipped levels' count" || return 1
    expect_text "$E2E_SHOT" 450 100 "checked" "the shipped levels' verdict" || return 1
    e2e_key Escape Escape
    e2e_wait_exit 10000 || return 1
    [ ! -e "$left" ] || { e2e_fail "listing the sets left an old scratch folder"; return 1; }
}

e2e_check enemies_of_both_kinds_fly_in_after_the_level_picture_and_fall_to_shots check_enemies
e2e_check boss_comes_after_the_distance_and_its_defeat_loads_the_next_level check_boss_and_next_level
e2e_check losing_every_life_ends_the_game_and_n_starts_a_new_one check_game_over_and_new_game
e2e_check a_packed_new_level_installs_plays_and_is_listed_and_hostile_packs_are_refused check_level_set_packs
e2e_finish
