#!/usr/bin/env bash
# Runs every benchmark program and prints its table.
set -euo pipefail
dir=$1
shopt -s nullglob
programs=("$dir"/*_bench)
if [ ${#programs[@]} -eq 0 ]; then
  echo "No benchmarks yet."
  exit 0
fi
for program in "${programs[@]}"; do
  echo "== $(basename "$program")"
  "$program" --benchmark_counters_tabular=true
done
