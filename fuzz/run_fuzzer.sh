#!/usr/bin/env bash
# Runs one fuzz target for a few seconds, starting from its committed seeds
# (copied, so that the run never adds files to the source tree), with inputs
# of up to 1 MiB: libFuzzer's own limit of 4 KiB never reaches the paths of
# long lines and large files.
#   run_fuzzer.sh BINARY SEED_DIR SECONDS
set -euo pipefail
binary=$1
seeds=$2
seconds=${3:-10}
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
if [ -d "$seeds" ]; then cp -r "$seeds"/. "$corpus"/; fi
"$binary" -max_len=1048576 -max_total_time="$seconds" -seed=1 -rss_limit_mb=2048 -print_final_stats=0 "$corpus" 2>&1 | tail -5
