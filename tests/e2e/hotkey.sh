#!/usr/bin/env bash
# The hotkey through vhost and the plugin module: on a dark console it
# applies a light scheme and names it in an OSD window that is gone after
# its display time and fade; with the OSD switched off no window appears;
# with no hotkey nothing happens; a key the host names only is recognised.
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
transcripts_done
