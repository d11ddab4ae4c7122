#!/usr/bin/env bash
# The title screen as the player meets it: the window, the title picture with
# the menu cursor and the difficulty picture, moving the cursor, choosing a
# difficulty, and the three ways out that never start a game.
#
# Usage: test_title.sh GAME_EXE CLOSE_TOOL DATA_PARENT_DIR
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$@"

TITLE=$E2E_DATA/titlescreen.bmp
CURSOR_X=70
MENU_YS=(318 356 390) # Start, Difficulty, Quit
DIFFICULTY_X=300
DIFFICULTY_Y=362

# The cursor's frames with their transparent colours, as "IMAGE KEY" (a
# frame that draws nothing is left out: it would be "seen" anywhere), and the
# box that holds the largest of them.
CURSOR_FRAMES=()
CURSOR_W=0
CURSOR_H=0
while read -r file key; do
    [ "$(e2e_drawn_count "$E2E_DATA/cursor/$file" "$key")" -gt 0 ] 2>/dev/null || continue
    CURSOR_FRAMES+=("$E2E_DATA/cursor/$file $key")
    read -r w h <<<"$(e2e_size "$E2E_DATA/cursor/$file")"
    [ "${w:-0}" -gt "$CURSOR_W" ] && CURSOR_W=$w
    [ "${h:-0}" -gt "$CURSOR_H" ] && CURSOR_H=$h
done < <(e2e_frames "$E2E_DATA/cursor" | sort -u)
read -r DIFFICULTY_W DIFFICULTY_H <<<"$(e2e_size "$E2E_DATA/difficulty/0.bmp")"

# cursor_drawn_at SHOT Y — one of the cursor's frames is on screen at (70, Y).
cursor_drawn_at() {
    local frame candidates=()
    for frame in "${CURSOR_FRAMES[@]}"; do
        candidates+=("$CURSOR_X $2 $frame")
    done
    e2e_first_match "$1" "${candidates[@]}"
}

# title_shown_except SHOT CURSOR_Y — the title picture fills the window
# except for the cursor's box at CURSOR_Y and the difficulty picture's box.
title_shown_except() {
    local n
    n=$(convert \( "$1" -alpha off \) \( "$TITLE" -alpha off \) \
        -compose difference -composite -separate -evaluate-sequence max -threshold 0 \
        \( "$TITLE" -alpha off -fill white -colorize 100 -fill black \
        -draw "rectangle $CURSOR_X,$2 $((CURSOR_X + CURSOR_W - 1)),$(($2 + CURSOR_H - 1))" \
        -draw "rectangle $DIFFICULTY_X,$DIFFICULTY_Y $((DIFFICULTY_X + DIFFICULTY_W - 1)),$((DIFFICULTY_Y + DIFFICULTY_H - 1))" \) \
        -compose multiply -composite -alpha off -format '%[fx:round(mean*w*h)]' info: 2>/dev/null)
    [ "$n" = 0 ]
}

# menu_shows CURSOR_Y DIFFICULTY — one screenshot shows the title picture,
# the cursor at CURSOR_Y and nowhere else, and difficulty picture DIFFICULTY.
menu_shows() {
    local shot
    e2e_shot menu || return 1
    shot=$E2E_SHOT
    cursor_drawn_at "$shot" "$1" || return 1
    title_shown_except "$shot" "$1" || return 1
    e2e_shows "$shot" $DIFFICULTY_X $DIFFICULTY_Y "$E2E_DATA/difficulty/$2.bmp"
}

# expect_menu CURSOR_Y DIFFICULTY WHAT — waits for the menu to show that,
# else fails saying where the cursor and which difficulty picture were seen.
expect_menu() {
    e2e_wait_until 3000 menu_shows "$1" "$2" && return 0
    local shot y seen_cursor="nowhere" seen_difficulty="none" d
    shot=$E2E_LAST_SHOT
    for y in "${MENU_YS[@]}"; do
        cursor_drawn_at "$shot" "$y" && seen_cursor="y $y"
    done
    for d in 0 1 2; do
        e2e_shows "$shot" $DIFFICULTY_X $DIFFICULTY_Y "$E2E_DATA/difficulty/$d.bmp" && seen_difficulty=$d
    done
    title_shown_except "$shot" "$1" || seen_cursor="$seen_cursor, title picture not intact"
    e2e_fail "$3: expected cursor at y $1 and difficulty picture $2; saw cursor $seen_cursor, difficulty picture $seen_difficulty"
}

