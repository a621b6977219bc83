// Reading folders of other tools' scheme files: 600 .itermcolors files of
// about 10 KB, the same colours as binary property lists, and 600 terminal
// JSON files, merged into the list, each folder under 150 ms; 6,000 files may
// take at most 12 times as long as 600.
#include <benchmark/benchmark.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "import/import.h"
#include "sim.h"

namespace {

// A colour as a property list writes it, components as fractions.
std::string PropertyListColor(const std::string &key, int n, int i) {
    char text[512];
    snprintf(text, sizeof text,
             "\t<key>%s</key>\n\t<dict>\n\t\t<key>Alpha Component</key>\n\t\t<real>1</real>\n"
             "\t\t<key>Blue Component</key>\n\t\t<real>%.17f</real>\n\t\t<key>Color Space</key>\n"
             "\t\t<string>sRGB</string>\n\t\t<key>Green Component</key>\n\t\t<real>%.17f</real>\n"
             "\t\t<key>Red Component</key>\n\t\t<real>%.17f</real>\n\t</dict>\n",
             key.c_str(), (n % 97) / 97.0, i / 23.0, ((n + i) % 89) / 89.0);
    return text;
}

// About 10 KB, as exported: every colour key iTerm2 writes, sorted as text.
std::string PropertyList(int n) {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n<dict>\n";
    const char *extra[] = {"Background Color",    "Badge Color",       "Bold Color",       "Cursor Color",
                           "Cursor Guide Color",  "Cursor Text Color", "Foreground Color", "Link Color",
                           "Selected Text Color", "Selection Color",   "Tab Color",        "Underline Color"};
    for (int i = 0; i < 16; ++i) text += PropertyListColor("Ansi " + std::to_string(i) + " Color", n, i);
    for (int i = 0; i < 12; ++i) text += PropertyListColor(extra[i], n, 16 + i);
    return text + "</dict>\n</plist>\n";
}

// The colours of PropertyList(n) as a binary property list: objects,
// two-byte offsets and references, and the trailer.
std::string BinaryPropertyList(int n) {
    std::vector<std::string> objects(1);
    auto add = [&objects](const std::string &object) {
        objects.push_back(object);
        return static_cast<int>(objects.size() - 1);
    };
    auto marker = [](int type, size_t count) {
        std::string text(1, static_cast<char>(type << 4 | (count < 15 ? count : 15)));
        if (count >= 15) text += {'\x11', static_cast<char>(count >> 8), static_cast<char>(count & 0xFF)};
        return text;
    };
    auto string = [&](const std::string &text) { return add(marker(5, text.size()) + text); };
    auto real = [&](double value) {
        unsigned long long bits;
        memcpy(&bits, &value, sizeof bits);
        std::string text = "\x23";
        for (int shift = 56; shift >= 0; shift -= 8) text += static_cast<char>(bits >> shift & 0xFF);
        return add(text);
    };
    auto ref = [](int index) { return std::string{static_cast<char>(index >> 8), static_cast<char>(index & 0xFF)}; };
    auto dict = [&](const std::vector<int> &keys, const std::vector<int> &values) {
        std::string text = marker(13, keys.size());
        for (int key : keys) text += ref(key);
        for (int value : values) text += ref(value);
        return text;
    };
    const char *extra[] = {"Background Color",    "Badge Color",       "Bold Color",       "Cursor Color",
                           "Cursor Guide Color",  "Cursor Text Color", "Foreground Color", "Link Color",
                           "Selected Text Color", "Selection Color",   "Tab Color",        "Underline Color"};
    std::vector<int> keys, values;
    for (int i = 0; i < 28; ++i) {
        keys.push_back(string(i < 16 ? "Ansi " + std::to_string(i) + " Color" : extra[i - 16]));
        std::vector<int> colorKeys = {string("Alpha Component"), string("Blue Component"), string("Color Space"),
                                      string("Green Component"), string("Red Component")};
        std::vector<int> colorValues = {real(1), real((n % 97) / 97.0), string("sRGB"), real(i / 23.0),
                                        real(((n + i) % 89) / 89.0)};
        values.push_back(add(dict(colorKeys, colorValues)));
    }
    objects[0] = dict(keys, values);
    std::string list = "bplist00", table;
    for (const std::string &object : objects) {
        table += ref(static_cast<int>(list.size()));
        list += object;
    }
    std::string trailer(32, '\0');
    trailer[6] = 2;
    trailer[7] = 2;
    trailer[14] = static_cast<char>(objects.size() >> 8);
    trailer[15] = static_cast<char>(objects.size() & 0xFF);
    trailer[30] = static_cast<char>(list.size() >> 8);
    trailer[31] = static_cast<char>(list.size() & 0xFF);
    return list + table + trailer;
}

std::string TerminalJson(int n) {
    const char *keys[] = {"black",       "red",          "green",      "yellow",       "blue",
                          "purple",      "cyan",         "white",      "brightBlack",  "brightRed",
                          "brightGreen", "brightYellow", "brightBlue", "brightPurple", "brightCyan",
                          "brightWhite", "background",   "foreground", "cursorColor",  "selectionBackground"};
    std::string text = "{\n    \"name\": \"Terminal " + std::to_string(n) + "\"";
    for (int i = 0; i < 20; ++i) {
        char line[64];
        snprintf(line, sizeof line, ",\n    \"%s\": \"#%02X%02X%02X\"", keys[i], (n * 7 + i) & 0xFF, i * 12, n & 0xFF);
        text += line;
    }
    return text + "\n}\n";
}

// The folder of `count` files of `format` (0 property lists, 1 JSON, 2
// binary property lists), made once.
std::u16string Folder(int format, int count, size_t *bytes) {
    const char *kinds[] = {"/itermcolors", "/terminal", "/binary"};
    const char *extensions[] = {".itermcolors", ".json", ".itermcolors"};
    std::string folder = ScratchDirectory() + kinds[format] + std::to_string(count);
    *bytes = 0;
    bool made = system(("test -d " + folder).c_str()) == 0;
    if (!made) (void)!system(("mkdir -p " + folder).c_str());
    for (int n = 0; n < count; ++n) {
        std::string text = format == 0 ? PropertyList(n) : format == 1 ? TerminalJson(n) : BinaryPropertyList(n);
        *bytes += text.size();
        if (made) continue;
        std::string name = folder + "/Scheme " + std::to_string(n) + extensions[format];
        std::ofstream(name, std::ios::binary) << text;
    }
    return std::u16string(folder.begin(), folder.end());
}

void BM_ReadFolder(benchmark::State &state) {
    int format = static_cast<int>(state.range(0));
    int count = static_cast<int>(state.range(1));
    sim::Reset();
    size_t bytes = 0;
    std::u16string folder = Folder(format, count, &bytes);
    SchemeSourcesResult result = SOURCES_NOT_READ;
    for (auto _ : state) {
        state.PauseTiming();
        FreeSchemeList();
        SeedBuiltInSchemes();
        state.ResumeTiming();
        result = ReadSchemeSources(folder.c_str(), true, true);
    }
    int listed = 0;
    for (const ColorScheme *s = g_schemes; s; s = s->next) ++listed;
    if (result != SOURCES_READ || listed != count + 4) state.SkipWithError("not every file was read");
    FreeSchemeList();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
    state.counters["file_KB"] = static_cast<double>(bytes) / count / 1e3;
}
BENCHMARK(BM_ReadFolder)
    ->ArgNames({"format", "files"})
    ->Args({0, 600})
    ->Args({0, 6000})
    ->Args({1, 600})
    ->Args({1, 6000})
    ->Args({2, 600})
    ->Args({2, 6000})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1);

}  // namespace

BENCHMARK_MAIN();
