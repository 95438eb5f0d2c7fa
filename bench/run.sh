#!/usr/bin/env bash
# Benchmark: each program at a large size against the formatting floor, in the fast build and in
# a baseline build that formats with printf and copies the staging file line by line.
# Prints seconds (median of 5), rows per second, ratio to the floor, and the baseline's figures.
# Usage: bench/run.sh [REPEATS]   (builds into build-bench-fast/ and build-bench-legacy/)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
repeats=${1:-5}
for variant in fast legacy; do
  dir=$root/build-bench-$variant
  legacy=$([ $variant = legacy ] && echo ON || echo OFF)
  cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release -DWEIGHTS_TESTS=OFF -DWEIGHTS_LEGACY_IO=$legacy >/dev/null
  cmake --build "$dir" -j2 >/dev/null
done
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

printf '%-32s %9s %12s %8s %9s | %9s %8s %9s\n' program seconds rows/s floor× peakMB base-s speedup base-MB
while read -r program first second rows columns format; do
  args="$first $second"
  read -r floor _ < <(measure "$root/build-bench-fast/bin/bench_floor" "$rows" "$columns" "$format" floor.txt)
  read -r fast fast_kb < <(measure "$root/build-bench-fast/bin/$program" $args)
  read -r base base_kb < <(measure "$root/build-bench-legacy/bin/$program" $args)
  awk -v p="$program $args" -v t="$fast" -v f="$floor" -v r="$rows" -v b="$base" -v fk="$fast_kb" -v bk="$base_kb" \
    'BEGIN { printf "%-32s %9.3f %12.0f %8.2f %9.1f | %9.3f %8.1f %9.1f\n", p, t, r / t, t / f, fk / 1024, b, b / t, bk / 1024 }'
done <<'LIST'
udh_weights_prod 10 1000000 1000000 10 lf
udh_weights 10 1000000 1000000 10 lf
gwud_weights_prod 10 1000000 1000000 10 e
gwud_weights 10 200000 200000 10 e
tglp_weights 10 20000 20011 10 f
glp_points 10 20000 20000 10 e
msld_weights 3 500 1127254 3 f
LIST
