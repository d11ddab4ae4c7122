#!/usr/bin/env bash
# The Debian package as a player gets it: builds the .deb from this source
# tree, checks it with lintian and the desktop and AppStream validators,
# installs it with apt-get, starts the installed game from /tmp under Xvfb
# (the title screen; --level straight into level 3), checks --version and the
# manual page, then purges the package and checks that nothing of it is left
# in /usr. Needs root: it installs and removes a package.
#
# usage: check_package.sh CLOSE_TOOL
#   CLOSE_TOOL  the built e2e_close_window (the real-window helpers want it;
#               libe2e_hold_quit.so is looked for next to it)
# Prints "PASS name" or "FAIL name: reason" per check, then "N passed, M failed".
# PACKAGE_SHOT=FILE.png keeps a screenshot of the installed game's title screen.
# PACKAGE_DEB=FILE checks that .deb, built elsewhere (on another Debian
# release), instead of building one: lintian, install, play, purge.
if [ $# -ne 1 ]; then
    echo "usage: $0 CLOSE_TOOL" >&2
    exit 2
fi
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
close_tool=$1
installed=/usr/share/games/quarndel
game=/usr/games/quarndel

passed=0
failed=0
pass() {
    echo "PASS package/$1"
    passed=$((passed + 1))
}
fail() {
    echo "FAIL package/$1: $2"
    failed=$((failed + 1))
}
finish() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
    exit
}

out=$(mktemp -d "${TMPDIR:-/tmp}/quarndel-package.XXXXXX")
# The installed game keeps its settings and scores in the scratch folder,
# never in the home folder of whoever runs the tests.
export XDG_CONFIG_HOME=$out/config XDG_DATA_HOME=$out/data
package_files=()
purge() {
    if dpkg-query -W -f='${Status}' quarndel 2>/dev/null | grep -q 'ok installed'; then
        DEBIAN_FRONTEND=noninteractive apt-get purge -y quarndel >"$out/purge.log" 2>&1
    fi
}
trap 'purge; rm -rf "$out"' EXIT

# ---------------------------------------------------------------- build

if [ -n "${PACKAGE_DEB:-}" ]; then
    cp "$PACKAGE_DEB" "$out/" || { fail build "cannot read $PACKAGE_DEB"; finish; }
elif ! "$root/tools/build-deb.sh" "$out" >"$out/build.log" 2>&1; then
    fail build "dpkg-buildpackage failed: $(tail -n 5 "$out/build.log" | tr '\n' ' ')"
    finish
