// /W into other tools' formats, chosen by the file's extension: what each
// writes for a built-in scheme, that /F reads every scheme back to the same
// colours, and that a file holding more than one scheme is never replaced.
// /E: the loaded schemes into one file of ours in one pass, or into a
// terminal's array of schemes, and what it refuses.
#include <stdio.h>
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "command/command.h"
#include "palette/palette.h"
#include "support/scheme_file_fixture.h"

namespace {

class CommandExportTest : public SchemeFileTest {
  protected:
    void SetUp() override {
        SchemeFileTest::SetUp();
        Start();
        SeedBuiltInSchemes();
    }
    int Run(const std::u16string &arguments) {
        HostCtlClearOutput();
        return vivanta(arguments.c_str());
    }
    static std::u16string Q(const std::u16string &path) { return u"\"" + path + u"\""; }
    static std::vector<ColorScheme> Loaded() {
        std::vector<ColorScheme> schemes;
        for (const ColorScheme *s = g_schemes; s; s = s->next) schemes.push_back(*s);
        for (ColorScheme &s : schemes) s.next = nullptr;
        return schemes;
    }
};

// The iTerm2 property list and the Gogh scheme, byte for byte as a file of
// that tool's own collection would hold them (the expected files sit with
// the import fixtures, so /F reads them as any user's files).
TEST_F(CommandExportTest, ItermcolorsAndYamlFilesAreAsTheToolsWriteThem) {
    ASSERT_EQ(Run(u"/Q \"Marianas Trench\""), 0);
    for (const char *file : {"Marianas Trench.itermcolors", "Marianas Trench.yml"}) {
        std::string written = std::string("Deep") + strchr(file, '.');
        EXPECT_EQ(Run(u"/Q /W:" + Q(Path(written))), 0) << file;
        std::ifstream golden(std::string(VIVANTA_SOURCE_DIR) + "/tests/e2e/import/" + file, std::ios::binary);
        std::string expected((std::istreambuf_iterator<char>(golden)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(expected.empty()) << file;
        EXPECT_EQ(Contents(written), expected) << file;
    }
    // A name YAML would read otherwise as it stands comes back whole.
    const std::u16string name = u"Say 'hi': #1\\x\u2028\u0080";
    EXPECT_EQ(Run(u"/Q /W:" + Q(Path("named.yaml")) + u"::" + Q(name)), 0) << Narrow(Err());
    ASSERT_EQ(Run(u"/Q /F:" + Q(Path("named.yaml"))), 0) << Narrow(Err());
    EXPECT_EQ(ListedNames(), name);
}

// The Windows Terminal object, as a terminal's settings list its schemes.
TEST_F(CommandExportTest, AJsonFileIsOneTerminalScheme) {
    ASSERT_EQ(Run(u"/Q \"Marianas Trench\""), 0);
    EXPECT_EQ(Run(u"/W:" + Q(Path("Deep.JSON")) + u"::Deep\\Trench"), 0);
    EXPECT_EQ(Contents("Deep.JSON"),
              "{\r\n"
              "    \"name\": \"Deep\\\\Trench\",\r\n"
              "    \"background\": \"#000030\",\r\n"
              "    \"foreground\": \"#0090A0\",\r\n"
              "    \"cursorColor\": \"#0090A0\",\r\n"
              "    \"selectionBackground\": \"#B0B8C8\",\r\n"
              "    \"black\": \"#000030\",\r\n"
              "    \"red\": \"#900000\",\r\n"
              "    \"green\": \"#009000\",\r\n"
              "    \"yellow\": \"#806000\",\r\n"
              "    \"blue\": \"#0000A0\",\r\n"
              "    \"purple\": \"#9000A0\",\r\n"
              "    \"cyan\": \"#0090A0\",\r\n"
              "    \"white\": \"#B0B8C8\",\r\n"
              "    \"brightBlack\": \"#606060\",\r\n"
              "    \"brightRed\": \"#FF4040\",\r\n"
              "    \"brightGreen\": \"#40FF40\",\r\n"
              "    \"brightYellow\": \"#FFFF40\",\r\n"
              "    \"brightBlue\": \"#4040FF\",\r\n"
              "    \"brightPurple\": \"#40FFFF\",\r\n"
              "    \"brightCyan\": \"#40FFFF\",\r\n"
              "    \"brightWhite\": \"#F0F8FF\"\r\n"
              "}\r\n");
    EXPECT_EQ(Narrow(Out()), "Wrote current scheme to [Deep\\Trench] in \"" + dir_ + "/Deep.JSON\".\r\n");
}

// Written, read back with /F: the same sixteen colours, background and text.
TEST_F(CommandExportTest, EverySchemeComesBackFromEachFormat) {
    std::vector<ColorScheme> schemes = Loaded();
    std::mt19937 random(20260611);
    for (int n = 0; n < 40; ++n) {
        ColorScheme scheme = schemes[0];
        for (DWORD &color : scheme.palette) color = random() & 0xFFFFFF;
        int background = static_cast<int>(random() % 16), text = static_cast<int>(random() % 15);
        scheme.StdColors = static_cast<WORD>(background << 4 | (text >= background ? text + 1 : text));
        schemes.push_back(scheme);
    }
    for (const char *file : {"round trip.json", "Trip.itermcolors", "round trip.YAML"}) {
        for (const ColorScheme &scheme : schemes) {
            ASSERT_EQ(ApplyScheme(&scheme, nullptr), APPLY_DONE);
            ASSERT_EQ(Run(u"/Q /W:" + Q(Path(file)) + u"::Trip"), 0) << Narrow(Err());
            ASSERT_EQ(Run(u"/Q /F:" + Q(Path(file))), 0) << Narrow(Err());
            ASSERT_EQ(ListedNames(), u"Trip");
            for (int i = 0; i < 16; ++i) EXPECT_EQ(g_schemes->palette[i], scheme.palette[i]) << file << " " << i;
            for (int shift : {0, 4}) {
                EXPECT_EQ(g_schemes->palette[(g_schemes->StdColors >> shift) & 15],
                          scheme.palette[(scheme.StdColors >> shift) & 15])
                    << file << " " << shift;
            }
        }
    }
}

// A terminal's settings, a list of schemes or text of another kind would
// lose everything but one scheme: refused, the file as it was.
TEST_F(CommandExportTest, OnlyAFileOfOneSchemeIsReplaced) {
    std::string one = "{\"name\": \"A\", \"background\": \"#000000\", \"foreground\": \"#ffffff\"";
    for (const char *key :
         {"black", "red", "green", "yellow", "blue", "purple", "cyan", "white", "brightBlack", "brightRed",
          "brightGreen", "brightYellow", "brightBlue", "brightPurple", "brightCyan", "brightWhite"}) {
        one += std::string(", \"") + key + "\": \"#123456\"";
    }
    one += "}";
    std::string gogh = "name: 'A'\nbackground: '#000000'\nforeground: '#ffffff'\n", base16 = "scheme: 'B'\n";
    for (int i = 0; i < 16; ++i) {
        char line[32];
        snprintf(line, sizeof line, "color_%02d: '#123456'\n", i + 1);
        gogh += line;
        snprintf(line, sizeof line, "base0%X: '123456'\n", i);
        base16 += line;
    }
    struct Case {
        const char *file;
        std::string text;
        const char16_t *format;
    } cases[] = {
        {"settings.json", "{\"profiles\": {}, \"schemes\": [" + one + "]}", u"Windows Terminal scheme"},
        {"array.json", "[" + one + "]", u"Windows Terminal scheme"},
        {"notes.json", "not json at all", u"Windows Terminal scheme"},
        {"base16.yaml", base16, u"Gogh scheme"},
        {"two.yml", "---\n" + gogh + "---\n" + gogh, u"Gogh scheme"},
        {"config.yaml", "editor: vim\ncolors: [red, blue]\n", u"Gogh scheme"},
    };
    for (const Case &c : cases) {
        std::u16string path = MakeFile(c.file, c.text);
        EXPECT_EQ(Run(u"/W:" + Q(path) + u"::Mine"), 2) << c.file;
        EXPECT_EQ(Err(), u"Vivanta plugin: Won\u2019t replace \"" + Widen16(dir_ + "/" + c.file) +
                             u"\": it holds something other than one " + c.format + u"\r\n");
        EXPECT_EQ(Contents(c.file), c.text);
    }
    for (const auto &[file, text] : {std::pair{"one.json", one}, std::pair{"one.yml", gogh}}) {
        MakeFile(file, text);
        EXPECT_EQ(Run(u"/Q /W:" + Q(Path(file)) + u"::Mine"), 0) << file;
        EXPECT_NE(Contents(file), text);
    }
    EXPECT_EQ(Entries(dir_).size(), 8u);
}

// /E's section of a scheme is /W's, byte for byte, under the header of the
// section it takes the place of; a later section of that name goes, a
// section named only with accents folded is taken when no header names the
// scheme as it is spelled, and the schemes no section names follow in list
// order.
TEST_F(CommandExportTest, EachSectionIsReplacedWhereItStandsInOnePass) {
    auto section = [&](const std::u16string &scheme, const std::string &header) {
        EXPECT_EQ(Run(u"/Q " + scheme), 0);
        EXPECT_EQ(Run(u"/Q /W:" + Q(Path("one.ini")) + u"::" + Q(Widen16(header))), 0);
        std::string text = Contents("one.ini").substr(3);
        remove((dir_ + "/one.ini").c_str());
        return text;
    };
    const std::string expected = "\xEF\xBB\xBF; mine\r\n" + section(u"ice*", "ICE PALACE") + "[Other]\r\nkeep=1\r\n" +
                                 section(u"cr*me*", "Creme Brulee") + "\r\n" + section(u"mar*", "Marianas Trench") +
                                 section(u"forest*", "Forest Primeval");
    MakeFile("mine.ini",
             "; mine\r\n[ICE PALACE]\r\nold=1\r\n[Other]\r\nkeep=1\r\n[Creme Brulee]\r\nold=2\r\n"
             "[Ice Palace]\r\nold=3\r\n");
    EXPECT_EQ(Run(u"/E:" + Q(Path("mine.ini"))), 0);
    EXPECT_EQ(Contents("mine.ini"), expected);
    EXPECT_EQ(Narrow(Out()), "Wrote 4 schemes to \"" + dir_ + "/mine.ini\".\r\n");
    EXPECT_EQ(Entries(dir_), std::vector<std::string>{"mine.ini"});
}

// One name twice in the list (a built-in scheme beside a file's of its
// name) is written once, as the reader would give it back, and counted
// twice; a name the
// reader would not find is left out with /W's message, the rest written;
// a pattern that matches nothing writes nothing.
TEST_F(CommandExportTest, RepeatedAndUnreadableNamesAndNothingMatching) {
    ColorScheme scheme = Loaded()[1];
    ASSERT_TRUE(AddScheme(&scheme, u"Ice Palace", u"", &g_schemes));
    ASSERT_TRUE(AddScheme(&scheme, u"Ice [Blue]", u"", &g_schemes));
    EXPECT_EQ(Run(u"/E:" + Q(Path("out.ini")) + u"::ice*"), 2);
    EXPECT_EQ(Narrow(Err()), "Vivanta plugin: Bad characters in scheme name: \"Ice [Blue]\"\r\n");
    EXPECT_EQ(Narrow(Out()), "Wrote 2 schemes to \"" + dir_ + "/out.ini\".\r\n");
    EXPECT_EQ(Run(u"/Q /F:" + Q(Path("out.ini"))), 0);
    EXPECT_EQ(ListedNames(), u"Ice Palace");
    EXPECT_EQ(g_schemes->palette[15], Loaded()[0].palette[15]);

    const std::string before = Contents("out.ini");
    EXPECT_EQ(Run(u"/E:" + Q(Path("out.ini")) + u"::nosuch*"), 2);
    EXPECT_EQ(Narrow(Err()), "Vivanta plugin: Color scheme not found: \"nosuch*\"\r\n");
    EXPECT_EQ(Contents("out.ini"), before);
    EXPECT_EQ(Run(u"/E:" + Q(Path("new.ini")) + u"::nosuch*"), 2);
    EXPECT_EQ(Entries(dir_), std::vector<std::string>{"out.ini"});
}

// A .json file is one array of the objects /W writes, indented inside it;
// it replaces an array of terminal schemes and nothing else.
TEST_F(CommandExportTest, AJsonFileIsOneArrayOfTerminalSchemes) {
    ASSERT_EQ(Run(u"/Q ice*"), 0);
    ASSERT_EQ(Run(u"/Q /W:" + Q(Path("ice.json")) + u"::\"Ice Palace\""), 0);
    ASSERT_EQ(Run(u"/Q mar*"), 0);
    ASSERT_EQ(Run(u"/Q /W:" + Q(Path("deep.json")) + u"::\"Marianas Trench\""), 0);
    auto indented = [&](const std::string &file) {
        std::string text = Contents(file), out;
        for (size_t at = 0; at < text.size();) {
            size_t end = text.find("\r\n", at) + 2;
            out += "    " + text.substr(at, end - at);
            at = end;
        }
        return out;
    };
    std::string array = "[\r\n" + indented("deep.json");
    array.insert(array.size() - 2, ",");
    array += indented("ice.json") + "]\r\n";

    std::string one = Contents("ice.json");
    const std::string gogh = "[{\"name\": \"G\", \"color_01\": \"#000000\"}]";
    MakeFile("settings.json", "{\"profiles\": {}, \"schemes\": []}");
    MakeFile("gogh.json", gogh);
    for (const char *file : {"settings.json", "ice.json", "gogh.json"}) {
        std::string text = Contents(file);
        EXPECT_EQ(Run(u"/E:" + Q(Path(file))), 2) << file;
        EXPECT_EQ(Err(), u"Vivanta plugin: Won\u2019t replace \"" + Widen16(dir_ + "/" + file) +
                             u"\": it holds something other than an array of Windows Terminal schemes\r\n");
        EXPECT_EQ(Contents(file), text);
    }
    MakeFile("list.json", "[]");
    EXPECT_EQ(Run(u"/Q /E:" + Q(Path("list.json")) + u"::[mi]*"), 0);
    EXPECT_EQ(Contents("list.json"), array);
    EXPECT_EQ(Run(u"/Q /F:" + Q(Path("list.json"))), 0);
    EXPECT_EQ(ListedNames(), u"Marianas Trench,Ice Palace");

    // Replaced as /W replaces: never a read-only file. A format of one
    // scheme takes no list.
    ASSERT_EQ(chmod((dir_ + "/list.json").c_str(), 0444), 0);
    EXPECT_EQ(Run(u"/E:" + Q(Path("list.json"))), 2);
    EXPECT_NE(Narrow(Err()).find("Access is denied."), std::string::npos);
    EXPECT_EQ(Contents("list.json"), array);
    EXPECT_EQ(Run(u"/E:" + Q(Path("x.itermcolors"))), 1);
    EXPECT_EQ(Err(), u"Vivanta plugin: Won\u2019t write a list of schemes to \"" + Widen16(dir_) +
                         u"/x.itermcolors\": it takes one iTerm2 color scheme (/W writes one)\r\n");
}

}  // namespace
