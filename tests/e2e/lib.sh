# shellcheck shell=bash
# shellcheck disable=SC2034 # variables here are read by the test scripts
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
#   E2E_SCREEN    the Xvfb screen, 800x600x24 unless set
#
# E2E_GAME_ARGS (an array) holds options the game is started with. Every run
# gets XDG_CONFIG_HOME=E2E_CONFIG and XDG_DATA_HOME=E2E_DATA_HOME, folders in
# the scratch folder, so the player's own settings and high scores are never
# read or written.

E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

E2E_TMP=""
E2E_XVFB_PID=""
E2E_GAME_PID=""
E2E_WATCH_PID=""
E2E_WIN=""
E2E_RUN_DIR=""
E2E_RUNS=0
E2E_STATUS="" # exit status of the last game that ended (e2e_wait_exit)
E2E_REASON=""
E2E_LAST_SHOT=""
E2E_PASSED=0
E2E_FAILED=0
# Check names are printed as SUITE/name, SUITE from the script's name.
E2E_SUITE=$(basename "$0" .sh)
E2E_SUITE=${E2E_SUITE#test_}

E2E_W=640
E2E_H=480
E2E_GAME_ARGS=()
E2E_CONFIG=""
E2E_DATA_HOME=""

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
    E2E_CONFIG=$E2E_TMP/config
    E2E_DATA_HOME=$E2E_TMP/data-home
    trap e2e_cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    trap 'exit 141' PIPE
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
    Xvfb -displayfd 9 -screen 0 "${E2E_SCREEN:-800x600x24}" -nolisten tcp -br -noreset \
        9>"$numfile" >"$E2E_TMP/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    e2e_wait_until 10000 grep -q '^[0-9][0-9]*$' "$numfile" || return 1
    DISPLAY=":$(head -n1 "$numfile")"
    export DISPLAY
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

# e2e_start_game [ARGS...] — starts the game with ARGS in DATA_PARENT_DIR
# and waits for its window. Its last frame is held on screen when it ends (e2e_wait_quitting).
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
        export XDG_CONFIG_HOME=$E2E_CONFIG
        export XDG_DATA_HOME=$E2E_DATA_HOME
        # Without a window manager the classic library opens the window at
        # (0,0) and sdl12-compat centres it; both place it where this says.
        export SDL_VIDEO_WINDOW_POS=${SDL_VIDEO_WINDOW_POS:-0,0}
        export E2E_QUIT_MARK=$run/quitting
        export LD_PRELOAD=$E2E_HOLD_LIB${LD_PRELOAD:+:$LD_PRELOAD}
        # A sanitized game wants its runtime first; the preload is harmless.
        export ASAN_OPTIONS=verify_asan_link_order=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}
        "$E2E_GAME" "${E2E_GAME_ARGS[@]}" "$@" >"$run/stdout" 2>"$run/stderr" &
        echo $! >"$run/pid"
        wait $!
        echo $? >"$run/rc"
    ) 2>"$run/watch.log" &
    E2E_WATCH_PID=$!
    e2e_wait_until 5000 test -s "$run/pid" || { e2e_fail "game did not start"; return 1; }
    E2E_GAME_PID=$(cat "$run/pid")
    # Generous: on a busy machine start-up can take seconds.
    local deadline=$(($(e2e_now_ms) + 15000))
    while [ -z "$E2E_WIN" ]; do
        if [ -f "$run/rc" ]; then
            e2e_fail "game ended (status $(cat "$run/rc")) before its window appeared: $(head -c 300 "$run/stdout")"
            return 1
        fi
        if [ "$(e2e_now_ms)" -ge "$deadline" ]; then
            e2e_fail "no window named Quarndel within 15 s"
            return 1
        fi
        E2E_WIN=$(xdotool search --name '^Quarndel' 2>/dev/null | head -n1)
        [ -n "$E2E_WIN" ] || sleep 0.05
    done
    # The window exists before the first frame is drawn into it.
    e2e_wait_until 10000 e2e_screen_drawn || { e2e_fail "window stayed black for 10 s"; return 1; }
}

e2e_screen_drawn() {
    local shot=$E2E_TMP/drawn.miff
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
    local X Y WIDTH HEIGHT
    eval "$(xdotool getwindowgeometry --shell "$E2E_WIN" 2>/dev/null | grep -E '^(X|Y|WIDTH|HEIGHT)=[0-9]+$')"
    echo "${WIDTH:-?} ${HEIGHT:-?} ${X:-?} ${Y:-?}"
}

# ---------------------------------------------------------------- pictures

# Where the game's picture lies on the screen: (0,0) in a window, centred
# in fullscreen.
E2E_PICTURE_X=0
E2E_PICTURE_Y=0

