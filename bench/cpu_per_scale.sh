#!/usr/bin/env bash
# The game's CPU use while playing at 60 frames a second, at scale 1, 2 and
# 3, in one run on a private 2000x1500 Xvfb screen: each scale is started,
# put into play with Enter (and kept there with N), and measured over SECONDS seconds from
# /proc/PID/stat (user + system time). Prints one line per scale: the CPU
# share of one core taken by the game and by the X server showing its
# frames, and the frame rate the caption showed. CPU_SHOT_DIR=folder keeps
# a screenshot taken at the end of each measurement.
#
# Usage: bench/cpu_per_scale.sh GAME_EXE DATA_PARENT_DIR [SECONDS]
set -u
if [ $# -lt 2 ]; then
    echo "usage: $0 GAME_EXE DATA_PARENT_DIR [SECONDS]" >&2
    exit 2
fi
game=$(readlink -f "$1")
root=$(readlink -f "$2")
seconds=${3:-20}
tmp=$(mktemp -d "${TMPDIR:-/tmp}/quarndel-cpu.XXXXXX")
xvfb=""
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT

Xvfb -displayfd 9 -screen 0 2000x1500x24 -nolisten tcp -br -noreset 9>"$tmp/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do grep -q '^[0-9]' "$tmp/display" && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$tmp/display")"

ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)

for scale in 1 2 3; do
    (cd "$root" && SDL_AUDIODRIVER=dummy XDG_CONFIG_HOME=$tmp/config exec "$game" --scale "$scale") \
        >/dev/null 2>&1 &
    pid=$!
    win=""
    for _ in $(seq 100); do
        win=$(xdotool search --name '^Quarndel' 2>/dev/null | head -n1)
        [ -n "$win" ] && break
        sleep 0.1
    done
    sleep 1
    xdotool key --window "$win" Return
    sleep 2
    before=$(ticks "$pid")
    xbefore=$(ticks "$xvfb")
    # N every half second: a game lost on the way starts again at once, so
    # the measurement stays in play (N does nothing in a running game).
    for _ in $(seq $((seconds * 2))); do
        sleep 0.5
        xdotool key --window "$win" n 2>/dev/null
    done
    after=$(ticks "$pid")
    xafter=$(ticks "$xvfb")
    caption=$(xdotool getwindowname "$win" 2>/dev/null)
    [ -n "${CPU_SHOT_DIR:-}" ] && import -window root "$CPU_SHOT_DIR/cpu-scale-$scale.png"
    awk -v s="$scale" -v t=$((after - before)) -v x=$((xafter - xbefore)) -v hz="$hz" \
        -v secs="$seconds" -v c="$caption" \
        'BEGIN { printf "scale %d: game %.1f%% of a core, X server %.1f%% (%s)\n",
                 s, 100 * t / hz / secs, 100 * x / hz / secs, c }'
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    pid=""
done
