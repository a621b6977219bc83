# Shared by the end-to-end scripts: run vhost once and compare what it wrote
# with the expected transcript, byte for byte.
#   expect_run NAME ARGS...   runs "$VHOST" ARGS..., compares with
#                             $EXPECTED/NAME.out, NAME.err and NAME.rc.
# VHOST_RUNNER, when set, is a function that runs the command with its
# output going to the three files given first (used for Wine).
set -euo pipefail

TRANSCRIPT_WORK=$(mktemp -d)
# Transcripts name the release as %VERSION% (and its build as %BUILD%), so
# that a new version changes CMakeLists.txt and no transcript.
TRANSCRIPT_SOURCE=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
TRANSCRIPT_VERSION=$(sed -n 's/^project(Vivanta VERSION \([0-9.]*\).*/\1/p' "$TRANSCRIPT_SOURCE/CMakeLists.txt")
TRANSCRIPT_BUILD=$(sed -n 's/^set(VIVANTA_VERSION_BUILD \([0-9]*\))/\1/p' "$TRANSCRIPT_SOURCE/CMakeLists.txt")
trap 'rm -rf "$TRANSCRIPT_WORK"' EXIT
TRANSCRIPT_FAILED=0

run_plain() {
  local out=$1 err=$2 rc=$3; shift 3
  set +e
  "$@" >"$out" 2>"$err"
  echo $? >"$rc"
  set -e
}

expect_run() {
  local name=$1; shift
  local runner=${VHOST_RUNNER:-run_plain}
  "$runner" "$TRANSCRIPT_WORK/$name.out" "$TRANSCRIPT_WORK/$name.err" "$TRANSCRIPT_WORK/$name.rc" "$VHOST" "$@"
  local stream
  TRANSCRIPT_VERSION=$TRANSCRIPT_VERSION TRANSCRIPT_BUILD=$TRANSCRIPT_BUILD perl -0pi -e \
    's/\Q$ENV{TRANSCRIPT_VERSION}.$ENV{TRANSCRIPT_BUILD}\E/%VERSION%.%BUILD%/g; s/\Q$ENV{TRANSCRIPT_VERSION}\E/%VERSION%/g' \
    "$TRANSCRIPT_WORK/$name.out" "$TRANSCRIPT_WORK/$name.err"
  for stream in out err rc; do
    # Writing a new case's transcripts: they are then read through by hand.
    if [ "${VIVANTA_UPDATE_TRANSCRIPTS:-}" = 1 ]; then
      cp "$TRANSCRIPT_WORK/$name.$stream" "$EXPECTED/$name.$stream"
    fi
    if ! cmp -s "$EXPECTED/$name.$stream" "$TRANSCRIPT_WORK/$name.$stream"; then
      echo "$name: standard $stream differs from $EXPECTED/$name.$stream"
      diff <(od -c "$EXPECTED/$name.$stream" 2>/dev/null) <(od -c "$TRANSCRIPT_WORK/$name.$stream") | head -20 || true
      TRANSCRIPT_FAILED=1
    fi
  done
}

transcripts_done() {
  if [ "$TRANSCRIPT_FAILED" != 0 ]; then
    echo "transcripts differ (VIVANTA_UPDATE_TRANSCRIPTS=1 writes what the run gave as the expected transcripts)"
    exit 1
  fi
  echo "transcripts match"
}
