#!/usr/bin/env bash
# The picker (/P) in the real DLL under Wine's console: every key is queued
# with WriteConsoleInputW before the picker opens, the last one ending it,
# and each run has a time limit, so a picker that waits for a key that
# never comes fails the case instead of hanging. After each ending the
# input and output modes, the user's cursor and the buffer shown must be
# as they were before (vhost's `modes`). The palette is not checked: Wine's
# console does not reliably give it back (see wine_vhost.sh); what a kept
# scheme set shows in the host's directives.
set -euo pipefail
bin=$(cd "$1" && pwd)
VHOST=$bin/vhost.exe
EXPECTED=$(cd "$2" && pwd)
. "$EXPECTED/../e2e/transcript.bash"
. "$EXPECTED/wine.bash"
VHOST_RUNNER=run_wine
export WINE_TIME_LIMIT=120
quiet=(--var noloadmsg=1)

# Kept: Home first, as the scheme highlighted at the start is the one Wine's
# console reads back as in effect.
expect_run wine_picker_keep "${quiet[@]}" -c "modes" -c "keys Home Down Down Enter" -c "vivanta /P" \
  -c "modes" -c "options"
# Cancelled with Esc after browsing, and after Enter with no scheme
# matching (nothing happens) and Esc clearing the filter: the directives
# stay unset. Left out: Ctrl-C and Ctrl-Break. Queued before the picker
# opens, while processed input is still on, Wine's console acts on them as
# they are written and ends vhost with no picker open; the Linux suite has
# them.
expect_run wine_picker_cancel "${quiet[@]}" -c "modes" -c "keys Down End Esc" -c "vivanta /P" -c "modes" \
  -c 'keys "qqq" Enter Esc Esc' -c "vivanta /P" -c "modes" -c "options"
transcripts_done