e2e_shot_to() {
    import -window root -crop "${E2E_W}x${E2E_H}+${E2E_PICTURE_X}+${E2E_PICTURE_Y}" +repage "$1" 2>/dev/null
}

# e2e_shot NAME — screenshot of the window's area into E2E_SHOT (a file in
# the scratch folder named after NAME). Kept as MIFF, ImageMagick's own
# format: writing a PNG of a starfield costs half a second.
e2e_shot() {
    E2E_SHOT=$E2E_TMP/$1.miff
    E2E_LAST_SHOT=$E2E_SHOT
    e2e_shot_to "$E2E_SHOT"
}

# e2e_keep SHOT NAME — keeps a screenshot in E2E_SHOT_DIR as NAME.png, if set.
e2e_keep() {
    [ -n "${E2E_SHOT_DIR:-}" ] || return 0
    mkdir -p "$E2E_SHOT_DIR" && convert "$1" "$E2E_SHOT_DIR/$2.png"
}

# e2e_pixel FILE X Y — prints "R G B", 0..255.
e2e_pixel() {
    convert "$1" -crop "1x1+$2+$3" +repage -alpha off -depth 8 txt:- 2>/dev/null |
        sed -n 's/^0,0: *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p'
}

# e2e_measure IMAGE — sets E2E_IMAGE_W and E2E_IMAGE_H (empty when IMAGE
# cannot be read). Pictures in data/ do not change during a run, so each is
# measured once.
declare -A E2E_SIZES
e2e_measure() {
    if [ -z "${E2E_SIZES[$1]:-}" ]; then
        E2E_SIZES[$1]="$(identify -format '%w %h' "$1" 2>/dev/null) "
    fi
    read -r E2E_IMAGE_W E2E_IMAGE_H <<<"${E2E_SIZES[$1]}"
}

# e2e_size IMAGE — prints "WIDTH HEIGHT".
e2e_size() {
    e2e_measure "$1"
    echo "$E2E_IMAGE_W $E2E_IMAGE_H"
}

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
#
# Counting pixels by their mean works on ImageMagick 6 and 7 alike only on
# images without an alpha channel: ImageMagick 7 adds one when it draws on a
# grey image, and its mean then covers both channels. Such counts turn the
# alpha channel off first.
e2e_mismatch() {
    local shot=$1 x=$2 y=$3 image=$4 key=${5:-none}
    local w h
    read -r w h <<<"$(e2e_size "$image")"
    [ -n "$h" ] || { echo 999999; return 1; }
    [ $((x + w)) -gt $E2E_W ] && w=$((E2E_W - x))
    [ $((y + h)) -gt $E2E_H ] && h=$((E2E_H - y))
    local mask=()
    if [ "$key" = none ]; then
        mask=(\( "$image" -alpha off -crop "${w}x${h}+0+0" +repage -fill white -colorize 100 \))
    else
        mask=(\( "$image" -alpha off -crop "${w}x${h}+0+0" +repage -transparent "rgb($key)" -alpha extract \))
    fi
    convert \( "$shot" -alpha off -crop "${w}x${h}+$x+$y" +repage \) \
        \( "$image" -alpha off -crop "${w}x${h}+0+0" +repage \) \
        -compose difference -composite -separate -evaluate-sequence max -threshold 0 \
        "${mask[@]}" -compose multiply -composite \
        -alpha off -format '%[fx:round(mean*w*h)]' info: 2>/dev/null
}

# e2e_drawn_count IMAGE KEY — prints how many pixels of IMAGE are drawn.
e2e_drawn_count() {
    if [ "$2" = none ]; then
        identify -format '%[fx:w*h]' "$1"
    else
        convert "$1" -alpha off -transparent "rgb($2)" -alpha extract -format '%[fx:round(mean*w*h)]' info:
    fi
}

