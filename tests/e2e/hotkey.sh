#!/usr/bin/env bash
# The hotkey through vhost and the plugin module: on a dark console it
# applies a light scheme and names it in an OSD window that is gone after
# its display time and fade; with the OSD switched off no window appears;
# with no hotkey nothing happens; a key the host names only is recognised.
# The same swap made by a change of the Windows app theme.
# Each case must match tests/e2e/<case>.out, .err and .rc exactly.
set -euo pipefail
VHOST=$1/vhost
EXPECTED=$2
. "$EXPECTED/transcript.bash"

quiet=(--var noloadmsg=1)

expect_run hotkey_dark_to_light "${quiet[@]}" -c "key 0x1002C alt" -c "vivanta /V" -c "windows" \
  -c "wait 5000" -c "windows"
expect_run hotkey_osd_off "${quiet[@]}" -c "vivanta /O:N /Q" -c "key 0x1002C alt" -c "console" -c "windows"
expect_run hotkey_none "${quiet[@]}" -c "vivanta /K:none /Q" -c "key 0x1002C alt" -c "console" -c "windows"
expect_run hotkey_by_name "${quiet[@]}" --ver 28 -c "vivanta /K:Ctrl-Alt-Shift-F1 /Q" \
  -c "keyname Ctrl-Alt-Shift-F1" -c "windows"
# Also run under Wine (windows/wine_vhost.sh), where the display may refuse
# the window: the keystroke must still come back and the shell go on.
expect_run hotkey_survives "${quiet[@]}" -c "key 0x1002C alt" -c "wait 100" -c "echo still here"

# Following the Windows app theme, with two schemes of each kind of which
# one is unreadable, so that every pick is the other one. A light theme on
# a dark console brings a light scheme and its announcement, a dark one
# brings a dark scheme back; a theme the console already matches, or any
# theme once the switch is off, changes nothing.
run_in_fixtures() {
  local out=$1 err=$2 rc=$3; shift 3
  (cd "$EXPECTED/scheme_files" && run_plain "$out" "$err" "$rc" "$@")
}
VHOST_RUNNER=run_in_fixtures
themed=("${quiet[@]}" -c "vivanta /F:theme.ini /Q")
expect_run theme_follow "${themed[@]}" -c "theme dark" -c "vivanta /T:Y" -c "theme light" -c "windows" \
  -c "theme dark" -c "windows"
expect_run theme_nothing_to_do "${themed[@]}" -c "vivanta /Q noon" -c "theme light" -c "vivanta /T:Y /Q" \
  -c "theme light" -c "windows" -c "vivanta /T:N" -c "theme dark" -c "console" -c "windows"
# Also under Wine: what the host was told to set shows what was applied.
expect_run theme_follow_options "${themed[@]}" -c "theme dark" -c "vivanta /T:Y /Q" -c "theme light" \
  -c "options" -c "vivanta /T:N /Q" -c "theme dark" -c "options"
expect_run theme_refused "${quiet[@]}" -c "vivanta /T" -c "vivanta /T:x"
transcripts_done
