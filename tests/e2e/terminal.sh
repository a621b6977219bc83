#!/usr/bin/env bash
# Terminals behind a pseudoconsole with VIVANTA_VT set: schemes go to the
# terminal's own colours as VT sequences (the `terminal` line shows what the
# user sees; the console's table is the host's mirror), the settings screen
# says so, the OSD goes over the Windows Terminal window, and a theme change
# gets the colours sent again a second later, after the terminal put its
# own back. Console2 and ConEmu stay refused and a classic console gets no
# sequence even with the variable set. Without it, Windows Terminal is
# refused as before (refuse_terminal in plugin_frame.sh).
# Wine cannot run these: its console hands OSC 4 to its own terminal and
# keeps its own table.
# Each case must match tests/e2e/<case>.out, .err and .rc exactly, and the
# cases that keep a VT log its <case>.vt as well.
set -euo pipefail
VHOST=$1/vhost
EXPECTED=$2
. "$EXPECTED/transcript.bash"

# What was written with VT processing on, against the expected bytes (an
# empty file: nothing at all).
expect_vt_log() {
  local name=$1 log="$TRANSCRIPT_WORK/$1.vt"
  touch "$log"
  if [ "${VIVANTA_UPDATE_TRANSCRIPTS:-}" = 1 ]; then cp "$log" "$EXPECTED/$name.vt"; fi
  if ! cmp -s "$EXPECTED/$name.vt" "$log"; then
    echo "$name: the VT log differs from $EXPECTED/$name.vt"
    diff <(od -c "$EXPECTED/$name.vt") <(od -c "$log") | head -20
    TRANSCRIPT_FAILED=1
  fi
}

vt=(--frontend terminal --var VIVANTA_VT=1)
each_scheme=()
for n in 1 2 3 4; do each_scheme+=(-c "vivanta /Q $n" -c "terminal"); done
# From a tab of Windows Terminal: every built-in scheme, what is in effect,
# the hotkey from a light scheme to a dark one, and that one written out.
expect_run terminal_vt_schemes "${vt[@]}" "${each_scheme[@]}" -c "vivanta /V" -c "vivanta" \
  -c "key 0x1002C alt" -c "terminal" -c "windows" -c "vivanta /W:-"
# One scheme's sequences, byte for byte.
expect_run terminal_vt_sequences "${vt[@]}" --var noloadmsg=1 --vt-log "$TRANSCRIPT_WORK/terminal_vt_sequences.vt" \
  -c "vivanta /Q ice*"
expect_vt_log terminal_vt_sequences
# Another terminal's pseudoconsole, and Windows Terminal reached by hand-off
# (not among the shell's parents): the OSD over the work area, then over
# the terminal's window.
expect_run terminal_vt_conpty --frontend conpty --var VIVANTA_VT=y -c "vivanta /Q 2" -c "terminal" \
  -c "key 0x1002C alt" -c "windows"
expect_run terminal_vt_handoff --frontend terminal-handoff --var VIVANTA_VT=Yes --var noloadmsg=1 \
  -c "key 0x1002C alt" -c "terminal" -c "windows"
expect_run terminal_vt_console2 --frontend console2 --var VIVANTA_VT=1 -c "echo never"
expect_run terminal_vt_conemu --frontend conemu --var VIVANTA_VT=1 -c "echo never"
expect_run terminal_vt_classic --var VIVANTA_VT=1 --var noloadmsg=1 \
  --vt-log "$TRANSCRIPT_WORK/terminal_vt_classic.vt" -c "vivanta /Q 2" -c "console" -c "vivanta"
expect_vt_log terminal_vt_classic

# Following the theme: the terminal takes its profile back a moment after
# the change, and gets the scheme again a second after it was applied.
run_in_fixtures() {
  local out=$1 err=$2 rc=$3; shift 3
  (cd "$EXPECTED/scheme_files" && run_plain "$out" "$err" "$rc" "$@")
}
VHOST_RUNNER=run_in_fixtures
expect_run terminal_vt_theme "${vt[@]}" --var noloadmsg=1 -c "vivanta /F:theme.ini /Q" -c "theme dark" \
  -c "vivanta /T:Y" -c "theme light" -c "terminal" -c "wait 500" -c "terminal" -c "wait 600" -c "terminal"
transcripts_done
