#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "import/import.h"

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
        if (random() % 2) source.selectionBackground = random() & 0xFFFFFF;
        Built built = Build(source);
        SCOPED_TRACE(round);
        ExpectReadable(built, background, foreground);
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

}  // namespace
