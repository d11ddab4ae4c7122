#!/usr/bin/env bash
# Installs what the tests need, builds, and runs every test: the unit and
# scenario tests (one per process, then each test binary whole in shuffled
# order), the same under AddressSanitizer and UBSan, the recorded games in
# tests/replays/ replayed headless, short fuzzing runs of every data-file
# reader and the replay reader, the real-window tests under Xvfb, the drawing
# tests, recorded games and real-window tests again on sdl12-compat, the level
# checker on the shipped tree and, as root, the Debian package built,
# installed, played from /tmp and purged. Ends with one line "N passed, M failed".
# Every run of a test binary or script has a time limit: one that hangs is
# killed, counted as failed and named in a "TIMEOUT name" line.
set -uo pipefail
cd "$(dirname "$0")"
root=$(pwd)
tools/install-deps.sh test || exit 1

jobs=$(nproc)
# The SDL 1.2 the phases run on, named in their titles: the system's own
# library, which the game builds against, and sdl12-compat (SDL 1.2 over
# SDL 2, what current distributions ship), installed beside it and put in
# front with LD_LIBRARY_PATH by the phases that run on it. Debian 12 has the
# classic library as its own; Debian 13 has only sdl12-compat, and there
# every phase runs on it.
compat_sdl="sdl12-compat $(dpkg-query -W -f='${Version}' libsdl1.2-compat 2>/dev/null)"
compat_dir=/usr/lib/$(gcc -print-multiarch)/sdl12-compat
if [ "$(dpkg-query -W -f='${source:Package}' libsdl1.2debian 2>/dev/null)" = libsdl1.2 ]; then
  have_classic=yes
  system_sdl="classic SDL $(dpkg-query -W -f='${Version}' libsdl1.2debian 2>/dev/null)"
else
  have_classic=no
  system_sdl=$compat_sdl
fi
passed=0
failed=0
failures=()

note() { printf '\n=== %s ===\n' "$*"; }

# The runs that outlived their limit, one "TIMEOUT name" line each; kept in a
# file because many runs happen in subshells.
timeouts=$(mktemp)
trap 'rm -f "$timeouts"' EXIT

# Runs a command with a time limit of SECONDS (then 10 more before KILL).
# Returns its status; a run killed at its limit prints and notes
# "TIMEOUT NAME" and returns 124 or 137. The limits are generous: a slow,
# busy machine must not fail a run, a hang must end it.
limited() { # limited NAME SECONDS COMMAND...
  local name=$1 seconds=$2 status started=$SECONDS
  shift 2
  timeout -k 10 "$seconds" "$@"
  status=$?
  if { [ "$status" -eq 124 ] || [ "$status" -eq 137 ]; } && [ $((SECONDS - started)) -ge "$seconds" ]; then
    echo "TIMEOUT $name: still running after $seconds s" | tee -a "$timeouts" >&2
  fi
  return "$status"
}
count() { # count PHASE PASSED FAILED
  passed=$((passed + $2))
  failed=$((failed + $3))
  if [ "$3" -gt 0 ]; then failures+=("$1: $3 failed"); fi
}

# Adds the counts of the last "N passed, M failed" line of a log; a log
# without one counts as one failure.
count_summary() { # count_summary PHASE LOG
  local line
  line=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$2" | tail -1)
  if [ -n "$line" ]; then
    count "$1" "$(echo "$line" | cut -d' ' -f1)" "$(echo "$line" | cut -d' ' -f3)"
  else
    count "$1" 0 1
  fi
}

