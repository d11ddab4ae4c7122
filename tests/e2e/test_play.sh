#!/usr/bin/env bash
# Play as the player meets it after choosing Start: the first level's
# scrolling background and title picture, the frame rate in the caption, the
# ship steered with the held arrows, shots, the pause and its picture, and
# leaving with Escape or the close button, which leaves the game-over picture
# as the last frame.
#
# Every check plays its own short game and is done within about five seconds
# of play, before the first enemies come in.
#
# Usage: test_play.sh GAME_EXE CLOSE_TOOL DATA_PARENT_DIR
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$@"

# leveldata_value KEY — the last value of KEY in the first level's file; a
# path there is relative to the folder that holds data/.
leveldata_value() {
    sed -n "s/^$1:[[:space:]]*\([^[:space:]]*\).*/\1/p" "$E2E_DATA/level_1/leveldata" | tail -n1
}

SCENE=$E2E_ROOT/$(leveldata_value SCENE)
LEVEL_PICTURE=$E2E_ROOT/$(leveldata_value "LEVEL IMAGE")
SHIP_SET=$E2E_ROOT/$(leveldata_value SHIP)
BULLET_SET=$E2E_ROOT/$(leveldata_value BULLET)
read -r SHIP_FRAME SHIP_KEY <<<"$(e2e_frames "$SHIP_SET" | head -n1)"
SHIP_FRAME=$SHIP_SET/$SHIP_FRAME
read -r SHOT_FRAME SHOT_KEY <<<"$(e2e_frames "$BULLET_SET" | head -n1)"
SHOT_FRAME=$BULLET_SET/$SHOT_FRAME
read -r _ SHIP_H <<<"$(e2e_size "$SHIP_FRAME")"
read -r _ LEVEL_PICTURE_H <<<"$(e2e_size "$LEVEL_PICTURE")"

SHIP_X=80 # where a level puts the ship
SHIP_Y=140

# The band of rows where only the background shows early in a level: below
# the ship and the level's title picture, above the credits.
BAND_Y=$((SHIP_Y + ${SHIP_H:-46} + 4))
[ $((100 + ${LEVEL_PICTURE_H:-0} + 4)) -gt $BAND_Y ] && BAND_Y=$((100 + LEVEL_PICTURE_H + 4))
[ $BAND_Y -lt 300 ] && BAND_Y=300
BAND_H=30

# The background's band as the scroll shows it, twice over: the screen shows
# background columns o..638 and then 0..o-1 (column 639 lies under column 0
# and the screen's own column 639 stays black), so the screen's columns
# 0..638 are the 639 columns of this strip that start at column o.
make_scene_strip() {
    convert \( "$SCENE" -alpha off -crop "639x$BAND_H+0+$BAND_Y" +repage \) \
        \( "$SCENE" -alpha off -crop "639x$BAND_H+0+$BAND_Y" +repage \) +append \
        "$E2E_TMP/scene-strip.miff"
}

# scroll_offset SHOT — prints the o at which SHOT shows the background; fails
# when the band shows no part of the background exactly.
scroll_offset() {
    local found
    found=$(compare -metric AE -subimage-search "$E2E_TMP/scene-strip.miff" \
        \( "$1" -alpha off -crop "639x$BAND_H+0+$BAND_Y" +repage \) null: 2>&1)
    case $found in
        "0 @ "*) found=${found#0 @ } && echo "${found%,*}" ;;
        *) return 1 ;;
    esac
}

playing() { [[ "$(e2e_caption)" =~ ^Quarndel:\ [0-9]+$ ]]; }

# start_play — a fresh game, Start chosen on the title screen.
start_play() {
    e2e_start_game || return 1
    e2e_key Return
    e2e_wait_until 3000 playing || { e2e_fail "Enter on Start: caption stayed '$(e2e_caption)'"; return 1; }
}

ship_at() {
    e2e_shot ship || return 1
    e2e_shows "$E2E_SHOT" "$1" "$2" "$SHIP_FRAME" "$SHIP_KEY"
}

# find_ship_on_row Y X_FROM X_TO — the ship's x on row Y (it moves 2 pixels a
# frame, so from an even start it stands on even columns).
find_ship_on_row() {
    local x positions=()
    for ((x = $2; x <= $3; x += 2)); do positions+=("$x,$1"); done
    e2e_find "$E2E_SHOT" "$SHIP_FRAME" "$SHIP_KEY" "${positions[@]}"
}

find_ship_in_column() {
    local y positions=()
    for ((y = $2; y <= $3; y += 2)); do positions+=("$1,$y"); done
    e2e_find "$E2E_SHOT" "$SHIP_FRAME" "$SHIP_KEY" "${positions[@]}"
}

# find_shot_on_row Y — the x of the leftmost player shot on row Y.
find_shot_on_row() {
    local x positions=()
    for ((x = 0; x < 640; x++)); do positions+=("$x,$1"); done
    e2e_find "$E2E_SHOT" "$SHOT_FRAME" "$SHOT_KEY" "${positions[@]}"
}

