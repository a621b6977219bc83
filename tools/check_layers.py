#!/usr/bin/env python3
"""Reads the #include lines of src/ and fails when one points up a layer or
when includes go round in a circle (between folders of one layer, or between
files). Given the build's objects, it also reads which file uses which
file's symbols, and fails when a file uses one of a higher layer or when
files use each other in a circle: a call needs no include of the file it
reaches, so only the objects show that.

The layers, top first, as the code is meant to depend on itself:

    entry/            the exports, start-up and shutdown, the module's DllMain
    command/          the VIVANTA command
    picker/           the interactive picker (/P)
    hotkey/ osd/      the key handler and the on-screen display
    palette/ import/  applying, showing and recognising schemes; other
                      tools' scheme files
    schemes/          the scheme record and list, colour values, scheme files
    textio/           text sources, decoding, output files
    plugin/           state, the settings, host services, messages, host
                      detection
    base/             strings, formatter, numbers, UTF-8, allocation

Usage: check_layers.py SRC_DIR [--objects BUILD_SRC_DIR [--nm NM]]

BUILD_SRC_DIR is the build tree's src/ folder (the Linux build); each object
file below it is matched to its source by the path CMake gives it there.
"""
import os
import re
import subprocess
import sys

LAYERS = {
    "entry": 8,
    "command": 7,
    "picker": 6,
    "hotkey": 5,
    "osd": 5,
    "palette": 4,
    "import": 4,
    "schemes": 3,
    "textio": 2,
    "plugin": 1,
    "base": 0,
    "platform": 0,
    "generated": 0,
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def unit_of(path):
    """The layer unit of a file given relative to src/."""
    parts = path.split("/")
    if len(parts) == 1:
        return "platform" if parts[0] == "platform.h" else None
    folder = parts[0]
    return folder if folder in LAYERS else None


def read_includes(src):
    edges = {}
    for root, _, files in os.walk(src):
        for name in sorted(files):
            if not name.endswith((".cpp", ".h")):
                continue
            path = os.path.join(root, name)
            rel = os.path.relpath(path, src).replace(os.sep, "/")
            targets = edges.setdefault(rel, [])
            with open(path, encoding="utf-8") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    target = os.path.normpath(os.path.join(os.path.dirname(rel), m.group(1))).replace(os.sep, "/")
                    targets.append((number, target))
    return edges


def find_cycle(graph):
    """One cycle of the graph as a list of nodes, or None."""
    state = {}
    stack = []

    def visit(node):
        state[node] = 1
        stack.append(node)
        for nxt in sorted(graph.get(node, ())):
            if state.get(nxt) == 1:
                return stack[stack.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt)
                if found:
                    return found
        stack.pop()
        state[node] = 2
        return None

    for node in sorted(graph):
        if node not in state:
            found = visit(node)
            if found:
                return found
    return None


def object_sources(src, build):
    """Each object file below `build` with its source relative to src/."""
    found = {}
    for root, _, files in os.walk(build):
        for name in sorted(files):
            if not name.endswith(".cpp.o"):
                continue
            path = os.path.join(root, name)
            parts = os.path.relpath(path, build).replace(os.sep, "/").split("/")
            # CMakeFiles/<target>.dir/<folder>/<file>.cpp.o
            dirs = [i for i, part in enumerate(parts) if part.endswith(".dir")]
            if not dirs:
                continue
            rel = "/".join(parts[dirs[-1] + 1:])[:-len(".o")]
            if os.path.isfile(os.path.join(src, rel)):
                found[rel] = path
    return found


# Symbols an object defines for others (not weak: an inline function or a
# template is defined again by every file that uses it), and the ones it
# takes from elsewhere.
STRONG = set("TDBRGS")


def read_symbols(nm, objects):
    defined, used = {}, {}
    for rel, path in sorted(objects.items()):
        out = subprocess.run([nm, "-P", path], check=True, capture_output=True, text=True).stdout
        for line in out.splitlines():
            fields = line.split()
            if len(fields) < 2:
                continue
            symbol, kind = fields[0], fields[1]
            if kind == "U":
                used.setdefault(rel, set()).add(symbol)
            elif kind in STRONG:
                defined.setdefault(symbol, rel)
    return defined, used


def demangle(nm, symbol):
    cxxfilt = os.path.join(os.path.dirname(nm), os.path.basename(nm).replace("nm", "c++filt"))
    try:
        return subprocess.run([cxxfilt if os.path.exists(cxxfilt) else "c++filt", symbol], check=True,
                              capture_output=True, text=True).stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        return symbol


def strongly_connected(graph):
    """The groups of nodes that reach each other (Tarjan), each sorted."""
    index, low, on_stack, stack, groups = {}, {}, set(), [], []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for nxt in sorted(graph.get(node, ())):
            if nxt not in index:
                visit(nxt)
                low[node] = min(low[node], low[nxt])
            elif nxt in on_stack:
                low[node] = min(low[node], index[nxt])
        if low[node] == index[node]:
            group = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                group.append(member)
                if member == node:
                    break
            if len(group) > 1:
                groups.append(sorted(group))

    for node in sorted(graph):
        if node not in index:
            visit(node)
    return groups


def check_objects(src, build, nm):
    """The problems the objects show: uses of a higher layer, and files of
    one folder (or folders) that use each other in a circle."""
    objects = object_sources(src, build)
    if not objects:
        return [f"{build}: no object files of src/ (build the tree first)"], 0
    defined, used = read_symbols(nm, objects)
    problems = []
    file_graph = {}
    folder_graph = {}
    for rel in sorted(used):
        here = unit_of(rel)
        for symbol in sorted(used[rel]):
            target = defined.get(symbol)
            if target is None or target == rel:
                continue
            there = unit_of(target)
            if here is None or there is None:
                continue
            if LAYERS[there] > LAYERS[here]:
                problems.append(f"{rel}: uses {demangle(nm, symbol)} of {target}, a layer above ({here} -> {there})")
            file_graph.setdefault(rel, {}).setdefault(target, symbol)
            if there != here:
                folder_graph.setdefault(here, set()).add(there)

    cycle = find_cycle(folder_graph)
    if cycle:
        problems.append("folders use each other in a circle: " + " -> ".join(cycle))
    # Within a folder every circle is named, so that all can be mended at once.
    same_folder = {a: {b for b in targets if unit_of(b) == unit_of(a)} for a, targets in file_graph.items()}
    for group in strongly_connected(same_folder):
        members = set(group)
        cycle = find_cycle({a: same_folder[a] & members for a in group})
        steps = [f"{a} (uses {demangle(nm, file_graph[a][b])})" for a, b in zip(cycle, cycle[1:])]
        problems.append("files use each other in a circle: " + " -> ".join(steps + [cycle[-1]]))
        if len(group) > len(cycle) - 1:
            problems.append("  and so do all of: " + ", ".join(group))
    return problems, len(objects)


def main(argv):
    args = argv[1:]
    build = nm = None
    if "--objects" in args:
        at = args.index("--objects")
        build = args[at + 1] if at + 1 < len(args) else None
        del args[at:at + 2]
    if "--nm" in args:
        at = args.index("--nm")
        nm = args[at + 1] if at + 1 < len(args) else None
        del args[at:at + 2]
    if len(args) != 1 or (build is None and "--objects" in argv):
        print(__doc__)
        return 2
    src = args[0]
    edges = read_includes(src)

    problems = []
    folder_graph = {}
    file_graph = {}
    for source, targets in sorted(edges.items()):
        here = unit_of(source)
        if here is None:
            problems.append(f"{source}: a file outside the known layers")
            continue
        for number, target in targets:
            there = unit_of(target)
            if target.startswith("../") or there is None:
                # Only the build's generated headers live outside src/.
                if target.startswith("vivanta_") or "/" not in target:
                    there = "generated"
                else:
                    problems.append(f"{source}:{number}: includes {target}, outside the known layers")
                    continue
            if LAYERS[there] > LAYERS[here]:
                problems.append(f"{source}:{number}: includes {target}, a layer above ({here} -> {there})")
            if there != here and there != "generated":
                folder_graph.setdefault(here, set()).add(there)
            if there != "generated":
                file_graph.setdefault(source, set()).add(target)

    cycle = find_cycle(folder_graph)
    if cycle:
        problems.append("folders include each other in a circle: " + " -> ".join(cycle))
    cycle = find_cycle(file_graph)
    if cycle:
        problems.append("files include each other in a circle: " + " -> ".join(cycle))

    objects = 0
    if build is not None:
        found, objects = check_objects(src, build, nm or "nm")
        problems += found

    for problem in problems:
        print(problem)
    if not problems:
        print(f"layers: {len(edges)} files, every include points down")
        if build is not None:
            print(f"layers: {objects} objects, every use points down and none goes round")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