# Runs ctest in a build folder and adds its counts.
run_ctest() { # run_ctest PHASE BUILD_DIR [ctest args]
  local phase=$1 dir=$2
  shift 2
  local log
  log=$(mktemp)
  # Each test has its own CTest TIMEOUT; this limit is for ctest itself.
  (cd "$dir" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
    limited "ctest in $dir" 5400 ctest --output-on-failure "$@") 2>&1 | tee "$log"
  local total fails
  total=$(sed -n 's/.*tests passed, [0-9]* tests* failed out of \([0-9]*\).*/\1/p' "$log" | tail -1)
  fails=$(sed -n 's/.*tests passed, \([0-9]*\) tests* failed out of.*/\1/p' "$log" | tail -1)
  if [ -z "$total" ]; then
    count "$phase" 0 1
  else
    count "$phase" $((total - fails)) "$fails"
  fi
  rm -f "$log"
}

# Runs every GoogleTest binary of a build folder whole, in one process and in
# shuffled order, so a test that leans on what an earlier one left behind
# fails here even though it passes alone under ctest. The soak test is one
# long test that ctest already runs whole.
run_whole_shuffled() { # run_whole_shuffled PHASE BUILD_DIR
  local phase=$1 dir=$2 bin
  for bin in "$root/$dir"/tests/*_test "$root/$dir"/tools/levelcheck/tests/*_test; do
    [ -x "$bin" ] || continue
    case "$(basename "$bin")" in soak_test) continue ;; esac
    if (cd "$dir" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
      limited "$(basename "$bin") whole, shuffled" 900 "$bin" --gtest_shuffle \
      >"$bin.whole.log" 2>&1); then
      echo "PASS $(basename "$bin") whole, shuffled ($(grep -o 'seed of [0-9]*' "$bin.whole.log"))"
      count "$phase" 1 0
    else
      echo "FAIL $(basename "$bin") whole, shuffled"
      tail -40 "$bin.whole.log"
      count "$phase" 0 1
    fi
  done
}

build() { # build PHASE DIR [cmake args]
  local phase=$1 dir=$2
  shift 2
  if ! cmake -S . -B "$dir" "$@" >/dev/null || ! cmake --build "$dir" -j"$jobs"; then
    echo "$phase: build failed"
    count "$phase build" 0 1
    return 1
  fi
}

if [ "$have_classic" = no ]; then
  note "The classic SDL 1.2"
  echo "skipped: no classic SDL 1.2 on this system; every phase runs on $compat_sdl"
fi

note "Unit and scenario tests on $system_sdl"
if build unit build-test -DCMAKE_BUILD_TYPE=Debug -DQUARNDEL_WERROR=ON -DQUARNDEL_BENCH=ON; then
  run_ctest unit build-test

  note "Every test binary whole, in shuffled order"
  run_whole_shuffled whole build-test
fi

note "The rooms: a wrong-way include fails to build"
# Every room sees only the rooms below it: an include of a room above or
# beside fails to compile (tests/rooms/wrong_way_includes.py says which).
if [ -f build-test/compile_commands.json ]; then
  log=$(mktemp)
  limited rooms 600 tests/rooms/wrong_way_includes.py build-test 2>&1 | tee "$log"
  count_summary rooms "$log"
  rm -f "$log"
fi

note "The house: no circle of files, no product file over 400 lines, no function over 80"
if limited house 120 tools/house-check.py; then
  echo "PASS tools/house-check.py"
  count house 1 0
else
  count house 0 1
fi

note "Unit tests under AddressSanitizer and UBSan"
if build sanitize build-asan -DCMAKE_BUILD_TYPE=Debug -DQUARNDEL_WERROR=ON \
  -DQUARNDEL_SANITIZE=ON -DQUARNDEL_ASSETGEN=OFF; then
  ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    run_ctest sanitize build-asan -E '^Soak\.'

  note "Soak: 200000 frames of scripted play under AddressSanitizer and LeakSanitizer"
  if (cd build-asan && QUARNDEL_SOAK_ITERATIONS=200000 ASAN_OPTIONS=detect_leaks=1 \
    LSAN_OPTIONS="suppressions=$root/tests/lsan.supp" SDL_VIDEODRIVER=dummy \
    SDL_AUDIODRIVER=dummy limited soak 3600 tests/soak_test); then
    count soak 1 0
  else
    count soak 0 1
  fi
fi

note "Recorded games replayed headless, plain and under the sanitizers, on $system_sdl"
# Each recording must end exactly as it was recorded; one that stops matching
# names the first iteration whose state differs.
for exe in build-test/quarndel build-asan/quarndel; do
  [ -x "$exe" ] || continue
  for replay in tests/replays/*.qrp; do
    [ -f "$replay" ] || continue
    if out=$(ASAN_OPTIONS=detect_leaks=0 SDL_AUDIODRIVER=none limited "replay $exe $replay" \
      600 "$exe" --replay "$replay" --headless --verify 2>&1); then
      echo "PASS $exe $replay: $(echo "$out" | head -1)"
      count replay 1 0
    else
      echo "FAIL $exe $replay"
      echo "$out" | tail -20
      count replay 0 1
    fi
  done
done

note "A fresh game recorded by the scripted player, then verified headless"
# The shipped recordings keep verifying even when the recorder writes
# something wrong; a game recorded now by the current code catches that.
if [ -x build-test/quarndel ] && [ ! -x build-test/tests/replay_bot ]; then
  echo "FAIL build-test/tests/replay_bot, the scripted player, is missing"
  count fresh-replay 0 1
elif [ -x build-test/quarndel ]; then
  fresh=$(mktemp -d)
  started=$(date +%s)
  if ! out=$(XDG_CONFIG_HOME=$fresh/config XDG_DATA_HOME=$fresh/data SDL_VIDEODRIVER=dummy \
    SDL_AUDIODRIVER=none limited "recording a fresh game" 120 build-test/tests/replay_bot short \
    "$fresh/fresh.qrp" 2>&1); then
    echo "FAIL recording a fresh game with build-test/tests/replay_bot short"
    echo "$out" | tail -20
    count fresh-replay 0 1
  elif out=$(XDG_CONFIG_HOME=$fresh/config XDG_DATA_HOME=$fresh/data SDL_AUDIODRIVER=none \
    limited "verifying a fresh game" 300 build-test/quarndel --replay "$fresh/fresh.qrp" \
    --headless --verify 2>&1); then
    echo "PASS a fresh game recorded and verified: $(echo "$out" | head -1)" \
      "($(($(date +%s) - started)) s)"
    count fresh-replay 1 0
  else
    echo "FAIL a fresh game recorded by build-test/tests/replay_bot short does not verify"
    echo "$out" | tail -20
    cp "$fresh/fresh.qrp" build-test/fresh-failed.qrp && echo "kept as build-test/fresh-failed.qrp"
    count fresh-replay 0 1
  fi
  rm -rf "$fresh"
fi

note "Fuzzing every data-file reader briefly"
if build fuzz build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DQUARNDEL_FUZZ=ON -DQUARNDEL_TESTS=OFF -DQUARNDEL_ASSETGEN=OFF; then
  for target in build-fuzz/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    if limited "$name" 300 fuzz/run.sh "$target" 5 >"build-fuzz/$name.log" 2>&1; then
      echo "PASS $name ($(grep -o 'stat::number_of_executed_units: *[0-9]*' "build-fuzz/$name.log" | grep -o '[0-9]*$') runs)"
      count fuzz 1 0
    else
      echo "FAIL $name"
      tail -40 "build-fuzz/$name.log"
      count fuzz 0 1
    fi
  done
fi

note "Real-window tests under Xvfb on $system_sdl"
if [ -x build-test/quarndel ] && [ -x tests/e2e/run_all.sh ]; then
  log=$(mktemp)
  # run_all.sh limits each script; this limit is for the whole phase.
  limited e2e 1800 tests/e2e/run_all.sh "$root/build-test/quarndel" \
    "$root/build-test/tests/e2e/e2e_close_window" "$root" 2>&1 | tee "$log"
  count_summary e2e "$log"
  rm -f "$log"
fi

note "On $compat_sdl: the drawing tests, every recorded game, the real-window tests"
# The same game on the library most distributions ship. Its blitters round
# some blended pixels differently, so the drawing tests check what both
# draw alike, a recording verifies across the two when only the last
# frame's pixels differ, and where the two differ by design (a bad video
# driver fails at the video mode) a test accepts either documented outcome.
# Without the classic library the phases above ran on sdl12-compat already:
# only a game recorded on it is checked here.
compat_again=$have_classic
if [ ! -f "$compat_dir/libSDL-1.2.so.0" ]; then
  echo "FAIL $compat_dir/libSDL-1.2.so.0 is missing (libsdl1.2-compat)"
  count compat 0 1
elif [ -x build-test/quarndel ]; then
  [ "$compat_again" = yes ] || echo "(the phases above ran on $compat_sdl)"
  for name in font_test play_loop_test play_screen_test sprite_set_test sprite_test title_test \
    watch_test startup_test; do
    [ "$compat_again" = yes ] || break
    bin=$root/build-test/tests/$name
    if (cd build-test && LD_LIBRARY_PATH=$compat_dir SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
      limited "$name on sdl12-compat" 600 "$bin" --gtest_shuffle >"$bin.compat.log" 2>&1); then
      echo "PASS $name whole, shuffled, on $compat_sdl"
      count compat-unit 1 0
    else
      echo "FAIL $name on $compat_sdl"
      tail -40 "$bin.compat.log"
      count compat-unit 0 1
    fi
  done
  for replay in tests/replays/*.qrp; do
    [ "$compat_again" = yes ] || break
    if out=$(LD_LIBRARY_PATH=$compat_dir SDL_AUDIODRIVER=none limited "replay $replay on sdl12-compat" \
      600 build-test/quarndel --replay "$replay" --headless --verify 2>&1); then
      echo "PASS $replay on $compat_sdl: $(echo "$out" | tail -1)"
      count compat-replay 1 0
    else
      echo "FAIL $replay on $compat_sdl"
      echo "$out" | tail -20
      count compat-replay 0 1
    fi
  done
  # A game recorded on sdl12-compat names it and verifies on both libraries.
  fresh=$(mktemp -d)
  if ! out=$(XDG_CONFIG_HOME=$fresh/config XDG_DATA_HOME=$fresh/data SDL_VIDEODRIVER=dummy \
    SDL_AUDIODRIVER=none LD_LIBRARY_PATH=$compat_dir limited "recording on sdl12-compat" 120 \
    build-test/tests/replay_bot short "$fresh/compat.qrp" 2>&1) ||
    ! grep -q '^sdl 1\.2\.[0-9]* sdl12-compat$' "$fresh/compat.qrp"; then
    echo "FAIL a game recorded on $compat_sdl, or its sdl line"
    echo "$out" | tail -20
    count compat-replay 0 1
  else
    libraries=("$compat_dir")
    [ "$have_classic" = no ] || libraries+=("")
    for library in "${libraries[@]}"; do
      where=$system_sdl
      [ -n "$library" ] && where=$compat_sdl
      if out=$(XDG_CONFIG_HOME=$fresh/config XDG_DATA_HOME=$fresh/data SDL_AUDIODRIVER=none \
        LD_LIBRARY_PATH=$library limited "verifying a game recorded on sdl12-compat" 300 \
        build-test/quarndel --replay "$fresh/compat.qrp" --headless --verify 2>&1); then
        echo "PASS a game recorded on $compat_sdl verified on $where: $(echo "$out" | tail -1)"
        count compat-replay 1 0
      else
        echo "FAIL a game recorded on $compat_sdl does not verify on $where"
        echo "$out" | tail -20
        count compat-replay 0 1
      fi
    done
  fi
  rm -rf "$fresh"
  if [ "$compat_again" = yes ] && [ -x tests/e2e/run_all.sh ]; then
    log=$(mktemp)
    LD_LIBRARY_PATH=$compat_dir limited "e2e on sdl12-compat" 1800 tests/e2e/run_all.sh \
      "$root/build-test/quarndel" "$root/build-test/tests/e2e/e2e_close_window" "$root" 2>&1 | tee "$log"
    echo "(real-window tests on $compat_sdl)"
    count_summary compat-e2e "$log"
    rm -f "$log"
  fi
fi

note "Level checker on the shipped tree"
if [ -x build-test/tools/levelcheck/quarndel-check ] &&
  limited quarndel-check 120 build-test/tools/levelcheck/quarndel-check data/level_1; then
  count levelcheck 1 0
else
  count levelcheck 0 1
fi

note "Debian package: build, lintian, install, the installed game from /tmp, purge"
if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: the packaging phase installs and purges a package, which needs root"
elif [ ! -x build-test/tests/e2e/e2e_close_window ]; then
  echo "package: build-test/tests/e2e/e2e_close_window is missing"
  count package 0 1
else
  log=$(mktemp)
  started=$(date +%s)
  limited package 300 tests/package/check_package.sh "$root/build-test/tests/e2e/e2e_close_window" \
    2>&1 | tee "$log"
  echo "packaging phase: $(($(date +%s) - started)) s"
  count_summary package "$log"
  # A package built on another Debian release (QUARNDEL_FOREIGN_DEB, set by
  # tools/chroot-test.sh --deb) installs, plays and purges here too.
  if [ -n "${QUARNDEL_FOREIGN_DEB:-}" ]; then
    note "The Debian package built elsewhere: $(basename "$QUARNDEL_FOREIGN_DEB")"
    PACKAGE_DEB=$QUARNDEL_FOREIGN_DEB limited "package built elsewhere" 300 \
      tests/package/check_package.sh "$root/build-test/tests/e2e/e2e_close_window" 2>&1 | tee "$log"
    count_summary foreign-package "$log"
  fi
  rm -f "$log"
fi

note "Browser build: numbers, recorded games under node and in headless Chromium, keys"
# Skipped only where emscripten cannot be installed; once it is, every step counts.
timeout -k 10 900 tools/install-deps.sh web || true
if ! command -v emcc >/dev/null; then
  echo "skipped: emscripten cannot be installed here (tools/install-deps.sh web)"
else
  mkdir -p build-web
  if ! timeout -k 10 1200 web/build.sh >build-web/build.log 2>&1; then
    tail -30 build-web/build.log
    count web-build 0 1
  elif ! (cd web && timeout -k 10 300 npm ci --no-audit --no-fund >/dev/null); then
    echo "web: npm ci failed"
    count web-npm 0 1
  else
    if timeout -k 10 300 web/check_numbers.sh; then count web-numbers 1 0; else count web-numbers 0 1; fi
    log=$(mktemp)
    # The browser build's rooms refuse a wrong-way include as the desktop's do.
    limited "web rooms" 900 tests/rooms/wrong_way_includes.py build-web/cmake 2>&1 | tee "$log"
    count_summary web-rooms "$log"
    timeout -k 10 600 web/verify.sh tests/replays/*.qrp 2>&1 | tee "$log"
    status=${PIPESTATUS[0]}
    ok=$(grep -c '^PASS ' "$log")
    bad=$(grep -c '^FAIL ' "$log")
    [ "$status" -eq 0 ] || [ "$bad" -gt 0 ] || bad=1
    count web-replay "$ok" "$bad"
    if QUARNDEL_DESKTOP=$root/build-test/quarndel timeout -k 10 180 node web/browser.js keys build-web/site \
      build-web/play.png; then
      count web-keys 1 0
    else
      count web-keys 0 1
    fi
    rm -f "$log"
  fi
fi

echo
for f in "${failures[@]}"; do echo "failed: $f"; done
while read -r line; do echo "failed: $line"; done <"$timeouts"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
