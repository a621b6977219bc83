// Applying a scheme behind Windows Terminal, where the colours go to the
// terminal as VT sequences: the whole application (sequences, current
// attribute, re-colouring, the host's directives, ColorDir), with every
// cell of the window in the old scheme's colours, on a 120-column console
// whose buffer holds 30 rows and 9001 rows.
//
// The host behind a pseudoconsole holds only the window's rows, so the
// cost must not grow with the buffer: tools/bench_table.py holds the
// 9001-row apply to the 30-row one.
#include <benchmark/benchmark.h>
#include <sim.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/base.h"
#include "bench_support.h"
#include "host_control.h"
#include "palette/palette.h"
#include "plugin/plugin.h"
#include "schemes/schemes.h"

namespace {

const SHORT COLUMNS = 120;

ColorScheme *SchemeAt(int position) {
    ColorScheme *scheme = g_schemes;
    while (scheme && --position > 0) scheme = scheme->next;
    return scheme;
}

// A started plugin behind Windows Terminal with VT sequences chosen, its
// built-in schemes loaded, the first applied, the window in its colours.
void PrepareWorld(SHORT rows) {
    ResetBenchWorld();
    sim::SetConsoleSize(COLUMNS, rows);
    sim::SetupFrontEnd(sim::FrontEnd::Terminal);
    SetEnvironmentVariableW(VT_SWITCH_VARIABLE, u"1");
    StartBenchPlugin();
    if (!UsesSequences() || !SchemeAt(2)) {
        std::fprintf(stderr, "the plugin did not start behind the terminal\n");
        std::exit(1);
    }
    if (ApplyScheme(SchemeAt(1), nullptr) != APPLY_DONE) {
        std::fprintf(stderr, "the first scheme was not applied\n");
        std::exit(1);
    }
    CONSOLE_SCREEN_BUFFER_INFOEX info = sim::ConsoleInfo();
    for (SHORT y = info.srWindow.Top; y <= info.srWindow.Bottom; ++y) {
        for (SHORT x = 0; x < COLUMNS; ++x) sim::SetCellAttribute(x, y, info.wAttributes);
    }
}

void BM_ApplyBehindTerminal(benchmark::State &state) {
    PrepareWorld(static_cast<SHORT>(state.range(0)));
    const ColorScheme *first = SchemeAt(1);
    const ColorScheme *second = SchemeAt(2);
    bool forward = true;
    int writes = sim::CallCount("WriteConsoleW");
    int bands = sim::CallCount("WriteConsoleOutputAttribute");
    for (auto _ : state) {
        // PrepareWorld has seen the terminal applied to; checking every
        // round would only add to what is timed.
        (void)ApplyScheme(forward ? second : first, nullptr);
        forward = !forward;
    }
    state.counters["writes"] =
        benchmark::Counter(sim::CallCount("WriteConsoleW") - writes, benchmark::Counter::kAvgIterations);
    state.counters["bands"] =
        benchmark::Counter(sim::CallCount("WriteConsoleOutputAttribute") - bands, benchmark::Counter::kAvgIterations);
    state.counters["sequences"] = static_cast<double>(g_palette.lastLength);
}

BENCHMARK(BM_ApplyBehindTerminal)->ArgName("rows")->Arg(30)->Arg(9001)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
