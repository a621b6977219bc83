#!/usr/bin/env bash
# Formats the C++ sources with the root .clang-format, or with --check lists
# the files that differ and fails. Generated tables are left as their
# generators write them.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(find src winsim host tools tests bench fuzz \( -name '*.cpp' -o -name '*.h' \) \
    ! -path 'src/textio/codepage_tables.cpp' ! -path 'src/schemes/named_colors.cpp' | sort)
if [ "${1:-}" = --check ]; then
    clang-format --dry-run -Werror "${files[@]}" 2>&1 | grep -o '^[^:]*\.\(cpp\|h\):' | sort -u | sed 's/:$/: not formatted (make format)/' || true
    clang-format --dry-run -Werror "${files[@]}" >/dev/null 2>&1
else
    clang-format -i "${files[@]}"
fi
