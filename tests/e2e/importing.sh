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

# Keeping what was imported: a folder read and written into the scheme file
# beside the plugin (in a folder of its own, with a blank in its name),
# which the next shell reads at start-up; some of its schemes then into a
# terminal's array of schemes and read back. Full names show the work
# directory as %WORK%.
plugins="$TRANSCRIPT_WORK/My plugins"
mkdir -p "$plugins"
cp "$(dirname "$VHOST")/Vivanta.so" "$plugins/"
run_in_import_masked() {
  local out=$1 err=$2 rc=$3
  run_in_import "$@"
  sed -i "s|$TRANSCRIPT_WORK|%WORK%|g" "$out" "$err"
}
VHOST_RUNNER=run_in_import_masked expect_run import_keep "${quiet[@]}" --plugin "$plugins/Vivanta.so" \
  -c "vivanta /E /K:F5" -c "vivanta /F:mixed /M /E"
VHOST_RUNNER=run_in_import_masked expect_run import_kept "${quiet[@]}" --plugin "$plugins/Vivanta.so" -c "vivanta" \
  -c "vivanta /E:\"$TRANSCRIPT_WORK/kept.json\"::*o*" -c "vivanta /F:\"$TRANSCRIPT_WORK/kept.json\"" -c "vivanta /V:2"
transcripts_done
