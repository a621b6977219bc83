#!/usr/bin/env bash
# The real Vivanta.dll, loaded by vhost.exe beside the stand-in TakeCmd.dll,
# under Wine, compared with the same transcripts as the Linux run. Wine needs
# a terminal for its console, hence `script`; standard output and error go to
# files so that the transcripts hold exactly what the programs wrote, without
# the terminal's escape sequences.
#
# Not run here: front-end refusals (vhost.exe cannot stage a front end on a
# real Windows), and `help` (its message box needs a display).
set -euo pipefail
bin=$1
VHOST=$bin/vhost.exe
EXPECTED=$(cd "$2/../e2e" && pwd)
. "$EXPECTED/transcript.bash"

export WINEPREFIX=${VIVANTA_WINEPREFIX:-$(cd "$bin/../.." && pwd)/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
WINE=$(command -v wine64 || true)
[ -n "$WINE" ] || WINE=/usr/lib/wine/wine64
[ -x "$WINE" ] || WINE=$(command -v wine)

run_wine() {
  local out=$1 err=$2 rc=$3; shift 3
  local cmd=$TRANSCRIPT_WORK/run.sh
  printf '%q ' "$WINE" "$@" >"$cmd"
  printf '>%q 2>%q\necho $? >%q\n' "$out" "$err" "$rc" >>"$cmd"
  script -qec "bash $cmd" /dev/null >/dev/null </dev/null
}
VHOST_RUNNER=run_wine

# A new prefix announces its creation on standard error: make it first.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  script -qec "$(printf '%q ' "$WINE" wineboot --init) >/dev/null 2>&1" /dev/null >/dev/null </dev/null || true
fi

expect_run usage -c "usage vivanta" -c "usage @vivanta" -c "usage colors"
expect_run silent_start --transient -c "echo quiet start in a transient shell"
expect_run command_unavailable --var noloadmsg=1 -c "vivanta /?"
transcripts_done
