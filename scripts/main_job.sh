#!/usr/bin/env bash
# Generates one weight file with every program of the suite, at sizes a typical study uses,
# into a work directory: work/output/ (and work/ for udh_weights_prod). Traces go to work/logs/.
set -euo pipefail
bin=${1:?usage: main_job.sh BIN_DIR WORK_DIR}
work=${2:?usage: main_job.sh BIN_DIR WORK_DIR}
mkdir -p "$work/output" "$work/logs"
cp "$bin/primes.dat" "$work/"
cd "$work"

run() {
  local program=$1
  shift
  "$bin/$program" "$@" >"logs/$program.log"
  echo "$program $*: ok"
}

run tglp_weights 3 100
run udh_weights 3 100
run udh_weights_prod 3 100
run gwud_weights 3 100
run gwud_weights_prod 3 100
run msld_weights 3 5
run glp_points 2 101
run energy_weights --seed 1 3 100
echo "weight files:"
ls -l output/ weight_*.udh
if [ -x "$bin/weights_inspect" ]; then
  "$bin/weights_inspect" output/weight_* weight_*.udh >logs/weights_inspect.log || true
  echo "weights_inspect: logs/weights_inspect.log"
fi
