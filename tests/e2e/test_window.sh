#!/usr/bin/env bash
# The window's size and fullscreen on a 1920x1080 screen: --scale 2 and
# --scale auto open a 1280x960 window showing the title picture with every
# pixel doubled; F11 covers the screen with the doubled picture centred,
# black around, and F11 again brings the 640x480 window back, Alt+Enter
# likewise, each writing fullscreen to the settings file; M survives a
# restart through the settings file; a game recorded with bound keys
# verifies without them.
#
# Usage: test_window.sh GAME_EXE CLOSE_TOOL DATA_PARENT_DIR
E2E_SCREEN=1920x1080x24
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$@"

TITLE=$E2E_DATA/titlescreen.bmp

# enlarged_title SHOT FACTOR X Y — SHOT shows at (X,Y) the title picture
# enlarged FACTOR times by whole pixels: every FACTORxFACTOR square one
# colour, and shrunk back it is the title picture except where the menu
# cursor and the difficulty picture lie (x 70..139, y 300..450).
enlarged_title() {
    local shot=$1 f=$2 w=$((640 * $2)) h=$((480 * $2)) squares n
    convert "$shot" -crop "${w}x$h+$3+$4" +repage -alpha off "$E2E_TMP/picture.miff" 2>/dev/null || return 1
    convert "$E2E_TMP/picture.miff" -sample "640x480!" -sample "${w}x$h!" "$E2E_TMP/squares.miff" 2>/dev/null
    squares=$(compare -metric AE "$E2E_TMP/picture.miff" "$E2E_TMP/squares.miff" null: 2>&1)
    [ "$squares" = 0 ] || { e2e_fail "$squares pixels break the ${f}x${f} squares"; return 1; }
    n=$(convert \( "$E2E_TMP/picture.miff" -sample "640x480!" \) \( "$TITLE" -alpha off \) \
        -compose difference -composite -separate -evaluate-sequence max -threshold 0 \
        -fill black -draw "rectangle 70,300 139,450" -draw "rectangle 300,362 639,479" \
        -alpha off -format '%[fx:round(mean*w*h)]' info: 2>/dev/null)
    [ "$n" = 0 ] || { e2e_fail "$n pixels differ from the title picture"; return 1; }
}

# window_is W H — the game's window has that size at the screen's corner.
window_is() { [ "$(e2e_geometry)" = "$1 $2 0 0" ]; }

# scaled_window ARGS... — started with ARGS, the window is 1280x960 and
# shows the doubled title picture.
scaled_window() {
    E2E_GAME_ARGS=("$@")
    e2e_start_game || return 1
    e2e_wait_until 3000 window_is 1280 960 || { e2e_fail "window is '$(e2e_geometry)', expected 1280x960"; return 1; }
    import -window root "$E2E_TMP/scaled.miff" 2>/dev/null || return 1
    E2E_LAST_SHOT=$E2E_TMP/scaled.miff
    e2e_keep "$E2E_LAST_SHOT" window-scale-2
    enlarged_title "$E2E_TMP/scaled.miff" 2 0 0
}

# --scale 2, and fullscreen and back: the window returns at its scale.
check_scale_2() {
    scaled_window --scale 2 || return 1
    e2e_key F11
    e2e_wait_until 5000 fullscreen_shows_doubled_title || { e2e_fail "F11 at scale 2 shows no centred doubled title"; return 1; }
    e2e_key F11
    e2e_wait_until 3000 window_is 1280 960 || { e2e_fail "after F11 twice the window is '$(e2e_geometry)'"; return 1; }
    # sdl12-compat gives the window its size back before the next frame is
    # shown in it: the picture may come a frame later.
    e2e_wait_until 3000 back_shows_doubled_title || { E2E_REASON=""; back_shows_doubled_title; }
}

back_shows_doubled_title() {
    import -window root "$E2E_TMP/back.miff" 2>/dev/null || return 1
    E2E_LAST_SHOT=$E2E_TMP/back.miff
    enlarged_title "$E2E_TMP/back.miff" 2 0 0
}
check_scale_auto() { scaled_window --scale auto; }

