// Scheme file tests: a started plugin, a directory of their own for the
// files they read and write, section text made to measure, and the check
// that a failed write left nothing behind.
#pragma once

#include <dirent.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "schemes/scheme_file.h"
#include "support/palette_fixture.h"

class SchemeFileTest : public PaletteTest {
  protected:
    void SetUp() override {
        PaletteTest::SetUp();
        char pattern[] = "/tmp/vivanta_schemes_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::string command = "rm -rf " + dir_;
        EXPECT_EQ(system(command.c_str()), 0);
        PaletteTest::TearDown();
    }

    // A file of these bytes in the test's directory; its name in Windows
    // spelling.
    std::u16string MakeFile(const std::string &name, const std::string &bytes) const {
        std::ofstream(dir_ + "/" + name, std::ios::binary) << bytes;
        return Path(name);
    }
    std::u16string Path(const std::string &name) const {
        std::string path = dir_ + "\\" + name;
        return std::u16string(path.begin(), path.end());
    }
    std::string Contents(const std::string &name) const {
        std::ifstream in(dir_ + "/" + name, std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }
    // The names in the test's directory, "." and ".." left out.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        DIR *d = opendir(dir_.c_str());
        while (dirent *e = d ? readdir(d) : nullptr) {
            std::string name = e->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        if (d) closedir(d);
        return names;
    }

    // A section with the three required directives and palette entries
    // #0000NN (NN the index, except the background of StdColors, which
    // is `background`), then `extra` lines.
    static std::string Section(const std::string &name, const std::string &extra = "",
                               const std::string &std = "Bright White on Blue",
                               const std::string &background = "#000080") {
        std::string text = "[" + name + "]\r\nStdColors=" + std + "\r\nInputColors=Yellow on Blue\r\n"
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

    std::string dir_;
};

inline std::u16string Widen16(const std::string &ascii) { return std::u16string(ascii.begin(), ascii.end()); }
