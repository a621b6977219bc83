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
# The command's cases whose output comes from the plugin alone (the
# settings screen marks no scheme on a console no scheme was applied to).
# Cases that apply or show colours stay Linux-only: they read and change the
# console's palette and window rectangle, which Wine's console handles
# differently from Windows (see DESIGN.md), and print the colours it holds.
expect_run command_settings --var noloadmsg=1 -c "vivanta"
expect_run command_hotkey_28 --var noloadmsg=1 --ver 28 -c "vivanta /K:Ctrl-Alt-Shift-F1"
expect_run command_help --var noloadmsg=1 -c "vivanta /?"
expect_run command_help_version --var noloadmsg=1 -c "vivanta /??"
expect_run command_list_28 --var noloadmsg=1 --ver 28 -c "vivanta /L"
expect_run command_list_refused --var noloadmsg=1 -c "vivanta /L /D"
expect_run command_unknown_option --var noloadmsg=1 -c "vivanta /x"
expect_run command_hotkey_invalid --var noloadmsg=1 -c "vivanta /K:Ctrl-C"
expect_run command_argument_8192 --var noloadmsg=1 -c "vivanta $(printf 'x%.0s' $(seq 8191))y"
# A scheme file named relative to the current directory, and a missing one.
run_wine_in_schemes() { (cd "$EXPECTED/scheme_files" && run_wine "$@"); }
VHOST_RUNNER=run_wine_in_schemes expect_run scheme_files_relative --var noloadmsg=1 -c "vivanta /F:schemes.ini" \
  -c "vivanta /F:missing.ini"
# The hotkey under Wine: applying may differ and the OSD window may not be
# made without a display, but nothing may crash or complain.
expect_run hotkey_survives --var noloadmsg=1 -c "key 0x1002C alt" -c "wait 100" -c "echo still here"
transcripts_done
