// Reading large scheme files: 10,000 and 100,000 schemes (about 800 bytes
// each, UTF-8) merged into a list of 10,000, half of whose names the file
// also holds, and the same files replacing the list. Appending, the
// same-name check within the file and the merge's look-ups must stay
// linear: 100,000 schemes may take at most 12 times as long as 10,000.
// And a file of 32,768 names made to share one slot under the unseeded
// name hash the index once had, against as many ordinary names of the same
// length: no file may slow the read down, so at most twice the time.
// And /E of 1,000 and 10,000 schemes into a file holding them: one pass.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <string.h>

#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "bench_support.h"
#include "schemes/schemes.h"
#include "sim.h"
#include "support/colliding_names.h"
#include "textio/textio.h"

namespace {

constexpr int LIST_SIZE = 10000;

std::string SchemeName(int n) {
    return "Scheme " + std::to_string(n);
}

// The file of `count` schemes, made once.
std::u16string SchemeFile(int count, size_t *bytes) {
    std::string name = ScratchDirectory() + "/schemes" + std::to_string(count) + ".ini";
    std::ifstream probe(name, std::ios::binary | std::ios::ate);
    if (probe) {
        *bytes = static_cast<size_t>(probe.tellg());
    } else {
        std::string content;
        for (int n = 0; n < count; ++n) content += CollectedSection(n, SchemeName(n));
        std::ofstream(name, std::ios::binary) << content;
        *bytes = content.size();
    }
    return std::u16string(name.begin(), name.end());
}

// The names of a list of 10,000 schemes, the second half of them named as
// the file's first ones.
std::string ListedName(int n) {
    return n < LIST_SIZE / 2 ? "Listed " + std::to_string(n) : SchemeName(n - LIST_SIZE / 2);
}

// `count` schemes named by `name`, appended through a tail link so that
// building the list stays linear.
void BuildList(int count = LIST_SIZE, std::string (*name)(int) = ListedName) {
    ColorScheme scheme;
    memset(&scheme, 0, sizeof scheme);
    scheme.StdColors = 0x1F;
    scheme.InputColors = 0x1E;
    scheme.ErrorColors = 0x1C;
    ColorScheme **tail = &g_schemes;
    for (int n = 0; n < count; ++n) {
        std::string text = name(n);
        std::u16string wide(text.begin(), text.end());
        if (AddScheme(&scheme, wide.c_str(), u"dirs:12;", tail)) tail = &(*tail)->next;
    }
}

void BM_ReadSchemeFile(benchmark::State &state) {
    int count = static_cast<int>(state.range(0));
    bool merge = state.range(1) != 0;
    sim::Reset();
    size_t bytes = 0;
    std::u16string name = SchemeFile(count, &bytes);
    int read = 0;
    for (auto _ : state) {
        state.PauseTiming();
        FreeSchemeList();
        BuildList();
        state.ResumeTiming();
        read = ReadSchemeFile(name.c_str(), merge);
    }
    if (read != count) state.SkipWithError("not every scheme was read");
    int listed = 0;
    for (const ColorScheme *s = g_schemes; s; s = s->next) ++listed;
    FreeSchemeList();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["listed"] = listed;
}
BENCHMARK(BM_ReadSchemeFile)
    ->ArgNames({"schemes", "merge"})
    ->Args({10000, 1})
    ->Args({70000, 1})
    ->Args({10000, 0})
    ->Args({70000, 0})
    ->MinTime(2)
    ->Unit(benchmark::kMillisecond);

// The same files read line by line and nothing more: what the text reader
// costs by itself, for comparison.
void BM_ReadLinesOnly(benchmark::State &state) {
    int count = static_cast<int>(state.range(0));
    sim::Reset();
    size_t bytes = 0;
    std::u16string name = SchemeFile(count, &bytes);
    WCHAR line[LINE_BUFFER_SIZE];
    for (auto _ : state) {
        TextSource source = TextSource();
        if (OpenTextSource(&source, name.c_str()) != 0) state.SkipWithError("open failed");
        while (ReadLine(&source, line, READ_LINE_SKIP_BLANK)) benchmark::DoNotOptimize(line[0]);
        CloseTextSource(&source);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_ReadLinesOnly)->ArgName("schemes")->Arg(10000)->Arg(70000)->MinTime(2)->Unit(benchmark::kMillisecond);

constexpr int COLLIDING_BLOCKS = 15;  // 2^15 = 32,768 names of 30 characters
constexpr int COLLIDING_BITS = 16;    // the old table's slot for 32,768 names: 65,536 entries

std::string Utf8(const std::u16string &text) {
    std::string bytes;
    for (char16_t c : text) {
        if (c < 0x80) {
            bytes += static_cast<char>(c);
        } else if (c < 0x800) {
            bytes += {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
        } else {
            bytes += {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                      static_cast<char>(0x80 | (c & 0x3F))};
        }
    }
    return bytes;
}

// As many names as the colliding set, as long and from the same characters,
// told apart by the digits of their number in base 64.
std::vector<std::u16string> OrdinaryNames(size_t count) {
    std::vector<std::u16string> names;
    for (size_t n = 0; n < count; ++n) {
        std::u16string name(2 * COLLIDING_BLOCKS, u'\u4E2D');
        for (int digit = 0; digit < 3; ++digit)
            name[digit * 7] = static_cast<char16_t>(0x4E00 + ((n >> (6 * digit)) & 63));
        names.push_back(name);
    }
    return names;
}

// The file of these names, made once under `label`.
std::u16string NamesFile(const std::string &label, const std::vector<std::u16string> &names) {
    std::string name = ScratchDirectory() + "/" + label + ".ini";
    if (!std::ifstream(name)) {
        std::string content;
        for (size_t n = 0; n < names.size(); ++n) content += CollectedSection(static_cast<int>(n), Utf8(names[n]));
        std::ofstream(name, std::ios::binary) << content;
    }
    return std::u16string(name.begin(), name.end());
}

// range(0): 1 for the colliding names, 0 for the ordinary ones. The
// counter old_slots shows how many slots the names took under the old hash.
void BM_ReadCollidingNames(benchmark::State &state) {
    bool colliding = state.range(0) != 0;
    sim::Reset();
    std::vector<std::u16string> names = colliding::Names(COLLIDING_BLOCKS, COLLIDING_BITS);
    if (names.empty()) {
        state.SkipWithError("no colliding names");
        return;
    }
    if (!colliding) names = OrdinaryNames(names.size());
    std::set<uint32_t> slots;
    for (const std::u16string &name : names) slots.insert(colliding::UnseededHash(name) & ((1u << COLLIDING_BITS) - 1));
    std::u16string file = NamesFile(colliding ? "colliding" : "ordinary", names);
    int read = 0;
    for (auto _ : state) {
        state.PauseTiming();
        FreeSchemeList();
        state.ResumeTiming();
        read = ReadSchemeFile(file.c_str(), false);
    }
    FreeSchemeList();
    if (read != static_cast<int>(names.size())) state.SkipWithError("not every scheme was read");
    state.counters["names"] = static_cast<double>(names.size());
    state.counters["old_slots"] = static_cast<double>(slots.size());
}
BENCHMARK(BM_ReadCollidingNames)->ArgName("colliding")->Arg(0)->Arg(1)->MinTime(2)->Unit(benchmark::kMillisecond);

// /E of 1,000 and 10,000 loaded schemes into a file that already holds
// them all (after the first run): every section replaced in one pass over
// the file, so ten times the schemes may take at most 12 times as long; a
// rewrite per scheme would take a hundred times.
void BM_ExportSchemes(benchmark::State &state) {
    int count = static_cast<int>(state.range(0));
    ResetBenchWorld();
    StartBenchPlugin();
    FreeSchemeList();
    BuildList(count, SchemeName);
    std::string path = ScratchDirectory() + "/export" + std::to_string(count) + ".ini";
    std::u16string argument = u"\"" + std::u16string(path.begin(), path.end()) + u"\"";
    for (auto _ : state) {
        if (ExportSchemes(argument.c_str(), true, nullptr, nullptr) != SCHEME_WRITE_DONE) {
            state.SkipWithError("the export failed");
        }
    }
    FreeSchemeList();
}
BENCHMARK(BM_ExportSchemes)->ArgName("schemes")->Arg(1000)->Arg(10000)->MinTime(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