check_play_starts() {
    start_play || return 1
    e2e_shot play-start
    e2e_shows "$E2E_SHOT" $SHIP_X $SHIP_Y "$SHIP_FRAME" "$SHIP_KEY" ||
        { e2e_fail "the ship (frame 0 of $(leveldata_value SHIP)) is not at ($SHIP_X,$SHIP_Y)"; return 1; }
    e2e_shows "$E2E_SHOT" 200 100 "$LEVEL_PICTURE" "$E2E_BLACK" ||
        { e2e_fail "the level's title picture is not at (200,100)"; return 1; }
    make_scene_strip
    scroll_offset "$E2E_SHOT" >/dev/null ||
        { e2e_fail "rows $BAND_Y..$((BAND_Y + BAND_H - 1)) do not show the level's background"; return 1; }
    e2e_keep "$E2E_SHOT" play-start
}

# Between two screenshots the background has moved some pixels to the left,
# wrapping around, and the window's rightmost column stays black behind it.
check_background_scrolls_left() {
    start_play || return 1
    make_scene_strip
    local first second step
    e2e_shot scroll-1
    sleep 0.2
    e2e_shot scroll-2
    first=$(scroll_offset "$E2E_TMP/scroll-1.miff") ||
        { e2e_fail "rows $BAND_Y..$((BAND_Y + BAND_H - 1)) of the first screenshot are not the background at any scroll position"; return 1; }
    second=$(scroll_offset "$E2E_TMP/scroll-2.miff") ||
        { e2e_fail "rows $BAND_Y..$((BAND_Y + BAND_H - 1)) of the second screenshot are not the background at any scroll position"; return 1; }
    step=$(((second - first + 639) % 639))
    if [ "$step" -eq 0 ] || [ "$step" -ge 320 ]; then
        e2e_fail "background offset went from $first to $second: not moving left"
        return 1
    fi
    local right_column
    right_column=$(convert "$E2E_SHOT" -crop "1x$BAND_H+639+$BAND_Y" +repage -format '%[max]' info:)
    [ "$second" = 0 ] || [ "$right_column" = 0 ] ||
        { e2e_fail "column 639 is not black at scroll position $second"; return 1; }
}

# The caption carries the frames counted in the last second; the game draws
# at most 60 a second. Once two counting windows have closed it should say
# about 60 (a busy machine may drop a few frames now and then).
check_caption_counts_frames() {
    start_play || return 1
    local start caption n best=0 seen=""
    start=$(e2e_now_ms)
    while [ $(($(e2e_now_ms) - start)) -lt 3000 ]; do
        caption=$(e2e_caption)
        [[ "$caption" =~ ^Quarndel:\ ([0-9]+)$ ]] || { e2e_fail "caption '$caption' during play"; return 1; }
        n=${BASH_REMATCH[1]}
        [ "$n" -le 65 ] || { e2e_fail "caption says $n frames a second, more than 60"; return 1; }
        if [ $(($(e2e_now_ms) - start)) -ge 2000 ]; then
            seen="$seen $n"
            [ "$n" -gt "$best" ] && best=$n
        fi
        sleep 0.2
    done
    [ "$best" -ge 45 ] || { e2e_fail "captions after 2 s of play:$seen; expected about 60"; return 1; }
}

