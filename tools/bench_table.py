#!/usr/bin/env python3
"""Prints one table of the benchmark figures next to their targets.

Reads the Google Benchmark JSON files that tools/run_benchmarks.sh leaves in a
directory (NAME.json per program). Times are CPU times, steadier than wall
time on a shared machine; with repetitions the median is used.

    bench_table.py RESULTS_DIR
"""
import json
import os
import sys


def load(directory, program):
    """Runs of one program by name (median when repeated); {} when absent."""
    path = os.path.join(directory, program + ".json")
    try:
        with open(path) as f:
            data = json.load(f)
    except (OSError, ValueError):
        return {}
    runs = {}
    for run in data.get("benchmarks", []):
        name = run.get("run_name", run["name"])
        if run.get("run_type") == "aggregate":
            if run.get("aggregate_name") == "median":
                runs[name] = run
        elif name not in runs or runs[name].get("run_type") != "aggregate":
            runs[name] = run
    return runs


SCALE_TO_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def cpu_ns(run):
    return run["cpu_time"] * SCALE_TO_NS[run.get("time_unit", "ns")]


class Table:
    def __init__(self):
        self.rows = []

    def add(self, figure, value, shown, target, met):
        """value None means the benchmark did not run or failed."""
        if value is None:
            self.rows.append((figure, "-", target, "MISSING"))
        else:
            self.rows.append((figure, shown, target, "ok" if met else "MISSED"))

    def print(self):
        header = ("Figure", "Measured", "Target", "Verdict")
        widths = [max(len(r[i]) for r in self.rows + [header]) for i in range(4)]
        line = lambda r: " | ".join(c.ljust(w) for c, w in zip(r, widths)).rstrip()
        print(line(header))
        print("-+-".join("-" * w for w in widths))
        for row in self.rows:
            print(line(row))
        met = sum(1 for r in self.rows if r[3] == "ok")
        print(f"{met} of {len(self.rows)} figures meet their targets")
        return met == len(self.rows)


def get(runs, name):
    run = runs.get(name)
    if run is None or run.get("error_occurred"):
        return None
    return run


def ratio(runs, name, base):
    a, b = get(runs, name), get(runs, base)
    return cpu_ns(a) / cpu_ns(b) if a and b and cpu_ns(b) > 0 else None


def recolour(table, runs):
    for name, label in (("BM_RecolourScreen", "Re-colouring 300 x 9999 / baseline"),
                        ("BM_ApplyScheme", "Applying a scheme 300 x 9999 / baseline")):
        r = ratio(runs, name, "BM_Baseline")
        table.add(label, r, f"{r:.2f}" if r is not None else "", "<= 1.50", r is not None and r <= 1.5)
    run = get(runs, "BM_RecolourScreen")
    allocs = run.get("allocs") if run else None
    table.add("Re-colouring allocations per screen", allocs, f"{allocs:g}" if allocs is not None else "",
              "<= 1 (band buffer)", allocs is not None and allocs <= 1)


def terminal_apply(table, runs):
    # Behind a pseudoconsole the host holds only the window's rows: an apply
    # costs the same on a 9001-row buffer as on a 30-row one, and its
    # sequences go out in one write.
    small, large = get(runs, "BM_ApplyBehindTerminal/rows:30"), get(runs, "BM_ApplyBehindTerminal/rows:9001")
    us = cpu_ns(small) / 1e3 if small else None
    table.add("Applying a scheme behind a terminal, 120 x 30", us, f"{us:.1f} us" if small else "", "< 1000 us",
              us is not None and us < 1000)
    r = ratio(runs, "BM_ApplyBehindTerminal/rows:9001", "BM_ApplyBehindTerminal/rows:30")
    table.add("Applying behind a terminal, 9001 / 30 rows", r, f"{r:.2f}" if r is not None else "",
              "<= 1.5 (size-free)", r is not None and r <= 1.5)
    writes = max((run.get("writes", 0) for run in (small, large) if run), default=None)
    table.add("Console writes per apply behind a terminal", writes, f"{writes:g}" if writes is not None else "",
              "= 1", writes == 1)


