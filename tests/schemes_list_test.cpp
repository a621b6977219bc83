#include <cstring>
#include <string>
#include <vector>

#include "base/base.h"
#include "schemes/schemes.h"
#include "support/colliding_names.h"
#include "support/plugin_fixture.h"

namespace {

class SchemeListTest : public PluginTest {
  protected:
    void SetUp() override {
        PluginTest::SetUp();
        FreeSchemeList();
        MemResetCounts();
    }
    void TearDown() override {
        FreeSchemeList();
        EXPECT_EQ(MemLiveCount(), 0);
        PluginTest::TearDown();
    }

    // A scheme with a black or white background.
    static ColorScheme Template(bool dark) {
        ColorScheme scheme;
        std::memset(&scheme, 0, sizeof scheme);
        scheme.StdColors = 0x07;
        scheme.palette[0] = dark ? RGB(0, 0, 0) : RGB(255, 255, 255);
        scheme.dark = dark ? 1 : 0;
        return scheme;
    }

    static void Add(const char16_t *name, bool dark = true) {
        ColorScheme scheme = Template(dark);
        ASSERT_TRUE(AddScheme(&scheme, name, u"", &g_schemes)) << Narrow(name);
    }

    static std::vector<std::u16string> Names() {
        std::vector<std::u16string> names;
        for (ColorScheme *s = g_schemes; s; s = s->next) names.push_back(s->name);
        return names;
    }
};

TEST_F(SchemeListTest, AddAppendsACopyWithItsColorDirInOneBlock) {
    ColorScheme scheme = Template(true);
    scheme.ErrorColors = 0x4F;
    scheme.palette[15] = 0x123456;
    scheme.next = reinterpret_cast<ColorScheme *>(&scheme);  // must not leak into the list
    ASSERT_TRUE(AddScheme(&scheme, u"First", u"dirs:12;", &g_schemes));
    ASSERT_NE(g_schemes, nullptr);
    ColorScheme *first = g_schemes;
    EXPECT_EQ(first->next, nullptr);
    EXPECT_EQ(first->ErrorColors, 0x4F);
    EXPECT_EQ(first->palette[15], 0x123456u);
    EXPECT_EQ(first->dark, 1u);
    EXPECT_EQ(std::u16string(first->ColorDir), u"dirs:12;");
    EXPECT_EQ(MemLiveCount(), 1);

    ASSERT_TRUE(AddScheme(&scheme, u"Second", u"", &g_schemes));
    EXPECT_EQ(g_schemes, first);
    ASSERT_NE(first->next, nullptr);
    EXPECT_EQ(std::u16string(first->next->ColorDir), u"");
    EXPECT_EQ(Names(), (std::vector<std::u16string>{u"First", u"Second"}));

    // A long ColorDir lives in the same block, after the fixed fields.
    std::u16string longDir(5000, u'x');
    ASSERT_TRUE(AddScheme(&scheme, u"Third", longDir.c_str(), &g_schemes));
    EXPECT_EQ(std::u16string(first->next->next->ColorDir), longDir);
    EXPECT_EQ(MemLiveCount(), 3);
    EXPECT_EQ(FreeSchemeList(), 3);
    EXPECT_EQ(g_schemes, nullptr);
    EXPECT_EQ(FreeSchemeList(), 0);
}

TEST_F(SchemeListTest, NamesAreCutTo39CharactersNeverInsideASurrogatePair) {
    std::u16string name(45, u'n');
    name[38] = u'L';
    Add(name.c_str());
    EXPECT_EQ(std::u16string(g_schemes->name), name.substr(0, 39));

    // A pair across the cut goes whole; one before it, or a lone high half
    // the name already had, stays.
    FreeSchemeList();
    std::u16string across = name.substr(0, 38) + u"\U0001F308tail";
    std::u16string inside = name.substr(0, 37) + u"\U0001F308tail";
    std::u16string lone = name.substr(0, 38) + u"\xD83Cxtail";
    for (const std::u16string &n : {across, inside, lone}) Add(n.c_str());
    EXPECT_EQ(Names(), (std::vector<std::u16string>{name.substr(0, 38), inside.substr(0, 39), lone.substr(0, 39)}));
}

TEST_F(SchemeListTest, AddRefusesMissingPartsAndSurvivesAllocationFailure) {
    ColorScheme scheme = Template(true);
    Add(u"Kept");
    EXPECT_FALSE(AddScheme(&scheme, nullptr, u"", &g_schemes));
    EXPECT_FALSE(AddScheme(&scheme, u"", u"", &g_schemes));
    EXPECT_FALSE(AddScheme(&scheme, u"Name", nullptr, &g_schemes));
    EXPECT_FALSE(AddScheme(&scheme, u"Name", u"", nullptr));
    EXPECT_FALSE(AddScheme(nullptr, u"Name", u"", &g_schemes));

    MemFailAllocation(1);
    EXPECT_FALSE(AddScheme(&scheme, u"Lost", u"dirs:1;", &g_schemes));
    EXPECT_EQ(Names(), std::vector<std::u16string>{u"Kept"});
    EXPECT_EQ(g_schemes->next, nullptr);
    EXPECT_EQ(MemLiveCount(), 1);
}

TEST_F(SchemeListTest, FindByNameFoldsOnlyAsciiLettersAndTakesTheFirst) {
    Add(u"Ice Palace", false);
    Add(u"cr\u00E8me");
    Add(u"ICE PALACE", true);
    ColorScheme *first = g_schemes;
    EXPECT_EQ(FindSchemeByName(g_schemes, u"ice palace"), first);
    EXPECT_EQ(FindSchemeByName(g_schemes, u"ICE PALACE"), first);
    // Starting further on finds the later one.
    EXPECT_EQ(FindSchemeByName(first->next, u"ice palace"), first->next->next);
    EXPECT_EQ(FindSchemeByName(g_schemes, u"cr\u00E8me"), first->next);
    EXPECT_EQ(FindSchemeByName(g_schemes, u"CR\u00C8ME"), nullptr);
    EXPECT_EQ(FindSchemeByName(g_schemes, u"Ice"), nullptr);
    EXPECT_EQ(FindSchemeByName(g_schemes, u""), nullptr);
    EXPECT_EQ(FindSchemeByName(g_schemes, nullptr), nullptr);
}

// Names once built to share one slot of the table: the index must still
// tell every one of them apart, through several growths of its table.
TEST_F(SchemeListTest, TheIndexFindsEveryNameOfASetMadeToCollide) {
    std::vector<std::u16string> names = colliding::Names(8, 16);
    ASSERT_EQ(names.size(), 256u);
    EXPECT_EQ(colliding::UnseededHash(names[0]) & 0xFFFF, colliding::UnseededHash(names[255]) & 0xFFFF);
    SchemeNameIndex index;
    InitSchemeNameIndex(&index, &g_schemes);
    std::vector<ColorScheme *> added;
    ColorScheme **tail = &g_schemes;
    ColorScheme scheme = Template(true);
    for (const std::u16string &name : names) {
        ASSERT_TRUE(AddScheme(&scheme, name.c_str(), u"", tail));
        added.push_back(*tail);
        tail = &(*tail)->next;
        AddToSchemeNameIndex(&index, added.back());
    }
    // A second scheme of a listed name leaves the first where it was.
    ASSERT_TRUE(AddScheme(&scheme, names[7].c_str(), u"", tail));
    AddToSchemeNameIndex(&index, *tail);
    EXPECT_FALSE(index.failed);
    for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(FindInSchemeNameIndex(&index, names[i].c_str()), added[i]);
    EXPECT_EQ(FindInSchemeNameIndex(&index, (names[3] + u"x").c_str()), nullptr);
    EXPECT_EQ(FindInSchemeNameIndex(&index, names[3].substr(0, 14).c_str()), nullptr);
    FreeSchemeNameIndex(&index);
}

TEST_F(SchemeListTest, PatternsMatchStoredOrFoldedNames) {
    Add(u"Marianas Trench");
    Add(u"Cr\u00E8me Br\u00FBl\u00E9e", false);
    Add(u"\u201CQuoted\u201D \u2019Name\u2019");
    Add(u"Cr\u00E8me Two", false);
    ColorScheme *creme = g_schemes->next;
    EXPECT_EQ(FindSchemeByPattern(g_schemes, u"Creme*"), creme);
    EXPECT_EQ(FindSchemeByPattern(g_schemes, u"creme brulee"), creme);
    EXPECT_EQ(FindSchemeByPattern(g_schemes, u"Cr\u00C8ME*"), creme);  // the host's case rules
    EXPECT_EQ(FindSchemeByPattern(g_schemes, u"*trench"), g_schemes);
    EXPECT_EQ(FindSchemeByPattern(g_schemes, u"\"Quoted\" 'Name'"), creme->next);
    EXPECT_EQ(FindSchemeByPattern(creme->next, u"Creme*"), creme->next->next);
    EXPECT_EQ(FindSchemeByPattern(g_schemes, u"Nothing*"), nullptr);
    EXPECT_EQ(FindSchemeByPattern(g_schemes, u""), nullptr);
    EXPECT_EQ(FindSchemeByPattern(g_schemes, nullptr), nullptr);
}

TEST_F(SchemeListTest, FoldingMapsAccentsLigaturesAndCurlyQuotes) {
    WCHAR folded[FOLDED_NAME_SIZE];
    EXPECT_EQ(FoldSchemeName(u"\u00C9t\u00E9", folded), 3);
    EXPECT_EQ(std::u16string(folded), u"Ete");
    // Built from empty each time, never appended to what a call left.
    EXPECT_EQ(FoldSchemeName(u"\u00C0", folded), 1);
    EXPECT_EQ(std::u16string(folded), u"A");

    FoldSchemeName(u"\u00C0\u00C1\u00C2\u00C3\u00C4\u00C5\u00C6\u00C7\u00C8\u00C9\u00CA\u00CB\u00CC\u00CD\u00CE\u00CF",
                   folded);
    EXPECT_EQ(std::u16string(folded), u"AAAAAAAECEEEEIIII");
    FoldSchemeName(u"\u00D0\u00D1\u00D2\u00D3\u00D4\u00D5\u00D6\u00D7\u00D8\u00D9\u00DA\u00DB\u00DC\u00DD\u00DE\u00DF",
                   folded);
    EXPECT_EQ(std::u16string(folded), u"\u00D0NOOOOO\u00D7\u00D8UUUUY\u00DE\u00DF");
    FoldSchemeName(u"\u00E0\u00E1\u00E2\u00E3\u00E4\u00E5\u00E6\u00E7\u00E8\u00E9\u00EA\u00EB\u00EC\u00ED\u00EE\u00EF",
                   folded);
    EXPECT_EQ(std::u16string(folded), u"aaaaaaaeceeeeiiii");
    FoldSchemeName(u"\u00F0\u00F1\u00F2\u00F3\u00F4\u00F5\u00F6\u00F7\u00F8\u00F9\u00FA\u00FB\u00FC\u00FD\u00FE\u00FF",
                   folded);
    EXPECT_EQ(std::u16string(folded), u"\u00F0nooooo\u00F7\u00F8uuuuy\u00FEy");
    FoldSchemeName(u"\u0152uvre \u0153uf \u2018\u2019\u201A\u201B \u201C\u201D\u201E\u201F \u2020\u0178", folded);
    EXPECT_EQ(std::u16string(folded), u"OEuvre oeuf '''' \"\"\"\" \u2020\u0178");
}

TEST_F(SchemeListTest, FoldedNamesStayBelow1024Characters) {
    WCHAR folded[FOLDED_NAME_SIZE];
    std::u16string fits(1023, u'a');
    EXPECT_EQ(FoldSchemeName(fits.c_str(), folded), 1023);
    std::u16string tooLong(1024, u'a');
    EXPECT_EQ(FoldSchemeName(tooLong.c_str(), folded), -1);
    EXPECT_EQ(folded[0], 0);
    // A ligature that would cross the limit counts whole.
    std::u16string ligature = std::u16string(1022, u'a') + u"\u00C6";
    EXPECT_EQ(FoldSchemeName(ligature.c_str(), folded), -1);
}

TEST_F(SchemeListTest, SelectReadsPositionsThenFallsBackToPatterns) {
    Add(u"2");
    EXPECT_EQ(SelectScheme(u"2"), g_schemes);  // no second scheme: the text is a pattern
    Add(u"0");
    Add(u"3rd");
    for (int i = 4; i <= 10; ++i) Add((u"Scheme " + std::u16string(1, char16_t(u'0' + i % 10))).c_str());
    std::vector<ColorScheme *> at{nullptr};
    for (ColorScheme *s = g_schemes; s; s = s->next) at.push_back(s);

    EXPECT_EQ(SelectScheme(u"2"), at[2]);
    EXPECT_EQ(SelectScheme(u"0x0A"), at[10]);
    EXPECT_EQ(SelectScheme(u"0"), at[2]);     // never a position
    EXPECT_EQ(SelectScheme(u"3rd"), at[3]);   // not a number: a pattern
    EXPECT_EQ(SelectScheme(u"11"), nullptr);  // past the tail, and no name "11"
    EXPECT_EQ(SelectScheme(u"scheme ?"), at[4]);
    EXPECT_EQ(SelectScheme(u" 2"), nullptr);  // not a strict number, no such name
    EXPECT_EQ(SelectScheme(u""), nullptr);
    EXPECT_EQ(SelectScheme(nullptr), nullptr);

    EXPECT_EQ(SchemeAtPosition(0), nullptr);
    EXPECT_EQ(SchemeAtPosition(1), at[1]);
    EXPECT_EQ(SchemeAtPosition(10), at[10]);
    EXPECT_EQ(SchemeAtPosition(11), nullptr);
    EXPECT_EQ(SchemeAtPosition(0xFFFFFFFF), nullptr);
}

TEST_F(SchemeListTest, DarkBelowLuminance500) {
    EXPECT_EQ(ColorLuminance(RGB(0x80, 0x80, 0x80)), 501u);
    EXPECT_FALSE(IsDarkColor(RGB(0x80, 0x80, 0x80)));
    EXPECT_EQ(ColorLuminance(RGB(0x7F, 0x7F, 0x7F)), 498u);
    EXPECT_TRUE(IsDarkColor(RGB(0x7F, 0x7F, 0x7F)));
    EXPECT_EQ(ColorLuminance(RGB(255, 255, 255)), 1000u);
    EXPECT_EQ(ColorLuminance(RGB(0, 0, 0)), 0u);
    // Red weighs least after blue; the bytes must not be swapped.
    EXPECT_EQ(ColorLuminance(RGB(255, 0, 0)), 299u);
    EXPECT_EQ(ColorLuminance(RGB(0, 0, 255)), 114u);

    // The background nibble of StdColors picks the palette entry.
    ColorScheme scheme = Template(true);
    scheme.StdColors = 0xF0;
    scheme.palette[15] = RGB(0x80, 0x80, 0x80);
    EXPECT_FALSE(IsDarkScheme(&scheme));
    scheme.palette[15] = RGB(0x7F, 0x7F, 0x7F);
    EXPECT_TRUE(IsDarkScheme(&scheme));
}

// ---- the built-in schemes ----

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
        ASSERT_TRUE(AddScheme(&scheme, name, u"", &g_schemes));
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
        {1,
         21,
         {3, 15, 12, 11, 31, 31, 15, 240, 112},
         {u"#000030", u"#0000a0", u"#009000", u"#0090a0", u"#900000", u"#9000a0", u"#806000", u"#b0b8c8", u"#606060",
          u"#4040ff", u"#40ff40", u"#40ffff", u"#ff4040", u"#40ffff", u"#ffff40", u"#f0f8ff"},
         u"dirs:12;com exe:10;bat btm cmd:2;txt doc html:11;"},
        {0,
         956,
         {241, 242, 244, 241, 31, 31, 240, 31, 15},
         {u"#000000", u"#0000a0", u"#009000", u"#0090a0", u"#900000", u"#9000a0", u"#909000", u"#c0c0c0", u"#606060",
          u"#4040ff", u"#40ff40", u"#40ffff", u"#ff4040", u"#ff40ff", u"#ffff40", u"#e8f8ff"},
         u"dirs:244;com exe:242;bat btm cmd:241;txt doc html:243;"},
        {1,
         110,
         {7, 10, 12, 11, 112, 63, 7, 112, 240},
         {u"#003000", u"#0000a0", u"#009000", u"#0090a0", u"#900000", u"#9000a0", u"#608000", u"#c4e0c4", u"#606060",
          u"#4040ff", u"#40ff40", u"#40ffff", u"#ff4040", u"#ff40ff", u"#ffff40", u"#ffffff"},
         u"dirs:12;com exe:10;bat btm cmd:2;txt doc html:11;"},
        {0,
         977,
         {240, 246, 244, 240, 111, 111, 240, 111, 15},
         {u"#000000", u"#0000a0", u"#009000", u"#0090a0", u"#900000", u"#9000a0", u"#806000", u"#c0c0c0", u"#606060",
          u"#4040ff", u"#40ff40", u"#40ffff", u"#ff4040", u"#ff40ff", u"#ffff40", u"#fff8f0"},
         u"dirs:244;com exe:242;bat btm cmd:241;txt doc html:243;"},
    };
    int i = 0;
    for (ColorScheme *s = g_schemes; s; s = s->next, ++i) {
        const Expected &e = expected[i];
        WORD directives[9] = {s->StdColors,    s->InputColors,         s->ErrorColors,
                              s->ListColors,   s->ListStatBarColors,   s->ListInverseColors,
                              s->SelectColors, s->SelectStatBarColors, s->SelectedColors};
        for (int d = 0; d < 9; ++d) EXPECT_EQ(directives[d], e.directives[d]) << i << ":" << d;
        for (int p = 0; p < 16; ++p) EXPECT_EQ(Hex(s->palette[p]), e.palette[p]) << i << ":" << p;
        EXPECT_EQ(s->dark, e.dark) << i;
        EXPECT_EQ(IsDarkScheme(s), e.dark) << i;
        EXPECT_EQ(ColorLuminance(s->palette[s->StdColors >> 4]), e.luminance) << i;
        EXPECT_EQ(std::u16string(s->ColorDir), e.colorDir) << i;
    }
}

}  // namespace
