#!/usr/bin/env bash
# Other tools' scheme files through /F: one file of each format, what the
# applied scheme shows, a folder with files that fail among good ones, a
# wildcard merged into the list, a single broken file, and a scheme read
# from one format written out in ours. The files are in tests/e2e/import.
set -euo pipefail
VHOST=$(cd "$1" && pwd)/vhost
EXPECTED=$(cd "$2" && pwd)
. "$EXPECTED/transcript.bash"

import_dir=$EXPECTED/import
run_in_import() {
  local out=$1 err=$2 rc=$3; shift 3
  (cd "$import_dir" && run_plain "$out" "$err" "$rc" "$@")
}
VHOST_RUNNER=run_in_import
quiet=(--var noloadmsg=1)
. "$EXPECTED/import/cases.bash"
import_cases

# What the console shows once an imported scheme is applied: its own
# background and text, exactly.
expect_run import_applied "${quiet[@]}" -c "vivanta /Q /F:terminal-settings.json kelp*" -c "console" \
  -c "vivanta /Q paper*" -c "console"

# Read in one format, applied, written in ours.
expect_run import_convert "${quiet[@]}" -c "vivanta /Q /F:ember.json ember" -c "vivanta /W:-"
transcripts_done
