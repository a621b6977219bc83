#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "import/import.h"
#include "support/heap_meter.h"

namespace {

// ANSI order, 0xRRGGBB: a dark scheme whose own black and white are neither
// its background nor its text.
const DWORD DARK_ANSI[16] = {0x1c1c1c, 0xcc3333, 0x33cc33, 0xcccc33, 0x3333cc, 0xcc33cc, 0x33cccc, 0xc0c0c0,
                             0x555555, 0xff5555, 0x55ff55, 0xffff55, 0x5555ff, 0xff55ff, 0x55ffff, 0xffffff};

TerminalScheme Scheme(const DWORD (&ansi)[16], DWORD background, DWORD foreground) {
    TerminalScheme source;
    InitTerminalScheme(&source);
    for (int i = 0; i < 16; ++i) source.ansi[i] = ansi[i];
    source.background = background;
    source.foreground = foreground;
    return source;
}

struct Built {
    WCHAR colorDir[IMPORTED_COLOR_DIR_SIZE];
    SlotPlacement placement;
    ColorScheme scheme;  // last: its ColorDir is unused here
};

Built Build(const TerminalScheme &source) {
    Built built = {};
    BuildTerminalScheme(&source, &built.scheme, built.colorDir, &built.placement);
    return built;
}

// Every directive and ColorDir entry shows its text on another slot than
// its background, and the background and text are the file's colours.
void ExpectReadable(const Built &built, DWORD background, DWORD foreground) {
    const ColorScheme &s = built.scheme;
    for (int i = 0; i < DIRECTIVE_COUNT; ++i) {
        WORD attribute = SchemeDirective(&s, i);
        EXPECT_NE(attribute & 0xF, attribute >> 4) << "directive " << i;
    }
    std::u16string dirs(built.colorDir);
    for (size_t colon = dirs.find(u':'); colon != std::u16string::npos; colon = dirs.find(u':', colon + 1)) {
        int attribute = std::stoi(std::string(dirs.begin() + colon + 1, dirs.begin() + dirs.find(u';', colon)));
        EXPECT_NE(attribute & 0xF, attribute >> 4) << "ColorDir entry at " << colon;
    }
    EXPECT_EQ(s.palette[s.StdColors >> 4], SwapRedAndBlue(background));
    EXPECT_EQ(s.palette[s.StdColors & 0xF], SwapRedAndBlue(foreground));
}

// The directives that mark something out never show plain text's background
// colour; reverse video of plain text only where no slot stands 1.5:1 apart
// from it.
void ExpectMarkedOut(const ColorScheme &s) {
    DWORD background = s.palette[s.StdColors >> 4];
    bool apart = false;
    for (DWORD color : s.palette) apart = apart || ContrastRatio(color, background) >= 1.5;
    const WORD reverse = static_cast<WORD>((s.StdColors & 0xF) << 4 | s.StdColors >> 4);
    for (WORD attribute : {s.SelectedColors, s.ListInverseColors, s.ListStatBarColors, s.SelectStatBarColors}) {
        SCOPED_TRACE(testing::Message() << std::hex << attribute);
        if (apart) {
            EXPECT_NE(s.palette[attribute >> 4], background);
        } else if (s.palette[attribute >> 4] == background) {
            EXPECT_EQ(attribute, reverse);
        }
    }
}

TEST(TerminalSchemeTest, ColoursGoToConsoleSlotsAndTheBackgroundDisplacesBlack) {
    Built built = Build(Scheme(DARK_ANSI, 0x101018, 0xd0d0d0));
    const DWORD *palette = built.scheme.palette;
    // ANSI red (1) is console slot 4, ANSI blue (4) slot 1; bytes 0x00BBGGRR.
    EXPECT_EQ(palette[4], 0x3333ccu);
    EXPECT_EQ(palette[1], 0xcc3333u);
    EXPECT_EQ(palette[3], 0xcccc33u);  // ANSI cyan (6)
    EXPECT_EQ(palette[6], 0x33ccccu);  // ANSI yellow (3)
    EXPECT_EQ(palette[12], 0x5555ffu);
    EXPECT_EQ(palette[9], 0xff5555u);
    // The dark scheme's black and white gave way; nothing else moved.
    EXPECT_EQ(palette[0], 0x181010u);
    EXPECT_EQ(palette[7], 0xd0d0d0u);
    EXPECT_EQ(palette[8], 0x555555u);
    EXPECT_EQ(palette[15], 0xffffffu);
    EXPECT_TRUE(built.placement.backgroundDisplaced);
    EXPECT_TRUE(built.placement.foregroundDisplaced);
    EXPECT_EQ(built.scheme.StdColors, 0x07);
    EXPECT_EQ(built.scheme.InputColors, 0x0F);
    EXPECT_EQ(built.scheme.ErrorColors, 0x0C);
    EXPECT_EQ(built.scheme.ListInverseColors, 0x70);
    EXPECT_EQ(built.scheme.ListStatBarColors, 0x1F);
    EXPECT_EQ(built.scheme.dark, 1u);
    EXPECT_EQ(std::u16string(built.colorDir), u"dirs:12;com exe:10;bat btm cmd:2;txt doc html:11;");
    ExpectReadable(built, 0x101018, 0xd0d0d0);
}

TEST(TerminalSchemeTest, ALightSchemeWhoseColoursAreSlotsDisplacesNothing) {
    DWORD ansi[16];
    for (int i = 0; i < 16; ++i) ansi[i] = DARK_ANSI[i];
    ansi[0] = 0x202020;
    Built built = Build(Scheme(ansi, 0xffffff, 0x202020));
    EXPECT_FALSE(built.placement.backgroundDisplaced);
    EXPECT_FALSE(built.placement.foregroundDisplaced);
    EXPECT_EQ(built.scheme.StdColors, 0xF0);
    EXPECT_EQ(built.scheme.ErrorColors, 0xF4);
    EXPECT_EQ(built.scheme.dark, 0u);
    EXPECT_EQ(std::u16string(built.colorDir), u"dirs:244;com exe:242;bat btm cmd:241;txt doc html:243;");
    for (int slot = 0; slot < 16; ++slot) {
        EXPECT_EQ(built.scheme.palette[slot], SwapRedAndBlue(ansi[ConsoleSlotOfAnsi(slot)]));
    }
}

TEST(TerminalSchemeTest, NoDirectiveEverPutsTextOnItsOwnBackground) {
    // Backgrounds that are the error red or the directory colours, text that
    // is the background's colour, text that only black held, selections
    // nearest the background, console slots named by the file.
    struct Case {
        DWORD background, foreground, selectionBackground, selectionForeground;
        int backgroundSlot, foregroundSlot;
    } cases[] = {
        {0xff5555, 0x1c1c1c, UNSET_COLOR, UNSET_COLOR, NO_SLOT, NO_SLOT},
        {0x55ff55, 0x55ff55, 0x55ff55, 0x55ff55, NO_SLOT, NO_SLOT},
        {0x000000, 0x1c1c1c, 0x000000, UNSET_COLOR, NO_SLOT, NO_SLOT},
        {0xffffff, 0xffffff, 0xfefefe, 0xffffff, NO_SLOT, NO_SLOT},
        {0xcc3333, 0x55ffff, UNSET_COLOR, UNSET_COLOR, NO_SLOT, NO_SLOT},
        {0xc0c0c0, 0x1c1c1c, 0x1c1c1c, 0xc0c0c0, 7, 0},
    };
    for (const Case &c : cases) {
        TerminalScheme source = Scheme(DARK_ANSI, c.background, c.foreground);
        source.selectionBackground = c.selectionBackground;
        source.selectionForeground = c.selectionForeground;
        source.backgroundSlot = c.backgroundSlot;
        source.foregroundSlot = c.foregroundSlot;
        SCOPED_TRACE(testing::Message() << std::hex << c.background << " " << c.foreground);
        Built built = Build(source);
        ExpectReadable(built, c.background, c.foreground);
        if (c.backgroundSlot != NO_SLOT) {
            EXPECT_EQ(built.scheme.StdColors, 0x70);
        }
    }
    std::mt19937 random(20261208);
    for (int round = 0; round < 500; ++round) {
        DWORD ansi[16];
        for (DWORD &color : ansi) color = random() % 4 == 0 ? DARK_ANSI[random() % 16] : random() & 0xFFFFFF;
        DWORD background = random() % 3 == 0 ? ansi[random() % 16] : random() & 0xFFFFFF;
        DWORD foreground = random() % 3 == 0 ? ansi[random() % 16] : random() & 0xFFFFFF;
        TerminalScheme source = Scheme(ansi, background, foreground);
        if (random() % 2) source.selectionBackground = random() % 3 == 0 ? background : random() & 0xFFFFFF;
        if (random() % 2) source.selectionForeground = random() & 0xFFFFFF;
        Built built = Build(source);
        SCOPED_TRACE(round);
        ExpectReadable(built, background, foreground);
        ExpectMarkedOut(built.scheme);
        int moved = 0;
        for (int slot = 0; slot < 16; ++slot)
            moved += built.scheme.palette[slot] != SwapRedAndBlue(ansi[ConsoleSlotOfAnsi(slot)]);
        EXPECT_LE(moved, 2);
    }
}

TEST(TerminalSchemeTest, ComponentsRoundAndDisplayP3BecomesSrgb) {
    EXPECT_EQ(ComponentToByte(0), 0);
    EXPECT_EQ(ComponentToByte(-0.5), 0);
    EXPECT_EQ(ComponentToByte(1.5), 255);
    EXPECT_EQ(ComponentToByte(0.5), 128);    // 127.5 rounds up
    EXPECT_EQ(ComponentToByte(0.996), 254);  // 253.98, not cut to 253
    EXPECT_EQ(ComponentToByte(100.5 / 255), 101);
    EXPECT_EQ(ComponentToByte(std::nan("")), 0);
    // Worked through CIE XYZ with the published P3 and sRGB matrices.
    double colour[3] = {0.8, 0.4, 0.2};
    DisplayP3ToSrgb(colour);
    EXPECT_EQ(ComponentToByte(colour[0]), 219);
    EXPECT_EQ(ComponentToByte(colour[1]), 94);
    EXPECT_EQ(ComponentToByte(colour[2]), 31);
    double outside[3] = {0.2, 0.6, 0.9};  // red below sRGB's gamut
    DisplayP3ToSrgb(outside);
    EXPECT_EQ(ComponentToByte(outside[0]), 0);
    EXPECT_EQ(ComponentToByte(outside[1]), 156);
    EXPECT_EQ(ComponentToByte(outside[2]), 236);
}

// What a reader handed on, in order.
struct Taken {
    std::vector<std::u16string> names;
    std::vector<TerminalScheme> schemes;
    bool refuse = false;
};

bool Take(void *context, const TerminalScheme *scheme, LPCWSTR name) {
    Taken *taken = static_cast<Taken *>(context);
    if (taken->refuse) return false;
    taken->names.push_back(name);
    taken->schemes.push_back(*scheme);
    return true;
}

using Reader = ImportResult (*)(const char *, size_t, LPCWSTR, const SchemeSink *, LPWSTR);

// What `reader` makes of `text`, as read from a file named `fileName`.
ImportResult ReadWith(Reader reader, LPCWSTR fileName, const std::string &text, Taken *taken, std::u16string *error) {
    SchemeSink sink = {Take, taken};
    WCHAR message[IMPORT_ERROR_SIZE] = {0};
    ImportResult result = reader(text.data(), text.size(), fileName, &sink, message);
    if (error) *error = message;
    return result;
}

// A refusal: what a reader must answer for `text`, and the reason it gives.
struct Refusal {
    std::string text;
    ImportResult result;
    std::u16string error;
};

void ExpectRefusals(Reader reader, LPCWSTR fileName, const std::vector<Refusal> &refusals) {
    for (const Refusal &r : refusals) {
        Taken taken;
        std::u16string error;
        EXPECT_EQ(ReadWith(reader, fileName, r.text, &taken, &error), r.result) << r.text.substr(0, 80);
        EXPECT_EQ(error, r.error) << r.text.substr(0, 80);
        if (r.result != IMPORT_DONE) {
            EXPECT_TRUE(taken.names.empty());
        }
    }
}

ImportResult ReadJson(const std::string &text, Taken *taken, std::u16string *error = nullptr) {
    return ReadWith(ReadJsonSchemes, u"file", text, taken, error);
}

// A Windows Terminal scheme in console-slot key names, values distinct per
// slot: slot s holds #0s0s0s... as "#rgb" for even slots.
std::string TerminalObject(const std::string &name, const std::string &extra = "") {
    const char *keys[16] = {"black",     "blue",         "green",        "cyan",       "red",         "purple",
                            "yellow",    "white",        "brightBlack",  "brightBlue", "brightGreen", "brightCyan",
                            "brightRed", "brightPurple", "brightYellow", "brightWhite"};
    std::string text = "{" + extra;
    // Written back to front: the reader must look keys up by name.
    for (int slot = 15; slot >= 0; --slot) {
        char value[16];
        snprintf(value, sizeof value, "\"#%02x%02x%02x\"", slot * 16, 0x20, 0xF0 - slot);
        text += std::string("\"") + keys[slot] + "\": " + value + ",\n";
    }
    return text + "\"background\": \"#123\", \"foreground\": \"#ABCDEF\", \"name\": \"" + name + "\"}";
}

TEST(JsonSchemesTest, TerminalSettingsWithCommentsAndTrailingCommasGiveEverySchemeSlotBySlot) {
    std::string settings = "// settings\n{ \"profiles\": {}, /* two schemes */ \"schemes\": [\n" +
                           TerminalObject("Night") + ",\n" + TerminalObject("Caf\u00e9") + ",\n],\n}\n";
    Taken taken;
    ASSERT_EQ(ReadJson(settings, &taken), IMPORT_DONE);
    ASSERT_EQ(taken.names, (std::vector<std::u16string>{u"Night", u"Caf\u00e9"}));
    const TerminalScheme &night = taken.schemes[0];
    for (int slot = 0; slot < 16; ++slot) {
        EXPECT_EQ(night.ansi[ConsoleSlotOfAnsi(slot)], static_cast<DWORD>((slot * 16) << 16 | 0x2000 | (0xF0 - slot)))
            << slot;
    }
    EXPECT_EQ(night.background, 0x112233u);
    EXPECT_EQ(night.foreground, 0xabcdefu);
    EXPECT_EQ(night.selectionBackground, UNSET_COLOR);

    // One object, and an array of them, read the same.
    Taken one, array;
    EXPECT_EQ(ReadJson(TerminalObject("Night", "\"selectionBackground\": \"#445566\", "), &one), IMPORT_DONE);
    EXPECT_EQ(one.schemes[0].selectionBackground, 0x445566u);
    EXPECT_EQ(ReadJson("[" + TerminalObject("A") + "," + TerminalObject("B") + "]", &array), IMPORT_DONE);
    EXPECT_EQ(array.names, (std::vector<std::u16string>{u"A", u"B"}));
}

TEST(JsonSchemesTest, ConcfgNamesItsScreenColoursBySlotAndGoghCountsInAnsiOrder) {
    std::string concfg = R"({"black": "#000000", "dark_blue": "#000080", "dark_green": "#008000",
        "dark_cyan": "#008080", "dark_red": "#800000", "dark_magenta": "#800080", "dark_yellow": "#808000",
        "gray": "#c0c0c0", "dark_gray": "#808080", "blue": "#0000ff", "green": "#00ff00", "cyan": "#00ffff",
        "red": "#ff0000", "magenta": "#ff00ff", "yellow": "#ffff00", "white": "#ffffff",
        "screen_colors": "dark_blue,white", "popup_colors": "cyan,dark_magenta"})";
    Taken taken;
    ASSERT_EQ(ReadJson(concfg, &taken), IMPORT_DONE);
    const TerminalScheme &c = taken.schemes[0];
    EXPECT_EQ(taken.names[0], u"file");
    EXPECT_EQ(c.ansi[ConsoleSlotOfAnsi(1)], 0x000080u);  // dark_blue is console slot 1
    EXPECT_EQ(c.ansi[1], 0x800000u);                     // ANSI 1 is red
    EXPECT_EQ(c.foregroundSlot, 1);
    EXPECT_EQ(c.backgroundSlot, 15);
    EXPECT_EQ(c.foreground, 0x000080u);
    EXPECT_EQ(c.background, 0xffffffu);
    EXPECT_EQ(c.popupForegroundSlot, 11);
    EXPECT_EQ(c.popupBackgroundSlot, 5);

    std::string gogh = "[{\"name\": \"G\", \"background\": \"#000001\", \"foreground\": \"#000002\"";
    for (int i = 1; i <= 16; ++i) {
        char entry[40];
        snprintf(entry, sizeof entry, ", \"color_%02d\": \"#0000%02x\"", i, i);
        gogh += entry;
    }
    Taken themes;
    ASSERT_EQ(ReadJson(gogh + "}]", &themes), IMPORT_DONE);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(themes.schemes[0].ansi[i], static_cast<DWORD>(i + 1));
}

