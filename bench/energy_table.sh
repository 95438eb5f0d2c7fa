#!/usr/bin/env bash
# Uniformity against cost at the sizes users compare with pymoo's energy directions: for each
# (m, N), energy_weights (seed 1) and the suite's other sets with and without --vertices, each
# with its CPU time, peak memory and weights_inspect's closest pair, coverage radius and energy
# (log of the mean of d^-2m over all pairs). Usage: bench/energy_table.sh [CELLS...] where a
# cell is m,N (default: 3,91 3,100 5,210 8,156 10,275 10,1009); builds into build-bench-fast/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-bench-fast
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DWEIGHTS_TESTS=OFF >/dev/null
cmake --build "$build" -j2 >/dev/null
bin=$build/bin
cells=("$@")
[ ${#cells[@]} -gt 0 ] || cells=(3,91 3,100 5,210 8,156 10,275 10,1009)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root/share/primes.dat" "$work/"
cd "$work"

# One row of the table: the set's CPU seconds and peak KB, then its three figures.
measure() {
  local label=$1
  shift
  local times
  times=$( { /usr/bin/time -f "%U %S %M" "$bin/$1" -q -o set.txt "${@:2}" >/dev/null; } 2>&1 | tail -1)
  read -r user system peak <<<"$times"
  local figures
  figures=$("$bin/weights_inspect" set.txt | awk '/closest pair distance/ {c = $4}
    /coverage radius/ {r = $3} /energy log mean/ {e = $5} END {print c, r, e}')
  printf "%-34s %8.3f %8d   %s\n" "$label" "$(awk -v u="$user" -v s="$system" 'BEGIN {print u + s}')" "$peak" "$figures"
}

printf "%-34s %8s %8s   %s\n" "set" "cpu s" "peak KB" "closest coverage energy"
for cell in "${cells[@]}"; do
  m=${cell%,*}
  n=${cell#*,}
  echo "($m, $n)"
  measure "energy_weights" energy_weights --seed 1 "$m" "$n"
  for flags in "" "--vertices"; do
    measure "tglp --exact --search 256 $flags" tglp_weights --seed 1 --exact --search 256 $flags "$m" "$n"
    measure "udh $flags" udh_weights $flags "$m" "$n"
    measure "gwud $flags" gwud_weights $flags "$m" "$n"
  done
done
