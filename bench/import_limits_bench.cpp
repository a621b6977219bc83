// The worst file of each of other tools' formats at the size limit: a real
// scheme padded, up to exactly 16 MiB (and 4 MiB, to show the time grows in
// proportion: both well past the processor's caches), with what costs its
// reader the most: short YAML lines, YAML
// anchors, tiny XML elements, tiny JSON values, short INI lines. Each is
// read through /F as a user's file is (our own format tried first), and
// must stay within 20 times its size and 16 MiB of memory.
//
// Memory is the most the heap held at once during the read, counted by
// this program's own malloc, free, calloc, realloc and memalign, which stand
// in for the C library's: libyaml allocates with malloc itself, so only the
// allocator sees every byte (ours, pugixml's through our allocator, and
// libyaml's alike). Each block counts at its usable size, as the allocator
// holds it. The file's mapping is not heap and is left out.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <stdio.h>
#include <stdlib.h>

#include <fstream>
#include <string>

#include "bench_support.h"
#include "import/import.h"
#include "sim.h"

// ---- the counting allocator ----

extern "C" {
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *block, size_t size);
void *__libc_memalign(size_t alignment, size_t size);
void __libc_free(void *block);
}

namespace {

size_t g_live = 0;
size_t g_peak = 0;

void *Counted(void *block) {
    if (block) {
        g_live += malloc_usable_size(block);
        if (g_live > g_peak) g_peak = g_live;
    }
    return block;
}

void Uncount(void *block) {
    if (block) g_live -= malloc_usable_size(block);
}

}  // namespace

extern "C" {
void *malloc(size_t size) {
    return Counted(__libc_malloc(size));
}
void *calloc(size_t count, size_t size) {
    return Counted(__libc_calloc(count, size));
}
void *realloc(void *block, size_t size) {
    Uncount(block);
    void *moved = __libc_realloc(block, size);
    // A failed realloc leaves the old block where it was.
    return Counted(moved || size == 0 ? moved : block);
}
void free(void *block) {
    Uncount(block);
    __libc_free(block);
}
void *memalign(size_t alignment, size_t size) {
    return Counted(__libc_memalign(alignment, size));
}
void *aligned_alloc(size_t alignment, size_t size) {
    return Counted(__libc_memalign(alignment, size));
}
int posix_memalign(void **block, size_t alignment, size_t size) {
    *block = Counted(__libc_memalign(alignment, size));
    return *block ? 0 : ENOMEM;
}
}

