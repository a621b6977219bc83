// Reading back what is in effect: recognising the scheme, showing a scheme
// or the current settings, and the scheme list.
#include <string>

#include "support/palette_fixture.h"

namespace {

class ShowTest : public PaletteTest {
  protected:
    void SetUp() override {
        PaletteTest::SetUp();
        Start();
        FreeSchemeList();
    }
};

TEST_F(ShowTest, TheAppliedSchemeIsRecognisedAndTheEarlierTwinWins) {
    ColorScheme *first = AddTestScheme(u"First", 0x1F, 0x1A, 0x1C);
    ColorScheme *twin = AddTestScheme(u"Twin", 0x1F, 0x1A, 0x1C);
    ColorScheme *other = AddTestScheme(u"Other", 0x2F, 0x2A, 0x2C, u"", 0x200000);
    EXPECT_EQ(IdentifyCurrentScheme(), nullptr);
    ASSERT_EQ(ApplyScheme(twin, nullptr), APPLY_DONE);
    EXPECT_EQ(IdentifyCurrentScheme(), first);
    ASSERT_EQ(ApplyScheme(other, nullptr), APPLY_DONE);
    EXPECT_EQ(IdentifyCurrentScheme(), other);
}

TEST_F(ShowTest, SelectionDirectivesPlayNoPartButPaletteAndColorDirDo) {
    ColorScheme *scheme = AddTestScheme(u"Scheme", 0x1F, 0x1A, 0x1C, u"dirs:12;");
    ASSERT_EQ(ApplyScheme(scheme, nullptr), APPLY_DONE);
    HostCtlSetOption(u"SelectColors", u"0x70");
    HostCtlSetOption(u"SelectedColors", u"0x71");
    EXPECT_EQ(IdentifyCurrentScheme(), scheme);

    // ColorDir compares without regard to ASCII case only.
    SetEnvironmentVariableW(u"ColorDir", u"DIRS:12;");
    EXPECT_EQ(IdentifyCurrentScheme(), scheme);
    SetEnvironmentVariableW(u"ColorDir", nullptr);
    EXPECT_EQ(IdentifyCurrentScheme(), nullptr);
    SetEnvironmentVariableW(u"ColorDir", u"dirs:12;");

    // Only schemes without ColorDir match an unset variable, and none
    // matches one too long to read.
    ColorScheme *bare = AddTestScheme(u"Bare", 0x1F, 0x1A, 0x1C, u"");
    ASSERT_EQ(ApplyScheme(bare, nullptr), APPLY_DONE);
    EXPECT_EQ(IdentifyCurrentScheme(), bare);
    SetEnvironmentVariableW(u"ColorDir", std::u16string(9000, u'x').c_str());
    EXPECT_EQ(IdentifyCurrentScheme(), nullptr);
    ASSERT_EQ(ApplyScheme(scheme, nullptr), APPLY_DONE);

    HostCtlSetOption(u"ListInverseColors", u"0x3E");
    EXPECT_EQ(IdentifyCurrentScheme(), nullptr);
    HostCtlSetOption(u"ListInverseColors", u"63");
    EXPECT_EQ(IdentifyCurrentScheme(), scheme);

    COLORREF table[16];
    for (int i = 0; i < 16; ++i) table[i] = scheme->palette[i];
    table[15] ^= 1;
    sim::SetConsoleColorTable(table);
    EXPECT_EQ(IdentifyCurrentScheme(), nullptr);
}

TEST_F(ShowTest, UnsetOptionsDefaultToTheConsoleAttributeAndItsInverse) {
    ColorScheme scheme;
    std::memset(&scheme, 0, sizeof scheme);
    scheme.StdColors = scheme.InputColors = scheme.ErrorColors = scheme.ListColors = 0x1E;
    scheme.ListStatBarColors = scheme.ListInverseColors = 0xE1;
    CONSOLE_SCREEN_BUFFER_INFOEX info = sim::ConsoleInfo();
    for (int i = 0; i < 16; ++i) scheme.palette[i] = info.ColorTable[i];
    ASSERT_TRUE(AddScheme(&scheme, u"Plain", u"", &g_schemes));
    sim::SetConsoleAttribute(0x1E);
    EXPECT_EQ(IdentifyCurrentScheme(), g_schemes);
    sim::FailCall("GetConsoleScreenBufferInfoEx", ERROR_INVALID_HANDLE);
    EXPECT_EQ(IdentifyCurrentScheme(), nullptr);
}

TEST_F(ShowTest, ASchemeIsShownWithItsDirectivesAndPalette) {
    SeedBuiltInSchemes();
    SchemeView view = {VIEW_TEXT, u"mar*"};
    EXPECT_EQ(ShowScheme(&view), 1);
    EXPECT_EQ(Out(),
              u"\r\n"
              u"Color scheme name:    Marianas Trench\r\n"
              u"StdColors:            Cyan on Black\r\n"
              u"InputColors:          Bright White on Black\r\n"
              u"ErrorColors:          Bright Red on Black\r\n"
              u"ListColors:           Bright Cyan on Black\r\n"
              u"ListStatBarColors:    Bright White on Blue\r\n"
              u"ListInverseColors:    Bright White on Blue\r\n"
              u"SelectColors:         Bright White on Black\r\n"
              u"SelectStatBarColors:  Black on Bright White\r\n"
              u"SelectedColors:       Black on White\r\n"
              u"Scheme type:          Dark\r\n"
              u"ColorDir:             dirs:12;com exe:10;bat btm cmd:2;txt doc html:11;\r\n"
              u"Color  0:             #000030\r\n"
              u"Color  1:             #0000a0\r\n"
              u"Color  2:             #009000\r\n"
              u"Color  3:             #0090a0\r\n"
              u"Color  4:             #900000\r\n"
              u"Color  5:             #9000a0\r\n"
              u"Color  6:             #806000\r\n"
              u"Color  7:             #b0b8c8\r\n"
              u"Color  8:             #606060\r\n"
              u"Color  9:             #4040ff\r\n"
              u"Color 10:             #40ff40\r\n"
              u"Color 11:             #40ffff\r\n"
              u"Color 12:             #ff4040\r\n"
              u"Color 13:             #40ffff\r\n"
              u"Color 14:             #ffff40\r\n"
              u"Color 15:             #f0f8ff\r\n"
              u"\r\n");
    EXPECT_EQ(g_schemes->palette[3], 0x00A09000u);  // printed above as #0090a0

    HostCtlClearOutput();
    view.text = u"nosuch";
    EXPECT_EQ(ShowScheme(&view), 0);
    EXPECT_EQ(ShowScheme(nullptr), -1);
    SchemeView none = {VIEW_NONE, nullptr};
    EXPECT_EQ(ShowScheme(&none), -1);
    EXPECT_EQ(Out(), u"");
}

TEST_F(ShowTest, CurrentSettingsShowWhatTheHostAndConsoleHold) {
    ColorScheme *scheme = AddTestScheme(u"Scheme", 0x1F, 0x1A, 0x1C, u"");
    scheme->palette[1] = RGB(0xFF, 0xFF, 0xFF);  // a light blue background
    ASSERT_EQ(ApplyScheme(scheme, nullptr), APPLY_DONE);
    HostCtlSetOption(u"SelectColors", u"Bright White on Blue");  // no number
    HostCtlSetOption(u"SelectedColors", u"99999999999");         // overflow
    SchemeView view = {VIEW_CURRENT, nullptr};
    EXPECT_EQ(ShowScheme(&view), 1);
    std::u16string out = Out();
    std::u16string head =
        u"\r\nColor scheme name:    (current)\r\n"
        u"StdColors:            Bright White on Blue\r\n"
        u"InputColors:          Bright Green on Blue\r\n";
    EXPECT_EQ(out.substr(0, head.size()), head);
    EXPECT_NE(out.find(u"SelectColors:         not set\r\n"), std::u16string::npos);
    EXPECT_NE(out.find(u"SelectedColors:       \r\n"), std::u16string::npos);
    EXPECT_NE(out.find(u"Scheme type:          Light\r\nColorDir:             not set\r\n"), std::u16string::npos);
    EXPECT_NE(out.find(u"Color  1:             #ffffff\r\n"), std::u16string::npos);
    EXPECT_NE(out.find(u"Color 15:             #0f0010\r\n\r\n"), std::u16string::npos);

    // Without the console: no type and no colour lines, the rest as before.
    HostCtlClearOutput();
    sim::FailCall("GetConsoleScreenBufferInfoEx", ERROR_INVALID_HANDLE);
    EXPECT_EQ(ShowScheme(&view), 1);
    out = Out();
    EXPECT_NE(out.find(u"Scheme type:          \r\nColorDir:             not set\r\n\r\n"), std::u16string::npos);
    EXPECT_EQ(out.find(u"Color  0:"), std::u16string::npos);
}

TEST_F(ShowTest, TheListMarksOneSchemeAndCountsDarkAndLight) {
    EXPECT_EQ(ListSchemes(nullptr), 0);
    EXPECT_EQ(Out(), u"\r\nNo color schemes loaded.\r\n");
    HostCtlClearOutput();

    AddTestScheme(u"Abyss", 0x1F, 0x1A, 0x1C);
    ColorScheme *marked = AddTestScheme(u"An unusually long scheme name", 0x1F, 0x1A, 0x1C);
    ColorScheme *light = AddTestScheme(u"Paper", 0xF0, 0xF1, 0xF4);
    light->dark = 0;
    EXPECT_EQ(ListSchemes(marked), 3);
    EXPECT_EQ(Out(),
              u"\r\n"
              u"  1:   Abyss                      (dark)\r\n"
              u"  2: * An unusually long scheme name  (dark)\r\n"
              u"  3:   Paper                      (light)\r\n"
              u"\r\n3 color schemes loaded (2 dark, 1 light).\r\n");
}

}  // namespace
