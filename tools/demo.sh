#!/usr/bin/env bash
# A short session in the stand-in host, showing what the plugin does so far.
set -uo pipefail
bin=$1
vhost=$bin/vhost

step() { printf '\n\033[1m== %s\033[0m\n' "$*"; }

step "Loading under a classic console, asking for the command's syntax"
"$vhost" -c "usage vivanta"

step "The host's help for the command (the message box the plugin shows)"
"$vhost" -c "help vivanta"

for frontend in console2 conemu terminal; do
  step "Loading under $frontend: refused"
  "$vhost" --frontend "$frontend" -c "echo loaded"
  echo "(exit status $?)"
done

step "The same in a transient shell: refused without a word"
"$vhost" --frontend console2 --transient -c "echo loaded"
echo "(exit status $?)"

step "Under Take Command"
"$vhost" --frontend takecommand -c "echo host %_4ver" -c "windows"
