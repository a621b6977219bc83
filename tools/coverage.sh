#!/usr/bin/env bash
# Line coverage of src/ under the Linux suites: builds a separate tree with
# gcov instrumentation, runs its GoogleTest programs and end-to-end scripts
# (the Wine and fuzz runs add nothing to src/'s Linux coverage and cost
# minutes), and fails when the share of src/ lines run falls below the floor.
#
#   tools/coverage.sh BUILD_DIR [JOBS] [FLOOR_PERCENT]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$1
jobs=${2:-2}
floor=${3:-90}
case $build in /*) ;; *) build=$root/$build ;; esac

link=--coverage
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="--coverage -O0" \
  -DCMAKE_EXE_LINKER_FLAGS=$link -DCMAKE_SHARED_LINKER_FLAGS=$link -DCMAKE_MODULE_LINKER_FLAGS=$link \
  -Wno-dev --log-level=WARNING >/dev/null
cmake --build "$build" -j"$jobs" >/dev/null

# Counts from an earlier run would add up with this one's.
find "$build" -name '*.gcda' -delete
if ! (cd "$build" && ctest -j"$jobs" --output-on-failure >"$build/ctest.log" 2>&1); then
  cat "$build/ctest.log"
  echo "coverage: the instrumented suites failed" >&2
  exit 1
fi

# gcovr takes its filter relative to the directory it runs in; CMake's own
# compiler probe under CMakeFiles/<version>/ is instrumented too and has no
# source to show.
cd "$root"
gcovr --root . --filter 'src/' --object-directory "$build" -j "$jobs" --exclude-directories '.*/CMakeFiles/[0-9.]+/.*' \
  --txt "$build/coverage.txt" --json-summary "$build/coverage.json" "$build" >/dev/null

python3 - "$build/coverage.json" "$floor" <<'EOF'
import json, math, sys
summary = json.load(open(sys.argv[1]))
floor = float(sys.argv[2])
total = summary["line_total"]
# Rounded down, so that the figure shown never passes a floor the real share misses.
percent = math.floor(1000.0 * summary["line_covered"] / total) / 10 if total else 0.0
print(f"src/ line coverage: {percent:.1f}% (floor {floor:g}%)")
if percent < floor:
    print("Least covered files (lines run / lines):")
    files = sorted(summary["files"], key=lambda f: f["line_total"] - f["line_covered"], reverse=True)
    for f in files[:15]:
        if f["line_covered"] < f["line_total"]:
            print(f"  {f['filename']}: {f['line_covered']}/{f['line_total']}")
    sys.exit(1)
EOF
