#!/usr/bin/env bash
# Measures replay speed side by side in one run: each recording played
# headless and verified RUNS times (default 5) by the desktop build, by the
# browser build under node and in headless Chromium; prints the medians.
#   web/measure.sh [FILE...]   default tests/replays/*.qrp
# Environment: QUARNDEL_NATIVE (default build-rel/quarndel),
# QUARNDEL_WEB_SITE (default build-web/site), RUNS.
#
# The desktop's figure is the CPU time (user + system) of its whole process;
# node's is the CPU time of its process from the game's start (the module
# compiled, the data tree loaded) to its end; Chromium gives no CPU time of a
# page, so its figure is the time from the game's start to its end (on a busy
# machine that includes waiting for a core). Iterations a second divide the
# recording's iterations by that time.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
native=${QUARNDEL_NATIVE:-$root/build-rel/quarndel}
site=${QUARNDEL_WEB_SITE:-$root/build-web/site}
runs=${RUNS:-5}
[ $# -gt 0 ] || set -- "$root"/tests/replays/*.qrp
[ -x "$native" ] || { echo "no desktop build at $native" >&2; exit 1; }
[ -f "$site/quarndel.js" ] || { echo "no browser build in $site: web/build.sh" >&2; exit 1; }
# Runs by hand never touch the player's own folders.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export HOME=$tmp XDG_CONFIG_HOME=$tmp/config XDG_DATA_HOME=$tmp/data
files=()
for f in "$@"; do files+=("$(realpath "$f")"); done

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

declare -A nat nod chr its
for f in "${files[@]}"; do
  : >"$tmp/n" && : >"$tmp/j"
  for ((i = 0; i < runs; ++i)); do
    # bash's time keyword: CPU seconds with three decimals
    { TIMEFORMAT='%3U %3S'; time "$native" --replay "$f" --headless --verify >"$tmp/out" 2>&1; } 2>"$tmp/t"
    awk '{ printf "%.1f\n", ($1 + $2) * 1000 }' "$tmp/t" >>"$tmp/n"
    QUARNDEL_TIMING=1 node --no-experimental-fetch "$root/web/replay-node.js" "$site" "$f" 2>"$tmp/e" >/dev/null
    sed -n 's/.*, cpu \([0-9.]*\) ms.*/\1/p' "$tmp/e" >>"$tmp/j"
  done
  its[$f]=$(sed -n 's/.* iterations \([0-9]*\).*/\1/p' "$tmp/out")
  nat[$f]=$(median <"$tmp/n")
  nod[$f]=$(median <"$tmp/j")
done
while read -r f ms _; do
  chr[$f]=$ms
done < <(node "$root/web/browser.js" replays "$site" "$runs" "${files[@]}")

printf '%-14s %10s | %-22s | %-22s | %-22s\n' recording iterations "desktop ms (it/s)" \
  "node ms (it/s) ratio" "chromium ms (it/s) ratio"
for f in "${files[@]}"; do
  awk -v name="$(basename "$f")" -v it="${its[$f]}" -v n="${nat[$f]}" -v j="${nod[$f]}" \
    -v c="${chr[$f]:-nan}" 'BEGIN {
      printf "%-14s %10d | %8.1f (%9.0f)   | %8.1f (%8.0f) %4.1fx | %8.1f (%8.0f) %4.1fx\n",
        name, it, n, it / n * 1000, j, it / j * 1000, j / n, c, it / c * 1000, c / n }'
done
echo "(medians of $runs runs; ratio: browser time over desktop time)"
