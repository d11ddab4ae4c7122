# The browser build's libraries, in place of the desktop's system packages:
#   Quarndel::SDL       SDL 1.2 from Debian's C sources, with web/'s clock
#   Quarndel::SDLMixer  the mixer calls the sound room makes (web/mixer.c)
#   Quarndel::Archive   libarchive and zlib from Debian's C sources
# SDL_gfx is the desktop window's alone (its zoom fills a fullscreen window).
# web/'s stand-ins for parts of emscripten's C library are the page's game's
# own objects (web/CMakeLists.txt).
#
# The sources are Debian's (tools/sdl_source.sh, which web/build.sh runs):
# QUARNDEL_SDL_SOURCE, QUARNDEL_ARCHIVE_SOURCE and QUARNDEL_ZLIB_SOURCE name
# the unpacked trees; left empty, they are fetched into the build tree.
function(quarndel_web_source variable package)
  set(${variable} "" CACHE PATH "Debian's ${package} source tree")
  if(NOT ${variable})
    execute_process(
      COMMAND ${PROJECT_SOURCE_DIR}/tools/sdl_source.sh ${PROJECT_BINARY_DIR}/sources ${package}
      OUTPUT_VARIABLE tree OUTPUT_STRIP_TRAILING_WHITESPACE
      RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "${package}'s source could not be fetched (tools/sdl_source.sh)")
    endif()
    set(${variable} ${tree} CACHE PATH "Debian's ${package} source tree" FORCE)
  endif()
endfunction()
quarndel_web_source(QUARNDEL_SDL_SOURCE libsdl1.2)
quarndel_web_source(QUARNDEL_ARCHIVE_SOURCE libarchive)
quarndel_web_source(QUARNDEL_ZLIB_SOURCE zlib)
set(sdl ${QUARNDEL_SDL_SOURCE})
set(archive ${QUARNDEL_ARCHIVE_SOURCE})
set(zlib ${QUARNDEL_ZLIB_SOURCE})

# SDL: its core, events, files, stdlib, video with the dummy driver and the
# dummy joystick, and the audio core the sound effects' WAV reader needs; no
# threads, timers, CD-ROM, shared objects or assembly. Its clock is web/'s
# (web/sdl_clock.c).
file(GLOB sdl_sources
  ${sdl}/src/SDL.c ${sdl}/src/SDL_error.c ${sdl}/src/SDL_fatal.c
  ${sdl}/src/cpuinfo/SDL_cpuinfo.c ${sdl}/src/events/*.c ${sdl}/src/file/SDL_rwops.c
  ${sdl}/src/stdlib/*.c ${sdl}/src/thread/SDL_thread.c ${sdl}/src/thread/generic/*.c
  ${sdl}/src/joystick/SDL_joystick.c ${sdl}/src/joystick/dummy/*.c
  ${sdl}/src/audio/SDL_audio.c ${sdl}/src/audio/SDL_audiocvt.c ${sdl}/src/audio/SDL_mixer.c
  ${sdl}/src/audio/SDL_wave.c ${sdl}/src/audio/dummy/*.c
  ${sdl}/src/video/*.c ${sdl}/src/video/dummy/*.c)

# Mends to SDL's own code, made in copies that are built in place of the
# originals: quarndel_sdl_mend(FILE TEXT_VARIABLE) writes the mended text of
# SDL's FILE; quarndel_mend_text(TEXT_VARIABLE FROM TO) replaces the one FROM
# in it. A FROM that is not there once means the source is not the one the
# mend is for, and the configuration stops.
function(quarndel_mend_text text_variable from to)
  string(FIND "${${text_variable}}" "${from}" first)
  string(FIND "${${text_variable}}" "${from}" last REVERSE)
  if(first EQUAL -1 OR NOT first EQUAL last)
    message(FATAL_ERROR "${mended_file} is not the one the mend is for")
  endif()
  string(REPLACE "${from}" "${to}" text "${${text_variable}}")
  set(${text_variable} "${text}" PARENT_SCOPE)
endfunction()
function(quarndel_sdl_mend file text_variable)
  set(mended ${PROJECT_BINARY_DIR}/sdl-mended/${file})
  # Written only when it changed, so that a new configuration rebuilds
  # nothing.
  file(WRITE ${mended}.new "${${text_variable}}")
  configure_file(${mended}.new ${mended} COPYONLY)
  list(REMOVE_ITEM sdl_sources ${sdl}/${file})
  list(APPEND sdl_sources ${mended})
  set(sdl_sources "${sdl_sources}" PARENT_SCOPE)
endfunction()

# SDL_ResetMouse starts its loop at button 0, for which SDL_BUTTON shifts by
# -1, undefined behaviour that the clang of newer emscriptens (Debian 13's)
# compiles to a trap when the window opens. There is no button 0: the loop
# starts at 1 in the copy that is built. What it does is unchanged.
set(mended_file src/events/SDL_mouse.c)
file(READ ${sdl}/${mended_file} text)
quarndel_mend_text(text
  "for ( i = 0; i < sizeof(SDL_ButtonState)*8; ++i )"
  "for ( i = 1; i < sizeof(SDL_ButtonState)*8; ++i )")
quarndel_sdl_mend(${mended_file} text)

# Where SDL would convert a 24-bit picture to the 32-bit screen with its
# catch-all per-pixel converter, the copy that is built picks the plain one of
# web/sdl/blit_24to32.c, which gives the same pixels in a fraction of the time
# in the browser.
set(mended_file src/video/SDL_blit_N.c)
file(READ ${sdl}/${mended_file} text)
quarndel_mend_text(text
  "\nSDL_loblit SDL_CalculateBlitN("
  "\nint SDL_WebBlit24to32Fits(SDL_PixelFormat *srcfmt, SDL_PixelFormat *dstfmt);
void SDL_WebBlit24to32(SDL_BlitInfo *info);
SDL_loblit SDL_CalculateBlitN(")
quarndel_mend_text(text
  "if(blitfun == BlitNtoN) {  /* default C fallback catch-all. Slow! */\n"
  "if(blitfun == BlitNtoN) {  /* default C fallback catch-all. Slow! */
\t\t\tif ( SDL_WebBlit24to32Fits(srcfmt, dstfmt) ) {
\t\t\t\tblitfun = SDL_WebBlit24to32;
\t\t\t} else\n")
quarndel_sdl_mend(${mended_file} text)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${sdl}/src/events/SDL_mouse.c ${sdl}/src/video/SDL_blit_N.c)

