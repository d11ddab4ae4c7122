#!/usr/bin/env bash
# Measures --watch under Xvfb (not a test: run_all.sh runs test_*.sh only):
# - the time from saving a level's background to the changed background on
#   screen, by screenshots of one pixel in a tight loop, over ROUNDS saves;
# - the game's CPU time in play, without --watch and with it, the same
#   number of seconds each, one after the other.
#
# Usage: measure_watch.sh GAME_EXE CLOSE_TOOL DATA_PARENT_DIR [ROUNDS] [SECONDS]
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
rounds=${4:-10}
seconds=${5:-20}
e2e_setup "$1" "$2" "$3"

CHECKER=${E2E_CHECKER:-$(dirname "$E2E_GAME")/tools/levelcheck/quarndel-check}
E2E_ROOT=$E2E_TMP/tree
mkdir -p "$E2E_ROOT" && cp -R "$E2E_DATA" "$E2E_ROOT/data" || exit 1
E2E_DATA=$E2E_ROOT/data
(cd "$E2E_ROOT" && "$CHECKER" --new-level data/mine >/dev/null) || exit 1
for c in red blue; do
    convert -size 640x480 "xc:$c" -type truecolor "BMP3:$E2E_TMP/$c.bmp" || exit 1
done

playing() { [[ "$(e2e_caption)" =~ ^Quarndel:\ [0-9]+$ ]]; }
start_play() {
    e2e_start_game "$@" && e2e_key Return && e2e_wait_until 5000 playing
}
# The pixel at (600,400), clear of the ship, the level picture and the text.
pixel() { import -window root -crop 1x1+600+400 -depth 8 txt:- 2>/dev/null | sed -n 's/.*#\([0-9A-F]\{6\}\).*/\1/p'; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$E2E_GAME_PID/stat"; }

start_play --watch --level data/mine || { echo "could not start: $E2E_REASON"; exit 1; }
sleep 1
latencies=()
for ((i = 0; i < rounds; i++)); do
    if ((i % 2)); then colour=blue want=0000FF; else colour=red want=FF0000; fi
    cp "$E2E_TMP/$colour.bmp" "$E2E_DATA/mine/.scene.new" && mv -f "$E2E_DATA/mine/.scene.new" "$E2E_DATA/mine/scene.bmp"
    saved=$(e2e_now_ms)
    while true; do
        at=$(e2e_now_ms)
        [ "$(pixel)" = "$want" ] && break
        [ $((at - saved)) -gt 3000 ] && { at=timeout; break; }
    done
    latencies+=("$((at - saved))")
    sleep 0.7
done
e2e_stop_game
echo "save to screen (ms, time the matching screenshot started): ${latencies[*]}"
printf '%s\n' "${latencies[@]}" | sort -n | awk '{ v[NR] = $1 } END { printf "median %d ms, max %d ms over %d saves\n", v[int((NR + 1) / 2)], v[NR], NR }'

hz=$(getconf CLK_TCK)
for run in plain watch; do
    if [ $run = watch ]; then start_play --watch --level data/mine; else start_play --level data/mine; fi || exit 1
    sleep 1
    before=$(cpu_ticks)
    sleep "$seconds"
    after=$(cpu_ticks)
    e2e_stop_game
    awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" -v r=$run \
        'BEGIN { printf "CPU in play %-5s: %.2f s in %d s = %.1f%% of a core\n", r, t / hz, s, 100 * t / hz / s }'
done
