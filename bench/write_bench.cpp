// Writing the scheme in effect with /W: into a scheme file of 300 sections
// as users collect them (the whole file copied with the section replaced),
// and into each of the other tools' formats, whose existing file of one
// scheme is read first to see that nothing else would be lost. Writing any
// format may cost at most what writing our own section does.
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

#include "bench_support.h"
#include "palette/palette.h"

namespace {

constexpr int COLLECTED_SECTIONS = 300;

// range(0): 0 our own scheme file, 1 .json, 2 .itermcolors, 3 .yaml.
void BM_WriteScheme(benchmark::State &state) {
    const char *files[] = {"collected.ini", "Evening.json", "Evening.itermcolors", "Evening.yaml"};
    int format = static_cast<int>(state.range(0));
    ResetBenchWorld();
    StartBenchPlugin();
    std::string path = ScratchDirectory() + "/" + files[format];
    if (format == 0) {
        std::string content;
        for (int n = 0; n < COLLECTED_SECTIONS; ++n) content += CollectedSection(n, "Collected " + std::to_string(n));
        std::ofstream(path, std::ios::binary) << content;
    }
    std::u16string command = u"/Q /W:\"" + std::u16string(path.begin(), path.end()) + u"\"::Evening";
    if (ApplyScheme(g_schemes, nullptr) != APPLY_DONE) state.SkipWithError("no scheme applied");
    // Every format then replaces a file of its own kind that holds the section.
    if (vivanta(command.c_str()) != 0) state.SkipWithError("the first write failed");
    for (auto _ : state) {
        if (vivanta(command.c_str()) != 0) state.SkipWithError("a write failed");
    }
    std::ifstream written(path, std::ios::binary | std::ios::ate);
    state.counters["file_KB"] = static_cast<double>(written.tellg()) / 1e3;
    ShutdownPlugin();
}
BENCHMARK(BM_WriteScheme)->ArgName("format")->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
