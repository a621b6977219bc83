# Shared by the Wine scripts: the prefix, the wine64 binary and a runner for
# transcript.bash that runs one command under Wine. Wine needs a terminal for
# its console, hence `script`; standard output and error go to files so that
# the transcripts hold exactly what the programs wrote, without the
# terminal's escape sequences. Expects $bin (the MinGW bin directory) and
# transcript.bash already sourced.
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

# A new prefix announces its creation on standard error: make it first.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  script -qec "$(printf '%q ' "$WINE" wineboot --init) >/dev/null 2>&1" /dev/null >/dev/null </dev/null || true
fi
