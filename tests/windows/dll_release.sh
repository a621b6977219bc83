#!/usr/bin/env bash
# The shipped DLL as a user inspects it: its version resource names the
# product with the version of the top-level CMakeLists.txt, it carries no
# symbol table, and its symbols lie beside it in Vivanta.dll.debug, which the
# DLL's debuglink names with the right checksum.
set -euo pipefail
bin=$(cd "$1" && pwd)
source_dir=$(cd "$2/../.." && pwd)
version=$(sed -n 's/^project(Vivanta VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
build=$(sed -n 's/^set(VIVANTA_VERSION_BUILD \([0-9]*\)).*/\1/p' "$source_dir/CMakeLists.txt")
[ -n "$version" ] && [ -n "$build" ] || { echo "no version in CMakeLists.txt"; exit 1; }

python3 - "$bin/Vivanta.dll" "$version" "$build" <<'EOF'
import os
import struct
import sys
import zlib

path, version, build = sys.argv[1], sys.argv[2], sys.argv[3]
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def read_pe(file_name):
    """The COFF header fields and the sections of a PE file."""
    data = open(file_name, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        sys.exit(f"{file_name}: not a PE file")
    _, count, _, symbol_table, symbols, optional_size, _ = struct.unpack_from("<HHIIIHH", data, pe + 4)
    optional = pe + 24
    sections = {}
    for n in range(count):
        at = optional + optional_size + 40 * n
        raw_name = data[at:at + 8].rstrip(b"\0").decode()
        if raw_name.startswith("/"):  # a long name, kept in the string table after the symbols
            start = symbol_table + 18 * symbols + int(raw_name[1:])
            raw_name = data[start:data.index(b"\0", start)].decode()
        virtual_size, rva, raw_size, raw_offset = struct.unpack_from("<IIII", data, at + 8)
        sections[raw_name] = (rva, min(virtual_size, raw_size) or raw_size, raw_offset)
    resource_rva = struct.unpack_from("<I", data, optional + 112 + 8 * 2)[0]
    return data, symbols, sections, resource_rva


def at_rva(sections, rva):
    for start, size, offset in sections.values():
        if start <= rva < start + size:
            return offset + rva - start
    sys.exit(f"RVA {rva:#x} lies in no section")


def resource_entries(data, base, directory):
    named, numbered = struct.unpack_from("<HH", data, base + directory + 12)
    for n in range(named + numbered):
        name, target = struct.unpack_from("<II", data, base + directory + 16 + 8 * n)
        yield name, target


def find_version_resource(data, sections, resource_rva):
    base = at_rva(sections, resource_rva)
    directory = 0
    for wanted in (16, 1, None):  # RT_VERSION, resource 1, its first language
        for name, target in resource_entries(data, base, directory):
            if wanted is None or name == wanted:
                directory = target & 0x7FFFFFFF
                break
        else:
            sys.exit(f"no version resource (level {wanted})")
    rva, size = struct.unpack_from("<II", data, base + directory)
    start = at_rva(sections, rva)
    return data[start:start + size]


def align(n):
    return (n + 3) & ~3


def parse_block(blob, at):
    """One version block: (key, value bytes or text, children)."""
    length, value_length, kind = struct.unpack_from("<HHH", blob, at)
    end = blob.index(b"\0\0", at + 6)
    while (end - at) % 2:
        end = blob.index(b"\0\0", end + 1)
    key = blob[at + 6:end].decode("utf-16-le")
    value_at = align(end + 2)
    value_size = value_length * 2 if kind == 1 else value_length
    value = blob[value_at:value_at + value_size]
    if kind == 1:
        value = value.decode("utf-16-le").rstrip("\0")
    children = []
    child = align(value_at + value_size)
    while child < at + length:
        block = parse_block(blob, child)
        children.append(block)
        child = align(child + struct.unpack_from("<H", blob, child)[0])
    return key, value, children


data, symbols, sections, resource_rva = read_pe(path)
check(symbols == 0, f"the DLL has a symbol table of {symbols} symbols")

link = sections.get(".gnu_debuglink")
check(link is not None, "the DLL has no debuglink")
if link:
    _, size, offset = link
    content = data[offset:offset + size]
    debug_name = content[:content.index(b"\0")].decode()
    crc = struct.unpack_from("<I", content, align(len(debug_name) + 1))[0]
    debug_path = os.path.join(os.path.dirname(path), debug_name)
    check(debug_name == "Vivanta.dll.debug", f"the debuglink names {debug_name}")
    if os.path.exists(debug_path):
        check(zlib.crc32(open(debug_path, "rb").read()) == crc, "the debug file's checksum differs from the debuglink's")
        check(read_pe(debug_path)[1] > 0, "the debug file holds no symbols")
    else:
        check(False, f"no debug file at {debug_path}")

key, fixed, children = parse_block(find_version_resource(data, sections, resource_rva), 0)
check(key == "VS_VERSION_INFO", f"the version resource is keyed {key}")
signature, _, file_ms, file_ls, product_ms, product_ls, _, flags, os_kind, file_type = struct.unpack_from(
    "<10I", fixed)
numbers = [int(n) for n in version.split(".")] + [int(build)]
expected_ms, expected_ls = numbers[0] << 16 | numbers[1], numbers[2] << 16 | numbers[3]
check(signature == 0xFEEF04BD, "the fixed version information has no signature")
check((file_ms, file_ls) == (expected_ms, expected_ls), "the fixed file version differs from CMake's")
check((product_ms, product_ls) == (expected_ms, expected_ls), "the fixed product version differs from CMake's")
check((flags, os_kind, file_type) == (0, 0x40004, 2), "not a released DLL for Windows NT")

blocks = {block[0]: block for block in children}
strings = {}
for table in blocks.get("StringFileInfo", ("", "", []))[2]:
    check(table[0] == "040904B0", f"string table {table[0]}")
    strings.update({entry[0]: entry[1] for entry in table[2]})
expected = {
    "FileDescription": "Vivanta console colour scheme plugin",
    "FileVersion": f"{version}.{build}",
    "InternalName": "Vivanta",
    "LegalCopyright": "Copyright (C) 2026 Vivanta developers",
    "OriginalFilename": "Vivanta.dll",
    "ProductName": "Vivanta",
    "ProductVersion": version,
}
for name in sorted(set(expected) | set(strings)):
    check(strings.get(name) == expected.get(name), f"{name}: {strings.get(name)!r}, expected {expected.get(name)!r}")
translations = [entry[1] for entry in blocks.get("VarFileInfo", ("", "", []))[2]]
check(translations == [struct.pack("<HH", 0x0409, 1200)], "the translation is not U.S. English in Unicode")

if failures:
    print("\n".join(failures))
    sys.exit(1)
print(f"Vivanta.dll {strings['FileVersion']}: stripped, symbols in {debug_name}")
EOF