TEST(JsonSchemesTest, BrokenFilesSayWhatIsWrongAndOthersAreNotJson) {
    ExpectRefusals(
        ReadJsonSchemes, u"file",
        {
            {"[Night]\nStdColors=7\n", IMPORT_NOT_THIS_FORMAT, u""},
            {"\r\n[table]\r\nDARK_BLACK = 0,0,0\r\n", IMPORT_NOT_THIS_FORMAT, u""},
            {"  [ ]", IMPORT_DONE, u""},
            {"{\"profiles\": {}}", IMPORT_NOT_THIS_FORMAT, u""},
            {"{\"schemes\": [" + TerminalObject("Night"), IMPORT_BAD_FILE,
             u"not valid JSON: Missing a comma or ']' after an array element. (at byte 441)"},
            {TerminalObject("Night").replace(1, 0, "\"x\": 1 2,"), IMPORT_BAD_FILE,
             u"not valid JSON: Missing a comma or '}' after an object member. (at byte 8)"},
            {"[" + TerminalObject("Night").replace(TerminalObject("Night").find("\"brightRed"), 1, "\"x") + "]",
             IMPORT_BAD_FILE, u"scheme \"Night\" has no \"brightRed\" colour"},
            {TerminalObject("Dawn").replace(TerminalObject("Dawn").find("#123"), 4, "#12G"), IMPORT_BAD_FILE,
             u"scheme \"Dawn\": \"background\" is not a colour (#rrggbb)"},
            {"[/* a list */ 1]", IMPORT_BAD_FILE, u"a scheme list holds something other than schemes"},
            {"[1 Dark]\nColor0 = #000000\n", IMPORT_NOT_THIS_FORMAT, u""},
            // Nesting as deep as a file may hold does not run the parser off the stack.
            {"{\"a\": " + std::string(1 << 20, '[') + std::string(1 << 20, ']') + "}", IMPORT_BAD_FILE,
             u"not valid JSON: nested deeper than 64 levels"},
        });
    Taken refusing;
    refusing.refuse = true;
    EXPECT_EQ(ReadJson(TerminalObject("Night"), &refusing), IMPORT_NO_MEMORY);
}

