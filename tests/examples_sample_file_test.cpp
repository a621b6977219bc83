// The sample scheme file shipped in the package: every scheme it offers is
// accepted by the reader, in the file's order, and is dark or light as its
// name promises, so that the hotkey has both kinds to swap between.
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

}  // namespace
