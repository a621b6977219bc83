// Feeds arbitrary bytes to the scheme file reader as a file, merged into a
// small list and then replacing it. Every scheme the list holds afterwards
// must keep the list's invariants (a name of 1 to 39 characters, nine valid
// attributes, palette entries within 24 bits, the dark flag agreeing with
// the background), and every read must give back all it took.
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <string>

#include "base/base.h"
#include "schemes/schemes.h"
#include "sim.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

bool IsValidAttribute(WORD value) {
    return value < 256 && (value & 0x0F) != (value >> 4);
}

void CheckList() {
    for (const ColorScheme *s = g_schemes; s; s = s->next) {
        size_t length = StrLen(s->name);
        Check(length >= 1 && length <= 39);
        const WORD directives[9] = {s->StdColors,    s->InputColors,         s->ErrorColors,
                                    s->ListColors,   s->ListStatBarColors,   s->ListInverseColors,
                                    s->SelectColors, s->SelectStatBarColors, s->SelectedColors};
        for (WORD value : directives) Check(IsValidAttribute(value));
        for (DWORD entry : s->palette) Check(entry <= 0xFFFFFF);
        Check(s->dark == IsDarkScheme(s));
        Check(StrLen(s->ColorDir) < SETTING_TEXT_SIZE);
    }
}

// Two schemes the file may name again.
void SeedList() {
    ColorScheme scheme;
    memset(&scheme, 0, sizeof scheme);
    scheme.StdColors = scheme.ListColors = scheme.SelectColors = 0x1F;
    scheme.InputColors = 0x1E;
    scheme.ErrorColors = 0x1C;
    scheme.ListStatBarColors = scheme.ListInverseColors = scheme.SelectStatBarColors = scheme.SelectedColors = 0xF1;
    scheme.dark = 1;
    AddScheme(&scheme, u"Night", u"dirs:12;", &g_schemes);
    AddScheme(&scheme, u"Day", u"", &g_schemes);
}

std::string FilePath() {
    static std::string path;
    if (path.empty()) path = "/tmp/scheme_file_fuzz_" + std::to_string(getpid()) + ".ini";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string path = FilePath();
    FILE *file = fopen(path.c_str(), "wb");
    if (!file) return 0;
    fwrite(data, 1, size, file);
    fclose(file);
    std::u16string name(path.begin(), path.end());

    long live = MemLiveCount();
    SeedList();
    int merged = ReadSchemeFile(name.c_str(), true);
    Check(merged >= 0);
    CheckList();
    int replaced = ReadSchemeFile(name.c_str(), false);
    Check(replaced == merged);
    CheckList();
    int listed = 0;
    for (const ColorScheme *s = g_schemes; s; s = s->next) ++listed;
    Check(replaced == 0 ? listed >= 1 : listed == replaced);
    FreeSchemeList();
    Check(MemLiveCount() == live);
    Check(sim::OpenHandleCount() == 0 && sim::MappedViewCount() == 0);
    remove(path.c_str());
    return 0;
}