// One colour entry of a property list.
std::string PlistColor(const std::string &key, double r, double g, double b, const std::string &space = "sRGB") {
    char text[400];
    snprintf(text, sizeof text,
             "\t<key>%s</key>\n\t<dict>\n\t\t<key>Blue Component</key>\n\t\t<real>%.17g</real>\n%s"
             "\t\t<key>Green Component</key>\n\t\t<real>%.17g</real>\n"
             "\t\t<key>Red Component</key>\n\t\t<real>%.17g</real>\n\t</dict>\n",
             key.c_str(), b,
             space.empty() ? "" : ("\t\t<key>Color Space</key>\n\t\t<string>" + space + "</string>\n").c_str(), g, r);
    return text;
}

// Keys sorted as text, as exports write them: "Ansi 10" before "Ansi 2".
std::string Plist(const std::string &suffix = "", const std::string &space = "sRGB") {
    std::vector<std::string> entries;
    for (int i = 0; i < 16; ++i) {
        entries.push_back(PlistColor("Ansi " + std::to_string(i) + " Color" + suffix, i / 255.0, 0.5, 1, space));
    }
    entries.push_back(PlistColor("Background Color" + suffix, 0.1, 0.2, 0.3, space));
    entries.push_back(PlistColor("Foreground Color" + suffix, 0.9, 0.8, 0.7, space));
    std::sort(entries.begin(), entries.end());
    std::string text;
    for (const std::string &entry : entries) text += entry;
    return text;
}

