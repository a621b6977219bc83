#!/usr/bin/env bash
# A short session in the stand-in host (vhost, on the simulated Windows):
# what a user of the plugin sees, step by step.
set -uo pipefail
bin=$(cd "$1" && pwd)
vhost=$bin/vhost
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

step() { printf '\n\033[1m== %s\033[0m\n' "$*"; }

step "Loading, then the settings screen with the four built-in schemes"
"$vhost" -c "vivanta"

step "Applying scheme 2 by number; text already on the screen takes the new colours"
"$vhost" --var noloadmsg=1 --size 60x8 -c "echo Some text written before the change." \
  -c "vivanta /Q 2" -c "echo And some after it." -c "screen"

step "Applying by a name pattern (accents fold: cr*me* finds Crème Brûlée), then showing it"
"$vhost" --var noloadmsg=1 -c "vivanta /Q cr*me*" -c "vivanta /V"

step "Reading the sample scheme file, merging it into the list"
cp "$here/examples/Vivanta.ini" "$work/Vivanta.ini"
(cd "$work" && "$vhost" --var noloadmsg=1 -c "vivanta /F:Vivanta.ini /M")

step "Reading other tools' scheme files: a folder with a broken file among good ones"
(cd "$here/tests/e2e/import" && "$vhost" --var noloadmsg=1 -c "vivanta /F:mixed /M /Q" -c "vivanta /C")

step "Following the Windows app theme: a light theme on a dark console brings a light scheme"
"$vhost" --var noloadmsg=1 -c "theme dark" -c "vivanta /Q /T:Y 1" -c "theme light" -c "vivanta"

step "The hotkey (Alt-Z) on a dark console: a light scheme, announced on screen, gone after 5 s"
"$vhost" --var noloadmsg=1 -c "vivanta /Q 1" -c "key 0x1002C alt" -c "vivanta" -c "windows" \
  -c "wait 5000" -c "windows"

step "Writing the colours in effect as a scheme section"
"$vhost" --var noloadmsg=1 -c "vivanta /Q 3" -c "vivanta /W:\"-::My Forest\""

step "Changing the hotkey and saving the settings; restoring them in a new session"
"$vhost" --var noloadmsg=1 --registry "$work/registry.txt" -c "vivanta /Q /K:Ctrl-Alt-F1 /O:N /S"
"$vhost" --var noloadmsg=1 --registry "$work/registry.txt" -c "vivanta /R"

step "Under front ends that draw the console themselves the plugin refuses to load"
for frontend in console2 conemu terminal; do
  "$vhost" --frontend "$frontend" -c "vivanta"
  echo "(exit status $?)"
done