# The whole screen black outside the centred picture, and the picture there.
fullscreen_shows_doubled_title() {
    import -window root "$E2E_TMP/full.miff" 2>/dev/null || return 1
    E2E_LAST_SHOT=$E2E_TMP/full.miff
    local outside
    outside=$(convert "$E2E_TMP/full.miff" -alpha off -fill black -draw "rectangle 320,60 1599,1019" -alpha off \
        -format '%[max]' info: 2>/dev/null)
    [ "$outside" = 0 ] || return 1
    enlarged_title "$E2E_TMP/full.miff" 2 320 60 2>/dev/null
}

check_f11_centres_the_doubled_picture() {
    E2E_GAME_ARGS=()
    e2e_start_game || return 1
    e2e_key F11
    e2e_wait_until 5000 fullscreen_shows_doubled_title || {
        fullscreen_shows_doubled_title
        e2e_fail "after F11 the screen does not show the doubled title centred, black around: ${E2E_REASON:-outside not black}"
        return 1
    }
    e2e_keep "$E2E_LAST_SHOT" window-fullscreen
    local file=$E2E_CONFIG/quarndel/settings.ini
    e2e_wait_until 3000 grep -qx 'fullscreen = on' "$file" || { e2e_fail "after F11 the settings file holds '$(cat "$file" 2>/dev/null)'"; return 1; }
    e2e_key F11
    e2e_wait_until 3000 window_is 640 480 || { e2e_fail "after F11 twice the window is '$(e2e_geometry)'"; return 1; }
    e2e_wait_until 3000 grep -qx 'fullscreen = off' "$file" || { e2e_fail "after F11 twice the settings file holds '$(cat "$file" 2>/dev/null)'"; return 1; }
    # Alt+Enter does the same, and writes the same.
    e2e_key alt+Return
    e2e_wait_until 5000 fullscreen_shows_doubled_title || { e2e_fail "Alt+Enter shows no centred doubled title: ${E2E_REASON:-outside not black}"; return 1; }
    e2e_wait_until 3000 grep -qx 'fullscreen = on' "$file" || { e2e_fail "after Alt+Enter the settings file holds '$(cat "$file" 2>/dev/null)'"; return 1; }
    e2e_key alt+Return
    e2e_wait_until 3000 window_is 640 480 || { e2e_fail "after Alt+Enter twice the window is '$(e2e_geometry)'"; return 1; }
    e2e_wait_until 3000 grep -qx 'fullscreen = off' "$file" || { e2e_fail "after Alt+Enter twice the settings file holds '$(cat "$file" 2>/dev/null)'"; return 1; }
}

# M survives a restart: the first run writes "mute = on"; the second starts
# muted, so its M writes "mute = off".
check_mute_survives_a_restart() {
    local file=$E2E_CONFIG/quarndel/settings.ini
    E2E_GAME_ARGS=()
    rm -rf "$E2E_CONFIG"
    e2e_start_game || return 1
    [ ! -e "$file" ] || { e2e_fail "a settings file was made before any change"; return 1; }
    e2e_key m
    e2e_wait_until 3000 grep -qx 'mute = on' "$file" || { e2e_fail "after M the file holds '$(cat "$file" 2>/dev/null)'"; return 1; }
    e2e_stop_game
    e2e_start_game || return 1
    e2e_key m
    e2e_wait_until 3000 grep -qx 'mute = off' "$file" || { e2e_fail "after a restart and M the file holds '$(cat "$file" 2>/dev/null)'"; return 1; }
}

