#!/usr/bin/env bash
# Scheme files and saved settings through vhost and the plugin module: /F
# in every encoding the reader takes, with and without /M; /W to standard
# output, to a new file and rewriting it, then reading it back; the default
# scheme file at start-up; /S in one vhost run and /R in the next, sharing
# a registry file. Each vhost run works in a directory of its own; the full
# names the writer prints show that directory as %WORK%.
set -euo pipefail
VHOST=$(cd "$1" && pwd)/vhost
EXPECTED=$(cd "$2" && pwd)
. "$EXPECTED/transcript.bash"

WORK=$TRANSCRIPT_WORK/files
mkdir -p "$WORK"
run_in_work() {
  local out=$1 err=$2 rc=$3; shift 3
  (cd "$WORK" && run_plain "$out" "$err" "$rc" "$@")
  sed -i "s|$WORK|%WORK%|g" "$out" "$err"
}
VHOST_RUNNER=run_in_work

# A file the writer left must equal tests/e2e/NAME.ini byte for byte.
expect_file() {
  local name=$1 file=$2
  if ! cmp -s "$EXPECTED/$name.ini" "$WORK/$file"; then
    echo "$name: $file differs from $EXPECTED/$name.ini"
    diff <(od -c "$EXPECTED/$name.ini" 2>/dev/null) <(od -c "$WORK/$file") | head -20
    TRANSCRIPT_FAILED=1
  fi
}

quiet=(--var noloadmsg=1)
source=$EXPECTED/scheme_files/schemes.ini

# The same two schemes in six encodings; the names are accented.
cp "$source" "$WORK/utf8.ini"
{ printf '\xEF\xBB\xBF'; cat "$source"; } >"$WORK/utf8bom.ini"
{ printf '\xFF\xFE'; iconv -f UTF-8 -t UTF-16LE "$source"; } >"$WORK/utf16le.ini"
iconv -f UTF-8 -t UTF-16BE "$source" >"$WORK/utf16be.ini"
{ printf '\xFF\xFE\x00\x00'; iconv -f UTF-8 -t UTF-32LE "$source"; } >"$WORK/utf32le.ini"
iconv -f UTF-8 -t CP1252 "$source" >"$WORK/ansi.ini"
expect_run scheme_files_encodings "${quiet[@]}" -c "vivanta /F:utf8.ini" -c "vivanta /F:utf8bom.ini /Q" \
  -c "vivanta /V:oc*" -c "vivanta /F:utf16le.ini" -c "vivanta /F:utf16be.ini" -c "vivanta /F:utf32le.ini" \
  -c "vivanta /F:ansi.ini"

# A file named relative to the current directory, and one that is not
# there (also run against the real DLL under Wine).
run_in_fixtures() {
  local out=$1 err=$2 rc=$3; shift 3
  (cd "$EXPECTED/scheme_files" && run_plain "$out" "$err" "$rc" "$@")
}
VHOST_RUNNER=run_in_fixtures expect_run scheme_files_relative "${quiet[@]}" -c "vivanta /F:schemes.ini" \
  -c "vivanta /F:missing.ini"

# How readable each scheme of a file is: one whose errors vanish, one
# whose directory colour is only hard to read, and one that reads well.
VHOST_RUNNER=run_in_fixtures expect_run scheme_files_readability "${quiet[@]}" -c "vivanta /F:unreadable.ini /Q" \
  -c "vivanta /C" -c "vivanta /C:fog"

# Merging keeps the loaded schemes ahead of the file's, and a scheme of
# the file takes the place of one of the same name at the end; a missing
# file is named in upper case and ends the command before anything else.
sed 's/^\[Oc.*an\]/[MARIANAS TRENCH]/' "$source" >"$WORK/renamed.ini"
expect_run scheme_files_merge "${quiet[@]}" -c "vivanta /F:utf8.ini /M /Q" -c "vivanta /F:renamed.ini /M"
expect_run scheme_files_missing "${quiet[@]}" -c "vivanta /F:missing.ini /K:F5"
expect_run scheme_files_quiet "${quiet[@]}" -c "vivanta /F:utf8.ini /Q"

# Writing: to standard output, to a new file, rewriting it (a section
# replaced in place, one appended), and reading it back.
expect_run scheme_files_write_stdout "${quiet[@]}" -c "vivanta /W:-::Mine"
expect_run scheme_files_write_refused "${quiet[@]}" -c "vivanta /W:::Ice"
expect_run scheme_files_write "${quiet[@]}" -c "vivanta /Q 2" -c "vivanta /W:written.ini" \
  -c "vivanta /Q 1" -c "vivanta /W:written.ini::Extra" -c "vivanta /Q 3" -c "vivanta /W:\"written.ini\"::\"ice palace\"" \
  -c "vivanta /F:written.ini" -c "vivanta /V:ice*"
expect_file scheme_files_written written.ini

# The default scheme file, found beside the host's command processor.
mkdir -p "$WORK/host"
cp "$source" "$WORK/host/Vivanta.ini"
expect_run scheme_files_default "${quiet[@]}" --var "_cmdspec=$WORK/host/tcc.exe" -c "vivanta"

# Saved settings across runs: nothing saved yet, then saved, restored,
# beaten by the command line, and saved for the machine only.
registry=(--registry "$WORK/registry.txt")
expect_run scheme_files_restore_nothing "${quiet[@]}" "${registry[@]}" -c "vivanta /R /D /Q" -c "vivanta /R /D"
expect_run scheme_files_save "${quiet[@]}" "${registry[@]}" -c "vivanta /K:F5 /O:N /S"
expect_run scheme_files_restore "${quiet[@]}" "${registry[@]}" -c "vivanta /R /D" -c "vivanta /R /K:F6 /Q" -c "vivanta"
rm "$WORK/registry.txt"
# Following the theme is saved and restored with the rest, and /D ends it.
expect_run theme_save "${quiet[@]}" "${registry[@]}" -c "theme dark" -c "vivanta /T:Y /S"
expect_run theme_restore "${quiet[@]}" "${registry[@]}" -c "vivanta /R" -c "vivanta /D"
rm "$WORK/registry.txt"
expect_run scheme_files_save_machine_only "${quiet[@]}" "${registry[@]}" -c "vivanta /K:F7 /S /S!" -c "vivanta /D /Q" \
  -c "vivanta /R"
transcripts_done