check_window() {
    e2e_start_game || return 1
    local geometry caption
    geometry=$(e2e_geometry)
    [ "$geometry" = "640 480 0 0" ] || { e2e_fail "window is 'W H X Y' = '$geometry', expected '640 480 0 0'"; return 1; }
    caption=$(e2e_caption)
    [ "$caption" = Quarndel ] || { e2e_fail "caption is '$caption', expected 'Quarndel'"; return 1; }
}

check_title_screen() {
    e2e_start_game || return 1
    expect_menu 318 0 "at start-up" || return 1
    e2e_keep "$E2E_LAST_SHOT" title
}

check_cursor_moves_and_wraps() {
    e2e_start_game || return 1
    expect_menu 318 0 "at start-up" || return 1
    e2e_key Down && expect_menu 356 0 "Down from Start" || return 1
    e2e_key Down && expect_menu 390 0 "Down from Difficulty" || return 1
    e2e_key Down && expect_menu 318 0 "Down from Quit" || return 1
    e2e_key Up && expect_menu 390 0 "Up from Start" || return 1
    e2e_key Up && expect_menu 356 0 "Up from Quit" || return 1
    e2e_key Up && expect_menu 318 0 "Up from Difficulty" || return 1
}

check_difficulty_cycles() {
    e2e_start_game || return 1
    e2e_key Down && expect_menu 356 0 "on Difficulty" || return 1
    e2e_key Return && expect_menu 356 1 "first Enter on Difficulty" || return 1
    e2e_keep "$E2E_LAST_SHOT" title-difficulty-1
    e2e_key Return && expect_menu 356 2 "second Enter on Difficulty" || return 1
    e2e_key Return && expect_menu 356 0 "third Enter on Difficulty" || return 1
}

# ends_without_play HOW — after HOW the game shuts down with status 0 while
# its window still shows the title screen under the title caption: not one
# frame of play was drawn.
ends_without_play() {
    local how=$1 cursor_y=$2
    e2e_wait_quitting 5000 || return 1
    local caption
    caption=$(e2e_caption)
    [ "$caption" = Quarndel ] || { e2e_fail "after $how the caption became '$caption': a play frame ran"; return 1; }
    menu_shows "$cursor_y" 0 || { e2e_fail "after $how the last frame is not the title screen"; return 1; }
    e2e_wait_exit 5000 || return 1
    [ "$E2E_STATUS" = 0 ] || { e2e_fail "after $how the exit status is $E2E_STATUS, expected 0"; return 1; }
}

check_quit_item_ends() {
    e2e_start_game || return 1
    e2e_key Down Down && expect_menu 390 0 "on Quit" || return 1
    e2e_key Return
    ends_without_play "Enter on Quit" 390
}

check_escape_ends() {
    e2e_start_game || return 1
    expect_menu 318 0 "at start-up" || return 1
    e2e_key Escape
    ends_without_play "Escape" 318
}

check_close_button_ends() {
    e2e_start_game || return 1
    expect_menu 318 0 "at start-up" || return 1
    e2e_close_window || { e2e_fail "the close request could not be sent"; return 1; }
    ends_without_play "the close request" 318
}

# Everything the shipped tree names loads: start-up and the first level's
# set-up report nothing (the game reports a picture or folder it cannot read).
check_nothing_missing() {
    e2e_start_game || return 1
    e2e_key Escape
    e2e_wait_exit 5000 || return 1
    local said
    said=$(e2e_game_stdout)
    [ -z "$said" ] || { e2e_fail "the game reported: $(echo "$said" | head -n3 | tr '\n' ' ')"; return 1; }
}

# covering_window — prints the top-level window that is shown and exactly
# covers the screen, if there is one.
covering_window() {
    local size id w h
    size=$(xdotool getdisplaygeometry)
    xwininfo -root -children 2>/dev/null |
        sed -n 's/^ *\(0x[0-9a-f]*\) .* \([0-9]*\)x\([0-9]*\)+0+0 *+0+0$/\1 \2 \3/p' |
        while read -r id w h; do
            [ "$w $h" = "$size" ] || continue
            xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && echo "$id"
        done
}

