#!/usr/bin/env bash
# Takes the README's screenshots of the real game under Xvfb: the title
# screen, play with enemies, the boss and the game-over screen.
#   tools/screenshots.sh GAME_EXE OUTDIR
# It plays a copy of the shipped data tree whose first level is one screen
# long, so the boss comes after about 11 seconds.
set -euo pipefail
game=$(realpath "$1")
out=$(realpath -m "$2")
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$out"
work=$(mktemp -d)
display=:$((90 + RANDOM % 100))
cleanup() {
  [ -n "${game_pid:-}" ] && kill "$game_pid" 2>/dev/null || true
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

cp -r "$root/data" "$work/data"
sed -i 's/^DISTANCE: .*/DISTANCE: 1/' "$work/data/level_1/leveldata"

Xvfb "$display" -screen 0 640x480x24 >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
sleep 1
(cd "$work" && SDL_AUDIODRIVER=dummy exec "$game") >/dev/null &
game_pid=$!
xdotool search --sync --name '^Quarndel' >/dev/null
sleep 1
shot() { import -window root "$out/$1.png"; }
hold() { xdotool keydown "$1"; sleep "$2"; xdotool keyup "$1"; }

shot title
xdotool key Return
sleep 7.5
hold Down 0.6
for _ in $(seq 1 12); do xdotool key space; sleep 0.12; done
shot play
# Wait for the boss, then greet it with a few shots.
sleep 3.5
for _ in $(seq 1 3); do xdotool key space; sleep 0.15; done
shot boss
# Ram the boss twice: the first costs the only spare life, the second ends
# the game once the ship's protection is over.
hold Right 4.5
hold Right 4.5
sleep 0.5
shot gameover
