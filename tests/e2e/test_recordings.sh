#!/usr/bin/env bash
# Recordings as a player makes them in play: a game killed outright leaves a
# recording that plays up to the iteration it died in, and one ended by
# SIGTERM a complete recording that verifies. Both are replayed from another
# folder than the one holding data/, naming the data folder.
#
# Usage: test_recordings.sh GAME_EXE CLOSE_TOOL DATA_PARENT_DIR
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup "$@"

RECORDINGS=$E2E_TMP/recordings
mkdir -p "$RECORDINGS"

# replay FILE [--verify] — replays FILE headless from /; sets REPLAY_OUT and
# returns the game's exit status.
replay() {
    REPLAY_OUT=$(cd / && SDL_AUDIODRIVER=none timeout -k 5 60 "$E2E_GAME" \
        --data-dir "$E2E_ROOT" --replay "$1" --headless "${@:2}" 2>&1)
}

# play_recorded FILE — starts a recorded game, chooses Start and plays a
# second: the ship flies right and fires.
play_recorded() {
    e2e_start_game --record "$1" || return 1
    e2e_key Return
    sleep 0.3
    e2e_keydown Right
    sleep 0.4
    e2e_key space
    e2e_keyup Right
    sleep 0.3
    grep -q '^play ' "$1" || e2e_fail "the recording does not show play beginning"
}

check_killed_in_play() {
    local file=$RECORDINGS/killed.qrp status
    play_recorded "$file" || return 1
    kill -KILL "$E2E_GAME_PID"
    e2e_wait_until 5000 test -f "$E2E_RUN_DIR/rc" || { e2e_fail "the game outlived SIGKILL"; return 1; }
    replay "$file"
    status=$?
    [ $status -eq 0 ] || { e2e_fail "replay ended with $status: $REPLAY_OUT"; return 1; }
    case $REPLAY_OUT in
        *"differs"*) e2e_fail "the replay differs: $REPLAY_OUT"; return 1 ;;
        *"without an end: the game did not finish"*) ;;
        *) e2e_fail "the replay does not say where the recording ends: $REPLAY_OUT"; return 1 ;;
    esac
    replay "$file" --verify
    status=$?
    [ $status -eq 1 ] || e2e_fail "a verification of a killed game's recording ended with $status"
}

check_terminated_in_play() {
    local file=$RECORDINGS/terminated.qrp status
    play_recorded "$file" || return 1
    kill -TERM "$E2E_GAME_PID"
    e2e_wait_exit 5000 || return 1
    [ "$E2E_STATUS" = 0 ] || { e2e_fail "the game ended with $E2E_STATUS"; return 1; }
    tail -n 1 "$file" | grep -q '^end ' || { e2e_fail "no end line: $(tail -n 1 "$file")"; return 1; }
    replay "$file" --verify
    status=$?
    [ $status -eq 0 ] || e2e_fail "the verification ended with $status: $REPLAY_OUT"
}

e2e_check killed_in_play_replays_up_to_where_it_died check_killed_in_play
e2e_check terminated_in_play_leaves_a_recording_that_verifies check_terminated_in_play
e2e_finish
