#!/usr/bin/env bash
# The shipped DLL exports exactly the seven entry points, undecorated, and
# imports nothing but system DLLs and the host's TakeCmd.dll.
set -euo pipefail
bin=$1
dll=$bin/Vivanta.dll
objdump=x86_64-w64-mingw32-objdump
dump=$($objdump -p "$dll")

# The export names, one per line, from objdump's name-pointer table.
export_names() {
  awk '/\[Ordinal\/Name Pointer\] Table/{on=1; next} on && /^[ \t]*\[/{print $NF; next} on{exit}'
}
exports=$(export_names <<<"$dump" | sort)
expected=$(printf '%s\n' GetPluginInfo Help InitializePlugin ShutdownPlugin Usage key vivanta | sort)
if [ "$exports" != "$expected" ]; then
  echo "exports differ:"; diff <(echo "$expected") <(echo "$exports") || true; exit 1
fi

imports=$(grep -E '^[[:space:]]*DLL Name:' <<<"$dump" | awk '{print $3}' | sort -u)
allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|WINMM|msvcrt|TakeCmd)\.dll$'
bad=$(grep -Eiv "$allowed" <<<"$imports" || true)
if [ -n "$bad" ]; then
  echo "unexpected imports: $bad"; exit 1
fi
grep -qx 'TakeCmd.dll' <<<"$imports" || { echo "TakeCmd.dll is not imported"; exit 1; }

# Every host service the plugin imports is one TakeCmd.dll exports.
host_dump=$($objdump -p "$bin/TakeCmd.dll")
host_exports=$(export_names <<<"$host_dump")
plugin_host_imports=$(awk '/DLL Name: TakeCmd.dll/{on=1; next} on && /DLL Name:/{exit} on && NF == 3 && $1 ~ /^[0-9a-f]+$/{print $3}' <<<"$dump")
[ -n "$plugin_host_imports" ] || { echo "no host services imported"; exit 1; }
for name in $plugin_host_imports; do
  grep -qx "$name" <<<"$host_exports" || { echo "TakeCmd.dll does not export $name"; exit 1; }
done
echo "exports: $(echo $exports)"
echo "imports: $(echo $imports)"
