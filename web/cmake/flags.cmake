# Every flag of the browser build, in one place: how its objects are compiled
# and how the page's game is linked. Included by the top-level CMakeLists.txt
# in the emscripten configuration, before any target.

# The optimisation below is the browser build's own: nothing of CMake's
# Release defaults (-O3 -DNDEBUG), which would drop the asserts libarchive
# keeps.
set(CMAKE_C_FLAGS_RELEASE "")
set(CMAKE_CXX_FLAGS_RELEASE "")

# Each object is optimised on its own, as on the desktop: no link-time
# optimisation, which would inline the start-up into a few large functions
# that the browser's engine then compiles a second time (web/measure.sh).
# Bulk memory: a block copy or fill is one instruction of the engine's
# instead of a call out to JavaScript for every row SDL copies (every browser
# since 2021 has it).
add_compile_options(-O3 -mbulk-memory)

# Code that runs once at start-up, or a function called every frame that
# almost always returns at once, is built without inlining: the browser's
# engine optimises a function again once it has run its size in code often
# enough, and a small function costs little to optimise where one with its
# rarely taken paths inlined costs milliseconds (web/measure.sh).
set_source_files_properties(
  replay/replay_reader.cpp
  replay/iteration_lines.cpp
  files/settings.cpp
  files/settings_file.cpp
  files/settings_writer.cpp
  PROPERTIES COMPILE_OPTIONS -fno-inline-functions)

# The link of the page's game (web/CMakeLists.txt), flags of every kind:
# quarndel_web_link(TARGET).
function(quarndel_web_link target)
  target_link_options(${target} PRIVATE
    # The objects are optimised with -O3, the linked program only with -O1:
    # the browser's engine compiles every hot function again, and large
    # functions cost more to compile than they save.
    -O1 -mbulk-memory
    # The browser runs the loops (web/main.cpp), so nothing waits inside the
    # game and no Asyncify is needed. No JavaScript library of emscripten's
    # but the file systems: SDL is the C one built here, so no SDL of
    # emscripten's can slip in.
    "SHELL:-s AUTO_JS_LIBRARIES=0"
    -lidbfs.js
    # emmalloc is emscripten's small allocator: its malloc is a sixth of the
    # default one's code, and malloc is among the first functions the engine
    # optimises.
    "SHELL:-s MALLOC=emmalloc"
    "SHELL:-s ALLOW_MEMORY_GROWTH=1"
    "SHELL:-s INITIAL_MEMORY=33554432"
    "SHELL:-s EXIT_RUNTIME=1"
    # The stack is 5 MiB on every emscripten: newer ones default to 64 KiB,
    # less than the game's file reader keeps on it (a 64 KiB buffer), and a
    # stack that overflows silently overwrites the game's data.
    "SHELL:-s TOTAL_STACK=5242880"
    # One module the page (web/page/page.js) and node (web/replay-node.js)
    # start as Quarndel(...), with the calls they make into the game.
    "SHELL:-s MODULARIZE=1"
    "SHELL:-s EXPORT_NAME=Quarndel"
    "SHELL:-s ENVIRONMENT=web,node"
    "SHELL:-s EXPORTED_FUNCTIONS=_main,_QuarndelKey,_QuarndelTitleRunning,_QuarndelShipX,_QuarndelShipY,_QuarndelScore,_QuarndelLives,_QuarndelLevelNumber,_QuarndelPaused,_QuarndelGameOver,_QuarndelStepFit,_QuarndelPadName,_QuarndelPadConnected,_QuarndelPadButton,_QuarndelPadAxis,_QuarndelPadHat,_QuarndelInstallPack"
    "SHELL:-s EXPORTED_RUNTIME_METHODS=FS,addRunDependency,removeRunDependency,ccall")
  if(QUARNDEL_WEB_LINK_FLAGS)
    target_link_options(${target} PRIVATE "SHELL:${QUARNDEL_WEB_LINK_FLAGS}")
  endif()
endfunction()
# Link flags to try something out with, after the ones above
# (QUARNDEL_WEB_LINK_FLAGS=... web/build.sh).
set(QUARNDEL_WEB_LINK_FLAGS "" CACHE STRING "More link flags for the page's game")

# web/'s stand-ins for parts of the C library (web/libc_compat.c) take every
# call of these, the C library's own included; __real_vsnprintf is the C
# library's. Whatever links TARGET links so.
function(quarndel_web_stand_ins target)
  target_link_options(${target} INTERFACE -Wl,--wrap=sscanf -Wl,--wrap=vsnprintf)
endfunction()

# A program run under node on the machine's own files
# (web/check_numbers.sh).
function(quarndel_web_node_program target)
  target_link_options(${target} PRIVATE
    "SHELL:-s EXIT_RUNTIME=1" "SHELL:-s ENVIRONMENT=node" "SHELL:-s NODERAWFS=1")
endfunction()
