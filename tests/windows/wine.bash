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
WINESERVER=$(command -v wineserver || echo "${WINE%/*}/wineserver")

# Wine's reg, quietly.
wine_reg() {
  script -qec "$(printf '%q ' "$WINE" reg "$@") >/dev/null 2>&1" /dev/null >/dev/null </dev/null || true
}

# Without a display Wine makes no window at all. `null_display on` puts the
# prefix on Wine's null display driver (windows that are made but never
# drawn) for the cases that need windows; `null_display off` gives it its
# own driver back.
null_display() {
  if [ "$1" = on ]; then
    wine_reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f
  else
    wine_reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f
  fi
  "$WINESERVER" -k || true
}

# Once in a long while Wine starts a program without the console its
# terminal should give it, and the plugin rightly refuses to load ("Can't
# open console handle!"). No case expects that refusal, so such a run is
# made once more, and the log says so; a plugin that never gets its console
# still fails. With WINE_TIME_LIMIT set (seconds), a run that is still going
# then is ended, and its result is timeout's 124. In the foreground: in a
# process group of its own Wine's console would be stopped on its first read
# of the terminal.
run_wine() {
  local out=$1 err=$2 rc=$3; shift 3
  local cmd=$TRANSCRIPT_WORK/run.sh
  local limit=()
  [ -z "${WINE_TIME_LIMIT:-}" ] || limit=(timeout --foreground -k 10 "$WINE_TIME_LIMIT")
  printf '%q ' "${limit[@]}" "$WINE" "$@" >"$cmd"
  printf '>%q 2>%q\necho $? >%q\n' "$out" "$err" "$rc" >>"$cmd"
  script -qec "bash $cmd" /dev/null >/dev/null </dev/null
  if grep -q "open console handle" "$err" 2>/dev/null; then
    echo "note: Wine gave $(basename "$out" .out) no console; running it once more"
    script -qec "bash $cmd" /dev/null >/dev/null </dev/null
  fi
}

# A Linux path as Wine's Windows programs see it, on drive Z:.
windows_name() { printf 'Z:%s' "${1//\//\\}"; }

# As run_wine, in the folder $WORK, whose Windows name (Z:\...\) the
# transcripts then hold as %WORK%/: full names the plugin prints come out as
# the Linux suite's.
run_wine_in_work() {
  local out=$1 err=$2 rc=$3; shift 3
  (cd "$WORK" && run_wine "$out" "$err" "$rc" "$@")
  local file
  for file in "$out" "$err"; do
    WINE_WORK="$(windows_name "$WORK")\\" perl -0pi -e 's/\Q$ENV{WINE_WORK}\E/%WORK%\//gi' "$file"
  done
}

# A new prefix announces its creation on standard error: make it first.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  script -qec "$(printf '%q ' "$WINE" wineboot --init) >/dev/null 2>&1" /dev/null >/dev/null </dev/null || true
fi
