#!/usr/bin/env bash
# Loading the plugin module the way the host does: the banner, the host's
# help for the command, and the refusals under front ends that draw the
# console themselves. Also run against the real DLL under Wine (the cases
# whose names are listed in windows/wine_vhost.sh).
set -euo pipefail
VHOST=$1/vhost
EXPECTED=$2
. "$EXPECTED/transcript.bash"

expect_run usage -c "usage vivanta" -c "usage @vivanta" -c "usage colors"
expect_run help --var noloadmsg=1 -c "help VIVANTA" -c "help colors"
expect_run refuse_console2 --frontend console2 -c "echo never"
expect_run refuse_conemu --frontend conemu -c "echo never"
expect_run refuse_terminal --frontend terminal -c "echo never"
expect_run refuse_silently_when_piped --frontend console2 --pipe -c "echo never"
expect_run take_command --frontend takecommand --var noloadmsg=1 -c "echo loaded in %_4ver"
expect_run silent_start --transient -c "echo quiet start in a transient shell"
# The plugin in a folder of its own, as a user installs it, away from vhost
# (whose folder the module's name would be taken from were the plugin never
# told its handle): the scheme file beside it is read at start-up.
plugins="$TRANSCRIPT_WORK/My plugins"
mkdir -p "$plugins"
cp "$1/Vivanta.so" "$plugins/"
cp "$EXPECTED/scheme_files/schemes.ini" "$plugins/Vivanta.ini"
expect_run plugin_own_folder --plugin "$plugins/Vivanta.so" -c "vivanta"
transcripts_done
