#!/usr/bin/env bash
# Measures the CPU the game costs in play at 60 frames a second under Xvfb,
# on the classic SDL 1.2 and on sdl12-compat with each way of presenting a
# frame tried, one after the other in one run (not a test: run_all.sh runs
# test_*.sh only). Prints one line per setting: the game's CPU and the X
# server's, in % of a core.
#
# Usage: measure_sdl.sh GAME_EXE CLOSE_TOOL DATA_PARENT_DIR [SECONDS]
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
seconds=${4:-15}
e2e_setup "$1" "$2" "$3"
compat=${SDL12_COMPAT_DIR:-/usr/lib/x86_64-linux-gnu/sdl12-compat}

playing() { [[ "$(e2e_caption)" =~ ^Quarndel:\ [0-9]+$ ]]; }
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)

# measure LABEL [VARIABLE=VALUE...] — a fresh game in play with those
# variables set, measured for SECONDS after a settling second.
measure() {
    local label=$1 game0 x0 game1 x1
    shift
    E2E_RUNS=$((E2E_RUNS + 1)) # the runs happen in subshells; each gets a folder of its own
    (
        export "$@"
        e2e_start_game && e2e_key Return && e2e_wait_until 5000 playing || { echo "$label: could not start play: $E2E_REASON (caption $(e2e_caption))"; exit 0; }
        sleep 1
        game0=$(ticks "$E2E_GAME_PID") x0=$(ticks "$E2E_XVFB_PID")
        sleep "$seconds"
        game1=$(ticks "$E2E_GAME_PID") x1=$(ticks "$E2E_XVFB_PID")
        e2e_stop_game
        awk -v g=$((game1 - game0)) -v x=$((x1 - x0)) -v hz="$hz" -v s="$seconds" -v l="$label" \
            'BEGIN { printf "%-58s game %5.1f%%  Xvfb %5.1f%%  together %5.1f%%\n", l, 100 * g / hz / s, 100 * x / hz / s, 100 * (g + x) / hz / s }'
    )
}

echo "CPU in play, $seconds s each, % of one core"
measure "classic SDL 1.2.15" X=1
measure "sdl12-compat, nothing set (the game's own choice)" LD_LIBRARY_PATH="$compat"
measure "sdl12-compat, SDL_FRAMEBUFFER_ACCELERATION=1 (the library's own)" LD_LIBRARY_PATH="$compat" SDL_FRAMEBUFFER_ACCELERATION=1
measure "sdl12-compat, SDL_RENDER_DRIVER=opengl" LD_LIBRARY_PATH="$compat" SDL_RENDER_DRIVER=opengl
measure "sdl12-compat, SDL_RENDER_DRIVER=opengles2" LD_LIBRARY_PATH="$compat" SDL_RENDER_DRIVER=opengles2
measure "sdl12-compat, SDL_RENDER_DRIVER=software" LD_LIBRARY_PATH="$compat" SDL_RENDER_DRIVER=software
measure "sdl12-compat, opengl, SDL12COMPAT_SCALE_METHOD=nearest" LD_LIBRARY_PATH="$compat" SDL_RENDER_DRIVER=opengl SDL12COMPAT_SCALE_METHOD=nearest
measure "sdl12-compat, opengl, SDL12COMPAT_OPENGL_SCALING=0" LD_LIBRARY_PATH="$compat" SDL_RENDER_DRIVER=opengl SDL12COMPAT_OPENGL_SCALING=0
measure "sdl12-compat, SDL_FRAMEBUFFER_ACCELERATION=0" LD_LIBRARY_PATH="$compat" SDL_FRAMEBUFFER_ACCELERATION=0
measure "sdl12-compat, software, SDL_FRAMEBUFFER_ACCELERATION=0" LD_LIBRARY_PATH="$compat" SDL_RENDER_DRIVER=software SDL_FRAMEBUFFER_ACCELERATION=0
measure "sdl12-compat, opengl, SDL_RENDER_VSYNC=0" LD_LIBRARY_PATH="$compat" SDL_RENDER_DRIVER=opengl SDL_RENDER_VSYNC=0
