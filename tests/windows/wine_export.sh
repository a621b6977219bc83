#!/usr/bin/env bash
# /W into other tools' formats with the real DLL under Wine, and each file
# read back with /F: the plugin in a folder of its own, the files in a
# folder whose name has a space. Each file is written twice, the second
# time replacing a file of its own format, and a terminal's settings are
# refused. No scheme is applied first: Wine's console does not reliably
# give back a palette set in it (see wine_vhost.sh), and a dark palette is
# what it starts with and what it gives back when it fails, so the schemes
# read back list alike either way. The colours themselves are checked on
# the Linux side; here the files written must be the Linux goldens but for
# their colour values.
set -euo pipefail
bin=$(cd "$1" && pwd)
VHOST=$bin/vhost.exe
EXPECTED=$(cd "$2" && pwd)
source_dir=$(cd "$2/../.." && pwd)
. "$source_dir/tests/e2e/transcript.bash"
. "$EXPECTED/wine.bash"

plugin="$TRANSCRIPT_WORK/Vivanta plugin"
WORK="$TRANSCRIPT_WORK/My Schemes"
mkdir -p "$plugin" "$WORK"
cp "$bin/Vivanta.dll" "$plugin/"
printf '{"profiles": {}, "schemes": []}\n' >"$WORK/settings.json"
VHOST_RUNNER=run_wine_in_work

written=()
for file in "Marianas Trench.json" "Marianas Trench.itermcolors" "Marianas Trench.YML"; do
  written+=(-c "vivanta /W:\"$file\"::\"Marianas Trench\"" -c "vivanta /Q /W:\"$file\"::\"Marianas Trench\""
    -c "vivanta /F:\"$file\"")
done
expect_run wine_export --var noloadmsg=1 --plugin "$(windows_name "$plugin")\\Vivanta.dll" "${written[@]}" \
  -c "vivanta /W:settings.json::Mine"

# The files as the Linux goldens have them, colour values aside.
colourless() { sed -E "s/'#[0-9a-f]{6}'/'#rrggbb'/; s|<real>[0-9.]+</real>|<real>x</real>|" "$1"; }
for pair in "Marianas Trench.itermcolors:Marianas Trench.itermcolors" "Marianas Trench.YML:Marianas Trench.yml"; do
  file=${pair%%:*} golden=$source_dir/tests/e2e/import/${pair#*:}
  if ! cmp -s <(colourless "$WORK/$file") <(colourless "$golden"); then
    echo "wine_export: $file differs from $golden beyond its colours"
    diff <(colourless "$golden") <(colourless "$WORK/$file") | head -20 || true
    TRANSCRIPT_FAILED=1
  fi
done
cmp -s "$WORK/settings.json" <(printf '{"profiles": {}, "schemes": []}\n') ||
  { echo "wine_export: settings.json was changed"; TRANSCRIPT_FAILED=1; }
transcripts_done
