// Scheme file tests: a started plugin, a directory of their own for the
// files they read and write, section text made to measure, and the check
// that a failed write left nothing behind.
#pragma once

#include <stdio.h>

#include <string>
#include <vector>

#include "schemes/schemes.h"
#include "support/palette_fixture.h"
#include "support/test_directory.h"

class SchemeFileTest : public PaletteTest, protected TestDirectory {
  protected:
    void SetUp() override {
        PaletteTest::SetUp();
        CreateTestDirectory("vivanta_schemes");
    }
    void TearDown() override {
        RemoveTestDirectory();
        PaletteTest::TearDown();
    }

    // A section with the three required directives and palette entries
    // #0000NN (NN the index, except the background of StdColors, which
    // is `background`), then `extra` lines.
    static std::string Section(const std::string &name, const std::string &extra = "",
                               const std::string &std = "Bright White on Blue",
                               const std::string &background = "#000080") {
        std::string text = "[" + name + "]\r\nStdColors=" + std +
                           "\r\nInputColors=Yellow on Blue\r\n"
                           "ErrorColors=Bright Red on Blue\r\n";
        for (int i = 0; i < 16; ++i) {
            char line[32];
            snprintf(line, sizeof line, "Color %d=#0000%02x\r\n", i, i);
            text += i == 1 ? "Color 1=" + background + "\r\n" : std::string(line);
        }
        return text + extra;
    }

    // The scheme names of the list, in order, joined by ",".
    static std::u16string ListedNames() {
        std::u16string names;
        for (const ColorScheme *s = g_schemes; s; s = s->next) {
            names += (names.empty() ? u"" : u",") + std::u16string(s->name);
        }
        return names;
    }
};

inline std::u16string Widen16(const std::string &ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}
