#!/usr/bin/env bash
# Other tools' scheme files through /F: one file of each format, what the
# applied scheme shows, a folder with files that fail among good ones, a
# wildcard merged into the list, a single broken file, and a scheme read
# from one format written out in ours. The files are in tests/e2e/import.
set -euo pipefail
VHOST=$(cd "$1" && pwd)/vhost
EXPECTED=$(cd "$2" && pwd)
. "$EXPECTED/transcript.bash"

run_in_import() {
  local out=$1 err=$2 rc=$3; shift 3
  (cd "$EXPECTED/import" && run_plain "$out" "$err" "$rc" "$@")
}
VHOST_RUNNER=run_in_import
quiet=(--var noloadmsg=1)

# Each format: the read message, then every scheme of the file as read.
expect_run import_itermcolors "${quiet[@]}" -c "vivanta /F:\"Harbour Night.itermcolors\"" \
  -c "vivanta /F:Shoreline.itermcolors /M /Q" -c "vivanta /V:Harbour*" -c "vivanta /V:\"Shoreline (Light)\"" \
  -c "vivanta /V:\"Shoreline (Dark)\""
expect_run import_terminal "${quiet[@]}" -c "vivanta /F:terminal-settings.json" -c "vivanta /V:1" -c "vivanta /V:2"
expect_run import_colortool "${quiet[@]}" -c "vivanta /F:Lagoon.ini" -c "vivanta /V:1"
expect_run import_concfg "${quiet[@]}" -c "vivanta /F:ember.json" -c "vivanta /V:1"
expect_run import_base16 "${quiet[@]}" -c "vivanta /F:base16-meadow.yaml" -c "vivanta /V:1" \
  -c "vivanta /F:base16-slate.yaml /M" -c "vivanta /V:slate*" -c "vivanta /F:base24-dusk.yaml /Q" -c "vivanta /V:1"
expect_run import_gogh "${quiet[@]}" -c "vivanta /F:gogh-cinder.yml" -c "vivanta /V:1" \
  -c "vivanta /F:gogh-themes.json" -c "vivanta /V:1" -c "vivanta /V:2"

# What the console shows once an imported scheme is applied: its own
# background and text, exactly.
expect_run import_applied "${quiet[@]}" -c "vivanta /Q /F:terminal-settings.json kelp*" -c "console" \
  -c "vivanta /Q paper*" -c "console"

# A folder: files of the known extensions in name order, the ones that fail
# named with the reason, the rest read; the command goes on and fails.
expect_run import_folder "${quiet[@]}" -c "vivanta /F:mixed lagoon*"
# A wildcard, merged into the list; and patterns that find nothing.
expect_run import_wildcard "${quiet[@]}" -c "vivanta /F:\"mixed\\*.itermcolors\" /M" -c "vivanta /F:nosuch\\*.json" \
  -c "vivanta /F:mixed\\*.xyz"
# A single file keeps the message it always had, with the reason when it is
# another tool's file gone wrong.
expect_run import_broken "${quiet[@]}" -c "vivanta /F:mixed\\broken.json" -c "vivanta /F:mixed\\README.txt" \
  -c "vivanta /F:mixed\\bad-colour.yaml /K:F5"

# Read in one format, applied, written in ours.
expect_run import_convert "${quiet[@]}" -c "vivanta /Q /F:ember.json ember" -c "vivanta /W:-"
transcripts_done
