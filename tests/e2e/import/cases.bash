# The cases of other tools' scheme files that run alike on Linux and, with
# the real DLL, under Wine (tests/windows/wine_vhost.sh): each with the
# files of this directory as the current directory, through $VHOST_RUNNER.
import_cases() {
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

  # A folder: files of the known extensions in name order, the ones that
  # fail named with the reason, the rest read; the command goes on and fails.
  expect_run import_folder "${quiet[@]}" -c "vivanta /F:mixed lagoon*"
  # A wildcard, merged into the list.
  expect_run import_wildcard "${quiet[@]}" -c "vivanta /F:\"mixed\\*.itermcolors\" /M"
  # Patterns that find nothing, with the system's reason (in Wine's words
  # under Wine: its own expected files).
  EXPECTED=${SYSTEM_TEXT_EXPECTED:-$EXPECTED} expect_run import_not_found "${quiet[@]}" \
    -c "vivanta /F:nosuch\\*.json" -c "vivanta /F:mixed\\*.xyz"
  # A single file keeps the message it always had, with the reason when it
  # is another tool's file gone wrong.
  expect_run import_broken "${quiet[@]}" -c "vivanta /F:mixed\\broken.json" -c "vivanta /F:mixed\\README.txt" \
    -c "vivanta /F:mixed\\bad-colour.yaml /K:F5"
}
