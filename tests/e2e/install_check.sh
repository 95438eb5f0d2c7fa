#!/usr/bin/env bash
# Installs the build into a fresh prefix, checks the installed tree and runs each installed
# program once, from a directory of its own without a prime table: tglp_weights finds the
# installed one.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for file in share/simplex-weights/primes.dat share/doc/simplex-weights/README.md \
            share/doc/simplex-weights/copyright share/doc/simplex-weights/changelog.gz; do
  [ -f "$prefix/$file" ] || { echo "missing $file"; exit 1; }
done
work="$prefix/work"
mkdir -p "$work/output"
cd "$work"
for run in "tglp_weights 3 10" "udh_weights 3 10" "udh_weights_prod 3 10" "gwud_weights 3 10" \
           "gwud_weights_prod 3 10" "msld_weights 3 2" "glp_points 2 11" "energy_weights 3 10"; do
  program=${run%% *}
  [ -f "$prefix/share/man/man1/$program.1.gz" ] || { echo "missing manual page of $program"; exit 1; }
  "$prefix/bin/$program" ${run#* } >/dev/null || { echo "$run failed"; exit 1; }
  "$prefix/bin/$program" --version | grep -q "^$program (simplex-weights) " || { echo "$program --version"; exit 1; }
done
[ "$(ls output | wc -l)" -eq 6 ] && [ -f weight_03D_10.udh ] || { echo "weight files missing"; ls -R; exit 1; }
# A table in the working directory still comes first.
mkdir -p "$prefix/local/output" && cd "$prefix/local"
printf '2 3 5 7 11 13\n' > primes.dat
"$prefix/bin/tglp_weights" 3 6 | head -1 | grep -qx "value = 7" || { echo "local primes.dat not read first"; exit 1; }
echo "installed suite runs"
