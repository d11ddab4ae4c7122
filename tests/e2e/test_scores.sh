#!/usr/bin/env bash
# The high scores as a player meets them: a game played to its end enters the
# table of its difficulty with the recording of the run, --scores lists it,
# --verify-scores replays it and finds it true, and a hand-edited score is
# found out. H on the title shows the table over the title picture; any key
# brings back the title exactly as it was, and closing the window while it
# shows ends the program.
#
# The game runs in a copy of data/ whose first level sends fast enemies that
# soon ram the ship, so that holding fire ends a game within seconds with a
# score. Every run keeps its scores in the scratch folder (XDG_DATA_HOME).
#
# Usage: test_scores.sh GAME_EXE CLOSE_TOOL DATA_PARENT_DIR
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$@"

SHIPPED_DATA=$E2E_DATA
E2E_ROOT=$E2E_TMP/tree
E2E_DATA=$E2E_ROOT/data
mkdir -p "$E2E_ROOT" && cp -R "$SHIPPED_DATA" "$E2E_DATA" ||
    { echo "FAIL $E2E_SUITE: could not copy $SHIPPED_DATA"; exit 1; }
# Enemies of one hit point flying 450 to 500 pixels a second, straight and in waves.
sed -i -e 's/^ENEMY 1:.*/ENEMY 1: 0 0 8/' -e 's/^ENEMY 2:.*/ENEMY 2: 0 0 8/' \
    "$E2E_DATA/level_1/leveldata"
SCORES=$E2E_DATA_HOME/quarndel

# scores_game ARGS... — runs the game's score commands from the data copy.
scores_game() {
    (cd "$E2E_ROOT" && XDG_DATA_HOME=$E2E_DATA_HOME SDL_AUDIODRIVER=none timeout -k 5 120 "$E2E_GAME" "$@" 2>&1)
}

game_ended() { [ -f "$E2E_RUN_DIR/rc" ] || [ -f "$E2E_RUN_DIR/quitting" ]; }
# The rank goes to standard error: standard output carries the documented
# messages only.
rank_told() { grep -q '^Score [0-9]* takes rank 1 of 10 in the Easy high scores$' "$E2E_RUN_DIR/stderr"; }

check_game_over_enters_the_table() {
    e2e_start_game || return 1
    e2e_key Return
    sleep 0.5
    # Fire and weave up and down until the enemies have taken every life.
    local deadline=$(($(e2e_now_ms) + 90000)) key=Up
    while ! rank_told && [ "$(e2e_now_ms)" -lt "$deadline" ]; do
        e2e_key space
        e2e_keydown $key
        sleep 0.5
        e2e_keyup $key
        [ $key = Up ] && key=Down || key=Up
    done
    rank_told || { e2e_fail "no rank told within 90 s: $(e2e_game_stdout) $(cat "$E2E_RUN_DIR/stderr")"; return 1; }
    e2e_shot game-over
    e2e_keep "$E2E_SHOT" scores-game-over
    e2e_key Escape
    e2e_wait_exit 10000 || return 1
    [ -s "$E2E_RUN_DIR/stdout" ] && { e2e_fail "standard output: $(e2e_game_stdout)"; return 1; }
    [ "$(grep -c . "$E2E_RUN_DIR/stderr")" = 1 ] ||
        { e2e_fail "warnings besides the rank: $(cat "$E2E_RUN_DIR/stderr")"; return 1; }
    SCORE=$(sed -n 's/^Score \([0-9]*\) takes.*/\1/p' "$E2E_RUN_DIR/stderr")
    local listed
    listed=$(scores_game --scores) || { e2e_fail "--scores failed: $listed"; return 1; }
    grep -q "^  1 *$SCORE  level 1 .* $SCORES/game-.*\.qrp$" <<<"$listed" ||
        { e2e_fail "--scores does not list score $SCORE first: $listed"; return 1; }
    [ "$(grep -c '^  1 ' <<<"$listed")" = 1 ] || { e2e_fail "more than one entry: $listed"; return 1; }
    local verified
    verified=$(scores_game --verify-scores) || { e2e_fail "--verify-scores failed: $verified"; return 1; }
    [ "$verified" = "Easy 1: $SCORE level 1 $(id -un): verified" ] ||
        { e2e_fail "--verify-scores says: $verified"; return 1; }
}

check_edited_score_differs() {
    [ -n "${SCORE:-}" ] || { e2e_fail "no game entered the table"; return 1; }
    sed -i "s/^0 1 $SCORE /0 1 $((SCORE + 10)) /" "$SCORES/scores"
    local verified status
    verified=$(scores_game --verify-scores)
    status=$?
    [ $status = 1 ] || { e2e_fail "--verify-scores ended with $status: $verified"; return 1; }
    grep -q "^Easy 1: $((SCORE + 10)) level 1 .*: differs: the recording ends with score $SCORE," <<<"$verified" ||
        { e2e_fail "--verify-scores says: $verified"; return 1; }
}

# The cursor's box at the Start item, the only part of the title that moves.
CURSOR_W=0
CURSOR_H=0
while read -r file key; do
    read -r w h <<<"$(e2e_size "$E2E_DATA/cursor/$file")"
    [ "${w:-0}" -gt "$CURSOR_W" ] && CURSOR_W=$w
    [ "${h:-0}" -gt "$CURSOR_H" ] && CURSOR_H=$h
