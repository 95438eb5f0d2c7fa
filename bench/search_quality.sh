#!/usr/bin/env bash
# What --search buys on the simplex: tglp_weights m N is run once per seed without a search and
# once with --search K (the same seed), and weights_inspect measures both files. Prints, per
# seed, the closest pair and coverage radius of both runs and the chosen vector's CD2; then the
# median, least and largest of each column.
# Usage: bench/search_quality.sh [SEEDS [M N K]]   (default 20 seeds of 5 211 256; builds into
# build-bench-fast/). WEIGHTS_BIN=DIR measures the programs of another build instead (an earlier
# version, say); FLAGS="--exact" adds options to both runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seeds=${1:-20}
m=${2:-5}
n=${3:-211}
k=${4:-256}
flags=${FLAGS:-}
if [ -n "${WEIGHTS_BIN:-}" ]; then
  bin=$(cd "$WEIGHTS_BIN" && pwd)
else
  build=$root/build-bench-fast
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DWEIGHTS_TESTS=OFF >/dev/null
  cmake --build "$build" -j2 --target tglp_weights weights_inspect >/dev/null
  bin=$build/bin
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/output"
cp "$root/share/primes.dat" "$work/"
cd "$work"

# A failed run's message, then the end of the script.
exit_with() {
  cat "$1" >&2
  exit 1
}

# "closest coverage" of the file the last run wrote.
simplex_figures() {
  "$bin/weights_inspect" output/weight_*.tglp |
    awk '/closest pair distance/ { c = $4 } /coverage radius/ { v = $3 } END { print c, v }'
}

printf '%6s %12s %12s %12s %12s %12s\n' seed closest coverage closest-K coverage-K cd2-K
for seed in $(seq 1 "$seeds"); do
  rm -f output/weight_*.tglp
  # shellcheck disable=SC2086 # the flags are words on purpose
  "$bin/tglp_weights" --seed "$seed" -q $flags "$m" "$n" 2>search.err || exit_with search.err
  plain=$(simplex_figures)
  rm -f output/weight_*.tglp
  # shellcheck disable=SC2086
  "$bin/tglp_weights" --seed "$seed" -q $flags --search "$k" "$m" "$n" 2>search.err ||
    exit_with search.err
  chosen=$(sed -n 's/.*CD2 = \([^,]*\).*/\1/p' search.err)
  searched=$(simplex_figures)
  # shellcheck disable=SC2086 # two figures each, split on purpose
  printf '%6s %12s %12s %12s %12s %12s\n' "$seed" $plain $searched "$chosen"
done | tee table.txt

echo "over $seeds seeds, tglp_weights $flags $m $n without and with (-K) --search $k:"
names=(seed closest coverage closest-K coverage-K cd2-K)
for column in 2 3 4 5 6; do
  name=${names[column - 1]}
  awk -v c="$column" '{ print $c }' table.txt | sort -g |
    awk -v name="$name" '{ v[NR] = $1 }
      END { mid = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
            printf "  %-20s median %-12g least %-12g largest %g\n", name, mid, v[1], v[NR] }'
done
# The goal of the search at (5, 211): PlatEMO MUD's closest pair 0.0795 and coverage 0.282.
awk '$4 >= 0.0795 && $5 <= 0.282 { met++ } END { printf "  seeds with closest-K >= 0.0795 and coverage-K <= 0.282: %d of %d\n", met, NR }' table.txt
