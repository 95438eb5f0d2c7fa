#!/usr/bin/env bash
# One run of each program under valgrind: no invalid access, no uninitialised use, no leak.
set -euo pipefail
bin=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/output"
cp "$bin/primes.dat" "$work/"
cd "$work"
for run in "tglp_weights 4 200" "udh_weights 4 200" "udh_weights_prod 4 200" "gwud_weights 4 200" \
           "gwud_weights_prod 4 200" "msld_weights 3 4" "glp_points 3 200"; do
  valgrind -q --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite \
    "$bin/${run%% *}" ${run#* } >/dev/null
  echo "valgrind clean: $run"
done
