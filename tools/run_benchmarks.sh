#!/usr/bin/env bash
# Runs every benchmark program briefly and prints one table of the figures
# that matter next to their targets. Each program's own console output is
# kept in RESULTS_DIR/NAME.log, its figures in RESULTS_DIR/NAME.json.
#
#   tools/run_benchmarks.sh BENCH_DIR [RESULTS_DIR]
set -euo pipefail
dir=$1
results=${2:-$dir/results}
here=$(cd "$(dirname "$0")" && pwd)
shopt -s nullglob
programs=("$dir"/*_bench)
if [ ${#programs[@]} -eq 0 ]; then
  echo "No benchmarks yet."
  exit 0
fi
mkdir -p "$results"
rm -f "$results"/*.json "$results"/*.log

# Short runs, repeated three times so that the table takes the median: the
# machine is shared and a single short run is at the mercy of a neighbour.
# (Benchmarks that set their own minimum time keep it.)
failed=0
for program in "${programs[@]}"; do
  name=$(basename "$program")
  echo "running $name ..." >&2
  if ! "$program" --benchmark_min_time=0.1 --benchmark_repetitions=3 \
      --benchmark_out="$results/$name.json" --benchmark_out_format=json >"$results/$name.log" 2>&1; then
    echo "$name failed; its output is in $results/$name.log" >&2
    failed=1
  fi
done
echo
python3 "$here/bench_table.py" "$results"
exit $failed