is_fullscreen() {
    [ -n "$(covering_window)" ] || return 1
    e2e_shot_to "$E2E_TMP/screen.miff" || return 1
    # Outside the centred picture the screen is black.
    [ "$(convert "$E2E_TMP/screen.miff" -crop 1x1+0+0 -format '%[fx:maxima]' info: 2>/dev/null)" = 0 ]
}

is_windowed() {
    [ -z "$(covering_window)" ] && [ "$(e2e_geometry)" = "640 480 0 0" ]
}

# fullscreen_toggles KEY — KEY shows the picture unscaled and centred on a
# window covering the whole screen, and KEY again the 640x480 window; the
# menu takes neither press for one of its own.
fullscreen_toggles() {
    local sw sh
    read -r sw sh <<<"$(xdotool getdisplaygeometry)"
    e2e_key "$1"
    e2e_wait_until 3000 is_fullscreen || { e2e_fail "after $1 no window covers the ${sw}x${sh} screen"; return 1; }
    E2E_PICTURE_X=$(((sw - E2E_W) / 2))
    E2E_PICTURE_Y=$(((sh - E2E_H) / 2))
    expect_menu 318 0 "fullscreen after $1" || return 1
    e2e_keep "$E2E_LAST_SHOT" title-fullscreen
    E2E_PICTURE_X=0
    E2E_PICTURE_Y=0
    e2e_key "$1"
    e2e_wait_until 3000 is_windowed || { e2e_fail "after $1 twice the window is '$(e2e_geometry)', expected '640 480 0 0'"; return 1; }
    expect_menu 318 0 "back in the window after $1" || return 1
}

check_fullscreen_keys() {
    e2e_start_game || return 1
    expect_menu 318 0 "at start-up" || return 1
    fullscreen_toggles F11 || return 1
    fullscreen_toggles alt+Return || return 1
    [ "$(e2e_caption)" = Quarndel ] || { e2e_fail "a play frame ran: the caption is '$(e2e_caption)'"; return 1; }
}

# The options screen (O): drawn over the title, which comes back unchanged.
# lit_pixels SHOT W H X Y — how many near-white pixels (the font's) the box holds.
lit_pixels() {
    convert "$1" -crop "$2x$3+$4+$5" +repage -alpha off -colorspace gray -threshold 80% \
        -format '%[fx:round(mean*w*h)]' info: 2>/dev/null
}
options_shown() {
    e2e_shot options || return 1
    ! title_shown_except "$E2E_SHOT" "$1"
}
open_options() {
    e2e_key o
    e2e_wait_until 3000 options_shown "$1" || { e2e_fail "O shows no options screen"; return 1; }
}

check_options_escape_gives_the_title() {
    e2e_start_game || return 1
    e2e_key Down
    expect_menu 356 0 "before O" || return 1
    open_options 356 || return 1
    e2e_keep "$E2E_SHOT" options
    e2e_key Escape
    expect_menu 356 0 "after O and Escape" || return 1
    # Still the running title, not its last frame held after an end.
    e2e_key Down
    expect_menu 390 0 "Down after O and Escape"
}

# O, Enter, Left Ctrl: "fire = left ctrl" joins the file, its comments kept,
# and in play Left Ctrl fires: the recording holds Space presses.
check_options_bind_fire() {
    local file=$E2E_CONFIG/quarndel/settings.ini rec=$E2E_TMP/fire.qrp
    mkdir -p "$E2E_CONFIG/quarndel"
    printf '# my settings\nmusic_volume = 100 \n# the end\n' >"$file"
    E2E_GAME_ARGS=(--record "$rec" --overwrite)
    e2e_start_game || return 1
    open_options 318 || return 1
    e2e_key Return ctrl
    e2e_wait_until 3000 grep -qx 'fire = left ctrl' "$file" || { e2e_fail "the file holds '$(cat "$file")'"; return 1; }
    [ "$(head -n 3 "$file")" = "$(printf '# my settings\nmusic_volume = 100 \n# the end')" ] ||
        { e2e_fail "the file's own lines changed: '$(cat "$file")'"; return 1; }
    e2e_key Escape Return
    sleep 0.5
    e2e_key ctrl Escape
    e2e_wait_quitting 5000 || return 1
    e2e_wait_exit 5000 || return 1
    sed -n '/^play /,$p' "$rec" | grep -qE ' \+32[ :]' || { e2e_fail "Left Ctrl fired no shot in play"; return 1; }
}