# e2e_match_all SHOT CANDIDATE... — each CANDIDATE is "X Y IMAGE KEY": the
# picture IMAGE with transparent colour KEY ("r,g,b" or "none") at (X,Y).
# Sets E2E_MATCHES to the indexes (from 0) of the candidates that SHOT shows
# exactly, in every pixel the picture draws; fails when none does. A
# candidate that reaches beyond the window never matches. All candidates are
# tried in one ImageMagick run.
e2e_match_all() {
    local shot=$1
    shift
    local -A slot=()
    local args=(\( "$shot" -alpha off -write mpr:shot +delete \))
    local index=() candidate x y image key w h i=0 n
    E2E_MATCHES=()
    for candidate in "$@"; do
        read -r x y image key <<<"$candidate"
        e2e_measure "$image"
        w=$E2E_IMAGE_W
        h=$E2E_IMAGE_H
        if [ -n "$h" ] && [ "$x" -ge 0 ] && [ "$y" -ge 0 ] &&
            [ $((x + w)) -le $E2E_W ] && [ $((y + h)) -le $E2E_H ]; then
            if [ -z "${slot[$image|$key]:-}" ]; then
                n=${#slot[@]}
                slot[$image|$key]=$n
                args+=(\( "$image" -alpha off -write "mpr:image$n" +delete \))
                if [ "$key" = none ]; then
                    args+=(\( "mpr:image$n" -fill white -colorize 100 -write "mpr:mask$n" +delete \))
                else
                    args+=(\( "mpr:image$n" -transparent "rgb($key)" -alpha extract -write "mpr:mask$n" +delete \))
                fi
            fi
            n=${slot[$image|$key]}
            # The masked difference is black exactly where the picture is shown.
            args+=(\( mpr:shot -crop "${w}x${h}+$x+$y" +repage "mpr:image$n"
                -compose difference -composite "mpr:mask$n" -compose multiply -composite \))
            index+=("$i")
        fi
        i=$((i + 1))
    done
    [ ${#index[@]} -gt 0 ] || return 1
    i=0
    while read -r n; do
        [ "$n" = 0 ] && E2E_MATCHES+=("${index[$i]}")
        i=$((i + 1))
    done < <(convert "${args[@]}" -format '%[max]\n' info: 2>/dev/null)
    [ ${#E2E_MATCHES[@]} -gt 0 ]
}

# e2e_first_match SHOT CANDIDATE... — as e2e_match_all, but sets E2E_MATCH
# to the index of the first candidate shown.
e2e_first_match() {
    E2E_MATCH=""
    e2e_match_all "$@" || return 1
    E2E_MATCH=${E2E_MATCHES[0]}
}

# e2e_shows SHOT X Y IMAGE [KEY] — the window shows IMAGE at (X,Y), exactly,
# in every pixel it draws. A picture that draws nothing at all (every pixel
# of the transparent colour) is never shown.
declare -A E2E_DRAWN_COUNTS
e2e_shows() {
    local shot=$1 x=$2 y=$3 image=$4 key=${5:-none}
    local id="$image|$key"
    if [ -z "${E2E_DRAWN_COUNTS[$id]:-}" ]; then
        E2E_DRAWN_COUNTS[$id]=$(e2e_drawn_count "$image" "$key")
    fi
    [ "${E2E_DRAWN_COUNTS[$id]}" -gt 0 ] 2>/dev/null || return 1
    e2e_measure "$image"
    [ -n "$E2E_IMAGE_H" ] || return 1
    if [ $((x + E2E_IMAGE_W)) -le $E2E_W ] && [ $((y + E2E_IMAGE_H)) -le $E2E_H ]; then
        e2e_first_match "$shot" "$x $y $image $key"
    else
        # Partly beyond the window's edge: compare the visible part.
        [ "$(e2e_mismatch "$shot" "$x" "$y" "$image" "$key")" = 0 ]
    fi
}

# e2e_find SHOT IMAGE KEY POSITIONS... — prints the first position "x,y" of
# POSITIONS at which SHOT shows IMAGE exactly; fails when none does.
e2e_find() {
    local shot=$1 image=$2 key=$3
    shift 3
    local positions=("$@") candidates=() pos
    for pos in "${positions[@]}"; do
        candidates+=("${pos%,*} ${pos#*,} $image $key")
    done
    e2e_first_match "$shot" "${candidates[@]}" || return 1
    echo "${positions[$E2E_MATCH]}"
}

# e2e_region_diff A B X Y W H — prints how many pixels of the region differ
# between two screenshots.
e2e_region_diff() {
    compare -metric AE \( "$1" -crop "$5x$6+$3+$4" +repage \) \( "$2" -crop "$5x$6+$3+$4" +repage \) null: 2>&1 |
        sed 's/ .*//'
}

# e2e_scene_offset SHOT SCENE Y H — sets E2E_OFFSET to the scroll position o
# (0..638) at which rows Y..Y+H-1 of SHOT show the scrolling background SCENE
# exactly; fails when they show no part of it. The screen shows background columns
# o..638 and then 0..o-1 (column 639 lies under column 0 and the screen's own
# column 639 stays black), so its columns 0..638 are the 639 columns of the
# band doubled that start at column o.
declare -A E2E_SCENE_STRIPS
e2e_scene_offset() {
    local shot=$1 scene=$2 y=$3 h=$4 strip found
    E2E_OFFSET=""
    strip=${E2E_SCENE_STRIPS[$scene|$y|$h]:-}
    if [ -z "$strip" ]; then
        strip=$E2E_TMP/scene-strip-${#E2E_SCENE_STRIPS[@]}.miff
        convert \( "$scene" -alpha off -crop "639x$h+0+$y" +repage \) \
            \( "$scene" -alpha off -crop "639x$h+0+$y" +repage \) +append "$strip" 2>/dev/null || return 1
        E2E_SCENE_STRIPS[$scene|$y|$h]=$strip
    fi
    found=$(compare -metric AE -subimage-search "$strip" \
        \( "$shot" -alpha off -crop "639x$h+0+$y" +repage \) null: 2>&1)
    case $found in
        "0 @ "*) found=${found#0 @ } && E2E_OFFSET=${found%,*} ;;
        *) return 1 ;;
    esac
}

# ---------------------------------------------------------------- text

# The game writes its texts in white with the font of data/font: each glyph
# pixel's coverage (font.raw) is its opacity over what lies below. So wherever
# a text is drawn, a pixel of coverage v is at least about v bright in every
# colour channel, whatever the background; where the text is not drawn, the
# dark background shows through.

declare -A E2E_TEXT_MASKS
E2E_FONT_WIDTHS=()
E2E_FONT_CELL=""

e2e_load_font() {
    [ -n "$E2E_FONT_CELL" ] && return 0
    local dir=$E2E_DATA/font n
    n=$(tr -dc '0-9' <"$dir/font.ini" 2>/dev/null)
    [ -n "$n" ] && [ "$n" -ge 16 ] || return 1
    convert -size "${n}x$n" -depth 8 "gray:$dir/font.raw" "$E2E_TMP/font-sheet.miff" 2>/dev/null || return 1
    read -r -a E2E_FONT_WIDTHS <<<"$(od -An -v -tu1 -N256 "$dir/font.dat" | tr -s ' \n' ' ')"
    [ ${#E2E_FONT_WIDTHS[@]} = 256 ] || return 1
    E2E_FONT_CELL=$((n / 16))
}

# e2e_text_mask TEXT — sets E2E_TEXT_MASK to the file of a grey picture of
# TEXT as the game draws it from its top-left corner: each pixel's value the highest glyph
# coverage there. Every glyph is cut from its cell as a window 2 pixels wider
# than its advance width, centred, and the pen moves on by the advance width.
e2e_text_mask() {
    local text=$1
    E2E_TEXT_MASK=${E2E_TEXT_MASKS[$text]:-}
    [ -n "$E2E_TEXT_MASK" ] && return 0
    e2e_load_font || return 1
    local cell=$E2E_FONT_CELL pen=0 i c w sx sy dx cw
    local args=()
    for ((i = 0; i < ${#text}; i++)); do
        printf -v c '%d' "'${text:i:1}"
        w=${E2E_FONT_WIDTHS[c]}
        sx=$(((c % 16) * cell + cell / 2 - w / 2))
        sy=$(((c / 16) * cell))
        dx=$pen
        cw=$((w + 2))
        if [ $sx -lt 0 ]; then
            dx=$((dx - sx))
            cw=$((cw + sx))
            sx=0
        fi
        args+=(\( mpr:sheet -crop "${cw}x$cell+$sx+$sy" +repage \) -geometry "+$dx+0" -compose lighten -composite)
        pen=$((pen + w))
    done
    local file=$E2E_TMP/text-${#E2E_TEXT_MASKS[@]}.miff
    convert \( "$E2E_TMP/font-sheet.miff" -write mpr:sheet +delete \) \
        -size "$((pen + 2))x$cell" xc:black "${args[@]}" -colorspace gray "$file" 2>/dev/null || return 1
    E2E_TEXT_MASKS[$text]=$file
    E2E_TEXT_MASK=$file
}

# e2e_text_shortfall SHOT X Y TEXT — sets E2E_SHORTFALL to the most (0..255)
# by which a pixel of SHOT is darker than TEXT written at (X,Y) would make it:
# a few at most where that text is drawn, some hundreds where another one is.
e2e_text_shortfall() {
    local mask w h n
    E2E_SHORTFALL=255
    e2e_text_mask "$4" || return 1
    mask=$E2E_TEXT_MASK
    e2e_measure "$mask"
    w=$E2E_IMAGE_W
    h=$E2E_IMAGE_H
    [ $(($2 + w)) -gt $E2E_W ] && w=$((E2E_W - $2))
    [ $(($3 + h)) -gt $E2E_H ] && h=$((E2E_H - $3))
    n=$(convert \( "$1" -alpha off -crop "${w}x$h+$2+$3" +repage -separate -evaluate-sequence min \) \
        \( "$mask" -crop "${w}x$h+0+0" +repage \) -compose minus_dst -composite \
        -format '%[fx:round(maxima*255)]' info: 2>/dev/null)
    [[ "$n" =~ ^[0-9]+$ ]] || return 1
    E2E_SHORTFALL=$n
}

# e2e_text_shown SHOT X Y TEXT — SHOT shows TEXT written at (X,Y).
E2E_TEXT_TOLERANCE=24
e2e_text_shown() {
    e2e_text_shortfall "$@" && [ "$E2E_SHORTFALL" -le $E2E_TEXT_TOLERANCE ]
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
