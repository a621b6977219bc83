// VIVANTA /C over 6,000 schemes, about what a user who imported every
// public collection holds: each scheme's nine directives and six ColorDir
// entries measured, half of those entries in the host's colour words, and
// one line printed per scheme. The target is under 50 ms for the command.
#include <benchmark/benchmark.h>
#include <sim.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host_control.h"
#include "plugin/plugin.h"
#include "schemes/schemes.h"

namespace {

constexpr int SCHEME_COUNT = 6000;

void BuildList() {
    ColorScheme scheme;
    std::memset(&scheme, 0, sizeof scheme);
    const WORD directives[DIRECTIVE_COUNT] = {0x07, 0x0F, 0x0C, 0x0B, 0x1F, 0x3F, 0x07, 0x70, 0xF0};
    for (int i = 0; i < DIRECTIVE_COUNT; ++i) *DirectiveField(&scheme, i) = directives[i];
    ColorScheme **tail = &g_schemes;
    for (int n = 0; n < SCHEME_COUNT; ++n) {
        for (int i = 0; i < 16; ++i) {
            scheme.palette[i] = static_cast<DWORD>((n * 7 + i * 16) & 0xFF) * 0x010101u ^ static_cast<DWORD>(n);
        }
        scheme.dark = n % 2;
        std::string name = "Imported scheme " + std::to_string(n);
        std::u16string wide(name.begin(), name.end());
        const char16_t *colorDir =
            u"dirs:12;com exe:bright green;bat btm cmd:2;txt doc html:bright cyan on black;ini cfg:14;log:white;";
        if (AddScheme(&scheme, wide.c_str(), colorDir, tail)) tail = &(*tail)->next;
    }
}

void BM_ReadabilityOfEveryScheme(benchmark::State &state) {
    sim::Reset();
    HostCtlReset();
    HostCtlCapture(1);
    ResetPluginState();
    FreeSchemeList();
    BuildList();
    int result = 0;
    for (auto _ : state) {
        result = vivanta(u"/C");
        state.PauseTiming();
        HostCtlClearOutput();
        state.ResumeTiming();
    }
    if (result != 0) state.SkipWithError("/C failed");
    FreeSchemeList();
    state.counters["schemes"] = SCHEME_COUNT;
}
BENCHMARK(BM_ReadabilityOfEveryScheme)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
