#include <cstring>
#include <vector>

#include "base/base.h"
#include "schemes/schemes.h"
#include "support/plugin_fixture.h"

namespace {

using ColorValuesTest = PluginTest;

TEST_F(ColorValuesTest, ParseNumberAcceptsOnlyWholeDecimalOrHexText) {
    struct Case {
        const char16_t *text;
        bool parsed;
        DWORD value;
    } cases[] = {
        {u"15", true, 15},
        {u"0x0F", true, 15},
        {u"0X1f", true, 31},
        {u"007", true, 7},
        {u"0", true, 0},
        {u"4294967295", true, 0xFFFFFFFF},
        {u"0xFFFFFFFF", true, 0xFFFFFFFF},
        {u"4294967296", false, 0},
        {u"0x100000000", false, 0},
        {u"0x", false, 0},
        {u"0xg", false, 0},
        {u"1e", false, 0},
        {u" 5", false, 0},
        {u"5 ", false, 0},
        {u"+5", false, 0},
        {u"-5", false, 0},
        {u"", false, 0},
        {u"x10", false, 0},
    };
    for (const Case &c : cases) {
        DWORD value = 12345;
        EXPECT_EQ(ParseNumber(c.text, &value), c.parsed) << Narrow(c.text);
        EXPECT_EQ(value, c.parsed ? c.value : 12345u) << Narrow(c.text);
    }
    DWORD value = 0;
    EXPECT_FALSE(ParseNumber(nullptr, &value));
}

TEST_F(ColorValuesTest, HexTriplesNeedExactlySixOrThreeDigits) {
    EXPECT_EQ(ParseColorValue(u"#FF8000"), 0xFF8000);
    EXPECT_EQ(ParseColorValue(u"#ff8000"), 0xFF8000);
    EXPECT_EQ(ParseColorValue(u"#f80"), 0xFF8800);
    EXPECT_EQ(ParseColorValue(u"#abc"), 0xAABBCC);
    EXPECT_EQ(ParseColorValue(u"#000000"), 0);
    for (const char16_t *bad : {u"#ff80", u"#ff8000x", u"#", u"", u"#ff80000", u"#fffffffff0", u"FF8000", u"# f80"}) {
        EXPECT_EQ(ParseColorValue(bad), -1) << Narrow(bad);
    }
    EXPECT_EQ(ParseColorValue(nullptr), -1);
}

TEST_F(ColorValuesTest, NamesIgnoreCaseSeparatorsAndTheGreySpelling) {
    for (const char16_t *alice : {u"Alice Blue", u"alice-blue", u"ALICE_BLUE", u"AliceBlue", u" alice\tblue "}) {
        EXPECT_EQ(ParseColorValue(alice), 0xF0F8FF) << Narrow(alice);
    }
    EXPECT_EQ(ParseColorValue(u"grey"), 0x808080);
    EXPECT_EQ(ParseColorValue(u"Dark Slate Grey"), 0x2F4F4F);
    EXPECT_EQ(ParseColorValue(u"Light Slate Grey"), 0x778899);
    EXPECT_EQ(ParseColorValue(u"Hot Pink"), 0xFF69B4);
    // Cut to 20 characters, which leaves the longest name.
    EXPECT_EQ(ParseColorValue(u"LightGoldenrodYellowish"), 0xFAFAD2);
    // The separator keeps G R apart from E, so this is no grey.
    EXPECT_EQ(ParseColorValue(u"Gr-ey"), -1);
    EXPECT_EQ(ParseColorValue(u"Greyish"), -1);
    EXPECT_EQ(ParseColorValue(u" - _ "), -1);
    EXPECT_EQ(ParseColorValue(u"Bl\u00FCe"), -1);
}

TEST_F(ColorValuesTest, NamedTableHoldsTheKeywordValuesInOrder) {
    struct Row {
        int index;
        const char16_t *name;
        DWORD rgb;
    } rows[] = {
        {0, u"AliceBlue", 0xF0F8FF}, {2, u"Aqua", 0x00FFFF},          {20, u"Cyan", 0x00FFFF},
        {24, u"DarkGray", 0xA9A9A9}, {45, u"Fuchsia", 0xFF00FF},      {50, u"Gray", 0x808080},
        {51, u"Green", 0x008000},    {54, u"Hotpink", 0xFF69B4},      {66, u"LightGoldenrodYellow", 0xFAFAD2},
        {76, u"Lime", 0x00FF00},     {79, u"Magenta", 0xFF00FF},      {81, u"MediumAquaMarine", 0x66CDAA},
        {122, u"Silver", 0xC0C0C0},  {139, u"YellowGreen", 0x9ACD32},
    };
    for (const Row &r : rows) {
        EXPECT_EQ(std::u16string(NAMED_COLORS[r.index].name), r.name) << r.index;
        EXPECT_EQ(NAMED_COLORS[r.index].rgb, r.rgb) << Narrow(r.name);
    }
    for (const NamedColor &color : NAMED_COLORS) {
        std::u16string name(color.name);
        EXPECT_FALSE(name.empty());
        EXPECT_LE(name.size(), 20u);
        EXPECT_EQ(name.find(u"Grey"), std::u16string::npos) << Narrow(name);
        EXPECT_LE(color.rgb, 0xFFFFFFu);
        // Every stored name finds a row with its own value (Aqua and Cyan share one).
        EXPECT_EQ(ParseColorValue(color.name), static_cast<LONG>(color.rgb)) << Narrow(name);
    }
    for (DWORD i = 1; i < NAMED_COLOR_COUNT; ++i) {
        EXPECT_LT(StrCompareI(NAMED_COLORS[i - 1].name, NAMED_COLORS[i].name), 0) << i;
    }
}

TEST_F(ColorValuesTest, AttributesReadForegroundOnBackground) {
    EXPECT_EQ(std::u16string(DescribeAttribute(0)), u"not set");
    EXPECT_EQ(std::u16string(DescribeAttribute(31)), u"Bright White on Blue");
    EXPECT_EQ(std::u16string(DescribeAttribute(7)), u"White on Black");
    EXPECT_EQ(std::u16string(DescribeAttribute(0x70)), u"Black on White");
    EXPECT_EQ(std::u16string(DescribeAttribute(0xFF)), u"Bright White on Bright White");
    EXPECT_EQ(std::u16string(DescribeAttribute(0x11)), u"Blue on Blue");
    EXPECT_EQ(std::u16string(DescribeAttribute(0xDD)), u"Bright Magenta on Bright Magenta");
    EXPECT_EQ(std::u16string(DescribeAttribute(0x100)), u"");
    EXPECT_EQ(std::u16string(DescribeAttribute(0x10F)), u"");
    // Only the low 16 bits count.
    EXPECT_EQ(std::u16string(DescribeAttribute(0x10007)), u"White on Black");
    // One buffer, overwritten by the next call.
    LPCWSTR first = DescribeAttribute(1);
    EXPECT_EQ(first, DescribeAttribute(2));
    EXPECT_EQ(std::u16string(first), u"Green on Black");
}

std::u16string RatioText(DWORD colorRef, DWORD otherColorRef) {
    WCHAR text[RATIO_TEXT_SIZE];
    FormatRatio(ContrastRatio(colorRef, otherColorRef), text);
    return text;
}

// Worked by hand from the sRGB curve: 0x77 is 0.4667, linear 0.1845, so
// 1.05 / 0.2345; 0x76 is linear 0.1812; 10/255 lies below the knee.
TEST_F(ColorValuesTest, ContrastRatiosAreThoseOfTheAccessibilityGuidelines) {
    EXPECT_EQ(RatioText(RGB(0, 0, 0), RGB(255, 255, 255)), u"21.00");
    EXPECT_EQ(RatioText(RGB(255, 255, 255), RGB(0, 0, 0)), u"21.00");
    EXPECT_EQ(RatioText(RGB(90, 20, 200), RGB(90, 20, 200)), u"1.00");
    EXPECT_EQ(RatioText(RGB(0x77, 0x77, 0x77), RGB(255, 255, 255)), u"4.48");
    EXPECT_EQ(RatioText(RGB(0x76, 0x76, 0x76), RGB(255, 255, 255)), u"4.54");
    EXPECT_EQ(RatioText(RGB(255, 0, 0), RGB(0, 0, 0)), u"5.25");  // red weighs 0.2126
    EXPECT_EQ(RatioText(RGB(0, 0, 255), RGB(0, 0, 0)), u"2.44");  // blue 0.0722
    EXPECT_EQ(RatioText(RGB(10, 10, 10), RGB(0, 0, 0)), u"1.06");
    EXPECT_EQ(ReadabilityMark(ContrastRatio(RGB(0x77, 0x77, 0x77), RGB(255, 255, 255))), u'~');
    EXPECT_EQ(ReadabilityMark(ContrastRatio(RGB(0x76, 0x76, 0x76), RGB(255, 255, 255))), u' ');
    EXPECT_EQ(ReadabilityMark(2.999), u'!');
    EXPECT_EQ(ReadabilityMark(3.0), u'~');
    EXPECT_EQ(ReadabilityMark(4.5), u' ');
}

// A ColorDir colour is a number or the host's colour words; one without a
// background of its own stands on StdColors' background, and an entry
// whose colour cannot be read is left out rather than guessed.
TEST_F(ColorValuesTest, ColorDirEntriesAreMeasuredOnTheirOwnOrTheStandardBackground) {
    ColorScheme scheme;
    memset(&scheme, 0, sizeof scheme);
    for (int i = 0; i < DIRECTIVE_COUNT; ++i) *DirectiveField(&scheme, i) = 0x17;
    for (int i = 0; i < 16; ++i) scheme.palette[i] = RGB(i * 16, i * 16, i * 16);
    scheme.palette[12] = RGB(0x12, 0x10, 0x10);  // nearly the blue background
    ASSERT_TRUE(AddScheme(&scheme, u"Dirs",
                          u"dirs:12; com exe : bright yellow ;txt:red on white;no colon;x:nonsense;y:300;z:0x4F;",
                          &g_schemes));
    std::vector<ReadablePair> pairs;
    int count = VisitReadablePairs(
        g_schemes,
        [](const ReadablePair *pair, void *context) {
            static_cast<std::vector<ReadablePair> *>(context)->push_back(*pair);
        },
        &pairs);
    ASSERT_EQ(count, 13);
    ASSERT_EQ(pairs.size(), 13u);
    EXPECT_EQ(std::u16string(pairs[0].directive), u"StdColors");
    auto entry = [&](int i) { return std::u16string(pairs[i].entry, pairs[i].entryLength); };
    EXPECT_EQ(entry(9), u"dirs");
    EXPECT_EQ(pairs[9].foreground, 12);
    EXPECT_EQ(pairs[9].background, 1);
    EXPECT_EQ(entry(10), u"com exe");
    EXPECT_EQ(pairs[10].foreground, 14);
    EXPECT_EQ(pairs[10].background, 1);
    EXPECT_EQ(entry(11), u"txt");
    EXPECT_EQ(pairs[11].foreground, 4);
    EXPECT_EQ(pairs[11].background, 7);
    EXPECT_EQ(entry(12), u"z");
    EXPECT_EQ(pairs[12].background, 4);
    ReadablePair lowest = LowestReadablePair(g_schemes);
    EXPECT_EQ(entry(9), std::u16string(lowest.entry, lowest.entryLength));
    EXPECT_LT(lowest.ratio, 1.1);
    // The command line's own colours (3.84:1) are what the hotkey's pick asks about.
    EXPECT_TRUE(IsReadableScheme(g_schemes));
}

}  // namespace
