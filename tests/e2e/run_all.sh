#!/usr/bin/env bash
# Runs every real-window test (tests/e2e/test_*.sh) against a built game and
# sums up. Each script starts its own Xvfb; they run one after the other so
# that the game's frame rate is measured on a quiet machine.
#
# Usage: run_all.sh GAME_EXE CLOSE_TOOL DATA_PARENT_DIR
#   GAME_EXE         the built quarndel executable
#   CLOSE_TOOL       the built e2e_close_window (libe2e_hold_quit.so is looked
#                    for next to it, and built with cc when missing)
#   DATA_PARENT_DIR  the folder that holds data/ (the repository root); the
#                    game runs there
# Prints "PASS name" or "FAIL name: reason" per check, then "N passed, M failed".
# Exit status 0 only when nothing failed. E2E_SHOT_DIR=folder keeps the
# screenshots worth looking at, and those of failed checks.
#
# Against a sanitized build, run with ASAN_OPTIONS=detect_leaks=0: SDL_mixer
# and Xlib keep some memory at exit, and the leak report would turn the
# game's exit status 0 into 1.
if [ $# -ne 3 ]; then
    echo "usage: $0 GAME_EXE CLOSE_TOOL DATA_PARENT_DIR" >&2
    exit 2
fi
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
per_script_limit=${E2E_SCRIPT_TIMEOUT:-150}

passed=0
failed=0
log=$(mktemp "${TMPDIR:-/tmp}/quarndel-e2e-log.XXXXXX")
trap 'rm -f "$log" "$log.err"' EXIT

for required in data/titlescreen.bmp data/level_1/leveldata; do
    if [ ! -f "$3/$required" ]; then
        echo "FAIL data: $3/$required is missing"
        echo "0 passed, 1 failed"
        exit 1
    fi
done

for script in "$here"/test_*.sh; do
    name=$(basename "$script" .sh)
    timeout -k 10 "$per_script_limit" bash "$script" "$@" 2>"$log.err" | tee "$log"
    status=${PIPESTATUS[0]}
    p=$(grep -c '^PASS ' "$log")
    f=$(grep -c '^FAIL ' "$log")
    if [ "$status" -ne 0 ] && [ "$f" -eq 0 ]; then
        if [ "$status" -eq 124 ]; then
            echo "FAIL $name: did not finish within $per_script_limit s"
        else
            echo "FAIL $name: ended with status $status"
        fi
        f=1
    fi
    if [ "$f" -gt 0 ] && [ -s "$log.err" ]; then
        tail -n 20 "$log.err" | sed 's/^/# /'
    fi
    passed=$((passed + p))
    failed=$((failed + f))
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