std::string PlistFile(const std::string &body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n<dict>\n" +
           body + "</dict>\n</plist>\n";
}

ImportResult ReadPlist(const std::string &text, Taken *taken, std::u16string *error = nullptr) {
    return ReadWith(ReadPropertyListSchemes, u"Tide", text, taken, error);
}

TEST(PropertyListSchemesTest, ComponentsRoundInAnyKeyOrderAndEachSpaceHasItsRule) {
    Taken taken;
    ASSERT_EQ(ReadPlist(PlistFile(Plist() + PlistColor("Selection Color", 1, 1, 0.2, "")), &taken), IMPORT_DONE);
    ASSERT_EQ(taken.names, std::vector<std::u16string>{u"Tide"});
    const TerminalScheme &tide = taken.schemes[0];
    // 0.5 is 127.5, rounded up; i/255 comes back as i exactly.
    for (int i = 0; i < 16; ++i) EXPECT_EQ(tide.ansi[i], static_cast<DWORD>(i << 16 | 0x80FF)) << i;
    EXPECT_EQ(tide.background, 0x1A334Du);  // 25.5, 51, 76.5
    EXPECT_EQ(tide.foreground, 0xE6CCB3u);  // 229.5, 204, 178.5
    EXPECT_EQ(tide.selectionBackground, 0xFFFF33u);
    EXPECT_EQ(tide.selectionForeground, UNSET_COLOR);

    // Calibrated and a missing space read as sRGB; P3 is converted.
    Taken calibrated, p3;
    ASSERT_EQ(ReadPlist(PlistFile(Plist("", "Calibrated")), &calibrated), IMPORT_DONE);
    EXPECT_EQ(calibrated.schemes[0].background, 0x1A334Du);
    std::string body = Plist("", "P3");
    ASSERT_EQ(ReadPlist(PlistFile(body.replace(body.find("Background"), 0, "x") +
                                  PlistColor("Background Color", 0.8, 0.4, 0.2, "P3")),
                        &p3),
              IMPORT_DONE);
    EXPECT_EQ(p3.schemes[0].background, static_cast<DWORD>(219 << 16 | 94 << 8 | 31));
}