def textio(table, runs):
    for arg, label in ((0, "ANSI"), (1, "UTF-16"), (3, "UTF-8")):
        run = get(runs, f"BM_ReadLine/{arg}")
        rate = run["bytes_per_second"] / 1e6 if run else None
        table.add(f"ReadLine {label} 64 MiB", rate, f"{rate:.0f} MB/s" if run else "", ">= 200 MB/s",
                  rate is not None and rate >= 200)
    run = get(runs, "BM_WriteText")
    rate = run["bytes_per_second"] / 1e6 if run else None
    table.add("WriteText 64 MiB in 80-char pieces", rate, f"{rate:.0f} MB/s" if run else "", ">= 200 MB/s",
              rate is not None and rate >= 200)
    if run:
        calls, buffers = run.get("WriteFile_calls"), run.get("full_buffers")
        table.add("WriteText WriteFile calls", calls, f"{calls:g}", f"= full buffers ({buffers:g})",
                  calls == buffers)
    else:
        table.add("WriteText WriteFile calls", None, "", "= full buffers", False)
    small = get(runs, "BM_DetectEncoding/1")
    for key, label, limit in (("utf16_limit_KiB", "UTF-16/32", 128), ("utf8_limit_KiB", "UTF-8", 256)):
        kib = small.get(key) if small else None
        table.add(f"Detection sample {label}", kib, f"{kib:g} KiB" if kib is not None else "",
                  f"<= {limit} KiB", kib is not None and kib <= limit)
    # A detection that stops at its sample limits costs the same on 64 MiB as
    # on 1 MiB; 1.5 leaves room for noise, not for reading the whole content.
    r = ratio(runs, "BM_DetectEncoding/64", "BM_DetectEncoding/1")
    table.add("Detection time 64 MiB / 1 MiB", r, f"{r:.2f}" if r is not None else "", "<= 1.5 (size-free)",
              r is not None and r <= 1.5)


def scheme_file(table, runs):
    # Benchmarks with a minimum time of their own carry it in their names.
    def named(prefix):
        for name, run in runs.items():
            if name == prefix or name.startswith(prefix + "/"):
                return None if run.get("error_occurred") else run
        return None

    def find(schemes, merge):
        return named(f"BM_ReadSchemeFile/schemes:{schemes}/merge:{merge}")

    # Linear reading, shown up to 70,000 schemes: about the most a file
    # within the 64 MiB limit holds. Seven times the schemes may take 8.4
    # times as long, the same slack as 12 for ten times.
    for merge, how in ((1, "merged into"), (0, "replacing")):
        small, large = find(10000, merge), find(70000, merge)
        ms = cpu_ns(small) / 1e6 if small else None
        table.add(f"Read 10,000 schemes {how} 10,000", ms, f"{ms:.1f} ms" if small else "", "< 100 ms",
                  ms is not None and ms < 100)
        r = cpu_ns(large) / cpu_ns(small) if small and large else None
        table.add(f"Read 70,000 / 10,000 schemes ({how.split()[0]})", r, f"{r:.2f}" if r is not None else "",
                  "<= 8.4", r is not None and r <= 8.4)
    # Names made to share one slot under the old, unseeded name hash.
    colliding, ordinary = named("BM_ReadCollidingNames/colliding:1"), named("BM_ReadCollidingNames/colliding:0")
    r = cpu_ns(colliding) / cpu_ns(ordinary) if colliding and ordinary else None
    table.add("Read 32,768 colliding / ordinary names", r, f"{r:.2f}" if r is not None else "", "<= 2",
              r is not None and r <= 2)
    # /E replaces every section of a file holding them in one pass.
    small, large = named("BM_ExportSchemes/schemes:1000"), named("BM_ExportSchemes/schemes:10000")
    ms = cpu_ns(small) / 1e6 if small else None
    table.add("/E of 1,000 schemes into a file holding them", ms, f"{ms:.1f} ms" if small else "", "< 100 ms",
              ms is not None and ms < 100)
    r = cpu_ns(large) / cpu_ns(small) if small and large else None
    table.add("/E of 10,000 / 1,000 schemes", r, f"{r:.2f}" if r is not None else "", "<= 12",
              r is not None and r <= 12)


def importing(table, runs):
    # Folders of other tools' files merged into the list: 600 files of each
    # kind within 150 ms, and 6,000 at most 12 times as long as 600.
    def find(kind, files):
        for name, run in runs.items():
            if name.startswith(f"BM_ReadFolder/format:{kind}/files:{files}/") and not run.get("error_occurred"):
                return run
        return None

    for kind, label in ((0, ".itermcolors"), (1, "terminal JSON"), (2, "binary .itermcolors")):
        small, large = find(kind, 600), find(kind, 6000)
        ms = cpu_ns(small) / 1e6 if small else None
        table.add(f"Read a folder of 600 {label} files", ms, f"{ms:.1f} ms" if small else "", "< 150 ms",
                  ms is not None and ms < 150)
        r = cpu_ns(large) / cpu_ns(small) if small and large else None
        table.add(f"Read 6,000 / 600 {label} files", r, f"{r:.2f}" if r is not None else "", "<= 12",
                  r is not None and r <= 12)


