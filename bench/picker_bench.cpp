// The picker with 10,000 schemes loaded, on a 120 x 40 window: what one
// key costs from the model through the redrawn grid to the colour table
// written. A filter keystroke refilters every scheme; a move only redraws.
//
// Targets (tools/bench_table.py): a filter keystroke under 5 ms, a
// highlight move under 1 ms, and no allocation per move ("allocs").
#include <benchmark/benchmark.h>
#include <sim.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/base.h"
#include "bench_support.h"
#include "host_control.h"
#include "palette/palette.h"
#include "picker/picker.h"
#include "plugin/plugin.h"
#include "schemes/schemes.h"

namespace {

constexpr SHORT COLUMNS = 120;
constexpr SHORT ROWS = 40;

void PrepareWorld(int schemes) {
    ResetBenchWorld();
    HostCtlSetVariable(u"_4ver", u"28.01");
    StartBenchPlugin();
    FreeSchemeList();
    ColorScheme scheme;
    std::memset(&scheme, 0, sizeof scheme);
    scheme.StdColors = 0x07;
    scheme.InputColors = 0x0E;
    scheme.ErrorColors = 0x0C;
    scheme.ListStatBarColors = 0x70;
    scheme.SelectedColors = 0x1F;
    for (int n = 0; n < schemes; ++n) {
        for (int i = 0; i < 16; ++i) scheme.palette[i] = static_cast<DWORD>(n * 16 + i) * 2654435761u & 0xFFFFFF;
        scheme.dark = n % 2;
        std::string name = "Scheme " + std::to_string(n) + (n % 7 ? " night" : " ice");
        std::u16string wide(name.begin(), name.end());
        AddScheme(&scheme, reinterpret_cast<LPCWSTR>(wide.c_str()), u"dirs:12;exe:bright green;txt:yellow", &g_schemes);
    }
}

struct Picker {
    PickerModel model = {};
    std::vector<CHAR_INFO> cells = std::vector<CHAR_INFO>(static_cast<size_t>(COLUMNS) * ROWS);

    void Key(WORD virtualKey, WCHAR character) {
        PickerKey key = {virtualKey, character, 0, 1};
        PickerHandleKey(&model, &key);
        DrawPicker(&model, cells.data(), COLUMNS, ROWS);
        if (const ColorScheme *scheme = PickerHighlighted(&model)) WriteColorTable(g_plugin.console, scheme->palette);
    }
};

void RunKeys(benchmark::State &state, WORD first, WCHAR firstCharacter, WORD second, WCHAR secondCharacter) {
    PrepareWorld(10000);
    Picker picker;
    if (!OpenPickerModel(&picker.model, g_schemes, nullptr, nullptr)) state.SkipWithError("no memory");
    picker.Key(VK_DOWN, 0);
    MemResetCounts();
    bool odd = false;
    for (auto _ : state) {
        odd = !odd;
        if (odd) {
            picker.Key(first, firstCharacter);
        } else {
            picker.Key(second, secondCharacter);
        }
    }
    state.counters["allocs"] =
        benchmark::Counter(static_cast<double>(MemAllocationCount()), benchmark::Counter::kAvgIterations);
    ClosePickerModel(&picker.model);
    ShutdownPlugin();
}

// "i" typed, then deleted: each a refilter of 10,000 names.
void BM_PickerFilterKeystroke(benchmark::State &state) {
    RunKeys(state, 0, u'i', VK_BACK, 0);
}

void BM_PickerMove(benchmark::State &state) {
    RunKeys(state, VK_DOWN, 0, VK_UP, 0);
}

}  // namespace

BENCHMARK(BM_PickerFilterKeystroke)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PickerMove)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
