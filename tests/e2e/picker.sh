#!/usr/bin/env bash
# The picker (/P) with keys queued before it opens: a scheme kept is
# applied exactly as by name; a cancel leaves the palette and the user's
# screen as they were; the filter, Escape clearing it and no match; the
# views; Ctrl+R among readable schemes; a held key; a resize; a window too
# small; /P after /F; refusals.
# Each case must match tests/e2e/<case>.out, .err and .rc exactly.
set -euo pipefail
VHOST=$1/vhost
EXPECTED=$2
. "$EXPECTED/transcript.bash"

quiet=(--var noloadmsg=1)
after=(-c "console" -c "options" -c "vivanta")

# Kept: the same console, directives and list as `vivanta /Q 3` gives.
expect_run picker_keep "${quiet[@]}" -c "keys Down Down Enter" -c "vivanta /P" "${after[@]}"
expect_run picker_keep_by_name "${quiet[@]}" -c "vivanta /Q 3" "${after[@]}"
if ! cmp -s "$TRANSCRIPT_WORK/picker_keep.out" "$TRANSCRIPT_WORK/picker_keep_by_name.out"; then
  echo "picker_keep: the kept scheme is not applied as by name"
  TRANSCRIPT_FAILED=1
fi
# Cancelled after browsing, with Esc and with Ctrl-C: palette and screen as before.
expect_run picker_cancel "${quiet[@]}" --size 60x16 -c "vivanta /Q 2" -c "echo text on the screen" -c "console" \
  -c "screen" -c "keys Down Down End" -c "vivanta /P" -c "console" -c "screen" -c "keys Up Ctrl-C" -c "vivanta /P" \
  -c "console"
# The filter: typed, deleted, cleared by Escape; Enter with no match does nothing.
expect_run picker_filter "${quiet[@]}" -c 'keys "zz" BkSp BkSp "PALACE" Enter' -c "vivanta /P" -c "vivanta" \
  -c 'keys "creme" Esc Home Enter' -c "vivanta /P:nothing" -c "vivanta" \
  -c 'keys "qqq" Enter Esc Esc' -c "vivanta /P:forest"
# The views: Tab to Dark, Shift-Tab back to Light; a held key stops at the end.
expect_run picker_views "${quiet[@]}" -c "keys Tab End Enter" -c "vivanta /P" -c "vivanta" \
  -c "keys Shift-Tab Down*50 Enter" -c "vivanta /P" -c "vivanta"
# Ctrl-R never lands on Fog, whose error text cannot be read, while Dusk
# and Noon can.
run_in_fixtures() {
  local out=$1 err=$2 rc=$3; shift 3
  (cd "$EXPECTED/scheme_files" && run_plain "$out" "$err" "$rc" "$@")
}
VHOST_RUNNER=run_in_fixtures
expect_run picker_random "${quiet[@]}" -c "vivanta /Q /F:unreadable.ini" -c "keys Ctrl-R Ctrl-R Ctrl-R Enter" \
  -c "vivanta /P" -c "vivanta" -c "keys Ctrl-R Ctrl-R Enter" -c "vivanta /P" -c "vivanta"
# /P after /F and /M: the file's schemes are there to pick.
expect_run picker_file "${quiet[@]}" -c "keys End Enter" -c "vivanta /F:schemes.ini /M /Q /P" -c "vivanta"
unset VHOST_RUNNER
# A window made too small and large again while open, then Enter.
expect_run picker_resize "${quiet[@]}" --size 80x25 -c "keys Down" -c "resize 40x10" -c "resize 70x20" \
  -c "keys Enter" -c "vivanta /P" -c "vivanta"
# Refused: too small, other options, transient, Take Command.
expect_run picker_refused "${quiet[@]}" --size 59x30 -c "vivanta /P" -c "vivanta /P /K:F5" -c "vivanta /P 2" \
  -c "vivanta /C /P" -c "vivanta /P /S"
expect_run picker_piped "${quiet[@]}" --pipe -c "vivanta /P"
expect_run picker_take_command --frontend takecommand "${quiet[@]}" -c "vivanta /P"
# Behind a terminal with VT sequences: a cancel sends the scheme applied
# before again, or with none applied, the terminal's own colours back; a
# kept scheme is sent as by name.
vt=(--frontend terminal --var VIVANTA_VT=1 "${quiet[@]}")
expect_run picker_vt "${vt[@]}" -c "keys Down Esc" -c "vivanta /P" -c "terminal" -c "vivanta /Q 4" \
  -c "keys Up Up Esc" -c "vivanta /P" -c "terminal" -c "keys Home Enter" -c "vivanta /P" -c "terminal"
transcripts_done
