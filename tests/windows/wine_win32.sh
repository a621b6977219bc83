#!/usr/bin/env bash
# The shared Win32 cases (tests/win32/), built by MinGW, run once under Wine
# as one program; the counts come from its XML report. The same cases run
# against winsim on Linux as win32.*.
set -euo pipefail
bin=$(cd "$1" && pwd)
TRANSCRIPT_WORK=$(mktemp -d)
trap 'rm -rf "$TRANSCRIPT_WORK"' EXIT
. "$(cd "$2" && pwd)/wine.bash"

# The window cases need windows: Wine's null display driver, for this run.
null_display on
trap 'null_display off; rm -rf "$TRANSCRIPT_WORK"' EXIT
report=$TRANSCRIPT_WORK/win32.xml
run_wine "$TRANSCRIPT_WORK/out" "$TRANSCRIPT_WORK/err" "$TRANSCRIPT_WORK/rc" \
  "$bin/win32_tests.exe" "--gtest_output=xml:Z:${report//\//\\}"
if [ ! -s "$report" ]; then
  echo "win32_tests.exe left no report (exit code $(cat "$TRANSCRIPT_WORK/rc" 2>/dev/null))"
  tail -n 40 "$TRANSCRIPT_WORK/out" "$TRANSCRIPT_WORK/err"
  exit 1
fi
python3 - "$report" <<'PY'
import sys
import xml.etree.ElementTree as ET

root = ET.parse(sys.argv[1]).getroot()
failed, skipped, passed = [], 0, 0
for case in root.iter("testcase"):
    name = case.get("classname") + "." + case.get("name")
    failures = case.findall("failure")
    if failures:
        failed.append((name, failures))
    elif case.find("skipped") is not None or case.get("result") == "skipped":
        skipped += 1
    elif case.get("status") == "run":
        passed += 1
for name, failures in failed:
    print("FAILED", name)
    for failure in failures:
        print("  " + (failure.get("message") or "").replace("\n", "\n  "))
print(f"win32 under Wine: {passed} passed, {len(failed)} failed, {skipped} skipped")
sys.exit(1 if failed or passed == 0 else 0)
PY