def import_limits(table, runs):
    # The worst file of each of other tools' formats at the 16 MiB limit:
    # its peak heap within 20 times its size and 16 MiB, and its time in
    # proportion to the size (4 times a 4 MiB file's, with room for noise).
    def find(kind, mib):
        for name, run in runs.items():
            if name.startswith(f"BM_ReadWorstFile/format:{kind}/MiB:{mib}/") and not run.get("error_occurred"):
                return run
        return None

    for kind, label in ((0, "YAML, short lines"), (1, "YAML, anchors"), (2, "property list, tiny elements"),
                        (3, "JSON, tiny values"), (4, "ColorTool, short lines")):
        small, large = find(kind, 4), find(kind, 16)
        peak = large.get("peak_MiB") if large else None
        table.add(f"Worst {label} at 16 MiB: peak heap", peak, f"{peak:.1f} MiB" if peak is not None else "",
                  "<= 336 MiB", peak is not None and peak <= 336)
        r = cpu_ns(large) / cpu_ns(small) if small and large else None
        shown = f"{cpu_ns(large) / 1e6:.0f} ms, {r:.1f} x 4 MiB" if r is not None else ""
        table.add(f"Worst {label} at 16 MiB: time", r, shown, "<= 6 x 4 MiB", r is not None and r <= 6)


def writing(table, runs):
    # /W into another tool's format (one small file, read first, then
    # replaced) against our own section written into a file of 300 collected
    # sections: the dearest of the other formats costs no more.
    own = get(runs, "BM_WriteScheme/format:0")
    others = [get(runs, f"BM_WriteScheme/format:{n}") for n in (1, 2, 3)]
    r = max(cpu_ns(o) for o in others) / cpu_ns(own) if own and all(others) and cpu_ns(own) > 0 else None
    shown = f"{r:.2f} (own {cpu_ns(own) / 1e3:.0f} us)" if r is not None else ""
    table.add("/W: slowest other format / our own section", r, shown, "<= 1", r is not None and r <= 1)


def key(table, runs):
    for name, label, limit in (("BM_KeyNotTheHotkey", "Keystroke, not the hotkey", 50),
                               ("BM_KeyNeedsTheModifiers", "Keystroke, modifiers read", 50),
                               ("BM_KeyByName", "Keystroke by name (Enter)", 500),
                               ("BM_KeyByNameLastRow", "Keystroke by name (last table row)", 500)):
        run = get(runs, name)
        ns = cpu_ns(run) if run else None
        table.add(label, ns, f"{ns:.1f} ns" if run else "", f"< {limit} ns", ns is not None and ns < limit)
    measured = [get(runs, n) for n in ("BM_KeyNotTheHotkey", "BM_KeyNeedsTheModifiers", "BM_KeyByName",
                                       "BM_KeyByNameLastRow")]
    measured = [r for r in measured if r]
    allocs = max((r.get("allocs", 0) for r in measured), default=None)
    calls = max((r.get("calls", 0) for r in measured), default=None)
    table.add("Allocations per keystroke (most)", allocs, f"{allocs:g}" if allocs is not None else "", "= 0",
              allocs == 0)
    table.add("Platform calls per keystroke (most)", calls, f"{calls:g}" if calls is not None else "",
              "<= 3 (GetAsyncKeyState)", calls is not None and calls <= 3)


def readability(table, runs):
    run = get(runs, "BM_ReadabilityOfEveryScheme")
    ms = cpu_ns(run) / 1e6 if run else None
    table.add("/C over 6,000 schemes", ms, f"{ms:.1f} ms" if run else "", "< 50 ms", ms is not None and ms < 50)


def picker(table, runs):
    # 10,000 schemes on a 120 x 40 window: model, redraw and colour table.
    for name, label, limit in (("BM_PickerFilterKeystroke", "Picker: one filter keystroke, 10,000 schemes", 5000),
                               ("BM_PickerMove", "Picker: one highlight move, 10,000 schemes", 1000)):
        run = get(runs, name)
        us = cpu_ns(run) / 1e3 if run else None
        table.add(label, us, f"{us:.0f} us" if run else "", f"< {limit} us", us is not None and us < limit)
    run = get(runs, "BM_PickerMove")
    allocs = run.get("allocs") if run else None
    table.add("Picker: allocations per move", allocs, f"{allocs:g}" if allocs is not None else "", "= 0",
              allocs == 0)


def main():
    directory = sys.argv[1]
    table = Table()
    recolour(table, load(directory, "recolour_bench"))
    terminal_apply(table, load(directory, "terminal_apply_bench"))
    textio(table, load(directory, "textio_bench"))
    scheme_file(table, load(directory, "scheme_file_bench"))
    importing(table, load(directory, "import_bench"))
    import_limits(table, load(directory, "import_limits_bench"))
    writing(table, load(directory, "write_bench"))
    key(table, load(directory, "key_bench"))
    readability(table, load(directory, "readability_bench"))
    picker(table, load(directory, "picker_bench"))
    table.print()


if __name__ == "__main__":
    main()