TEST(PropertyListSchemesTest, LightAndDarkKeysGiveTwoSchemes) {
    std::string body = Plist(" (Light)") + Plist(" (Dark)");
    body.replace(body.find("<real>0.10000000000000001</real>"), 32, "<real>1</real>");
    Taken taken;
    ASSERT_EQ(ReadPlist(PlistFile(body), &taken), IMPORT_DONE);
    EXPECT_EQ(taken.names, (std::vector<std::u16string>{u"Tide (Light)", u"Tide (Dark)"}));
    EXPECT_NE(taken.schemes[0].background, taken.schemes[1].background);
}

TEST(PropertyListSchemesTest, BrokenFilesSayWhatIsWrong) {
    std::string full = Plist();
    std::string noBlue = full;
    noBlue.replace(noBlue.find("Blue Component"), 4, "Blau");
    ExpectRefusals(
        ReadPropertyListSchemes, u"Tide",
        {
            {"{\"name\": \"x\"}", IMPORT_NOT_THIS_FORMAT, u""},
            {"<?xml version=\"1.0\"?><html/>", IMPORT_NOT_THIS_FORMAT, u""},
            {PlistFile(full).substr(0, 300), IMPORT_BAD_FILE, u"not valid XML: Start-end tags mismatch (at byte 299)"},
            {PlistFile(full.substr(full.find("<key>Ansi 1 Color"))), IMPORT_BAD_FILE,
             u"scheme \"Tide\" has no \"Ansi 0 Color\" colour"},
            {PlistFile(noBlue), IMPORT_BAD_FILE, u"scheme \"Tide\": \"Ansi 0 Color\" is not a colour"},
            {PlistFile(Plist("", "Adobe RGB")), IMPORT_BAD_FILE,
             u"scheme \"Tide\": \"Ansi 0 Color\" is in the unknown colour space \"Adobe RGB\""},
        });
}

