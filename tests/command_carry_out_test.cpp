// Carrying the command out: the settings screen, the scheme argument, the
// combination rules, the order of the steps and the result codes.
#include <string>

#include "command/command.h"
#include "support/palette_fixture.h"

namespace {

const std::u16string SCREEN_HEAD = Versioned(
    u"\r\nVivanta v%VERSION% settings:\r\n\n"
    u"  Hotkey  . . . . . . . . . . /K: Alt-Z\r\n"
    u"  Hotkey OSD  . . . . . . . . /O: Yes\r\n");

std::u16string SchemeList(int marked) {
    const char16_t *lines[4] = {u"Marianas Trench            (dark)", u"Ice Palace                 (light)",
                                u"Forest Primeval            (dark)",
                                u"Cr\u00e8me Br\u00fbl\u00e9e               (light)"};
    std::u16string list = u"\r\n";
    for (int i = 0; i < 4; ++i) {
        list += u"  " + std::u16string(1, u'1' + i) + u": " + (i + 1 == marked ? u"* " : u"  ") + lines[i] + u"\r\n";
    }
    return list + u"\r\n4 color schemes loaded (2 dark, 2 light).\r\n";
}

class CarryOutTest : public PaletteTest {
  protected:
    void SetUp() override {
        PaletteTest::SetUp();
        Start();
    }
    static bool ConsoleShows(int position) {
        const ColorScheme *scheme = SchemeAtPosition(static_cast<DWORD>(position));
        CONSOLE_SCREEN_BUFFER_INFOEX info = sim::ConsoleInfo();
        for (int i = 0; i < 16; ++i) {
            if (info.ColorTable[i] != scheme->palette[i]) return false;
        }
        return info.wAttributes == scheme->StdColors;
    }
};

TEST_F(CarryOutTest, NoArgumentsShowTheSettingsScreen) {
    EXPECT_EQ(vivanta(u""), 0);
    EXPECT_EQ(Out(), SCREEN_HEAD + SchemeList(0));
    HostCtlClearOutput();
    EXPECT_EQ(vivanta(u"  \"\"  "), 0);
    EXPECT_EQ(Out(), SCREEN_HEAD + SchemeList(0));
    EXPECT_EQ(HostCommandLog(), u"");
}

TEST_F(CarryOutTest, APositionOrPatternIsAppliedAndMarked) {
    EXPECT_EQ(vivanta(u"3"), 0);
    EXPECT_TRUE(ConsoleShows(3));
    EXPECT_EQ(Out(), SCREEN_HEAD + SchemeList(3));
    EXPECT_EQ(Err(), u"");

    HostCtlClearOutput();
    EXPECT_EQ(vivanta(u"/Q 0x02"), 0);
    EXPECT_TRUE(ConsoleShows(2));
    EXPECT_EQ(Out(), u"");

    EXPECT_EQ(vivanta(u"/Q Marianas Trench"), 0);
    EXPECT_TRUE(ConsoleShows(1));
    EXPECT_EQ(vivanta(u"/q cr*"), 0);
    EXPECT_TRUE(ConsoleShows(4));
    EXPECT_EQ(Out(), u"");
    EXPECT_EQ(Err(), u"");

    // Recognised afterwards without having been applied in that call.
    EXPECT_EQ(vivanta(u""), 0);
    EXPECT_EQ(Out(), SCREEN_HEAD + SchemeList(4));
}

TEST_F(CarryOutTest, AMissingSchemeIsReportedAndTheScreenStillShown) {
    EXPECT_EQ(vivanta(u"Marianas Trench /Q"), 2);
    EXPECT_EQ(Err(), u"Vivanta plugin: Color scheme not found: \"Marianas Trench /Q\"\r\n");
    EXPECT_EQ(Out(), SCREEN_HEAD + SchemeList(0));
    // 0 and positions past the end are names.
    HostCtlClearOutput();
    EXPECT_EQ(vivanta(u"/Q 0"), 2);
    EXPECT_EQ(vivanta(u"/Q 99"), 2);
    EXPECT_EQ(Err(),
              u"Vivanta plugin: Color scheme not found: \"0\"\r\n"
              u"Vivanta plugin: Color scheme not found: \"99\"\r\n");
    EXPECT_EQ(Out(), u"");
    EXPECT_EQ(HostCommandLog(), u"");
}

TEST_F(CarryOutTest, ASchemeThatCannotBeAppliedIsReported) {
    sim::FailCall("GetConsoleScreenBufferInfoEx", ERROR_INVALID_HANDLE);
    EXPECT_EQ(vivanta(u"/Q ice*"), 2);
    EXPECT_EQ(Err(), u"Vivanta plugin: Error applying color scheme \"Ice Palace\"\r\n");
}

TEST_F(CarryOutTest, UnderWinesConsoleTheSecondWriteDecides) {
    sim::SetupFrontEnd(sim::FrontEnd::Wine);
    EXPECT_EQ(vivanta(u"2"), 0);
    EXPECT_EQ(Out(), SCREEN_HEAD + SchemeList(2));
    EXPECT_EQ(Err(), u"");

    HostCtlClearOutput();
    sim::FailCall("SetConsoleScreenBufferInfoEx", ERROR_INVALID_PARAMETER, 2);
    EXPECT_EQ(vivanta(u"3"), 2);
    EXPECT_EQ(Err(), u"Vivanta plugin: Error applying color scheme \"Forest Primeval\"\r\n");
    EXPECT_EQ(Out(), SCREEN_HEAD + SchemeList(0));
}

TEST_F(CarryOutTest, ViewShowsTheAppliedSchemeInsteadOfTheScreen) {
    ASSERT_EQ(vivanta(u"2"), 0);
    HostCtlClearOutput();
    EXPECT_EQ(vivanta(u"/V"), 0);
    std::u16string out = Out();
    EXPECT_EQ(out.find(u"settings:"), std::u16string::npos);
    EXPECT_NE(out.find(u"Color scheme name:    (current)\r\nStdColors:            Blue on Bright White\r\n"),
              std::u16string::npos);
    EXPECT_NE(out.find(u"Color 15:             #e8f8ff\r\n"), std::u16string::npos);

    HostCtlClearOutput();
    EXPECT_EQ(vivanta(u"/V:ice*"), 0);
    EXPECT_NE(Out().find(u"Color scheme name:    Ice Palace\r\n"), std::u16string::npos);

    // A view of nothing falls back to the screen, without complaint.
    HostCtlClearOutput();
    EXPECT_EQ(vivanta(u"/V:nosuch"), 0);
    EXPECT_EQ(Out(), SCREEN_HEAD + SchemeList(2));
    EXPECT_EQ(Err(), u"");

    HostCtlClearOutput();
    EXPECT_EQ(vivanta(u"/V /Q"), 0);
    EXPECT_EQ(Out(), u"");
}

TEST_F(CarryOutTest, ListingHotkeysGoesAloneOrWithHarmlessOptions) {
    EXPECT_EQ(vivanta(u"/L /K:NONE /Q /M /V"), 0);
    std::u16string out = Out();
    EXPECT_EQ(out.substr(0, 10), u"F1 \u00b7 Shift");
    EXPECT_EQ(out.find(u"settings:"), std::u16string::npos);
    EXPECT_EQ(g_settings.hotkey, static_cast<DWORD>(DEFAULT_HOTKEY));  // /K:NONE was not carried out

    const char16_t *refused[] = {u"/L /D",  u"/L /K:F5",    u"/L /O:N",     u"/L /R", u"/L /S",
                                 u"/L /S!", u"/L /F:x.ini", u"/L /W:x.ini", u"/L 2"};
    for (const char16_t *arguments : refused) {
        HostCtlClearOutput();
        EXPECT_EQ(vivanta(arguments), 1) << Narrow(arguments);
        EXPECT_EQ(Err(), u"Vivanta plugin: Can\u2019t combine /L with other options\r\n") << Narrow(arguments);
        EXPECT_EQ(Out(), u"");
    }
}

TEST_F(CarryOutTest, WritingGoesAlone) {
    const char16_t *refused[] = {u"/W:x.ini /D", u"/W:x.ini /K:F5",    u"/W:x.ini /R", u"/W:x.ini /S",
                                 u"/W:x.ini /V", u"/W:x.ini /F:y.ini", u"/W:x.ini 2"};
    for (const char16_t *arguments : refused) {
        HostCtlClearOutput();
        EXPECT_EQ(vivanta(arguments), 1) << Narrow(arguments);
        EXPECT_EQ(Err(), u"Vivanta plugin: Can\u2019t combine /W with other options\r\n") << Narrow(arguments);
    }
    // /K:NONE is no change, and /M and /Q go with /W.
    HostCtlClearOutput();
    EXPECT_EQ(vivanta(u"/W:-::Mine /M /Q /K:none"), 0);
    EXPECT_EQ(Err(), u"");
    EXPECT_EQ(g_settings.hotkey, static_cast<DWORD>(DEFAULT_HOTKEY));
}

TEST_F(CarryOutTest, MergeAloneHasNothingToMerge) {
    EXPECT_EQ(vivanta(u"/M /Q"), 0);
    EXPECT_EQ(Err(), u"");
    EXPECT_EQ(Out(), u"");
}

TEST_F(CarryOutTest, DefaultsComeBeforeTheCommandLineValues) {
    g_settings.hotkey = 0;
    g_settings.osdEnabled = FALSE;
    EXPECT_EQ(vivanta(u"/D"), 0);
    EXPECT_EQ(Out(), u"Default plugin settings restored.\r\n" + std::u16string(SCREEN_HEAD) + SchemeList(0));
    EXPECT_EQ(g_settings.hotkey, static_cast<DWORD>(DEFAULT_HOTKEY));
    EXPECT_TRUE(g_settings.osdEnabled);

    HostCtlClearOutput();
    EXPECT_EQ(vivanta(u"/O:no /K:F5 /D"), 0);
    EXPECT_EQ(g_settings.hotkey, 0x1003Fu);
    EXPECT_FALSE(g_settings.osdEnabled);
    std::u16string out = Out();
    EXPECT_NE(out.find(u"  Hotkey  . . . . . . . . . . /K: F5\r\n  Hotkey OSD  . . . . . . . . /O: No\r\n"),
              std::u16string::npos);

    HostCtlClearOutput();
    EXPECT_EQ(vivanta(u"/D/Q"), 0);
    EXPECT_EQ(Out(), u"");
    EXPECT_EQ(g_settings.hotkey, static_cast<DWORD>(DEFAULT_HOTKEY));

    EXPECT_EQ(vivanta(u"/O:yes /K:none /Q"), 0);
    EXPECT_EQ(g_settings.hotkey, 0u);
    EXPECT_TRUE(g_settings.osdEnabled);
}

TEST_F(CarryOutTest, TheLastOfARepeatedOptionCounts) {
    EXPECT_EQ(vivanta(u"/K:F5 /K:F6 /O:N /O:Y /Q"), 0);
    EXPECT_EQ(g_settings.hotkey, 0x10040u);
    EXPECT_TRUE(g_settings.osdEnabled);
}

}  // namespace
