#!/usr/bin/env bash
# The release ZIP that `make package` leaves in build/package: it holds the
# DLL, the sample scheme file and the user guide at its top level, and the
# DLL it holds loads in vhost.exe under Wine, picking up the sample file
# beside it at start-up and reading it again with /F.
set -euo pipefail
bin=$(cd "$1" && pwd)
EXPECTED=$(cd "$2" && pwd)
source_dir=$(cd "$2/../.." && pwd)
. "$source_dir/tests/e2e/transcript.bash"
. "$EXPECTED/wine.bash"

version=$(sed -n 's/^project(Vivanta VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
zip=${VIVANTA_PACKAGE_DIR:-$(cd "$bin/../.." && pwd)/package}/Vivanta-$version-x64.zip
[ -f "$zip" ] || { echo "no package at $zip (make package makes it)"; exit 1; }

listing=$(unzip -Z1 "$zip" | sort)
expected_listing=$(printf '%s\n' USER_GUIDE.md Vivanta.dll Vivanta.ini | sort)
if [ "$listing" != "$expected_listing" ]; then
  echo "package contents differ:"; diff <(echo "$expected_listing") <(echo "$listing") || true; exit 1
fi

unpacked="$TRANSCRIPT_WORK/Vivanta plugin"
mkdir -p "$unpacked"
unzip -q "$zip" -d "$unpacked"
cmp "$unpacked/Vivanta.ini" "$source_dir/examples/Vivanta.ini"
cmp "$unpacked/USER_GUIDE.md" "$source_dir/docs/USER_GUIDE.md"
# The guide names the release it documents: the one CMakeLists.txt makes.
stale=$(grep -on 'Vivanta v\?[0-9]\+\(\.[0-9]\+\)\+' "$source_dir/docs/USER_GUIDE.md" | grep -v "[ v]$version\$" || true)
[ -z "$stale" ] || { echo "docs/USER_GUIDE.md names another version than $version:"; echo "$stale"; exit 1; }
# The DLL is the MinGW build's, not a stale copy.
cmp "$unpacked/Vivanta.dll" "$bin/Vivanta.dll"

# The unpacked package is the user's plugin folder, away from vhost.exe and
# the stand-in host (as a plugin folder is away from the host's): the DLL
# must find the sample file beside itself, not beside the program.
VHOST=$bin/vhost.exe
run_wine_in_package() { (cd "$unpacked" && run_wine "$@"); }
VHOST_RUNNER=run_wine_in_package
expect_run package_loads --var noloadmsg=1 --plugin Vivanta.dll -c "vivanta" -c "vivanta /F:Vivanta.ini /V:lemon*"
transcripts_done
