#!/usr/bin/env bash
# Installs what the tests need, builds, and runs every test: the unit and
# scenario tests (one per process, then each test binary whole in shuffled
# order), the same under AddressSanitizer and UBSan, the recorded games in
# tests/replays/ replayed headless, short fuzzing runs of every data-file
# reader and the replay reader, the real-window tests under Xvfb, the level
# checker on the shipped tree and, as root, the Debian package built,
# installed, played from /tmp and purged. Ends with one line "N passed, M failed".
set -uo pipefail
cd "$(dirname "$0")"
root=$(pwd)
tools/install-deps.sh test || exit 1

jobs=$(nproc)
passed=0
failed=0
failures=()

note() { printf '\n=== %s ===\n' "$*"; }
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
  (cd "$dir" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ctest --output-on-failure "$@") \
    2>&1 | tee "$log"
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
    if (cd "$dir" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$bin" --gtest_shuffle \
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

note "Unit and scenario tests"
if build unit build-test -DCMAKE_BUILD_TYPE=Debug -DQUARNDEL_WERROR=ON -DQUARNDEL_BENCH=ON; then
  run_ctest unit build-test

  note "Every test binary whole, in shuffled order"
  run_whole_shuffled whole build-test
fi

note "Unit tests under AddressSanitizer and UBSan"
if build sanitize build-asan -DCMAKE_BUILD_TYPE=Debug -DQUARNDEL_WERROR=ON \
  -DQUARNDEL_SANITIZE=ON -DQUARNDEL_ASSETGEN=OFF; then
  ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    run_ctest sanitize build-asan -E '^Soak\.'

  note "Soak: 200000 frames of scripted play under AddressSanitizer and LeakSanitizer"
  if (cd build-asan && QUARNDEL_SOAK_ITERATIONS=200000 ASAN_OPTIONS=detect_leaks=1 \
    LSAN_OPTIONS="suppressions=$root/tests/lsan.supp" SDL_VIDEODRIVER=dummy \
    SDL_AUDIODRIVER=dummy tests/soak_test); then
    count soak 1 0
  else
    count soak 0 1
  fi
fi

note "Recorded games replayed headless, plain and under the sanitizers"
# Each recording must end exactly as it was recorded; one that stops matching
# names the first iteration whose state differs.
for exe in build-test/quarndel build-asan/quarndel; do
  [ -x "$exe" ] || continue
  for replay in tests/replays/*.qrp; do
    [ -f "$replay" ] || continue
    if out=$(ASAN_OPTIONS=detect_leaks=0 SDL_AUDIODRIVER=none "$exe" --replay "$replay" \
      --headless --verify 2>&1); then
      echo "PASS $exe $replay: $(echo "$out" | head -1)"
      count replay 1 0
    else
      echo "FAIL $exe $replay"
      echo "$out" | tail -20
      count replay 0 1
    fi
  done
done

note "Fuzzing every data-file reader briefly"
if build fuzz build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DQUARNDEL_FUZZ=ON -DQUARNDEL_TESTS=OFF -DQUARNDEL_ASSETGEN=OFF; then
  for target in build-fuzz/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    if fuzz/run.sh "$target" 5 >"build-fuzz/$name.log" 2>&1; then
      echo "PASS $name ($(grep -o 'stat::number_of_executed_units: *[0-9]*' "build-fuzz/$name.log" | grep -o '[0-9]*$') runs)"
      count fuzz 1 0
    else
      echo "FAIL $name"
      tail -40 "build-fuzz/$name.log"
      count fuzz 0 1
    fi
  done
fi

note "Real-window tests under Xvfb"
if [ -x build-test/quarndel ] && [ -x tests/e2e/run_all.sh ]; then
  log=$(mktemp)
  tests/e2e/run_all.sh "$root/build-test/quarndel" "$root/build-test/tests/e2e/e2e_close_window" \
    "$root" 2>&1 | tee "$log"
  count_summary e2e "$log"
  rm -f "$log"
fi

note "Level checker on the shipped tree"
if [ -x build-test/tools/levelcheck/quarndel-check ] &&
  build-test/tools/levelcheck/quarndel-check data/level_1; then
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
  timeout -k 10 300 tests/package/check_package.sh "$root/build-test/tests/e2e/e2e_close_window" \
    2>&1 | tee "$log"
  echo "packaging phase: $(($(date +%s) - started)) s"
  count_summary package "$log"
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
    timeout -k 10 600 web/verify.sh tests/replays/*.qrp 2>&1 | tee "$log"
    status=${PIPESTATUS[0]}
    ok=$(grep -c '^PASS ' "$log")
    bad=$(grep -c '^FAIL ' "$log")
    [ "$status" -eq 0 ] || [ "$bad" -gt 0 ] || bad=1
    count web-replay "$ok" "$bad"
    if timeout -k 10 180 node web/browser.js keys build-web/site build-web/play.png; then
      count web-keys 1 0
    else
      count web-keys 0 1
    fi
    rm -f "$log"
  fi
fi

echo
for f in "${failures[@]}"; do echo "failed: $f"; done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