check_ship_steers() {
    start_play || return 1
    ship_at $SHIP_X $SHIP_Y || { e2e_fail "the ship is not at ($SHIP_X,$SHIP_Y) at the start"; return 1; }
    local at x y
    e2e_keydown Right
    sleep 0.4
    e2e_keyup Right
    sleep 0.1
    e2e_shot ship-right
    at=$(find_ship_on_row $SHIP_Y $((SHIP_X + 2)) 560) ||
        { e2e_fail "after holding Right the ship is not further right on its row"; return 1; }
    x=${at%,*}
    e2e_keydown Down
    sleep 0.4
    e2e_keyup Down
    sleep 0.1
    e2e_shot ship-down
    at=$(find_ship_in_column "$x" $((SHIP_Y + 2)) 400) ||
        { e2e_fail "after holding Down the ship (at x $x) is not further down"; return 1; }
    y=${at#*,}
    e2e_keep "$E2E_SHOT" ship-moved
    # Held long enough, Left and Up stop at the edges of the ship's range.
    e2e_keydown Left Up
    e2e_wait_until 6000 ship_at 0 50
    local arrived=$?
    e2e_keyup Left Up
    [ $arrived = 0 ] || { e2e_fail "holding Left and Up from ($x,$y) did not bring the ship to (0,50)"; return 1; }
}

check_space_fires() {
    start_play || return 1
    local shot_y=$((SHIP_Y + 23)) first second
    # Both screenshots first: a shot crosses the screen in about two seconds.
    e2e_key space
    e2e_shot shots-1
    sleep 0.1
    e2e_shot shots-2
    E2E_SHOT=$E2E_TMP/shots-1.miff
    first=$(find_shot_on_row $shot_y) || { e2e_fail "no shot on row $shot_y after Space"; return 1; }
    first=${first%,*}
    [ "$first" -ge $((SHIP_X + 70)) ] || { e2e_fail "the shot is at x $first, behind the ship's nose"; return 1; }
    e2e_keep "$E2E_SHOT" shot-fired
    E2E_SHOT=$E2E_TMP/shots-2.miff
    second=$(find_shot_on_row $shot_y) || { e2e_fail "the shot left row $shot_y"; return 1; }
    second=${second%,*}
    [ "$second" -gt "$first" ] || { e2e_fail "the shot went from x $first to $second, not right"; return 1; }
}

check_pause() {
    start_play || return 1
    sleep 0.3
    e2e_key p
    e2e_wait_until 2000 paused_picture_shown ||
        { e2e_fail "after P the paused picture is not at (200,100)"; return 1; }
    local caption diff
    caption=$(e2e_caption)
    cp "$E2E_SHOT" "$E2E_TMP/paused-1.miff"
    e2e_keep "$E2E_SHOT" paused
    sleep 0.5
    e2e_shot paused-2
    diff=$(e2e_region_diff "$E2E_TMP/paused-1.miff" "$E2E_SHOT" 0 0 640 480)
    [ "$diff" = 0 ] || { e2e_fail "while paused the screen changed in $diff pixels"; return 1; }
    [ "$(e2e_caption)" = "$caption" ] || { e2e_fail "while paused the caption changed"; return 1; }
    # Space while paused fires nothing, now or after the pause.
    e2e_key space
    e2e_key p
    e2e_wait_until 2000 screen_moves_on ||
        { e2e_fail "after P again the screen stays as it was while paused"; return 1; }
    paused_picture_shown && { e2e_fail "the paused picture stays after P again"; return 1; }
    find_shot_on_row $((SHIP_Y + 23)) >/dev/null && { e2e_fail "Space while paused fired a shot"; return 1; }
    return 0
}

paused_picture_shown() {
    e2e_shot paused
    e2e_shows "$E2E_SHOT" 200 100 "$E2E_DATA/paused.bmp" "$E2E_BLACK"
}

screen_moves_on() {
    e2e_shot resumed
    [ "$(e2e_region_diff "$E2E_TMP/paused-1.miff" "$E2E_SHOT" 0 0 640 480)" != 0 ]
}

# ends_with_game_over HOW — the game shuts down with status 0 and its last
# frame carries the game-over picture.
ends_with_game_over() {
    e2e_wait_quitting 5000 || return 1
    e2e_shot last-frame
    e2e_shows "$E2E_SHOT" 10 30 "$E2E_DATA/gameover.bmp" "$E2E_BLACK" ||
        { e2e_fail "after $1 the last frame has no game-over picture at (10,30)"; return 1; }
    e2e_keep "$E2E_SHOT" game-over
    e2e_wait_exit 5000 || return 1
    [ "$E2E_STATUS" = 0 ] || { e2e_fail "after $1 the exit status is $E2E_STATUS, expected 0"; return 1; }
}

check_escape_ends() {
    start_play || return 1
    sleep 0.3
    e2e_key Escape
    ends_with_game_over Escape
}

check_close_button_ends() {
    start_play || return 1
    sleep 0.3
    e2e_close_window || { e2e_fail "the close request could not be sent"; return 1; }
    ends_with_game_over "the close request"
}

# Escape while paused ends the game without drawing again: the paused frame
# stays the last one.
check_escape_while_paused_ends() {
    start_play || return 1
    e2e_key p
    e2e_wait_until 2000 paused_picture_shown || { e2e_fail "after P the paused picture is not shown"; return 1; }
    e2e_key Escape
    e2e_wait_quitting 5000 || return 1
    paused_picture_shown || { e2e_fail "the last frame is not the paused one"; return 1; }
    e2e_wait_exit 5000 || return 1
    [ "$E2E_STATUS" = 0 ] || { e2e_fail "exit status $E2E_STATUS, expected 0"; return 1; }
}

e2e_check start_shows_ship_level_picture_and_background check_play_starts
e2e_check background_scrolls_left check_background_scrolls_left
e2e_check caption_shows_frames_per_second_near_60 check_caption_counts_frames
e2e_check held_arrows_steer_the_ship_within_its_range check_ship_steers
e2e_check space_fires_a_shot_that_flies_right check_space_fires
e2e_check p_pauses_with_picture_freezes_and_resumes check_pause
e2e_check escape_ends_with_status_0_and_game_over_picture check_escape_ends
e2e_check closing_the_window_ends_with_status_0_and_game_over_picture check_close_button_ends
e2e_check escape_while_paused_ends_with_status_0 check_escape_while_paused_ends
e2e_finish
