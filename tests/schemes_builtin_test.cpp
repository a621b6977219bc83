#include <cstring>
#include <string>
#include <vector>

#include "base/base.h"
#include "schemes/schemes.h"
#include "support/plugin_fixture.h"

namespace {

class BuiltInSchemesTest : public PluginTest {
  protected:
    void SetUp() override {
        PluginTest::SetUp();
        FreeSchemeList();
        MemResetCounts();
    }
    void TearDown() override {
        PluginTest::TearDown();
        FreeSchemeList();
        EXPECT_EQ(MemLiveCount(), 0);
    }

    static void AddFileScheme(const char16_t *name, bool dark) {
        ColorScheme scheme;
        std::memset(&scheme, 0, sizeof scheme);
        scheme.dark = dark ? 1 : 0;
        ASSERT_EQ(AddScheme(&scheme, name, u"", &g_schemes), 1);
    }

    static std::vector<std::u16string> Names() {
        std::vector<std::u16string> names;
        for (ColorScheme *s = g_schemes; s; s = s->next) names.push_back(s->name);
        return names;
    }
};

const char16_t MARIANAS[] = u"Marianas Trench";
const char16_t ICE[] = u"Ice Palace";
const char16_t FOREST[] = u"Forest Primeval";
const char16_t CREME[] = u"Cr\u00E8me Br\u00FBl\u00E9e";

TEST_F(BuiltInSchemesTest, StartUpWithoutASchemeFileLeavesTheFourInOrder) {
    StartPlugin();
    EXPECT_EQ(Names(), (std::vector<std::u16string>{MARIANAS, ICE, FOREST, CREME}));
    EXPECT_EQ(MemLiveCount(), 4);
    ShutdownPlugin();
    started_ = false;
    EXPECT_EQ(g_schemes, nullptr);
    EXPECT_EQ(MemLiveCount(), 0);
}

TEST_F(BuiltInSchemesTest, SeedingFillsUpToTwoDarkAndTwoLight) {
    struct Case {
        int dark, light;
        std::vector<std::u16string> added;
    } cases[] = {
        {0, 0, {MARIANAS, ICE, FOREST, CREME}},
        {1, 0, {ICE, FOREST, CREME}},
        {0, 1, {MARIANAS, FOREST, CREME}},
        {1, 3, {FOREST}},
        {2, 1, {CREME}},
        {2, 2, {}},
        {5, 0, {ICE, CREME}},
    };
    for (const Case &c : cases) {
        FreeSchemeList();
        for (int i = 0; i < c.dark; ++i) AddFileScheme(u"dark", true);
        for (int i = 0; i < c.light; ++i) AddFileScheme(u"light", false);
        EXPECT_EQ(SeedBuiltInSchemes(), static_cast<int>(c.added.size())) << c.dark << "/" << c.light;
        std::vector<std::u16string> names = Names();
        std::vector<std::u16string> tail(names.begin() + c.dark + c.light, names.end());
        EXPECT_EQ(tail, c.added) << c.dark << "/" << c.light;
    }
}

TEST_F(BuiltInSchemesTest, AFileSchemeOfTheSameNameDoesNotStopTheBuiltInOne) {
    AddFileScheme(CREME, true);
    AddFileScheme(u"Other", false);
    SeedBuiltInSchemes();
    EXPECT_EQ(Names(), (std::vector<std::u16string>{CREME, u"Other", FOREST, CREME}));
    // Lookups keep returning the earlier one.
    EXPECT_EQ(FindSchemeByName(g_schemes, CREME), g_schemes);
    EXPECT_EQ(FindSchemeByPattern(g_schemes, u"Creme*"), g_schemes);
}

TEST_F(BuiltInSchemesTest, AFailedAdditionLeavesJustThatSchemeOut) {
    MemFailAllocation(2);
    EXPECT_EQ(SeedBuiltInSchemes(), 3);
    EXPECT_EQ(Names(), (std::vector<std::u16string>{MARIANAS, FOREST, CREME}));
}

TEST_F(BuiltInSchemesTest, StartUpSurvivesRunningOutOfMemoryWhileSeeding) {
    MemFailAllocation(1, 1000);
    StartPlugin();
    EXPECT_EQ(g_schemes, nullptr);
}

std::u16string Hex(DWORD colorRef) {
    char text[8];
    snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(SwapRedAndBlue(colorRef)));
    return std::u16string(text, text + 7);
}