# A game played with bound keys is recorded as the documented keys: it
# verifies with no settings file at all.
check_bound_recording_verifies_without_settings() {
    local ini=$E2E_TMP/bind.ini rec=$E2E_TMP/bound.qrp out
    printf 'right = d\nfire = left ctrl\nquit = q\n' >"$ini"
    E2E_GAME_ARGS=(--settings "$ini" --record "$rec")
    e2e_start_game || return 1
    e2e_key Return
    sleep 0.5
    e2e_keydown d
    sleep 0.4
    e2e_keyup d
    e2e_key ctrl ctrl q
    e2e_wait_quitting 5000 || return 1
    e2e_wait_exit 5000 || return 1
    out=$(cd "$E2E_ROOT" && XDG_CONFIG_HOME=$E2E_TMP/none SDL_AUDIODRIVER=none timeout 60 \
        "$E2E_GAME" --replay "$rec" --headless --verify 2>&1) ||
        { e2e_fail "the recording does not verify: $out"; return 1; }
}

# Leaving fullscreen puts the window back where the player had moved it.
check_window_keeps_its_place() {
    E2E_GAME_ARGS=()
    e2e_start_game || return 1
    xdotool windowmove "$E2E_WIN" 100 50
    e2e_wait_until 3000 window_at 100 50 || { e2e_fail "the window did not move: '$(e2e_geometry)'"; return 1; }
    e2e_key F11
    e2e_wait_until 5000 fullscreen_shows_doubled_title || { e2e_fail "F11 shows no fullscreen"; return 1; }
    e2e_key F11
    e2e_wait_until 3000 window_at 100 50 || { e2e_fail "after F11 twice the window is '$(e2e_geometry)', expected at 100 50"; return 1; }
}
window_at() { [ "$(e2e_geometry)" = "640 480 $1 $2" ]; }

# fullscreen_fit = fill on a 1366x768 screen: the picture is 1024x768,
# centred, every row of the screen holding it, black beside it. Its own
# screen, so it comes last.
filled_title() {
    import -window root "$E2E_TMP/fill.miff" 2>/dev/null || return 1
    E2E_LAST_SHOT=$E2E_TMP/fill.miff
    local outside diff
    outside=$(convert "$E2E_TMP/fill.miff" -alpha off -fill black -draw "rectangle 171,0 1194,767" -alpha off \
        -format '%[max]' info: 2>/dev/null)
    [ "$outside" = 0 ] || { e2e_fail "not black beside the picture"; return 1; }
    diff=$(compare -metric RMSE \( "$E2E_TMP/fill.miff" -crop 1024x768+171+0 +repage -alpha off \
        -resize "640x480!" \) \( "$TITLE" -alpha off \) null: 2>&1 | sed 's/.*(\(.*\))/\1/')
    awk -v d="$diff" 'BEGIN { exit !(d + 0 < 0.06) }' || { e2e_fail "the 1024x768 area is not the title (RMSE $diff)"; return 1; }
}
check_fill_covers_the_height() {
    e2e_stop_game
    kill "$E2E_XVFB_PID" 2>/dev/null
    wait "$E2E_XVFB_PID" 2>/dev/null
    E2E_SCREEN=1366x768x24
    e2e_start_x || { e2e_fail "no 1366x768 screen"; return 1; }
    mkdir -p "$E2E_CONFIG/quarndel"
    printf 'fullscreen_fit = fill\n' >"$E2E_CONFIG/quarndel/settings.ini"
    E2E_GAME_ARGS=(--fullscreen)
    e2e_start_game || return 1
    e2e_wait_until 5000 filled_title || { E2E_REASON=""; filled_title; return 1; }
    e2e_keep "$E2E_LAST_SHOT" window-fill
}

e2e_check scale_2_opens_1280x960_with_the_title_doubled_and_returns_from_fullscreen check_scale_2
e2e_check scale_auto_on_1920x1080_doubles check_scale_auto
e2e_check f11_centres_the_doubled_picture_on_1920x1080 check_f11_centres_the_doubled_picture
e2e_check m_survives_a_restart_through_the_settings_file check_mute_survives_a_restart
e2e_check a_recording_with_bound_keys_verifies_without_settings check_bound_recording_verifies_without_settings
e2e_check leaving_fullscreen_puts_the_window_back_where_it_was check_window_keeps_its_place
e2e_check fullscreen_fit_fill_covers_the_height_of_1366x768 check_fill_covers_the_height
e2e_finish