done < <(e2e_frames "$E2E_DATA/cursor" | sort -u)

# title_diff A B — pixels that differ between two title screenshots outside
# the cursor's box at (70,318).
title_diff() {
    convert \( "$1" -alpha off \) \( "$2" -alpha off \) -compose difference -composite \
        -fill black -draw "rectangle 70,318 $((70 + CURSOR_W - 1)),$((318 + CURSOR_H - 1))" \
        -alpha off -separate -evaluate-sequence max -threshold 0 -format '%[fx:round(mean*w*h)]' info:
}

centred_text_shown() {
    e2e_text_mask "$3" || return 1
    e2e_measure "$E2E_TEXT_MASK"
    e2e_text_shown "$1" $((320 - (E2E_IMAGE_W - 2) / 2)) "$2" "$3"
}

table_shown() { e2e_shot table && centred_text_shown "$E2E_SHOT" 54 "High scores: Easy"; }

check_h_shows_the_table_until_any_key() {
    e2e_start_game || return 1
    sleep 0.5
    e2e_shot title-before
    local before=$E2E_SHOT
    e2e_key h
    e2e_wait_until 3000 table_shown || { e2e_fail "H did not bring up the Easy table"; return 1; }
    e2e_keep "$E2E_SHOT" scores-table
    e2e_text_shown "$E2E_SHOT" 80 100 "1." || { e2e_fail "the table has no first entry"; return 1; }
    sleep 0.5
    table_shown || { e2e_fail "the table went away without a key"; return 1; }
    e2e_key a
    sleep 0.5
    e2e_shot title-after
    e2e_keep "$E2E_SHOT" scores-title-after
    local diff
    diff=$(title_diff "$before" "$E2E_SHOT")
    [ "$diff" = 0 ] || { e2e_fail "after a key the title differs in $diff pixels"; return 1; }
    # The key that closed the table did nothing else: Escape still ends the title.
    e2e_key Escape
    e2e_wait_exit 10000 || return 1
    [ -s "$E2E_RUN_DIR/stdout" ] && { e2e_fail "output: $(e2e_game_stdout)"; return 1; }
    return 0
}

# Closing the window while the table shows ends the program, as on the title.
check_close_while_the_table_shows_ends_the_game() {
    e2e_start_game || return 1
    sleep 0.5
    e2e_key h
    e2e_wait_until 3000 table_shown || { e2e_fail "H did not bring up the table"; return 1; }
    e2e_close_window || { e2e_fail "the close request could not be sent"; return 1; }
    e2e_wait_exit 5000 || return 1
    [ "$E2E_STATUS" = 0 ] || { e2e_fail "ended with $E2E_STATUS: $(cat "$E2E_RUN_DIR/stderr")"; return 1; }
}

# A run that plays no game writes and makes nothing: no scores folder, no
# file of the run's recording, in a data home of its own.
check_no_game_makes_nothing() {
    local kept=$E2E_DATA_HOME
    E2E_DATA_HOME=$E2E_TMP/untouched-data-home
    mkdir -p "$E2E_DATA_HOME"
    e2e_start_game
    local started=$?
    E2E_DATA_HOME=$kept
    [ $started = 0 ] || return 1
    sleep 0.5
    e2e_key Escape
    e2e_wait_exit 10000 || return 1
    local made
    made=$(find "$E2E_TMP/untouched-data-home" -mindepth 1)
    [ -z "$made" ] || { e2e_fail "a run without a game made: $made"; return 1; }
}

# The table shown over a running title: M still mutes (and the settings file
# keeps it), and a stop signal ends a recorded run with its end line, as on
# the title, without waiting for a key.
check_table_takes_mute_and_a_stop_signal() {
    local recorded=$E2E_TMP/h.qrp
    e2e_start_game --record "$recorded" || return 1
    sleep 0.5
    e2e_key h
    e2e_wait_until 3000 table_shown || { e2e_fail "H did not bring up the table"; return 1; }
    e2e_key m
    e2e_wait_until 3000 grep -q '^mute = on$' "$E2E_CONFIG/quarndel/settings.ini" ||
        { e2e_fail "M during the table was not kept: $(cat "$E2E_RUN_DIR/stderr")"; return 1; }
    table_shown || { e2e_fail "M closed the table"; return 1; }
    kill -TERM "$E2E_GAME_PID"
    e2e_wait_exit 5000 || return 1
    [ "$E2E_STATUS" = 0 ] || { e2e_fail "ended with $E2E_STATUS: $(cat "$E2E_RUN_DIR/stderr")"; return 1; }
    grep -q '^end ' "$recorded" || { e2e_fail "the recording has no end line"; return 1; }
}

e2e_check a_game_played_to_its_end_enters_the_table_and_verifies check_game_over_enters_the_table
e2e_check an_edited_score_is_reported_as_differing check_edited_score_differs
e2e_check h_on_the_title_shows_the_table_until_any_key check_h_shows_the_table_until_any_key
e2e_check a_run_without_a_game_makes_nothing check_no_game_makes_nothing
e2e_check the_table_takes_mute_and_a_stop_signal check_table_takes_mute_and_a_stop_signal
e2e_check closing_the_window_while_the_table_shows_ends_the_game check_close_while_the_table_shows_ends_the_game
e2e_finish
