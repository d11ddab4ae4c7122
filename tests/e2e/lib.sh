# shellcheck shell=bash
# Helpers for the real-window tests, sourced by every tests/e2e/test_*.sh.
#
# A test script calls e2e_setup GAME_EXE CLOSE_TOOL DATA_PARENT_DIR once; that
# starts a private Xvfb and arranges for everything started here to be ended
# when the script exits, however it exits. Each check then starts the real
# game (e2e_start_game), drives it with key presses sent to its window, reads
# its caption, takes screenshots and compares their pixels with the pictures
# in data/.
#
# The game must run in the folder that holds data/ (DATA_PARENT_DIR). The
# screen is 800x600 so that the window's own size shows; without a window
# manager the game's window sits at the root's (0,0), and screenshots are cut
# to the window's 640x480.
#
# Environment:
#   E2E_SHOT_DIR  keep named screenshots (e2e_keep) and those of failed checks
#   E2E_HOLD_LIB  the e2e_hold_quit library; found next to CLOSE_TOOL or built
#   E2E_KEEP_TMP  1 keeps the scratch folder (its path is printed)

E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

E2E_TMP=""
E2E_XVFB_PID=""
E2E_GAME_PID=""
E2E_WATCH_PID=""
E2E_WIN=""
E2E_RUN_DIR=""
E2E_RUNS=0
E2E_STATUS=""
E2E_REASON=""
E2E_LAST_SHOT=""
E2E_PASSED=0
E2E_FAILED=0
# Check names are printed as SUITE/name, SUITE from the script's name.
E2E_SUITE=$(basename "$0" .sh)
E2E_SUITE=${E2E_SUITE#test_}

E2E_W=640
E2E_H=480

e2e_now_ms() { date +%s%3N; }

# e2e_wait_until TIMEOUT_MS COMMAND... — runs COMMAND every 50 ms until it
# succeeds; fails when TIMEOUT_MS pass first.
e2e_wait_until() {
    local deadline=$(($(e2e_now_ms) + $1))
    shift
    while true; do
        "$@" && return 0
        [ "$(e2e_now_ms)" -ge "$deadline" ] && return 1
        sleep 0.05
    done
}

e2e_log() { echo "# $*" >&2; }

# ---------------------------------------------------------------- set-up

e2e_setup() {
    if [ $# -ne 3 ]; then
        echo "usage: $0 GAME_EXE CLOSE_TOOL DATA_PARENT_DIR" >&2
        exit 2
    fi
    E2E_GAME=$(readlink -f "$1")
    E2E_CLOSE=$(readlink -f "$2")
    E2E_ROOT=$(readlink -f "$3")
    E2E_DATA=$E2E_ROOT/data
    local missing=""
    [ -x "$E2E_GAME" ] || missing="$missing game:$1"
    [ -x "$E2E_CLOSE" ] || missing="$missing close-tool:$2"
    [ -d "$E2E_DATA" ] || missing="$missing data:$3/data"
    local tool
    for tool in Xvfb xdotool import convert identify; do
        command -v "$tool" >/dev/null || missing="$missing $tool"
    done
    if [ -n "$missing" ]; then
        echo "FAIL $E2E_SUITE: missing:$missing"
        exit 1
    fi
    E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/quarndel-e2e.XXXXXX")
    trap e2e_cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    e2e_find_hold_lib || { echo "FAIL $E2E_SUITE: no e2e_hold_quit library"; exit 1; }
    e2e_start_x || { echo "FAIL $E2E_SUITE: Xvfb did not start: $(head -c 300 "$E2E_TMP/xvfb.log")"; exit 1; }
}

# The library that keeps the game's last frame on screen (hold_quit.c).
e2e_find_hold_lib() {
    if [ -n "${E2E_HOLD_LIB:-}" ] && [ -f "$E2E_HOLD_LIB" ]; then
        return 0
    fi
    E2E_HOLD_LIB=$(dirname "$E2E_CLOSE")/libe2e_hold_quit.so
    [ -f "$E2E_HOLD_LIB" ] && return 0
    E2E_HOLD_LIB=$E2E_TMP/libe2e_hold_quit.so
    "${CC:-cc}" -std=c99 -O1 -shared -fPIC "$E2E_LIB_DIR/hold_quit.c" -ldl -o "$E2E_HOLD_LIB" 2>"$E2E_TMP/hold_quit.log"
}

# Starts Xvfb on a display number it picks itself (-displayfd), so that tests
# running side by side never share a screen.
e2e_start_x() {
    local numfile=$E2E_TMP/display
    : >"$numfile"
    Xvfb -displayfd 9 -screen 0 800x600x24 -nolisten tcp -br -noreset \
        9>"$numfile" >"$E2E_TMP/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    e2e_wait_until 10000 grep -q '^[0-9][0-9]*$' "$numfile" || return 1
    export DISPLAY=":$(head -n1 "$numfile")"
    e2e_wait_until 5000 xdotool getdisplaygeometry >/dev/null 2>&1
}

e2e_cleanup() {
    e2e_stop_game
    if [ -n "$E2E_XVFB_PID" ]; then
        kill "$E2E_XVFB_PID" 2>/dev/null
        wait "$E2E_XVFB_PID" 2>/dev/null
        E2E_XVFB_PID=""
    fi
    if [ -n "$E2E_TMP" ] && [ -d "$E2E_TMP" ]; then
        if [ "${E2E_KEEP_TMP:-0}" = 1 ]; then
            e2e_log "kept $E2E_TMP"
        else
            rm -rf "$E2E_TMP"
        fi
    fi
}

# ---------------------------------------------------------------- the game

# e2e_start_game — starts the game in DATA_PARENT_DIR and waits for its
# window. Its last frame is held on screen when it ends (e2e_wait_quitting).
# Sets E2E_GAME_PID and E2E_WIN; fails with E2E_REASON set.
e2e_start_game() {
    e2e_stop_game
    E2E_RUNS=$((E2E_RUNS + 1))
    E2E_RUN_DIR=$E2E_TMP/run$E2E_RUNS
    mkdir -p "$E2E_RUN_DIR"
    E2E_STATUS=""
    E2E_WIN=""
    local run=$E2E_RUN_DIR
    (
        cd "$E2E_ROOT" || exit 125
        export SDL_AUDIODRIVER=dummy
        export E2E_QUIT_MARK=$run/quitting
        export LD_PRELOAD=$E2E_HOLD_LIB${LD_PRELOAD:+:$LD_PRELOAD}
        # A sanitized game wants its runtime first; the preload is harmless.
        export ASAN_OPTIONS=verify_asan_link_order=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}
        "$E2E_GAME" >"$run/stdout" 2>"$run/stderr" &
        echo $! >"$run/pid"
        wait $!
        echo $? >"$run/rc"
    ) &
    E2E_WATCH_PID=$!
    e2e_wait_until 5000 test -s "$run/pid" || { e2e_fail "game did not start"; return 1; }
    E2E_GAME_PID=$(cat "$run/pid")
    local deadline=$(($(e2e_now_ms) + 10000))
    while [ -z "$E2E_WIN" ]; do
        if [ -f "$run/rc" ]; then
            e2e_fail "game ended (status $(cat "$run/rc")) before its window appeared: $(head -c 300 "$run/stdout")"
            return 1
        fi
        if [ "$(e2e_now_ms)" -ge "$deadline" ]; then
            e2e_fail "no window named Quarndel within 10 s"
            return 1
        fi
        E2E_WIN=$(xdotool search --name '^Quarndel' 2>/dev/null | head -n1)
        [ -n "$E2E_WIN" ] || sleep 0.05
    done
    # The window exists before the first frame is drawn into it.
    e2e_wait_until 5000 e2e_screen_drawn || { e2e_fail "window stayed black"; return 1; }
}

e2e_game_running() { [ -n "$E2E_RUN_DIR" ] && [ ! -f "$E2E_RUN_DIR/rc" ]; }

e2e_screen_drawn() {
    local shot=$E2E_TMP/drawn.png
    e2e_shot_to "$shot" || return 1
    [ "$(convert "$shot" -format '%[max]' info:)" != 0 ]
}

# Ends the game (by its PID) if it still runs, and waits for its window to go.
e2e_stop_game() {
    if [ -n "$E2E_RUN_DIR" ]; then
        rm -f "$E2E_RUN_DIR/quitting"
        if [ ! -f "$E2E_RUN_DIR/rc" ] && [ -n "$E2E_GAME_PID" ]; then
            # SDL turns SIGTERM into a quit event; the game then ends
            # through its held shut-down, which is released here as well.
            kill "$E2E_GAME_PID" 2>/dev/null
            if ! e2e_wait_until 3000 e2e_released_and_ended; then
                kill -KILL "$E2E_GAME_PID" 2>/dev/null
                e2e_wait_until 3000 test -f "$E2E_RUN_DIR/rc"
            fi
        fi
    fi
    if [ -n "$E2E_WATCH_PID" ]; then
        wait "$E2E_WATCH_PID" 2>/dev/null
        E2E_WATCH_PID=""
    fi
    if [ -n "$E2E_WIN" ]; then
        e2e_wait_until 3000 e2e_window_gone
    fi
    E2E_GAME_PID=""
    E2E_WIN=""
}

e2e_released_and_ended() {
    rm -f "$E2E_RUN_DIR/quitting"
    [ -f "$E2E_RUN_DIR/rc" ]
}

e2e_window_gone() { ! xdotool getwindowname "$E2E_WIN" >/dev/null 2>&1; }

# e2e_wait_quitting TIMEOUT_MS — waits until the game has decided to end: its
# main function has returned and its window still shows the last frame drawn.
# It stays so until e2e_wait_exit.
e2e_wait_quitting() {
    local run=$E2E_RUN_DIR
    e2e_wait_until "$1" e2e_quitting_or_ended || { e2e_fail "game did not end within $1 ms"; return 1; }
    if [ ! -f "$run/quitting" ]; then
        e2e_fail "game ended (status $(cat "$run/rc")) without shutting down normally"
        return 1
    fi
}

e2e_quitting_or_ended() { [ -f "$E2E_RUN_DIR/quitting" ] || [ -f "$E2E_RUN_DIR/rc" ]; }

# e2e_wait_exit TIMEOUT_MS — lets the game finish and sets E2E_STATUS to its
# exit status.
e2e_wait_exit() {
    local run=$E2E_RUN_DIR
    local deadline=$(($(e2e_now_ms) + $1))
    while [ ! -f "$run/rc" ]; do
        rm -f "$run/quitting"
        if [ "$(e2e_now_ms)" -ge "$deadline" ]; then
            e2e_fail "game still running after $1 ms"
            return 1
        fi
        sleep 0.05
    done
    E2E_STATUS=$(cat "$run/rc")
    [ -n "$E2E_WATCH_PID" ] && wait "$E2E_WATCH_PID" 2>/dev/null
    E2E_WATCH_PID=""
}

e2e_game_stdout() { cat "$E2E_RUN_DIR/stdout"; }

# ---------------------------------------------------------------- input

# One press and release per call: SDL takes a release directly followed by a
# press of the same key as key repeat, so presses are spaced by a frame or more.
e2e_key() {
    local key
    for key in "$@"; do
        xdotool key --window "$E2E_WIN" "$key" 2>/dev/null
        sleep 0.1
    done
}

# Held keys steer the ship: the game reads SDL's held-key state every frame.
e2e_keydown() { xdotool keydown --window "$E2E_WIN" "$@" 2>/dev/null; }
e2e_keyup() { xdotool keyup --window "$E2E_WIN" "$@" 2>/dev/null; }

# The window manager's close request (WM_DELETE_WINDOW).
e2e_close_window() { "$E2E_CLOSE" "$E2E_WIN"; }

# ---------------------------------------------------------------- window

e2e_caption() { xdotool getwindowname "$E2E_WIN" 2>/dev/null; }

# Prints "WIDTH HEIGHT X Y" of the game's window.
e2e_geometry() {
    local WINDOW X Y WIDTH HEIGHT SCREEN
    eval "$(xdotool getwindowgeometry --shell "$E2E_WIN" 2>/dev/null)"
    echo "${WIDTH:-?} ${HEIGHT:-?} ${X:-?} ${Y:-?}"
}

# ---------------------------------------------------------------- pictures

e2e_shot_to() {
    import -window root -crop "${E2E_W}x${E2E_H}+0+0" +repage "$1" 2>/dev/null
}

# e2e_shot NAME — screenshot of the window's area into E2E_SHOT (a file in
# the scratch folder named after NAME).
e2e_shot() {
    E2E_SHOT=$E2E_TMP/$1.png
    E2E_LAST_SHOT=$E2E_SHOT
    e2e_shot_to "$E2E_SHOT"
}

# e2e_keep SHOT NAME — keeps a screenshot in E2E_SHOT_DIR, if set.
e2e_keep() {
    [ -n "${E2E_SHOT_DIR:-}" ] || return 0
    mkdir -p "$E2E_SHOT_DIR" && cp "$1" "$E2E_SHOT_DIR/$2.png"
}

# e2e_pixel FILE X Y — prints "R G B", 0..255.
e2e_pixel() {
    convert "$1" -crop "1x1+$2+$3" +repage -alpha off -depth 8 txt:- 2>/dev/null |
        sed -n 's/^0,0: *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p'
}

# e2e_size IMAGE — prints "WIDTH HEIGHT".
e2e_size() { identify -format '%w %h' "$1" 2>/dev/null; }

# e2e_frames SET_DIR — prints "FILE KEY" for each frame of a sprite set, KEY
# being the transparent colour as "r,g,b" or "none". Follows the info file's
# rules: "FILES: n" first, '#' and empty lines skipped, missing numbers taken
# from the line before.
e2e_frames() {
    awk 'NR == 1 { if ($1 == "FILES:") n = $2 + 0; next }
         { sub(/\r$/, "") }
         /^#/ || $0 == "" { next }
         count >= n { exit }
         {
             if (NF >= 1) name = $1
             if (NF >= 3) r = $3
             if (NF >= 4) g = $4
             if (NF >= 5) b = $5
             key = (r + 0 < 0) ? "none" : ((r % 256) "," (g % 256) "," (b % 256))
             print name, key
             count++
         }' "$1/info"
}

# Pictures the game loads with a black transparent colour.
E2E_BLACK=0,0,0

# e2e_mismatch SHOT X Y IMAGE [KEY] — prints how many drawn pixels of IMAGE
# (all, or those not of colour KEY) differ from SHOT at (X,Y). The part of
# IMAGE beyond the window's edge is left out.
e2e_mismatch() {
    local shot=$1 x=$2 y=$3 image=$4 key=${5:-none}
    local w h
    read -r w h <<<"$(e2e_size "$image")"
    [ -n "$h" ] || { echo 999999; return 1; }
    [ $((x + w)) -gt $E2E_W ] && w=$((E2E_W - x))
    [ $((y + h)) -gt $E2E_H ] && h=$((E2E_H - y))
    local mask
    if [ "$key" = none ]; then
        mask=(\( "$image" -alpha off -crop "${w}x${h}+0+0" +repage -fill white -colorize 100 \))
    else
        mask=(\( "$image" -alpha off -crop "${w}x${h}+0+0" +repage -transparent "rgb($key)" -alpha extract \))
    fi
    convert \( "$shot" -alpha off -crop "${w}x${h}+$x+$y" +repage \) \
        \( "$image" -alpha off -crop "${w}x${h}+0+0" +repage \) \
        -compose difference -composite -separate -evaluate-sequence max -threshold 0 \
        "${mask[@]}" -compose multiply -composite \
        -format '%[fx:round(mean*w*h)]' info: 2>/dev/null
}

# e2e_drawn_count IMAGE KEY — prints how many pixels of IMAGE are drawn.
e2e_drawn_count() {
    if [ "$2" = none ]; then
        identify -format '%[fx:w*h]' "$1"
    else
        convert "$1" -alpha off -transparent "rgb($2)" -alpha extract -format '%[fx:round(mean*w*h)]' info:
    fi
}

# e2e_shows SHOT X Y IMAGE [KEY] — the window shows IMAGE at (X,Y), exactly,
# in every pixel it draws.
e2e_shows() {
    local n
    n=$(e2e_mismatch "$@")
    [ "$n" = 0 ]
}

# e2e_find SHOT IMAGE KEY POSITIONS... — prints the first position "x,y" of
# POSITIONS at which SHOT shows IMAGE exactly; fails when none does. All
# positions are tried in one ImageMagick run, on the band of rows they span.
e2e_find() {
    local shot=$1 image=$2 key=$3
    shift 3
    local w h
    read -r w h <<<"$(e2e_size "$image")"
    [ -n "$h" ] || return 1
    local kept=() pos x y top=$E2E_H bottom=0
    for pos in "$@"; do
        x=${pos%,*}
        y=${pos#*,}
        [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le $E2E_W ] && [ $((y + h)) -le $E2E_H ] || continue
        kept+=("$pos")
        [ "$y" -lt "$top" ] && top=$y
        [ "$y" -gt "$bottom" ] && bottom=$y
    done
    [ ${#kept[@]} -gt 0 ] || return 1
    local args=(\( "$shot" -alpha off -crop "${E2E_W}x$((bottom - top + h))+0+$top" +repage -write mpr:band +delete \)
        \( "$image" -alpha off -write mpr:image +delete \))
    if [ "$key" = none ]; then
        args+=(\( mpr:image -fill white -colorize 100 -write mpr:mask +delete \))
    else
        args+=(\( mpr:image -transparent "rgb($key)" -alpha extract -write mpr:mask +delete \))
    fi
    for pos in "${kept[@]}"; do
        x=${pos%,*}
        y=${pos#*,}
        # The masked difference is black exactly where the picture is shown.
        args+=(\( mpr:band -crop "${w}x${h}+$x+$((y - top))" +repage mpr:image
            -compose difference -composite mpr:mask -compose multiply -composite \))
    done
    local i=0 n
    while read -r n; do
        if [ "$n" = 0 ]; then
            echo "${kept[$i]}"
            return 0
        fi
        i=$((i + 1))
    done < <(convert "${args[@]}" -format '%[max]\n' info: 2>/dev/null)
    return 1
}

# e2e_region_diff A B X Y W H — prints how many pixels of the region differ
# between two screenshots.
e2e_region_diff() {
    compare -metric AE \( "$1" -crop "$5x$6+$3+$4" +repage \) \( "$2" -crop "$5x$6+$3+$4" +repage \) null: 2>&1 |
        sed 's/ .*//'
}

# ---------------------------------------------------------------- checks

# e2e_check NAME FUNCTION [ARGS...] — runs one check and prints PASS or FAIL
# with the reason the function gave through e2e_fail. The game is ended
# afterwards, so every check starts from a fresh run.
e2e_check() {
    local name=$1
    shift
    E2E_REASON=""
    E2E_LAST_SHOT=""
    if "$@"; then
        echo "PASS $E2E_SUITE/$name"
        E2E_PASSED=$((E2E_PASSED + 1))
    else
        echo "FAIL $E2E_SUITE/$name: ${E2E_REASON:-failed}"
        E2E_FAILED=$((E2E_FAILED + 1))
        [ -n "$E2E_LAST_SHOT" ] && [ -f "$E2E_LAST_SHOT" ] && e2e_keep "$E2E_LAST_SHOT" "FAIL-$E2E_SUITE-$name"
    fi
    e2e_stop_game
}

# e2e_fail REASON — records why the running check fails; returns 1.
e2e_fail() {
    [ -n "$E2E_REASON" ] || E2E_REASON=$*
    return 1
}

# Exit status of a test script: 0 when every check passed.
e2e_finish() { [ "$E2E_FAILED" -eq 0 ]; }
