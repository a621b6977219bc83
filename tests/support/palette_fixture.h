// Shared by the palette and command tests: a started plugin on a console
// of known size, and schemes made to measure.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "base/base.h"
#include "palette/palette.h"
#include "schemes/schemes.h"
#include "support/plugin_fixture.h"

class PaletteTest : public PluginTest {
  protected:
    // Starts the plugin under a host whose %_4ver is `version`.
    void Start(const char16_t *version = u"28.01") {
        HostCtlSetVariable(u"_4ver", version);
        StartPlugin();
    }

    // A scheme whose palette entries are base + index and whose directives
    // are given; appended to the scheme list.
    static ColorScheme *AddTestScheme(const char16_t *name, WORD std, WORD input, WORD error,
                                      const char16_t *colorDir = u"dirs:12;", DWORD paletteBase = 0x100000) {
        ColorScheme scheme;
        std::memset(&scheme, 0, sizeof scheme);
        scheme.StdColors = std;
        scheme.InputColors = input;
        scheme.ErrorColors = error;
        scheme.ListColors = 0x1F;
        scheme.ListStatBarColors = 0x2F;
        scheme.ListInverseColors = 0x3F;
        scheme.SelectColors = 0x4F;
        scheme.SelectStatBarColors = 0x5F;
        scheme.SelectedColors = 0x6F;
        scheme.dark = 1;
        for (int i = 0; i < 16; ++i) scheme.palette[i] = paletteBase + static_cast<DWORD>(i);
        if (!AddScheme(&scheme, name, colorDir, &g_schemes)) return nullptr;
        ColorScheme *last = g_schemes;
        while (last->next) last = last->next;
        return last;
    }

    static void FillScreen(WORD attribute) {
        CONSOLE_SCREEN_BUFFER_INFOEX info = sim::ConsoleInfo();
        for (SHORT y = 0; y < info.dwSize.Y; ++y) {
            for (SHORT x = 0; x < info.dwSize.X; ++x) sim::SetCellAttribute(x, y, attribute);
        }
    }

    static std::vector<std::u16string> CommandLines() {
        std::vector<std::u16string> lines;
        std::u16string log = HostCommandLog();
        size_t start = 0;
        for (size_t end; (end = log.find(u'\n', start)) != std::u16string::npos; start = end + 1) {
            lines.push_back(log.substr(start, end - start));
        }
        return lines;
    }
};