std::string Fixture(const std::string &name) {
    std::ifstream stream(std::string(VIVANTA_SOURCE_DIR) + "/tests/e2e/import/" + name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
}

// Both variants, a P3 colour and a calibrated one, and the binary writer's
// shared objects (one "Calibrated", one 1.0 for every colour that has them).
TEST(PropertyListSchemesTest, TheBinaryFormGivesWhatTheXmlFormGives) {
    Taken xml, binary;
    ASSERT_EQ(ReadWith(ReadOtherToolSchemes, u"Shoreline", Fixture("Shoreline.itermcolors"), &xml, nullptr),
              IMPORT_DONE);
    ASSERT_EQ(ReadWith(ReadOtherToolSchemes, u"Shoreline", Fixture("Shoreline (binary).itermcolors"), &binary, nullptr),
              IMPORT_DONE);
    ASSERT_EQ(binary.names, (std::vector<std::u16string>{u"Shoreline (Light)", u"Shoreline (Dark)"}));
    ASSERT_EQ(binary.names, xml.names);
    for (size_t n = 0; n < xml.schemes.size(); ++n) {
        const TerminalScheme &a = xml.schemes[n], &b = binary.schemes[n];
        for (int i = 0; i < 16; ++i) EXPECT_EQ(a.ansi[i], b.ansi[i]) << n << " " << i;
        EXPECT_EQ(a.background, b.background) << n;
        EXPECT_EQ(a.foreground, b.foreground) << n;
        EXPECT_EQ(a.selectionBackground, b.selectionBackground) << n;
        EXPECT_EQ(a.selectionForeground, b.selectionForeground) << n;
        EXPECT_EQ(a.backgroundSlot, b.backgroundSlot) << n;
        EXPECT_EQ(a.foregroundSlot, b.foregroundSlot) << n;
        EXPECT_EQ(a.popupBackgroundSlot, b.popupBackgroundSlot) << n;
        EXPECT_EQ(a.popupForegroundSlot, b.popupForegroundSlot) << n;
    }
}

// A binary property list of `objects` (each encoded whole), the first the
// top, references one byte wide, offsets two.
std::string BinaryPlist(const std::vector<std::string> &objects) {
    std::string list = "bplist00", table;
    for (const std::string &object : objects) {
        table += {static_cast<char>(list.size() >> 8), static_cast<char>(list.size() & 0xFF)};
        list += object;
    }
    size_t tableStart = list.size();
    std::string trailer(32, '\0');
    trailer[6] = 2;
    trailer[7] = 1;
    trailer[15] = static_cast<char>(objects.size());
    trailer[30] = static_cast<char>(tableStart >> 8);
    trailer[31] = static_cast<char>(tableStart & 0xFF);
    return list + table + trailer;
}

// A dictionary of one entry: key and value by reference.
std::string OneEntry(int key, int value) {
    return {'\xD1', static_cast<char>(key), static_cast<char>(value)};
}

TEST(PropertyListSchemesTest, BrokenBinaryListsAreRefusedWithAReason) {
    const std::string good = Fixture("Shoreline (binary).itermcolors");
    const size_t trailer = good.size() - 32;
    auto patched = [&](size_t at, std::initializer_list<char> bytes) {
        std::string text = good;
        text.replace(at, bytes.size(), bytes);
        return text;
    };
    const std::string ansi0 =
        "\x5C"
        "Ansi 0 Color";
    ExpectRefusals(
        ReadBinaryPropertyListSchemes, u"f",
        {
            {"bplist00", IMPORT_BAD_FILE, u"not a valid binary property list: too short (at byte 0)"},
            {"bplist01" + good.substr(8), IMPORT_BAD_FILE,
             u"not a valid binary property list: a version other than 00 (at byte 6)"},
            {good.substr(0, good.size() - 1), IMPORT_BAD_FILE,
             u"not a valid binary property list: offsets or references of an odd size (at byte 1898)"},
            {patched(trailer + 6, {3}), IMPORT_BAD_FILE,
             u"not a valid binary property list: offsets or references of an odd size (at byte 1899)"},
            {patched(trailer + 7, {0}), IMPORT_BAD_FILE,
             u"not a valid binary property list: offsets or references of an odd size (at byte 1899)"},
            {patched(trailer + 8, {'\x7F'}), IMPORT_BAD_FILE,
             u"not a valid binary property list: more objects than the offset table holds (at byte 1901)"},
            {patched(trailer + 24, {'\x7F'}), IMPORT_BAD_FILE,
             u"not a valid binary property list: the offset table is outside the file (at byte 1917)"},
            {patched(trailer + 16, {'\x7F'}), IMPORT_BAD_FILE,
             u"not a valid binary property list: the top object is not in the list (at byte 1909)"},
            // The top dictionary's count (an integer object of its own) made huge.
            {patched(9, {'\x11', '\xFF', '\xFF'}), IMPORT_BAD_FILE,
             u"not a valid binary property list: an object runs past the objects' end (at byte 8)"},
            {BinaryPlist({OneEntry(1, 2), ansi0}), IMPORT_BAD_FILE,
             u"not a valid binary property list: a reference to no object (at byte 8)"},
            {BinaryPlist({"\xA0"}), IMPORT_BAD_FILE,
             u"not a valid binary property list: the top object is not a dictionary (at byte 8)"},
            {BinaryPlist({OneEntry(1, 0), ansi0}), IMPORT_BAD_FILE, u"scheme \"f\": \"Ansi 0 Color\" is not a colour"},
            {BinaryPlist({OneEntry(1, 2), ansi0, OneEntry(3, 2), "\x5DRed Component"}), IMPORT_BAD_FILE,
             u"scheme \"f\": \"Ansi 0 Color\" is not a colour"},
            {BinaryPlist({OneEntry(1, 2), ansi0, "\xA1\x02"}), IMPORT_BAD_FILE,
             u"scheme \"f\": \"Ansi 0 Color\" is not a colour"},
            {BinaryPlist({OneEntry(1, 2), ansi0, OneEntry(3, 9)}), IMPORT_BAD_FILE,
             u"not a valid binary property list: a reference to no object (at byte 24)"},
            {"bplisu00", IMPORT_NOT_THIS_FORMAT, u""},
        });
}

std::string ColorToolFile(const std::string &extra = "") {
    const char *keys[16] = {"DARK_BLACK",   "DARK_BLUE",      "DARK_GREEN",    "DARK_CYAN",
                            "DARK_RED",     "DARK_MAGENTA",   "DARK_YELLOW",   "DARK_WHITE",
                            "BRIGHT_BLACK", "BRIGHT_BLUE",    "BRIGHT_GREEN",  "BRIGHT_CYAN",
                            "BRIGHT_RED",   "BRIGHT_MAGENTA", "BRIGHT_YELLOW", "BRIGHT_WHITE"};
    std::string text = "\xEF\xBB\xBF; made for the tests\r\n[table]\r\n";
    // Written back to front, one in "#rrggbb".
    for (int slot = 15; slot >= 0; --slot) {
        char line[64];
        if (slot == 9) {
            snprintf(line, sizeof line, "%s = #0a0b%02x\r\n", keys[slot], slot);
        } else {
            snprintf(line, sizeof line, "%s = %d, %d,%d\r\n", keys[slot], slot, 100 + slot, 200 + slot);
        }
        text += line;
    }
    return text + extra;
}

ImportResult ReadColorTool(const std::string &text, Taken *taken, std::u16string *error = nullptr) {
    return ReadWith(ReadColorToolSchemes, u"campbell", text, taken, error);
}

TEST(ColorToolSchemesTest, TableScreenPopupAndInfoBySlot) {
    Taken taken;
    ASSERT_EQ(ReadColorTool(ColorToolFile("\r\n[screen]\r\nFOREGROUND = BRIGHT_WHITE\r\nBACKGROUND = DARK_BLUE\r\n"
                                          "[popup]\r\nFOREGROUND = DARK_MAGENTA\r\nBACKGROUND = BRIGHT_WHITE\r\n"
                                          "[info]\r\nname = Campbell Blue\r\n"),
                            &taken),
              IMPORT_DONE);
    ASSERT_EQ(taken.names, std::vector<std::u16string>{u"Campbell Blue"});
    const TerminalScheme &c = taken.schemes[0];
    for (int slot = 0; slot < 16; ++slot) {
        DWORD expected = slot == 9 ? 0x0a0b09 : static_cast<DWORD>(slot << 16 | (100 + slot) << 8 | (200 + slot));
        EXPECT_EQ(c.ansi[ConsoleSlotOfAnsi(slot)], expected) << slot;
    }
    EXPECT_EQ(c.foregroundSlot, 15);
    EXPECT_EQ(c.backgroundSlot, 1);
    EXPECT_EQ(c.background, static_cast<DWORD>(1 << 16 | 101 << 8 | 201));
    EXPECT_EQ(c.popupForegroundSlot, 5);
    EXPECT_EQ(c.popupBackgroundSlot, 15);

    // Without [screen]: the console's grey on black; without [info]: the file's name.
    Taken plain;
    ASSERT_EQ(ReadColorTool(ColorToolFile(), &plain), IMPORT_DONE);
    EXPECT_EQ(plain.names[0], u"campbell");
    EXPECT_EQ(plain.schemes[0].foregroundSlot, 7);
    EXPECT_EQ(plain.schemes[0].backgroundSlot, 0);
}

TEST(ColorToolSchemesTest, BrokenTablesSayWhatIsWrongAndOurOwnFilesAreLeftAlone) {
    std::string full = ColorToolFile();
    std::string missing = full;
    missing.erase(missing.find("DARK_CYAN"),
                  missing.find("\r\n", missing.find("DARK_CYAN")) + 2 - missing.find("DARK_CYAN"));
    ExpectRefusals(ReadColorToolSchemes, u"campbell",
                   {
                       {"[table]\r\nStdColors=7\r\nColor 0=#000000\r\n", IMPORT_NOT_THIS_FORMAT, u""},
                       {"{\"black\": \"#000000\"}", IMPORT_NOT_THIS_FORMAT, u""},
                       {missing, IMPORT_BAD_FILE, u"[table] has no DARK_CYAN colour"},
                       {full + "[table]\r\nDARK_RED = 1,2,256\r\n", IMPORT_BAD_FILE,
                        u"[table] DARK_RED is not a colour (r,g,b): \"1,2,256\""},
                       {full + "[screen]\r\nBACKGROUND = PURPLE\r\n", IMPORT_BAD_FILE,
                        u"[screen] BACKGROUND names no colour: \"PURPLE\""},
                   });
}

ImportResult ReadYaml(const std::string &text, Taken *taken, std::u16string *error = nullptr) {
    return ReadWith(ReadYamlSchemes, u"tomorrow", text, taken, error);
}

// base16's 0x0N and base24's 0x1N keys, each holding its own number.
std::string BaseKeys(const std::string &indent, int count, bool hash) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        char line[64];
        snprintf(line, sizeof line, "%sbase%02X: \"%s%02x0000\"\n", indent.c_str(), i, hash ? "#" : "", i);
        text += line;
    }
    return text;
}