TEST_F(BuiltInSchemesTest, TheBuiltInSchemesCarryTheirColours) {
    SeedBuiltInSchemes();
    ASSERT_EQ(Names().size(), 4u);
    struct Expected {
        DWORD dark;
        DWORD luminance;
        WORD directives[9];
        const char16_t *palette[16];
        const char16_t *colorDir;
    } expected[4] = {
        {1, 21, {3, 15, 12, 11, 31, 31, 15, 240, 112},
         {u"#000030", u"#0000a0", u"#009000", u"#0090a0", u"#900000", u"#9000a0", u"#806000", u"#b0b8c8",
          u"#606060", u"#4040ff", u"#40ff40", u"#40ffff", u"#ff4040", u"#40ffff", u"#ffff40", u"#f0f8ff"},
         u"dirs:12;com exe:10;bat btm cmd:2;txt doc html:11;"},
        {0, 956, {241, 242, 244, 241, 31, 31, 240, 31, 15},
         {u"#000000", u"#0000a0", u"#009000", u"#0090a0", u"#900000", u"#9000a0", u"#909000", u"#c0c0c0",
          u"#606060", u"#4040ff", u"#40ff40", u"#40ffff", u"#ff4040", u"#ff40ff", u"#ffff40", u"#e8f8ff"},
         u"dirs:244;com exe:242;bat btm cmd:241;txt doc html:243;"},
        {1, 110, {7, 10, 12, 11, 112, 63, 7, 112, 240},
         {u"#003000", u"#0000a0", u"#009000", u"#0090a0", u"#900000", u"#9000a0", u"#608000", u"#c4e0c4",
          u"#606060", u"#4040ff", u"#40ff40", u"#40ffff", u"#ff4040", u"#ff40ff", u"#ffff40", u"#ffffff"},
         u"dirs:12;com exe:10;bat btm cmd:2;txt doc html:11;"},
        {0, 977, {240, 246, 244, 240, 111, 111, 240, 111, 15},
         {u"#000000", u"#0000a0", u"#009000", u"#0090a0", u"#900000", u"#9000a0", u"#806000", u"#c0c0c0",
          u"#606060", u"#4040ff", u"#40ff40", u"#40ffff", u"#ff4040", u"#ff40ff", u"#ffff40", u"#fff8f0"},
         u"dirs:244;com exe:242;bat btm cmd:241;txt doc html:243;"},
    };
    int i = 0;
    for (ColorScheme *s = g_schemes; s; s = s->next, ++i) {
        const Expected &e = expected[i];
        WORD directives[9] = {s->StdColors,        s->InputColors,       s->ErrorColors,
                              s->ListColors,       s->ListStatBarColors, s->ListInverseColors,
                              s->SelectColors,     s->SelectStatBarColors, s->SelectedColors};
        for (int d = 0; d < 9; ++d) EXPECT_EQ(directives[d], e.directives[d]) << i << ":" << d;
        for (int p = 0; p < 16; ++p) EXPECT_EQ(Hex(s->palette[p]), e.palette[p]) << i << ":" << p;
        EXPECT_EQ(s->dark, e.dark) << i;
        EXPECT_EQ(IsDarkScheme(s), e.dark) << i;
        EXPECT_EQ(ColorLuminance(s->palette[s->StdColors >> 4]), e.luminance) << i;
        EXPECT_EQ(std::u16string(s->ColorDir), e.colorDir) << i;
    }
}

}  // namespace
