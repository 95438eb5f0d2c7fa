#!/usr/bin/env bash
# Benchmark: each program at a large size against the formatting floor, against the suite's
# first version (commit b3307ab, built with its printf formatting and line-by-line copy), and
# against today's code built the same old way (printf, line-by-line copy).
# Prints seconds (median of REPEATS runs), rows per second, ratio to the floor, peak memory,
# and each baseline's seconds, speedup and peak memory.
# Usage: bench/run.sh [REPEATS]   (builds into build-bench-fast/, build-bench-legacy/ and,
# when the clone has the history, build-bench-first/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
repeats=${1:-5}
first_version=b3307ab
for variant in fast legacy; do
  dir=$root/build-bench-$variant
  legacy=$([ $variant = legacy ] && echo ON || echo OFF)
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DWEIGHTS_TESTS=OFF -DWEIGHTS_LEGACY_IO=$legacy >/dev/null
  cmake --build "$dir" -j2 >/dev/null
done
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
# replacing a large file costs the kernel a truncation (tens of milliseconds) that is not the
# program's work.
measure() {
  local times=() peak=0
  for _ in $(seq "$repeats"); do
    rm -f output/* weight_* floor.txt
    local result seconds rss
    result=$("$root/build-bench-fast/bin/bench_time" "$@") || { echo "bench: $* failed" >&2; exit 1; }
    read -r seconds rss <<<"$result"
    times+=("$seconds")
    [ "$rss" -gt "$peak" ] && peak=$rss
  done
  printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (repeats + 1) / 2 ))p" | tr '\n' ' '
  echo "$peak"
}

printf '%-30s %7s %10s %6s %6s | %7s %7s %6s | %7s %7s %6s\n' program seconds rows/s floor× MB \
  first-s speedup MB today-s speedup MB
while read -r program first second rows columns format; do
  args="$first $second"
  read -r floor _ < <(measure "$root/build-bench-fast/bin/bench_floor" "$rows" "$columns" "$format" floor.txt)
  read -r fast fast_kb < <(measure "$root/build-bench-fast/bin/$program" $args)
  read -r base base_kb < <(measure "$root/build-bench-legacy/bin/$program" $args)
  old=0 old_kb=0
  [ -n "$first_bin" ] && read -r old old_kb < <(measure "$first_bin/$program" $args)
  awk -v p="$program $args" -v t="$fast" -v f="$floor" -v r="$rows" -v b="$base" -v fk="$fast_kb" \
    -v bk="$base_kb" -v o="$old" -v ok="$old_kb" 'BEGIN {
      printf "%-30s %7.3f %10.0f %6.2f %6.1f | %7.3f %7.1f %6.1f | %7.3f %7.1f %6.1f\n",
        p, t, r / t, t / f, fk / 1024, o, o / t, ok / 1024, b, b / t, bk / 1024 }'
done <<'LIST'
udh_weights_prod 10 1000000 1000000 10 lf
udh_weights 10 1000000 1000000 10 lf
gwud_weights_prod 10 1000000 1000000 10 e
gwud_weights 10 200000 200000 10 e
tglp_weights 10 20000 20011 10 f
glp_points 10 20000 20000 10 e
msld_weights 3 500 1127254 3 f
LIST
