#!/usr/bin/env bash
# The VIVANTA command through vhost and the plugin module: the settings
# screen, applying schemes by position and by pattern, showing them, the
# hotkey and OSD options, argument errors and help. Each case is one vhost
# run; its standard output, standard error and exit status (the result of
# the last command) must match tests/e2e/<case>.out, .err and .rc exactly.
# Some cases also run against the real DLL under Wine (windows/wine_vhost.sh).
set -euo pipefail
VHOST=$1/vhost
EXPECTED=$2
. "$EXPECTED/transcript.bash"

quiet=(--var noloadmsg=1)

# The settings screen, with nothing recognised and then with a scheme whose
# colours are in effect although this call did not apply it.
expect_run command_settings "${quiet[@]}" -c "vivanta"
expect_run command_settings_recognised "${quiet[@]}" -c "vivanta /Q ice*" -c "vivanta   "

# Applying by position, by hexadecimal position and by pattern; what the
# console, the host's directives and ColorDir hold afterwards.
expect_run command_apply_number "${quiet[@]}" -c "vivanta 3" -c "console" -c "options" -c "set ColorDir"
expect_run command_apply_hex_quiet "${quiet[@]}" -c "vivanta /Q 0x02" -c "console"
expect_run command_apply_pattern "${quiet[@]}" -c "vivanta cr*me*"
expect_run command_apply_position "${quiet[@]}" -c "vivanta 3"
expect_run command_apply_pattern_quiet "${quiet[@]}" -c "vivanta /q Marianas Trench" -c "set ColorDir"
expect_run command_not_found "${quiet[@]}" -c "vivanta Marianas Trench /Q"
# Wine's console refuses the window rectangle Windows wants and takes it as
# read: applying still succeeds there (its colour table stays as it was).
expect_run command_apply_wine "${quiet[@]}" --frontend wine -c "vivanta 3" -c "options"
# Text already on the screen takes the new colours (drawn as 24-bit ANSI).
expect_run command_recolour_screen "${quiet[@]}" --size 40x6 -c "echo before" -c "vivanta /Q 1" \
  -c "echo after" -c "screen"

# Showing schemes.
expect_run command_view_after_apply "${quiet[@]}" -c "vivanta /Q 2" -c "vivanta /V" -c "vivanta"
expect_run command_view_pattern "${quiet[@]}" -c "vivanta /V:ice*"
expect_run command_view_nosuch "${quiet[@]}" -c "vivanta /V:nosuch"

# How readable the schemes are, all of them and one; /C reports and
# changes nothing, so it goes with no option that would.
expect_run command_readability "${quiet[@]}" -c "vivanta /C" -c "vivanta /Q /C:2"
expect_run command_readability_refused "${quiet[@]}" -c "vivanta /C /K:F5" -c "vivanta /C:" -c "vivanta /C:nosuch"

# Hotkey list under both key tables, and with other options.
expect_run command_list_23 "${quiet[@]}" --ver 23 -c "vivanta /L"
expect_run command_list_28 "${quiet[@]}" --ver 28 -c "vivanta /L"
expect_run command_list_with_harmless "${quiet[@]}" --ver 23 -c "vivanta /L /K:none /Q /V"
expect_run command_list_refused "${quiet[@]}" -c "vivanta /L /D"

# /K and /O values.
expect_run command_hotkey_none "${quiet[@]}" -c "vivanta /K:none"
expect_run command_hotkey_23 "${quiet[@]}" --ver 23 -c "vivanta /K:Ctrl-Alt-Shift-F1"
expect_run command_hotkey_28 "${quiet[@]}" --ver 28 -c "vivanta /K:Ctrl-Alt-Shift-F1"
expect_run command_hotkey_invalid "${quiet[@]}" -c "vivanta /K:Ctrl-C"
expect_run command_hotkey_not_allowed "${quiet[@]}" -c "vivanta /K:A"
expect_run command_hotkey_unknown "${quiet[@]}" -c "vivanta /k:x-A"
expect_run command_osd "${quiet[@]}" -c "vivanta /O:nonsense" -c "vivanta /O:yes"
expect_run command_osd_refused "${quiet[@]}" -c "vivanta /O:x"
expect_run command_osd_missing "${quiet[@]}" -c "vivanta /O:"

# Defaults, help and errors.
expect_run command_defaults "${quiet[@]}" -c "vivanta /Q /K:F5 /O:N" -c "vivanta /D"
expect_run command_defaults_quiet "${quiet[@]}" -c "vivanta /K:F5 /Q" -c "vivanta /D/Q" -c "vivanta"
expect_run command_help "${quiet[@]}" -c "vivanta /?"
expect_run command_help_version "${quiet[@]}" -c "vivanta /??"
expect_run command_help_first "${quiet[@]}" -c "vivanta /D /?"
expect_run command_unknown_option "${quiet[@]}" -c "vivanta /x"

# The argument buffer holds one argument of 8191 characters, not 8192.
long=$(printf 'x%.0s' $(seq 8191))
expect_run command_argument_8191 "${quiet[@]}" -c "vivanta $long"
expect_run command_argument_8192 "${quiet[@]}" -c "vivanta ${long}y"

transcripts_done
