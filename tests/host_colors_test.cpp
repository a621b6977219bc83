// ParseColors must read back every attribute text the plugin writes, and
// the short forms people type in scheme files.
#include "host_fixture.h"

using HostColorsTest = HostTest;

namespace {

constexpr const char16_t *COLOR_NAMES[16] = {u"Black",        u"Blue",           u"Green",         u"Cyan",
                                             u"Red",          u"Magenta",        u"Yellow",        u"White",
                                             u"Bright Black", u"Bright Blue",    u"Bright Green",  u"Bright Cyan",
                                             u"Bright Red",   u"Bright Magenta", u"Bright Yellow", u"Bright White"};

struct Parsed {
    bool ok;
    int fg, bg;
    std::u16string rest;
};

Parsed Parse(const std::u16string &text) {
    Parsed p{false, -1, -1, u""};
    LPWSTR end = ParseColors(text.c_str(), &p.fg, &p.bg);
    p.ok = end != nullptr;
    if (end != nullptr) p.rest = end;
    return p;
}

}  // namespace

TEST_F(HostColorsTest, EveryDescribedAttributeParsesBack) {
    for (int fg = 0; fg < 16; ++fg) {
        for (int bg = 0; bg < 16; ++bg) {
            if (fg == bg) continue;
            std::u16string text = std::u16string(COLOR_NAMES[fg]) + u" on " + COLOR_NAMES[bg];
            Parsed p = Parse(text);
            ASSERT_TRUE(p.ok) << Narrow(text);
            EXPECT_EQ(fg, p.fg) << Narrow(text);
            EXPECT_EQ(bg, p.bg) << Narrow(text);
            EXPECT_EQ(u"", p.rest) << Narrow(text);
        }
    }
}

TEST_F(HostColorsTest, ShortNamesCaseAndBlanks) {
    Parsed p = Parse(u"  bRiGhT   yel\tON  blu");
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(14, p.fg);
    EXPECT_EQ(1, p.bg);
    p = Parse(u"MAG on bright whi");
    EXPECT_EQ(5, p.fg);
    EXPECT_EQ(15, p.bg);
    p = Parse(u"red on cya");
    EXPECT_EQ(4, p.fg);
    EXPECT_EQ(3, p.bg);
}

TEST_F(HostColorsTest, BackgroundIsOptionalAndLeftUntouched) {
    Parsed p = Parse(u"Bright Green");
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(10, p.fg);
    EXPECT_EQ(-1, p.bg);
    p = Parse(u"Green on");
    EXPECT_EQ(2, p.fg);
    EXPECT_EQ(-1, p.bg);
    EXPECT_EQ(u" on", p.rest);
}

TEST_F(HostColorsTest, ReturnsTheTextAfterTheSpecification) {
    Parsed p = Parse(u"White on Blue ; comment");
    EXPECT_EQ(7, p.fg);
    EXPECT_EQ(1, p.bg);
    EXPECT_EQ(u" ; comment", p.rest);
}

TEST_F(HostColorsTest, UnreadableForegroundLeavesOutputsAlone) {
    const char16_t *texts[] = {u"",          u"   ",          u"Purple on Blue", u"Bright", u"Bright on Blue",
                               u"Bl on Red", u"Blues on Red", u"Redd",           u"Re",     u"on Blue",
                               u"31"};
    for (const char16_t *text : texts) {
        Parsed p = Parse(text);
        EXPECT_FALSE(p.ok) << Narrow(text);
        EXPECT_EQ(-1, p.fg) << Narrow(text);
        EXPECT_EQ(-1, p.bg) << Narrow(text);
    }
    EXPECT_EQ(nullptr, ParseColors(nullptr, nullptr, nullptr));
}

TEST_F(HostColorsTest, UnreadableBackgroundKeepsTheForeground) {
    Parsed p = Parse(u"Cyan on Purple");
    EXPECT_TRUE(p.ok);
    EXPECT_EQ(3, p.fg);
    EXPECT_EQ(-1, p.bg);
    EXPECT_EQ(u" on Purple", p.rest);
}
