#!/usr/bin/env bash
# Builds the browser version of the game from the same sources as the
# desktop's, with Debian's emscripten, into a static folder any web server
# can host:
#
#   web/build.sh [OUT]     OUT defaults to build-web/ beside this folder
#
#   OUT/site/   index.html, quarndel.js, quarndel.wasm, quarndel.data (the
#               data/ tree), the page's script and style, the offline worker
#   OUT/sdl-src, OUT/obj   SDL 1.2's own C sources and every object file
#   OUT/lib-src            libarchive's and zlib's C sources (level packs)
#
# SDL is Debian's SDL 1.2 source (apt-get source libsdl1.2) built with emcc:
# its core, events, files, stdlib, video with the dummy driver and the dummy
# joystick; no threads, timers, audio, CD-ROM, shared objects or assembly.
# Linked with AUTO_JS_LIBRARIES=0, so no JavaScript SDL of emscripten's can
# slip in. libarchive (tar, zip, gzip and deflate only) and zlib come from
# Debian's sources too, for installing level packs in the page. Objects are
# rebuilt only when a source or header they use changed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$root/build-web}" && cd "${1:-$root/build-web}" && pwd)
# Debian's emscripten runs Debian's python3 and node with its acorn module.
export PATH=/usr/bin:$PATH EM_PYTHON=/usr/bin/python3 NODE_PATH=/usr/share/nodejs
command -v emcc >/dev/null || { echo "emcc is missing: tools/install-deps.sh web" >&2; exit 1; }

