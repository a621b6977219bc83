#!/usr/bin/env bash
# vhost's own lines (echo, set, option, options, terminal) with the plugin loaded but
# never asked to do anything. Standard output, standard error and the exit
# status must match vhost_basics.out, .err and .rc byte for byte.
set -euo pipefail
VHOST=$1/vhost
EXPECTED=$2
. "$EXPECTED/transcript.bash"

expect_run vhost_basics --ver 29.5 --var noloadmsg=1 --var _batchline=7 \
  -c "echo Hello,  world " \
  -c "echo %_4ver [%_batchline] %[_transient]%[_pipe] 100%%" \
  -c "set Greeting=hi there" \
  -c "echo <%Greeting%> <%GREETING%>" \
  -c "set Greeting=" \
  -c "echo <%Greeting%>" \
  -c "echo %@path[C:\\Tools\\tcc.exe]|%@path[/opt/tcc]" \
  -c "option //StdColors=Bright White on Blue" \
  -c "OPTION   //colordir=DIRS:bright red" \
  -c "options" \
  -c "option StdColors" \
  -c "frobnicate"
# A hand-off pseudo console: the terminal's own colours (its default
# profile, untouched by the console's table) and its windows.
expect_run vhost_terminal --frontend terminal-handoff --var noloadmsg=1 -c "terminal" -c "windows"
transcripts_done