# SDL's public headers with the browser's configuration in place of its own.
set(sdl_include ${PROJECT_BINARY_DIR}/sdl-include)
file(GLOB sdl_headers ${sdl}/include/*.h)
list(REMOVE_ITEM sdl_headers ${sdl}/include/SDL_config.h)
foreach(header ${sdl_headers} ${PROJECT_SOURCE_DIR}/web/sdl/SDL_config.h)
  get_filename_component(name ${header} NAME)
  configure_file(${header} ${sdl_include}/${name} COPYONLY)
endforeach()

add_library(quarndel_web_sdl STATIC ${sdl_sources} web/sdl/blit_24to32.c web/sdl_clock.c)
target_include_directories(quarndel_web_sdl PUBLIC ${sdl_include})
# The mended copies, and the build's own converter, find SDL's private
# headers where the originals lie.
target_include_directories(quarndel_web_sdl PRIVATE ${sdl}/src/events ${sdl}/src/video)
# SDL is others' code, built as its makers wrote it.
set_source_files_properties(${sdl_sources} web/sdl/blit_24to32.c
  PROPERTIES COMPILE_OPTIONS -Wno-everything)
add_library(Quarndel::SDL ALIAS quarndel_web_sdl)

add_library(quarndel_web_mixer STATIC web/mixer.c)
target_include_directories(quarndel_web_mixer PUBLIC web/mixer)
target_link_libraries(quarndel_web_mixer PUBLIC Quarndel::SDL)
add_library(Quarndel::SDLMixer ALIAS quarndel_web_mixer)

# Of zlib, the deflate streams (not its gzip file calls); of libarchive, what
# reads and writes tar with gzip and zip with deflate (web/archive/config.h
# says what it is built with). Others' code, built as their makers wrote it.
set(zlib_sources)
foreach(name adler32 crc32 deflate inffast inflate inftrees trees zutil)
  list(APPEND zlib_sources ${zlib}/${name}.c)
endforeach()
add_library(quarndel_web_zlib STATIC ${zlib_sources})
target_include_directories(quarndel_web_zlib PUBLIC ${zlib})
target_compile_options(quarndel_web_zlib PRIVATE -Wno-everything)

set(archive_sources)
foreach(name archive_acl archive_check_magic archive_cryptor archive_digest archive_entry
    archive_entry_sparse archive_entry_xattr archive_hmac archive_options archive_ppmd8
    archive_rb archive_string archive_string_sprintf archive_util archive_virtual archive_read
    archive_read_add_passphrase archive_read_open_fd archive_read_open_memory
    archive_read_set_options archive_read_support_filter_gzip archive_read_support_format_tar
    archive_read_support_format_zip archive_write archive_write_open_fd archive_write_set_options
    archive_write_add_filter_gzip archive_write_set_format_pax archive_write_set_format_ustar
    archive_write_set_format_zip)
  list(APPEND archive_sources ${archive}/libarchive/${name}.c)
endforeach()
add_library(quarndel_web_archive STATIC ${archive_sources})
target_compile_definitions(quarndel_web_archive PRIVATE HAVE_CONFIG_H)
target_include_directories(quarndel_web_archive PRIVATE web/archive)
target_include_directories(quarndel_web_archive PUBLIC ${archive}/libarchive)
target_compile_options(quarndel_web_archive PRIVATE -Wno-everything)
target_link_libraries(quarndel_web_archive PUBLIC quarndel_web_zlib)
add_library(Quarndel::Archive ALIAS quarndel_web_archive)