sdl=$("$root/tools/sdl_source.sh" "$out/sdl-src")
sdl=${sdl%/}
# The level packs' reader and writer: Debian's libarchive and zlib sources,
# fetched the same way (web/archive/config.h says what libarchive is built
# with).
archive=$("$root/tools/sdl_source.sh" "$out/lib-src" libarchive)
archive=${archive%/}
zlib=$("$root/tools/sdl_source.sh" "$out/lib-src" zlib)
zlib=${zlib%/}
obj=$out/obj
site=$out/site
mkdir -p "$obj/include" "$site"
# SDL's public headers with the browser's configuration in place of its own.
for h in "$sdl"/include/*.h; do
  [ "$(basename "$h")" != SDL_config.h ] || continue
  cmp -s "$h" "$obj/include/$(basename "$h")" || cp "$h" "$obj/include/"
done
cmp -s "$root/web/sdl/SDL_config.h" "$obj/include/SDL_config.h" ||
  cp "$root/web/sdl/SDL_config.h" "$obj/include/SDL_config.h"

version=$(sed -n 's/^project(Quarndel VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
# Each object is optimised on its own, as on the desktop: no link-time
# optimisation, which would inline the start-up into a few large functions
# that the browser's engine then compiles a second time (web/measure.sh).
# Bulk memory: a block copy or fill is one instruction of the engine's
# instead of a call out to JavaScript for every row SDL copies (every browser
# since 2021 has it).
opt=(-O3 -mbulk-memory)
sdl_flags=("${opt[@]}" -I"$obj/include" -Wno-everything)
game_flags=("${opt[@]}" -std=c++17 -Wall -Wextra -Werror -I"$root" -I"$root/web/mixer"
  -I"$obj/include" -DQUARNDEL_VERSION="\"$version\"")
web_c_flags=("${opt[@]}" -Wall -Wextra -Werror -I"$obj/include" -I"$root/web/mixer")
# libarchive and zlib are others' code, built as their makers wrote it.
zlib_flags=("${opt[@]}" -Wno-everything -I"$zlib")
archive_flags=("${opt[@]}" -Wno-everything -DHAVE_CONFIG_H -I"$root/web/archive" -I"$zlib")

sdl_sources=("$sdl"/src/SDL.c "$sdl"/src/SDL_error.c "$sdl"/src/SDL_fatal.c
  "$sdl"/src/cpuinfo/SDL_cpuinfo.c "$sdl"/src/events/*.c "$sdl"/src/file/SDL_rwops.c
  "$sdl"/src/stdlib/*.c "$sdl"/src/thread/SDL_thread.c "$sdl"/src/thread/generic/*.c
  "$sdl"/src/joystick/SDL_joystick.c "$sdl"/src/joystick/dummy/*.c
  "$sdl"/src/audio/SDL_audio.c "$sdl"/src/audio/SDL_audiocvt.c "$sdl"/src/audio/SDL_mixer.c
  "$sdl"/src/audio/SDL_wave.c "$sdl"/src/audio/dummy/*.c
  "$sdl"/src/video/*.c "$sdl"/src/video/dummy/*.c)
# Mends to SDL's own code, made in copies that are built in place of the
# originals. mend FILE SED-SCRIPT: a script that changes nothing means the
# source is not the one the mend is for, and the build stops.
mkdir -p "$obj/mended"
mend() {
  local original=$sdl/$1 mended=$obj/mended/$(basename "$1")
  sed "$2" "$original" >"$mended.new"
  if cmp -s "$original" "$mended.new"; then
    echo "$1 is not the one the mend is for" >&2
    exit 1
  fi
  cmp -s "$mended.new" "$mended" && rm "$mended.new" || mv "$mended.new" "$mended"
  for i in "${!sdl_sources[@]}"; do
    [ "${sdl_sources[$i]}" != "$original" ] || sdl_sources[$i]=$mended
  done
}
# SDL_ResetMouse starts its loop at button 0, for which SDL_BUTTON shifts by
# -1, undefined behaviour that the clang of newer emscriptens (Debian 13's)
# compiles to a trap when the window opens. There is no button 0: the loop
# starts at 1 in the copy that is built. What it does is unchanged.
mend src/events/SDL_mouse.c \
  's/for ( i = 0; i < sizeof(SDL_ButtonState)\*8; ++i )/for ( i = 1; i < sizeof(SDL_ButtonState)*8; ++i )/'
# Where SDL would convert a 24-bit picture to the 32-bit screen with its
# catch-all per-pixel converter, the copy that is built picks the plain one of
# web/sdl/blit_24to32.c, which gives the same pixels in a fraction of the time
# in the browser.
mend src/video/SDL_blit_N.c '
/^SDL_loblit SDL_CalculateBlitN(/i\
int SDL_WebBlit24to32Fits(SDL_PixelFormat *srcfmt, SDL_PixelFormat *dstfmt);\
void SDL_WebBlit24to32(SDL_BlitInfo *info);
/if(blitfun == BlitNtoN) {  \/\* default C fallback catch-all. Slow! \*\//a\
			if ( SDL_WebBlit24to32Fits(srcfmt, dstfmt) ) {\
				blitfun = SDL_WebBlit24to32;\
			} else
'
sdl_sources+=("$root/web/sdl/blit_24to32.c")

game_sources=()
for dir in sprites text level sound game replay; do
  game_sources+=("$root/$dir"/*.cpp)
done
# The desktop's options, start-up sequence, loop shell and input translation
# (with the key bindings and window code it reaches); web/shell.cpp gives the
# loop shell the page's parts in place of the desktop's.
game_sources+=("$root/app/options.cpp" "$root/app/program.cpp" "$root/app/loop_shell.cpp" "$root/window/input.cpp" "$root/files/bindings.cpp"
  "$root/files/settings.cpp" "$root/files/settings_file.cpp" "$root/files/settings_writer.cpp"
  "$root/files/player_files.cpp" "$root/window/window.cpp"
  "$root/window/scaler.cpp" "$root/window/sdl_library.cpp" "$root/files/score_keeping.cpp" "$root/files/scores.cpp"
  "$root/files/score_table.cpp" "$root/screens/score_view.cpp" "$root/screens/title_panel.cpp"
  "$root/files/level_set_in_play.cpp" "$root/levelsets/data_folder.cpp"
  "$root/screens/options_screen.cpp" "$root/screens/options_items.cpp" "$root/screens/muted_mark.cpp"
  "$root/screens/title_screens.cpp"
  "$root/files/settings_problems.cpp" "$root"/strings/*.cpp "$root/launch/options.cpp"
  "$root/web/main.cpp" "$root/web/shell.cpp" "$root/web/pad.cpp")
web_sources=("$root/web/sdl_clock.c" "$root/web/libc_compat.c" "$root/web/mixer.c")

# Level packs: installing one from the page and L's list of the installed
# sets, with the level checker that judges them, as on the desktop.
game_sources+=("$root/levelsets/level_sets.cpp" "$root/screens/level_set_view.cpp")
game_sources+=("$root"/check/*.cpp "$root/levelsets/level_set.cpp" "$root/levelsets/level_pack.cpp")
# Of zlib, the deflate streams (not its gzip file calls); of libarchive, what
# reads and writes tar with gzip and zip with deflate.
zlib_sources=()
for f in adler32 crc32 deflate inffast inflate inftrees trees zutil; do
  zlib_sources+=("$zlib/$f.c")
done
archive_sources=()
for f in archive_acl archive_check_magic archive_cryptor archive_digest archive_entry \
  archive_entry_sparse archive_entry_xattr archive_hmac archive_options archive_ppmd8 \
  archive_rb archive_string archive_string_sprintf archive_util archive_virtual archive_read \
  archive_read_add_passphrase archive_read_open_fd archive_read_open_memory \
  archive_read_set_options archive_read_support_filter_gzip archive_read_support_format_tar \
  archive_read_support_format_zip archive_write archive_write_open_fd archive_write_set_options \
  archive_write_add_filter_gzip archive_write_set_format_pax archive_write_set_format_ustar \
  archive_write_set_format_zip; do
  archive_sources+=("$archive/libarchive/$f.c")
done
# Code that runs once at start-up, or a function called every frame that
# almost always returns at once, is built without inlining: the browser's
# engine optimises a function again once it has run its size in code often
# enough, and a small function costs little to optimise where one with its
# rarely taken paths inlined costs milliseconds (web/measure.sh).
outlined=("$root/replay/replay_reader.cpp" "$root/replay/iteration_lines.cpp" "$root/files/settings.cpp"
  "$root/files/settings_file.cpp" "$root/files/settings_writer.cpp")
outline_flags=(-fno-inline-functions)

# Objects built with other flags (an older build.sh) are all rebuilt.
flags="${sdl_flags[*]} | ${game_flags[*]} | ${web_c_flags[*]} | ${outline_flags[*]} ${outlined[*]#"$root"/}"
if [ "$(cat "$obj/flags" 2>/dev/null)" != "$flags" ]; then
  rm -rf "$obj/sdl" "$obj/game" "$obj/web"
  printf '%s\n' "$flags" >"$obj/flags"
fi

# stale OBJECT: true when the object is missing or older than a file it was
# built from (the dependency list emcc wrote beside it).
stale() {
  [ -f "$1" ] && [ -f "$1.d" ] || return 0
  local dep
  for dep in $(sed -e 's/^[^:]*://' -e 's/\\$//' "$1.d"); do
    [ "$dep" -nt "$1" ] && return 0
  done
  return 1
}

# The same for libarchive's and zlib's objects, which keep their own note.
lib_flags="${zlib_flags[*]} | ${archive_flags[*]}"
if [ "$(cat "$obj/lib-flags" 2>/dev/null)" != "$lib_flags" ]; then
  rm -rf "$obj/zlib" "$obj/archive"
  mkdir -p "$obj"
  printf '%s\n' "$lib_flags" >"$obj/lib-flags"
fi

jobs=()
add_job() { # add_job OBJECT COMPILER FLAGS... SOURCE
  local o=$1
  shift
  if stale "$o" || [ "${@: -1}" -nt "$o" ] || ! grep -qF "${@: -1}" "$o.d" 2>/dev/null; then
    jobs+=("$(printf '%q ' "$@" -MMD -MF "$o.d" -c -o "$o")")
  fi
}
objects=()
for s in "${sdl_sources[@]}"; do
  o=$obj/sdl/$(basename "${s%.c}").o
  objects+=("$o")
  # The mended copies, and the build's own converter, find SDL's private
  # headers where the originals lie.
  add_job "$o" emcc "${sdl_flags[@]}" -I"$sdl/src/events" -I"$sdl/src/video" "$s"
done
for s in "${game_sources[@]}"; do
  rel=${s#"$root"/}
  o=$obj/game/${rel//\//_}
  o=${o%.cpp}.o
  objects+=("$o")
  # Only the pack reader includes libarchive's headers.
  extra=()
  [ "$rel" != levelsets/level_pack.cpp ] || extra=(-I"$archive/libarchive")
  [[ " ${outlined[*]} " != *" $s "* ]] || extra=("${outline_flags[@]}")
  add_job "$o" em++ "${game_flags[@]}" "${extra[@]}" "$s"
done
add_c_objects() { # add_c_objects SUBFOLDER FLAGS-ARRAY-NAME SOURCE...
  local folder=$1 s o
  local -n flags_of=$2
  shift 2
  for s in "$@"; do
    o=$obj/$folder/$(basename "${s%.c}").o
    objects+=("$o")
    add_job "$o" emcc "${flags_of[@]}" "$s"
  done
}
add_c_objects zlib zlib_flags "${zlib_sources[@]}"
add_c_objects archive archive_flags "${archive_sources[@]}"
add_c_objects web web_c_flags "${web_sources[@]}"
mkdir -p "$obj/sdl" "$obj/game" "$obj/web" "$obj/zlib" "$obj/archive"
if [ ${#jobs[@]} -gt 0 ]; then
  echo "compiling ${#jobs[@]} files"
  printf '%s\n' "${jobs[@]}" | xargs -d '\n' -P "$(nproc)" -I{} bash -c '{}'
fi

# The title tune as audio: browsers play no MIDI, so the tune is rendered
# once with FluidSynth and the same General MIDI soundfont the desktop plays
# it with, and compressed to Ogg Vorbis. Both steps give the same bytes every
# time. Without the tools the browser build plays no tune.
tune=()
soundfont=/usr/share/sounds/sf2/TimGM6mb.sf2
if command -v fluidsynth >/dev/null && command -v oggenc >/dev/null && [ -f "$soundfont" ]; then
  mkdir -p "$obj/music"
  ogg=$obj/music/title_screen.ogg
  if [ ! -f "$ogg" ] || [ "$root/data/music/title_screen.mid" -nt "$ogg" ]; then
    fluidsynth -ni -q -F "$obj/music/title_screen.wav" -T wav -r 44100 -O s16 -g 0.6 \
      "$soundfont" "$root/data/music/title_screen.mid" >/dev/null
    oggenc -Q -q 2 --serial 1 -o "$ogg" "$obj/music/title_screen.wav"
    rm -f "$obj/music/title_screen.wav"
  fi
  tune=(--preload-file "$ogg@/data/music/title_screen.ogg")
else
  echo "fluidsynth, oggenc or $soundfont missing: the browser build plays no title tune" >&2
fi

# The stack is 5 MiB on every emscripten: newer ones default to 64 KiB, less
# than the game's file reader keeps on it (a 64 KiB buffer), and a stack that
# overflows silently overwrites the game's data.
# The link: the browser runs the loops (web/main.cpp), so nothing waits
# inside the game and no Asyncify is needed. The objects are optimised with
# -O3, the linked program only with -O1: the browser's engine compiles every
# hot function again, and large functions cost more to compile than they
# save. emmalloc is emscripten's small allocator: its malloc is a sixth of
# the default one's code, and malloc is among the first functions the
# engine optimises.
em++ -O1 -mbulk-memory -o "$site/quarndel.js" "${objects[@]}" \
  ${QUARNDEL_WEB_LINK_FLAGS:-} -s AUTO_JS_LIBRARIES=0 -s MALLOC=emmalloc \
  -s ALLOW_MEMORY_GROWTH=1 -s INITIAL_MEMORY=33554432 -s EXIT_RUNTIME=1 -s TOTAL_STACK=5242880 \
  -s MODULARIZE=1 -s EXPORT_NAME=Quarndel -s ENVIRONMENT=web,node \
  -s EXPORTED_FUNCTIONS=_main,_QuarndelKey,_QuarndelTitleRunning,_QuarndelShipX,_QuarndelShipY,_QuarndelScore,_QuarndelLives,_QuarndelLevelNumber,_QuarndelPaused,_QuarndelGameOver,_QuarndelStepFit,_QuarndelPadName,_QuarndelPadConnected,_QuarndelPadButton,_QuarndelPadAxis,_QuarndelPadHat,_QuarndelInstallPack -s EXPORTED_RUNTIME_METHODS=FS,addRunDependency,removeRunDependency,ccall -lidbfs.js \
  --preload-file "$root/data@/data" --exclude-file '*/LICENSE' "${tune[@]}"
for f in "$root"/web/page/*; do
  cp "$f" "$site/"
done
# Every file also precompressed, for servers that send a file's .gz or .br
# beside it to a browser that takes that encoding (web/serve.sh does; so do
# nginx's gzip_static and brotli_static): the data tree shrinks to under a
# third in Brotli. Brotli only where Debian's brotli is installed.
for f in "$site"/*; do
  case $f in *.gz | *.br) continue ;; esac
  gzip -9 -n -c "$f" >"$f.gz"
  if command -v brotli >/dev/null; then
    brotli -q 11 -f -o "$f.br" "$f"
  else
    rm -f "$f.br"
  fi
done
echo "built $site"
