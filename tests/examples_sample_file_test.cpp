// The sample scheme file shipped in the package: every scheme it offers is
// accepted by the reader, in the file's order, and is dark or light as its
// name promises, so that the hotkey has both kinds to swap between; each
// reads as well as the guide asks of a scheme, and each is a palette of its
// own rather than another's with a different background.
#include <string>

#include "support/scheme_file_fixture.h"

namespace {

struct Expected {
    const char16_t *name;
    DWORD dark;
};

const Expected SAMPLE_SCHEMES[] = {
    {u"Midnight Harbor", 1}, {u"Starless Sea", 1},    {u"Volcanic Ash", 1},  {u"Deep Forest Night", 1},
    {u"Espresso Dark", 1},   {u"Northern Lights", 1}, {u"Plum Shadow", 1},   {u"Morning Paper", 0},
    {u"Sea Salt", 0},        {u"Linen Light", 0},     {u"Spring Meadow", 0}, {u"Sandstone Noon", 0},
    {u"Cloud Nine", 0},      {u"Lemon Sorbet", 0},
};

std::u16string SampleFilePath() {
    std::string path = std::string(VIVANTA_SOURCE_DIR) + "/examples/Vivanta.ini";
    return std::u16string(path.begin(), path.end());
}

class SampleFileTest : public SchemeFileTest {};

TEST_F(SampleFileTest, EverySchemeIsReadAndClassedAsItsNameSays) {
    const int expectedCount = sizeof SAMPLE_SCHEMES / sizeof SAMPLE_SCHEMES[0];
    ASSERT_EQ(ReadSchemeFile(SampleFilePath().c_str(), false), expectedCount);

    const ColorScheme *scheme = g_schemes;
    int dark = 0, light = 0;
    for (const Expected &expected : SAMPLE_SCHEMES) {
        ASSERT_NE(scheme, nullptr) << "missing " << Narrow(expected.name);
        EXPECT_EQ(std::u16string(scheme->name), std::u16string(expected.name));
        EXPECT_EQ(scheme->dark, expected.dark) << Narrow(expected.name);
        // The flag must come from the colours, not be taken on trust.
        EXPECT_EQ(IsDarkScheme(scheme), expected.dark) << Narrow(expected.name);
        (expected.dark ? dark : light) += 1;
        scheme = scheme->next;
    }
    // The switched-off section stays out of the list.
    EXPECT_EQ(scheme, nullptr);
    EXPECT_GE(dark, 6);
    EXPECT_GE(light, 6);
}

// Every pair /C measures reads at the guide's floor for ordinary text, and
// no two schemes of one kind share most of their colours (that offers no
// choice): at least twelve of the sixteen slots differ where the eye sees
// it, some channel by more than 8.
TEST_F(SampleFileTest, EverySchemeReadsWellAndHasAPaletteOfItsOwn) {
    ASSERT_GT(ReadSchemeFile(SampleFilePath().c_str(), false), 0);
    auto channelsApart = [](DWORD a, DWORD b) {
        for (int shift = 0; shift < 24; shift += 8) {
            int difference = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
            if (difference > 8 || difference < -8) return true;
        }
        return false;
    };
    for (const ColorScheme *a = g_schemes; a; a = a->next) {
        ReadablePair lowest = LowestReadablePair(a);
        std::u16string pair = lowest.directive ? std::u16string(lowest.directive)
                                               : u"ColorDir " + std::u16string(lowest.entry, lowest.entryLength);
        EXPECT_GE(lowest.ratio, 4.5) << Narrow(a->name) << ": " << Narrow(pair);
        for (const ColorScheme *b = a->next; b; b = b->next) {
            if (a->dark != b->dark) continue;
            int differing = 0;
            for (int slot = 0; slot < 16; ++slot) differing += channelsApart(a->palette[slot], b->palette[slot]);
            EXPECT_GE(differing, 12) << Narrow(a->name) << " and " << Narrow(b->name);
        }
    }
}

}  // namespace