namespace {

// ---- the files ----

std::string Hex(int i) {
    char text[8];
    snprintf(text, sizeof text, "%02x%02x%02x", i * 14, 0x40, 0xF0 - i);
    return text;
}

// `head`, `unit` repeated and `tail`, exactly `size` bytes: the last unit
// is cut, or filled out with `filler`.
std::string Padded(const std::string &head, const std::string &unit, const std::string &tail, size_t size,
                   char filler) {
    std::string text = head;
    while (text.size() + unit.size() + tail.size() <= size) text += unit;
    text.append(size - text.size() - tail.size(), filler);
    return text + tail;
}

enum Format { YAML_LINES, YAML_ANCHORS, PROPERTY_LIST, JSON_VALUES, COLORTOOL_LINES, FORMAT_COUNT };
const char *const FORMAT_NAMES[FORMAT_COUNT] = {"yaml_lines", "yaml_anchors", "plist", "json", "colortool"};
const char *const EXTENSIONS[FORMAT_COUNT] = {".yaml", ".yaml", ".itermcolors", ".json", ".ini"};

std::string Base16() {
    std::string text = "scheme: \"Padded\"\n";
    for (int i = 0; i < 16; ++i) text += "base0" + std::string(1, "0123456789ABCDEF"[i]) + ": \"" + Hex(i) + "\"\n";
    return text;
}

// Unique anchor names, as short as they can be, on lines of their own.
std::string Anchors(size_t size) {
    std::string text = Base16() + "pad:\n";
    for (size_t n = 0; text.size() + 16 < size; ++n) text += "- &a" + std::to_string(n) + " v\n";
    return text + std::string(size - text.size(), '#');
}

std::string PropertyList(size_t size) {
    std::string head = "<plist version=\"1.0\"><dict>";
    const char *extra[] = {"Background Color", "Foreground Color"};
    for (int i = 0; i < 18; ++i) {
        std::string key = i < 16 ? "Ansi " + std::to_string(i) + " Color" : extra[i - 16];
        head += "<key>" + key + "</key><dict><key>Red Component</key><real>0." + std::to_string(i + 10) +
                "</real><key>Green Component</key><real>0.5</real><key>Blue Component</key><real>0.25</real></dict>";
    }
    return Padded(head + "<key>Pad</key><array>", "x<b/>", "</array></dict></plist>", size, ' ');
}

std::string Json(size_t size) {
    const char *keys[] = {"black",      "red",          "green",       "yellow",      "blue",        "purple",
                          "cyan",       "white",        "brightBlack", "brightRed",   "brightGreen", "brightYellow",
                          "brightBlue", "brightPurple", "brightCyan",  "brightWhite", "background",  "foreground"};
    std::string head = "{\"name\": \"Padded\"";
    for (int i = 0; i < 18; ++i) head += std::string(", \"") + keys[i] + "\": \"#" + Hex(i) + "\"";
    return Padded(head + ", \"pad\": [0", ",0", "]}", size, ' ');
}

std::string ColorTool(size_t size) {
    const char *keys[] = {"DARK_BLACK",   "DARK_BLUE",      "DARK_GREEN",    "DARK_CYAN",
                          "DARK_RED",     "DARK_MAGENTA",   "DARK_YELLOW",   "DARK_WHITE",
                          "BRIGHT_BLACK", "BRIGHT_BLUE",    "BRIGHT_GREEN",  "BRIGHT_CYAN",
                          "BRIGHT_RED",   "BRIGHT_MAGENTA", "BRIGHT_YELLOW", "BRIGHT_WHITE"};
    std::string head = "[table]\n";
    for (int i = 0; i < 16; ++i) head += std::string(keys[i]) + " = " + std::to_string(i * 16) + ",64,128\n";
    return Padded(head + "[pad]\n", "a=\n", "", size, '\n');
}

std::string Contents(Format format, size_t size) {
    switch (format) {
        case YAML_LINES:
            return Padded(Base16(), "k: v\n", "", size, '\n');
        case YAML_ANCHORS:
            return Anchors(size);
        case PROPERTY_LIST:
            return PropertyList(size);
        case JSON_VALUES:
            return Json(size);
        default:
            return ColorTool(size);
    }
}

std::u16string File(Format format, size_t size) {
    std::string name =
        ScratchDirectory() + "/" + FORMAT_NAMES[format] + "_" + std::to_string(size >> 20) + EXTENSIONS[format];
    std::ifstream existing(name);
    if (!existing) std::ofstream(name, std::ios::binary) << Contents(format, size);
    return std::u16string(name.begin(), name.end());
}

// ---- the reads ----

void BM_ReadWorstFile(benchmark::State &state) {
    auto format = static_cast<Format>(state.range(0));
    size_t size = static_cast<size_t>(state.range(1)) << 20;
    sim::Reset();
    std::u16string file = File(format, size);
    size_t peak = 0;
    SchemeSourcesResult result = SOURCES_NOT_READ;
    for (auto _ : state) {
        state.PauseTiming();
        FreeSchemeList();
        SeedBuiltInSchemes();
        size_t before = g_live;
        g_peak = g_live;
        state.ResumeTiming();
        result = ReadSchemeSources(file.c_str(), true, true);
        state.PauseTiming();
        if (g_peak - before > peak) peak = g_peak - before;
        state.ResumeTiming();
    }
    int listed = 0;
    for (const ColorScheme *s = g_schemes; s; s = s->next) ++listed;
    if (result != SOURCES_READ || listed != 5) state.SkipWithError("the file's scheme was not read");
    FreeSchemeList();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
    state.SetLabel(FORMAT_NAMES[format]);
    state.counters["peak_MiB"] = static_cast<double>(peak) / (1 << 20);
    state.counters["peak_per_file_byte"] = static_cast<double>(peak) / static_cast<double>(size);
    state.counters["limit_MiB"] = 20.0 * static_cast<double>(size >> 20) + 16;
}
BENCHMARK(BM_ReadWorstFile)
    ->ArgNames({"format", "MiB"})
    ->ArgsProduct({{YAML_LINES, YAML_ANCHORS, PROPERTY_LIST, JSON_VALUES, COLORTOOL_LINES}, {4, 16}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
