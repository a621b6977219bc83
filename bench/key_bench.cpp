// The keystroke handler runs for every key typed at the command line. For a
// key that is not the hotkey it may read the three modifier keys and, on
// hosts from version 24 on, parse a key name, but allocate nothing and ask
// the system nothing else.
//
// Targets (printed at the end): a keystroke that is not the hotkey under
// 50 ns; one the host names only (key code 0) under 500 ns. The "allocs"
// and "calls" counters are per keystroke: 0 allocations, and at most the
// three GetAsyncKeyState reads.
#include <benchmark/benchmark.h>
#include <sim.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "base/base.h"
#include "bench_support.h"
#include "host_control.h"
#include "hotkey/hotkey.h"
#include "plugin/plugin.h"
#include "schemes/schemes.h"

namespace {

// A started plugin under a host of major version 28 (key names in use).
void PrepareWorld(DWORD hotkey) {
    ResetBenchWorld();
    HostCtlSetVariable(u"_4ver", u"28.01");
    StartBenchPlugin();
    g_settings.hotkey = hotkey;
}

void RunKeystrokes(benchmark::State &state, DWORD hotkey, int32_t code, const char16_t *name) {
    PrepareWorld(hotkey);
    std::vector<WCHAR> line(4096, 0);
    std::vector<WCHAR> keyName(1024, 0);
    if (name) std::char_traits<char16_t>::copy(keyName.data(), name, std::char_traits<char16_t>::length(name));
    KeyInfo info = {};
    info.keyCode = code;
    info.line = line.data();
    info.cursor = line.data();
    info.keyName = keyName.data();
    MemResetCounts();
    int calls = sim::TotalCallCount();
    for (auto _ : state) {
        benchmark::DoNotOptimize(key(&info));
    }
    state.counters["allocs"] =
        benchmark::Counter(static_cast<double>(MemAllocationCount()), benchmark::Counter::kAvgIterations);
    state.counters["calls"] =
        benchmark::Counter(static_cast<double>(sim::TotalCallCount() - calls), benchmark::Counter::kAvgIterations);
    if (info.redraw != 0) state.SkipWithError("the keystroke matched the hotkey");
    ShutdownPlugin();
}

// "a" with Alt-Z as the hotkey: no modifier makes it the hotkey.
void BM_KeyNotTheHotkey(benchmark::State &state) {
    RunKeystrokes(state, 0x1002C, 0x41, nullptr);
}

// Z with Ctrl-Alt-Z as the hotkey, and no modifier held: the three
// modifier keys must be read before the keystroke can be told apart.
void BM_KeyNeedsTheModifiers(benchmark::State &state) {
    RunKeystrokes(state, 0x4002C, 0x2C, nullptr);
}

// Keys a newer host names only; the last row of the key table is the
// longest search.
void BM_KeyByName(benchmark::State &state) {
    RunKeystrokes(state, 0x1002C, 0, u"Enter");
}
void BM_KeyByNameLastRow(benchmark::State &state) {
    RunKeystrokes(state, 0x1002C, 0, u"Ctrl-Alt-Shift-BkSp");
}

BENCHMARK(BM_KeyNotTheHotkey);
BENCHMARK(BM_KeyNeedsTheModifiers);
BENCHMARK(BM_KeyByName);
BENCHMARK(BM_KeyByNameLastRow);

}  // namespace

// The verdicts against the targets come from tools/bench_table.py, which
// reads every program's JSON output: one place holds the targets.
BENCHMARK_MAIN();