TEST(YamlSchemesTest, Base16Base24InBothLayoutsAndGoghBySlot) {
    // Console slot -> the base key whose number it holds.
    const int base16[16] = {0x0, 0xD, 0xB, 0xC, 0x8, 0xE, 0xA, 0x5, 0x3, 0xD, 0xB, 0xC, 0x8, 0xE, 0xA, 0x7};
    const int base24[16] = {0x0, 0xD, 0xB, 0xC, 0x8, 0xE, 0xA, 0x5, 0x3, 0x16, 0x14, 0x15, 0x12, 0x17, 0x13, 0x7};
    struct Case {
        std::string text;
        std::u16string name;
        const int *slots;
    } cases[] = {
        {"system: \"base16\"\nname: \"Night Owl\"\nvariant: \"dark\"\npalette:\n" + BaseKeys("  ", 16, true),
         u"Night Owl", base16},
        {"scheme: \"Old Style\"\nauthor: \"someone\"\n" + BaseKeys("", 16, false), u"Old Style", base16},
        {"system: base24\nname: Wide\npalette:\n" + BaseKeys("  ", 24, true), u"Wide", base24},
        {"author: nobody\n" + BaseKeys("", 24, false), u"tomorrow", base24},
        // Aliases stand for what their anchors were given to, a whole
        // "palette" defined before it included.
        {"colours: &c\n" + BaseKeys("  ", 16, true) + "scheme: &n Aliased\nname: *n\npalette: *c\n", u"Aliased",
         base16},
    };
    for (const Case &c : cases) {
        Taken taken;
        ASSERT_EQ(ReadYaml(c.text, &taken), IMPORT_DONE) << c.text;
        EXPECT_EQ(taken.names[0], c.name);
        const TerminalScheme &s = taken.schemes[0];
        for (int slot = 0; slot < 16; ++slot) {
            EXPECT_EQ(s.ansi[ConsoleSlotOfAnsi(slot)], static_cast<DWORD>(c.slots[slot] << 16)) << slot;
        }
        EXPECT_EQ(s.background, 0x000000u);
        EXPECT_EQ(s.foreground, 0x050000u);
        EXPECT_EQ(s.selectionBackground, 0x020000u);
    }

    std::string gogh = "---\nname: 'Gogh One'\nauthor: ''\nvariant: 'dark'\n";
    for (int i = 1; i <= 16; ++i) {
        char line[40];
        snprintf(line, sizeof line, "color_%02d: '#0000%02x'\n", i, i);
        gogh += line;
    }
    Taken themes;
    ASSERT_EQ(ReadYaml(gogh + "background: '#010203'\nforeground: '#FAFBFC'\ncursor: '#ffffff'\n", &themes),
              IMPORT_DONE);
    EXPECT_EQ(themes.names[0], u"Gogh One");
    for (int i = 0; i < 16; ++i) EXPECT_EQ(themes.schemes[0].ansi[i], static_cast<DWORD>(i + 1));
    EXPECT_EQ(themes.schemes[0].foreground, 0xFAFBFCu);
}

