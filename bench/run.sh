#!/usr/bin/env bash
# Benchmark: each program at a large size against the formatting floor and against the suite's
# first version (commit b3307ab, built with its printf formatting and line-by-line copy); then
# the streaming programs at 10^5, 10^6 and 10^7 rows, with the log-log slope of their time.
# Prints seconds (median of REPEATS runs), rows per second, the ratio to the floor (a program
# that formats and writes the same bytes once and computes nothing), peak memory, and the first
# version's seconds, speedup and peak memory.
# Usage: bench/run.sh [REPEATS]   (builds into build-bench-fast/ and, when the clone has the
# history, build-bench-first/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
repeats=${1:-5}
first_version=b3307ab
fast=$root/build-bench-fast
cmake -S "$root" -B "$fast" -DCMAKE_BUILD_TYPE=Release -DWEIGHTS_TESTS=OFF >/dev/null
cmake --build "$fast" -j2 >/dev/null
first_bin=
if git -C "$root" cat-file -e "$first_version^{commit}" 2>/dev/null; then
  first_dir=$root/build-bench-first
  rm -rf "$first_dir/src"
  mkdir -p "$first_dir/src"
  git -C "$root" archive "$first_version" | tar -x -C "$first_dir/src"
  cmake -S "$first_dir/src" -B "$first_dir/build" -DCMAKE_BUILD_TYPE=Release -DWEIGHTS_TESTS=OFF \
    -DWEIGHTS_LEGACY_IO=ON >/dev/null 2>&1
  cmake --build "$first_dir/build" -j2 >/dev/null 2>&1
  first_bin=$first_dir/build/bin
else
  echo "bench: commit $first_version is not in this clone; the first-version columns stay empty" >&2
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/output"
cp "$root/share/primes.dat" "$work/"
cd "$work"

# Median wall-clock seconds and peak resident kilobytes of a command, over $repeats runs, each
# timed from fork to exit by bench_time. Every run starts without the files of the one before:
# replacing a large file costs the kernel a truncation that is not the program's work.
measure() {
  local times=() peak=0
  for _ in $(seq "$repeats"); do
    rm -f output/* weight_* floor.txt
    local result seconds rss
    result=$("$fast/bin/bench_time" "$@") || { echo "bench: $* failed" >&2; exit 1; }
    read -r seconds rss <<<"$result"
    times+=("$seconds")
    [ "$rss" -gt "$peak" ] && peak=$rss
  done
  rm -f output/* weight_* floor.txt
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (repeats + 1) / 2 ))p" | tr '\n' ' '
  echo "$peak"
}

printf '%-30s %7s %10s %6s %6s | %7s %7s %6s\n' program seconds rows/s floor× MB first-s speedup MB
while read -r program first second rows columns format; do
  args="$first $second"
  read -r floor _ < <(measure "$fast/bin/bench_floor" "$rows" "$columns" "$format" floor.txt)
  read -r now now_kb < <(measure "$fast/bin/$program" $args)
  old=0 old_kb=0
  [ -n "$first_bin" ] && read -r old old_kb < <(measure "$first_bin/$program" $args)
  awk -v p="$program $args" -v t="$now" -v f="$floor" -v r="$rows" -v k="$now_kb" -v o="$old" \
    -v ok="$old_kb" 'BEGIN {
      printf "%-30s %7.3f %10.0f %6.2f %6.1f | %7.3f %7.1f %6.1f\n",
        p, t, r / t, t / f, k / 1024, o, o / t, ok / 1024 }'
done <<'LIST'
udh_weights_prod 10 1000000 1000000 10 lf
udh_weights 10 1000000 1000000 10 lf
gwud_weights_prod 10 1000000 1000000 10 e
gwud_weights 10 200000 200000 10 e
tglp_weights 10 20000 20011 10 f
glp_points 10 20000 20000 10 e
msld_weights 3 500 1127254 3 f
LIST

# Growth: 10^5, 10^6 and 10^7 rows (msld_weights: K = 149, 471, 1490), the largest peak memory,
# and the slope of log(seconds) over log(rows) from the first to the last. The floors here sync
# their file to disk before they close it, as every published weight file is, so that the
# ratios at 10^6 and 10^7 rows compare the same work.
echo
printf '%-18s %8s %8s %8s %8s %8s %6s %6s %6s %6s\n' program 1e5-s 1e6-s 1e7-s floor6-s floor7-s \
  ×1e6 ×1e7 MB slope
while read -r program first format columns s5 r5 s6 r6 s7 r7; do
  read -r t5 k5 < <(measure "$fast/bin/$program" "$first" "$s5")
  read -r t6 k6 < <(measure "$fast/bin/$program" "$first" "$s6")
  read -r t7 k7 < <(measure "$fast/bin/$program" "$first" "$s7")
  read -r f6 _ < <(measure "$fast/bin/bench_floor" "$r6" "$columns" "$format" floor.txt sync)
  read -r f7 _ < <(measure "$fast/bin/bench_floor" "$r7" "$columns" "$format" floor.txt sync)
  peak=$(printf '%s\n' "$k5" "$k6" "$k7" | sort -n | tail -1)
  awk -v p="$program $first" -v a="$t5" -v b="$t6" -v c="$t7" -v f="$f6" -v g="$f7" -v k="$peak" \
    -v ra="$r5" -v rc="$r7" 'BEGIN {
      printf "%-18s %8.3f %8.3f %8.3f %8.3f %8.3f %6.2f %6.2f %6.1f %6.3f\n",
        p, a, b, c, f, g, b / f, c / g, k / 1024, log(c / a) / log(rc / ra) }'
done <<'LIST'
udh_weights_prod 10 lf 10 100000 100000 1000000 1000000 10000000 10000000
udh_weights 10 lf 10 100000 100000 1000000 1000000 10000000 10000000
gwud_weights_prod 10 e 10 100000 100000 1000000 1000000 10000000 10000000
gwud_weights 10 e 10 100000 100000 1000000 1000000 10000000 10000000
msld_weights 3 f 3 149 100579 471 1000408 1490 9997159
LIST

# In memory against the program: each construction at (10, 10^6) (msld at K = 258, 1,002,441
# rows) through bench_library_calls, which computes and keeps the set, against the program
# computing, formatting, writing and syncing the same rows; both pinned to one core, then on all
# cores. The ratio is the program's seconds over the call's.
taskset=$(command -v taskset)
echo
printf '%-14s %9s %9s %7s | %9s %9s %7s\n' construction call-1c prog-1c ratio call-all prog-all ratio
while read -r construction program first second; do
  read -r c1 _ < <(measure "$taskset" -c 0 "$fast/bin/bench_library_calls" "$construction" "$first" "$second" 1)
  read -r p1 _ < <(measure "$taskset" -c 0 "$fast/bin/$program" -q "$first" "$second")
  read -r ca _ < <(measure "$fast/bin/bench_library_calls" "$construction" "$first" "$second" 1)
  read -r pa _ < <(measure "$fast/bin/$program" -q "$first" "$second")
  awk -v c="$construction" -v a="$c1" -v b="$p1" -v d="$ca" -v e="$pa" 'BEGIN {
    printf "%-14s %9.3f %9.3f %7.2f | %9.3f %9.3f %7.2f\n", c, a, b, b / a, d, e, e / d }'
done <<'LIST'
udh udh_weights 10 1000000
udh_product udh_weights_prod 10 1000000
gwud gwud_weights 10 1000000
gwud_product gwud_weights_prod 10 1000000
msld msld_weights 10 258
LIST
