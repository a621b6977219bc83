#!/usr/bin/env python3
"""Reads the #include lines of src/ and fails when one points up a layer or
when includes go round in a circle (between folders of one layer, or between
files).

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

Usage: check_layers.py SRC_DIR
"""
import os
import re
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


def main(argv):
    if len(argv) < 2:
        print(__doc__)
        return 2
    src = argv[1]
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

    for problem in problems:
        print(problem)
    if not problems:
        print(f"layers: {len(edges)} files, every include points down")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