fi
deb=$(ls "$out"/quarndel_*.deb 2>/dev/null | head -n1)
version=$(sed -n 's/^project(Quarndel VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
if [ "$(basename "$deb")" = "quarndel_${version}_$(dpkg --print-architecture).deb" ]; then
    pass "builds_quarndel_${version}"
else
    fail build "expected quarndel_${version}_$(dpkg --print-architecture).deb, got '$(basename "$deb")'"
    finish
fi

lintian --fail-on error "$deb" >"$out/lintian.log" 2>&1
status=$?
grep -v 'running with root privileges' "$out/lintian.log" | sed 's/^/# lintian: /'
if [ $status -eq 0 ]; then
    pass lintian_reports_no_errors
else
    fail lintian_reports_no_errors "$(grep '^E:' "$out/lintian.log" | head -n 3 | tr '\n' ' ')"
fi

# ---------------------------------------------------------------- install

purge
if (cd "$out" && DEBIAN_FRONTEND=noninteractive apt-get install -y "./$(basename "$deb")") \
    >"$out/install.log" 2>&1 && [ -x "$game" ] && [ -x /usr/games/quarndel-check ]; then
    pass installs_with_apt_get
else
    fail installs_with_apt_get "$(tail -n 3 "$out/install.log" | tr '\n' ' ')"
    finish
fi
mapfile -t package_files < <(dpkg -L quarndel)

icons_sized() {
    local size
    for size in 32 48 64 128 256; do
        [ "$(identify -format '%w %h' "/usr/share/icons/hicolor/${size}x$size/apps/quarndel.png" 2>&1)" = "$size $size" ] ||
            { echo "icon ${size}x$size is missing or of another size" >>"$out/validate.log"; return 1; }
    done
}
if desktop-file-validate /usr/share/applications/quarndel.desktop >"$out/validate.log" 2>&1 &&
    appstreamcli validate --no-net /usr/share/metainfo/io.github.quarndel.metainfo.xml \
        >>"$out/validate.log" 2>&1 && icons_sized; then
    pass desktop_entry_metadata_and_icons_are_valid
else
    fail desktop_entry_metadata_and_icons_are_valid "$(tr '\n' ' ' <"$out/validate.log" | head -c 300)"
fi

# One version everywhere: the game, the package, the metadata's latest
# release and the manual pages' headers.
said=$(cd /tmp && "$game" --version 2>&1)
if [ "$said" != "quarndel $version" ]; then
    fail version_is_the_project_version "quarndel --version said '$said', expected 'quarndel $version'"
elif [ "$(dpkg-query -W -f='${Version}' quarndel)" != "$version" ]; then
    fail version_is_the_project_version "the package's version is $(dpkg-query -W -f='${Version}' quarndel)"
elif ! grep -q "<release version=\"$version\"" /usr/share/metainfo/io.github.quarndel.metainfo.xml; then
    fail version_is_the_project_version "the metainfo's releases do not list $version"
elif [ "$(zgrep -l "^\.TH .*\"Quarndel $version\"" /usr/share/man/man6/quarndel*.6.gz /usr/share/man/man5/quarndel-level.5.gz | wc -l)" != 3 ]; then
    fail version_is_the_project_version "a manual page's header does not name Quarndel $version"
else
    pass version_is_the_project_version
fi

page=$(man -w quarndel 2>&1)
check_page=$(man -w quarndel-check 2>&1)
level_page=$(man -w 5 quarndel-level 2>&1)
if [ "$page" = /usr/share/man/man6/quarndel.6.gz ] &&
    [ "$check_page" = /usr/share/man/man6/quarndel-check.6.gz ] &&
    [ "$level_page" = /usr/share/man/man5/quarndel-level.5.gz ]; then
    pass manual_pages_in_sections_6_and_5
else
    fail manual_pages_in_sections_6_and_5 "man -w gave '$page', '$check_page' and '$level_page'"
fi

# The shipped recordings replay from /tmp against the installed tree: the
# levels they name lie in the installed data folder, not in /tmp.
for replay in "$root"/tests/replays/*.qrp; do
    name=$(basename "$replay" .qrp)
    if said=$(cd /tmp && SDL_AUDIODRIVER=none timeout -k 5 60 "$game" --replay "$replay" \
        --headless --verify 2>&1); then
        pass "recording_${name}_verifies_from_tmp"
    else
        fail "recording_${name}_verifies_from_tmp" "$(echo "$said" | tail -n 2 | tr '\n' ' ')"
    fi
done

# The level checker finds the installed tree from anywhere, clean.
if (cd /tmp && /usr/games/quarndel-check) >"$out/check.log" 2>&1; then
    pass level_checker_passes_the_installed_tree
else
    fail level_checker_passes_the_installed_tree "$(tail -n 3 "$out/check.log" | tr '\n' ' ')"
fi

# ---------------------------------------------------------------- the window

(
    # The real-window helpers, pointed at the installed data tree; the game
    # itself runs in /tmp, which holds no data/.
    source "$root/tests/e2e/lib.sh"
    E2E_SUITE=package
    e2e_setup "$game" "$close_tool" "$installed"
    if [ -e /tmp/data/level_1 ]; then
        echo "FAIL package/started_from_tmp: /tmp/data/level_1 exists, so /tmp is a data folder"
        exit 1
    fi
    E2E_ROOT=/tmp
    TITLE=$E2E_DATA/titlescreen.bmp

    # start_with ARGS... — the installed game with these options (exec keeps
    # the process the helpers watch).
    start_with() {
        printf '#!/bin/sh\nexec %s %s "$@"\n' "$game" "$*" >"$E2E_TMP/quarndel"
        chmod +x "$E2E_TMP/quarndel"
        E2E_GAME=$E2E_TMP/quarndel
        e2e_start_game
    }

    # The title picture fills the window outside the cursor's and the
    # difficulty picture's boxes (the cursor animates).
    title_shown() {
        e2e_shot title || return 1
        local n
        n=$(convert \( "$E2E_SHOT" -alpha off \) \( "$TITLE" -alpha off \) \
            -compose difference -composite -separate -evaluate-sequence max -threshold 0 \
            \( "$TITLE" -alpha off -fill white -colorize 100 -fill black \
            -draw "rectangle 60,300 160,440" -draw "rectangle 300,362 639,479" \) \
            -compose multiply -composite -alpha off -format '%[fx:round(mean*w*h)]' info: 2>/dev/null)
        [ "$n" = 0 ]
    }

    check_title_from_tmp() {
        start_with || return 1
        local caption
        caption=$(e2e_caption)
        [ "$caption" = Quarndel ] || { e2e_fail "caption is '$caption', expected 'Quarndel'"; return 1; }
        e2e_wait_until 5000 title_shown || { e2e_fail "the title picture is not on screen"; return 1; }
        if [ -n "${PACKAGE_SHOT:-}" ]; then
            convert "$E2E_SHOT" "$PACKAGE_SHOT"
        fi
        e2e_key Escape
        e2e_wait_exit 5000 || return 1
        [ -z "$(e2e_game_stdout)" ] || { e2e_fail "the game reported: $(e2e_game_stdout | head -n 2 | tr '\n' ' ')"; return 1; }
    }

    level_3_shown() {
        e2e_shot level && e2e_text_shown "$E2E_SHOT" 100 10 "Level: 3"
    }

    check_level_option() {
        start_with --level "$installed/data/level_3" || return 1
        e2e_wait_until 5000 title_shown || { e2e_fail "the title picture is not on screen"; return 1; }
        e2e_key Return
        e2e_wait_until 10000 level_3_shown || { e2e_fail "no 'Level: 3' at (100, 10) after Enter"; return 1; }
        if [ -n "${PACKAGE_SHOT:-}" ]; then
            convert "$E2E_SHOT" "${PACKAGE_SHOT%.png}-level-3.png"
        fi
    }

    e2e_check title_screen_when_started_from_tmp check_title_from_tmp
    e2e_check level_option_starts_play_at_level_3 check_level_option
    e2e_finish
) >"$out/window.log" 2>"$out/window.err"
cat "$out/window.log"
passed=$((passed + $(grep -c '^PASS ' "$out/window.log")))
window_failed=$(grep -c '^FAIL ' "$out/window.log")
failed=$((failed + window_failed))
[ "$window_failed" -gt 0 ] && tail -n 10 "$out/window.err" | sed 's/^/# /'

# ---------------------------------------------------------------- purge

purge
left=()
for f in "${package_files[@]}"; do
    case $f in
        /usr/* | /etc/*) ;;
        *) continue ;;
    esac
    # Folders the package shares with others stay; its own go.
    if [ -d "$f" ]; then
        case $f in
            */quarndel | */quarndel/*) [ -e "$f" ] && left+=("$f") ;;
        esac
    elif [ -e "$f" ] || [ -L "$f" ]; then
        left+=("$f")
    fi
done
stray=$(find /usr -name '*quarndel*' 2>/dev/null | head -n 5)
if dpkg-query -W -f='${Status}' quarndel 2>/dev/null | grep -q 'ok installed'; then
    fail purge_leaves_nothing "the package is still installed: $(tail -n 2 "$out/purge.log" | tr '\n' ' ')"
elif [ ${#left[@]} -gt 0 ] || [ -n "$stray" ]; then
    fail purge_leaves_nothing "left behind: ${left[*]:0:5} $stray"
else
    pass purge_leaves_nothing
fi
finish
