#!/usr/bin/env bash
# --watch, as a level author uses it: a starter level written by
# quarndel-check --new-level plays, and every save of one of its files shows
# in the running game at once: a replaced background, written in place or
# renamed over the old one as editors do, and a level file with a bad line,
# whose finding is printed as file:line and shown over the play screen while
# the game plays on. A half-written level file stops nothing; a level folder
# deleted and made again is said on standard error and followed again.
#
# Usage: test_watch.sh GAME_EXE CLOSE_TOOL DATA_PARENT_DIR
# The checker is looked for beside the game's build (E2E_CHECKER overrides).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$@"

CHECKER=${E2E_CHECKER:-$(dirname "$E2E_GAME")/tools/levelcheck/quarndel-check}
SHIPPED_DATA=$E2E_DATA
E2E_ROOT=$E2E_TMP/tree
E2E_DATA=$E2E_ROOT/data
mkdir -p "$E2E_ROOT" && cp -R "$SHIPPED_DATA" "$E2E_DATA" ||
    { echo "FAIL $E2E_SUITE: could not copy $SHIPPED_DATA"; exit 1; }
MINE=$E2E_DATA/mine
SCENE1=$E2E_DATA/level_1/scene.bmp
SCENE2=$E2E_DATA/level_2/scene.bmp

playing() { [[ "$(e2e_caption)" =~ ^Quarndel:\ [0-9]+$ ]]; }

new_level_and_play() {
    rm -rf "$MINE"
    (cd "$E2E_ROOT" && "$CHECKER" --new-level data/mine) >"$E2E_TMP/new-level.log" 2>&1 ||
        { e2e_fail "quarndel-check --new-level failed: $(head -c 300 "$E2E_TMP/new-level.log")"; return 1; }
    e2e_start_game --watch --level data/mine || return 1
    e2e_key Return
    e2e_wait_until 5000 playing || { e2e_fail "Enter on Start: caption stayed '$(e2e_caption)'"; return 1; }
}

# scene_is SCENE — a new screenshot shows SCENE scrolling in rows 300..329;
# SHOT_AT is when it was taken.
scene_is() {
    SHOT_AT=$(e2e_now_ms)
    e2e_shot scene && e2e_scene_offset "$E2E_SHOT" "$1" 300 30
}

# replace_and_time WHAT SCENE COMMAND... — runs COMMAND and fails unless the
# play screen shows SCENE within a second.
replace_and_time() {
    local what=$1 scene=$2 saved
    shift 2
    "$@" || { e2e_fail "$what: could not write the picture"; return 1; }
    saved=$(e2e_now_ms)
    e2e_wait_until 1000 scene_is "$scene" ||
        { e2e_fail "$what: the play screen did not show the new background within 1 s"; return 1; }
    e2e_log "$what: on screen $((SHOT_AT - saved)) ms after the save (screenshot taken then)"
}

rename_over() { cp "$1" "$2.new" && mv -f "$2.new" "$2"; }

check_scene_replaced() {
    new_level_and_play || return 1
    e2e_wait_until 3000 scene_is "$SCENE1" || { e2e_fail "the starter level does not show its background"; return 1; }
    e2e_keep "$E2E_SHOT" watch-starter
    replace_and_time "written in place" "$SCENE2" cp "$SCENE2" "$MINE/scene.bmp" || return 1
    e2e_keep "$E2E_SHOT" watch-scene-replaced
    replace_and_time "renamed over" "$SCENE1" rename_over "$SCENE1" "$MINE/scene.bmp" || return 1
    playing || { e2e_fail "the game stopped playing"; return 1; }
    e2e_text_shown "$E2E_SHOT" 580 10 "Lives: 1" || { e2e_fail "the reload changed the lives"; return 1; }
}

check_bad_line() {
    new_level_and_play || return 1
    local file=$MINE/leveldata good=$E2E_TMP/leveldata.good line
    cp "$file" "$good"
    # Half-written, as an editor writing in steps leaves it for a moment.
    head -c 300 "$good" >"$file"
    sleep 0.3
    playing || { e2e_fail "a half-written level file stopped the game"; return 1; }
    { cat "$good"; echo "Distance: 2"; } >"$file.new" && mv -f "$file.new" "$file"
    line=$(wc -l <"$file")
    local where="data/mine/leveldata:$line: warning:"
    e2e_wait_until 2000 grep -q "^$where" "$E2E_RUN_DIR/stderr" ||
        { e2e_fail "no \"$where\" on standard error: $(tail -n 3 "$E2E_RUN_DIR/stderr")"; return 1; }
    e2e_wait_until 2000 shot_shows_finding "$where" ||
        { e2e_fail "\"$where\" is not shown over the play screen"; return 1; }
    e2e_keep "$E2E_SHOT" watch-bad-line
    sleep 0.5
    playing || { e2e_fail "the game stopped after the bad line"; return 1; }
}

check_folder_made_again() {
    new_level_and_play || return 1
    e2e_wait_until 3000 scene_is "$SCENE1" || { e2e_fail "the starter level does not show its background"; return 1; }
    local saved=$E2E_TMP/mine.saved said="quarndel: --watch: data/mine is gone: "
    rm -rf "$saved" && cp -R "$MINE" "$saved" && cp "$SCENE2" "$saved/scene.bmp" || return 1
    rm -rf "$MINE"
    e2e_wait_until 2000 grep -qF "$said" "$E2E_RUN_DIR/stderr" ||
        { e2e_fail "no \"$said\" on standard error: $(tail -n 3 "$E2E_RUN_DIR/stderr")"; return 1; }
    sleep 0.3 # far longer than a save takes to settle
    replace_and_time "folder made again" "$SCENE2" cp -R "$saved" "$MINE" || return 1
    playing || { e2e_fail "the game stopped playing"; return 1; }
}

# The findings are written from (16,42), one line of the font (16 pixels)
# each: the summary first, then the findings.
shot_shows_finding() { e2e_shot finding && e2e_text_shown "$E2E_SHOT" 16 58 "$1"; }

e2e_check background_replaced_in_place_or_by_rename_shows_within_a_second check_scene_replaced
e2e_check bad_line_is_printed_and_shown_while_the_game_plays_on check_bad_line
e2e_check level_folder_deleted_and_made_again_is_said_and_followed check_folder_made_again
e2e_finish