# A bad line of the settings file is listed at the top of the options
# screen (right of where the first item's value would stand) until the
# game's change fixes it.
check_options_list_bad_settings() {
    mkdir -p "$E2E_CONFIG/quarndel"
    printf 'fullscreen_fit = stretch\n' >"$E2E_CONFIG/quarndel/settings.ini"
    E2E_GAME_ARGS=()
    e2e_start_game || return 1
    open_options 318 || return 1
    [ "$(lit_pixels "$E2E_SHOT" 200 16 400 42)" -gt 20 ] || { e2e_fail "no problem line at the top"; return 1; }
    e2e_keep "$E2E_SHOT" options-problem
    e2e_key Up Up Up Right
    e2e_wait_until 3000 grep -qx 'fullscreen_fit = fill' "$E2E_CONFIG/quarndel/settings.ini" || { e2e_fail "Right on the fit wrote nothing"; return 1; }
    sleep 0.3
    e2e_shot fixed
    [ "$(lit_pixels "$E2E_SHOT" 200 16 400 42)" = 0 ] || { e2e_fail "the problem line stays once fixed"; return 1; }
}

# The muted mark: none at start, there after M, gone after M again.
corner_lit() { e2e_shot corner && [ "$(lit_pixels "$E2E_SHOT" 22 18 612 456)" "$1" 0 ]; }
check_muted_mark() {
    E2E_GAME_ARGS=()
    e2e_start_game || return 1
    expect_menu 318 0 "at start-up" || return 1
    e2e_key m
    e2e_wait_until 3000 corner_lit -gt || { e2e_fail "no mark while muted"; return 1; }
    e2e_keep "$E2E_SHOT" muted
    e2e_key m
    expect_menu 318 0 "unmuted again"
}

# Volumes persist: Left on the music volume writes 90; after a restart the
# game starts from 90, so Left writes 80.
check_volume_persists() {
    local file=$E2E_CONFIG/quarndel/settings.ini
    rm -rf "$E2E_CONFIG"
    E2E_GAME_ARGS=()
    e2e_start_game || return 1
    open_options 318 || return 1
    e2e_key Up Up Up Up Up Up Up Left
    e2e_wait_until 3000 grep -qx 'music_volume = 90' "$file" || { e2e_fail "the file holds '$(cat "$file" 2>/dev/null)'"; return 1; }
    e2e_stop_game
    e2e_start_game || return 1
    open_options 318 || return 1
    e2e_key Up Up Up Up Up Up Up Left
    e2e_wait_until 3000 grep -qx 'music_volume = 80' "$file" || { e2e_fail "after a restart the file holds '$(cat "$file" 2>/dev/null)'"; return 1; }
}

e2e_check window_is_640x480_and_captioned_quarndel check_window
e2e_check title_picture_cursor_on_start_and_difficulty_0 check_title_screen
e2e_check cursor_moves_up_and_down_with_wraparound check_cursor_moves_and_wraps
e2e_check enter_on_difficulty_cycles_its_picture_0_1_2_0 check_difficulty_cycles
e2e_check enter_on_quit_ends_with_status_0_without_play check_quit_item_ends
e2e_check escape_ends_with_status_0_without_play check_escape_ends
e2e_check closing_the_window_ends_with_status_0_without_play check_close_button_ends
e2e_check start_up_reports_nothing_missing check_nothing_missing
e2e_check f11_and_alt_enter_toggle_fullscreen_and_back check_fullscreen_keys
e2e_check o_then_escape_gives_the_unchanged_title check_options_escape_gives_the_title
e2e_check options_enter_left_ctrl_writes_fire_and_it_fires check_options_bind_fire
e2e_check options_list_a_bad_settings_line_until_fixed check_options_list_bad_settings
e2e_check the_muted_mark_comes_and_goes check_muted_mark
e2e_check volume_changes_persist_across_a_restart check_volume_persists
e2e_finish