TEST(YamlSchemesTest, ALightFileWhoseSelectionIsItsBackgroundStillMarksTheSelectedLine) {
    std::ifstream stream(std::string(VIVANTA_SOURCE_DIR) + "/tests/e2e/import/base16-linen.yaml", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    Taken taken;
    ASSERT_EQ(ReadYaml(text, &taken), IMPORT_DONE);
    ASSERT_EQ(taken.schemes[0].selectionBackground, taken.schemes[0].background);
    const ColorScheme &s = Build(taken.schemes[0]).scheme;
    const DWORD *palette = s.palette;
    EXPECT_NE(s.SelectedColors, s.StdColors);
    EXPECT_GE(ContrastRatio(palette[s.SelectedColors >> 4], palette[s.StdColors >> 4]), 1.5);
    // Still the scheme's own text on it, readable.
    EXPECT_EQ(s.SelectedColors & 0xF, s.StdColors & 0xF);
    EXPECT_GE(ContrastRatio(palette[s.SelectedColors >> 4], palette[s.SelectedColors & 0xF]), LEAST_READABLE_RATIO);
    ExpectMarkedOut(s);
}

TEST(YamlSchemesTest, BrokenFilesSayWhatIsWrongAndOthersAreNotYamlSchemes) {
    std::string full = "name: N\npalette:\n" + BaseKeys("  ", 16, true);
    std::string missing = full;
    missing.erase(missing.find("  base0B"), 20);
    ExpectRefusals(
        ReadYamlSchemes, u"tomorrow",
        {
            {"[Night]\r\nStdColors=7\r\n", IMPORT_NOT_THIS_FORMAT, u""},
            {"<?xml version=\"1.0\"?><plist/>", IMPORT_NOT_THIS_FORMAT, u""},
            {"name: [unclosed\n", IMPORT_NOT_THIS_FORMAT, u""},
            {"name: [unclosed\nbase00: 000000\n", IMPORT_BAD_FILE,
             u"not valid YAML: did not find expected ',' or ']' (line 2)"},
            {missing, IMPORT_BAD_FILE, u"scheme \"N\" has no \"base0B\" colour"},
            // The parser's time grows with nesting depth times length.
            {"base00: " + std::string(33, '[') + "'[#[' # [\n", IMPORT_BAD_FILE,
             u"not valid YAML: nested deeper than 32 levels"},
            {"base00: " + std::string(32, '[') + "'[#[' # [\n", IMPORT_BAD_FILE,
             u"not valid YAML: did not find expected ',' or ']' (line 2)"},
            {std::string(full).replace(full.find("\"#080000\""), 9, "[1, 2]"), IMPORT_BAD_FILE,
             u"scheme \"N\": \"base08\" is not a colour (#rrggbb)"},
            // As the document loader refused them, in its words.
            {full + "x: *nowhere\n", IMPORT_BAD_FILE, u"not valid YAML: found undefined alias (line 19)"},
            {"a: &twice 1\n" + full + "b: &twice 2\n", IMPORT_BAD_FILE, u"not valid YAML: second occurrence (line 20)"},
        });
}

// Files made to cost their readers the most memory for their size: a
// property list of nothing but tiny elements (once 64 bytes of document a
// node, 27 times the file) and YAML of short lines after a scheme key (once
// 80 times the file, and more the larger it grew). Every allocation counts,
// libyaml's own included; a reader may hold 20 times the file's size and
// 16 MiB, and these files are large enough for that to tell.
TEST(OtherToolSchemesTest, CraftedFilesKeepTheirReadersWithinTheirMemory) {
    if (!HeapMeter::Available()) GTEST_SKIP() << "needs the sanitizer allocator's hooks";
    std::string plist = "<plist><dict>";
    while (plist.size() < (4 << 20)) plist += "x<b/>";
    plist += "</dict></plist>";
    std::string yaml = "base00: \"000000\"\n";
    while (yaml.size() < (1 << 20)) yaml += "k: v\n";
    const std::pair<Reader, const std::string *> reads[] = {{ReadPropertyListSchemes, &plist},
                                                            {ReadYamlSchemes, &yaml}};
    for (const auto &[reader, text] : reads) {
        Taken taken;
        std::u16string error;
        HeapMeter::Start();
        EXPECT_EQ(ReadWith(reader, u"f", *text, &taken, &error), IMPORT_BAD_FILE);
        size_t peak = HeapMeter::Stop();
        EXPECT_LE(peak, 20 * text->size() + (16 << 20)) << text->substr(0, 16) << ": " << peak / text->size();
        EXPECT_EQ(error.substr(0, 10), u"scheme \"f\"");
    }
}

TEST(OtherToolSchemesTest, EachFormatIsKnownByItsContent) {
    std::string base16 = "name: N\npalette:\n" + BaseKeys("  ", 16, true);
    const std::string texts[] = {"[" + TerminalObject("J") + "]", PlistFile(Plist()), ColorToolFile(), base16,
                                 TerminalObject("Y") + "\n"};
    const char16_t *names[] = {u"J", u"f", u"f", u"N", u"Y"};
    for (size_t i = 0; i < 5; ++i) {
        Taken taken;
        ASSERT_EQ(ReadWith(ReadOtherToolSchemes, u"f", texts[i], &taken, nullptr), IMPORT_DONE) << i;
        EXPECT_EQ(taken.names, std::vector<std::u16string>{names[i]}) << i;
    }
    ExpectRefusals(ReadOtherToolSchemes, u"f",
                   {{"[Night]\r\nStdColors=7\r\n", IMPORT_NOT_THIS_FORMAT, u""},
                    {"just words\n", IMPORT_NOT_THIS_FORMAT, u""},
                    {"", IMPORT_NOT_THIS_FORMAT, u""},
                    {"[table]\r\nDARK_RED = 300,0,0\r\n", IMPORT_BAD_FILE,
                     u"[table] DARK_RED is not a colour (r,g,b): \"300,0,0\""}});
}

}  // namespace
