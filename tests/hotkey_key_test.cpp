// The keystroke handler: recognising the hotkey with the modifiers held,
// measuring the background, picking and applying a scheme of the other
// kind, and what happens when nothing can be applied.
#include "base/base.h"
#include "support/osd_fixture.h"

namespace {

using HotkeyTest = OsdTest;

TEST_F(HotkeyTest, CtrlIsAddedToTheHostsCodeOnlyInTheCombinationsTheTablesKnow) {
    Start(u"23");                 // the classic key table
    g_settings.hotkey = 0x30054;  // Ctrl-Shift-F1
    EXPECT_EQ(Press(0x10054, true, true, false), 1);
    EXPECT_EQ(Press(0x10054, true, true, true), 0);  // with Alt as well it stays Shift-F1
    g_settings.hotkey = 0x10054;
    EXPECT_EQ(Press(0x10054, true, true, true), 1);
    g_settings.hotkey = 0x4002C;  // Ctrl-Alt-Z
    EXPECT_EQ(Press(0x2C, false, true, true), 1);
    EXPECT_EQ(Press(0x2C, true, true, true), 0);               // no Ctrl-Alt-Shift column here
    EXPECT_EQ(Press(0, false, true, true, u"Ctrl-Alt-Z"), 0);  // names count from version 24 on
}

TEST_F(HotkeyTest, NewerHostsReportSomeKeysOnlyByName) {
    Start(u"28");
    g_settings.hotkey = 0x7005E;  // Ctrl-Alt-Shift-F1 of the extended table
    EXPECT_EQ(Press(0, false, false, false, u"Ctrl-Alt-Shift-F1"), 1);
    EXPECT_EQ(Press(0x1005E, true, true, true), 1);
    int before = sim::CallCount("GetAsyncKeyState");
    EXPECT_EQ(Press(0, false, false, false, u"No-Such-Key"), 0);
    EXPECT_EQ(Press(0, false, false, false, u"A"), 0);  // not allowed: never a match
    KeyPress nameless(0);
    nameless.info.keyName = nullptr;
    EXPECT_EQ(key(&nameless.info), 0);
    EXPECT_EQ(sim::CallCount("GetAsyncKeyState"), before);

    g_settings.hotkey = 0;  // no hotkey: nothing matches
    EXPECT_EQ(Press(0x1002C, false, false, true), 0);
}

TEST_F(HotkeyTest, AKeystrokeThatIsNotTheHotkeyAllocatesAndAsksNothingElse) {
    Start();
    g_settings.hotkey = 0x4002C;
    KeyPress typed(0x2C);
    MemResetCounts();
    int calls = sim::TotalCallCount();
    key(&typed.info);  // Z could be Ctrl-Alt-Z: the three modifiers are read
    EXPECT_EQ(sim::TotalCallCount() - calls, 3);
    KeyPress other(0x41);
    key(&other.info);  // no modifier makes this the hotkey: nothing is read
    KeyPress named(0, u"Ctrl-Alt-F1");
    key(&named.info);
    EXPECT_EQ(sim::TotalCallCount() - calls, 3);
    EXPECT_EQ(MemAllocationCount(), 0);
    EXPECT_EQ(typed.info.keyCode, 0x2C);
    EXPECT_EQ(typed.info.redraw, 0);
}

TEST_F(HotkeyTest, BackgroundIsLightFromLuminance500) {
    Start();
    struct Case {
        COLORREF color;
        int expected;
    } cases[] = {
        {RGB(242, 242, 242), BACKGROUND_LIGHT},  // 949
        {RGB(0, 0, 255), BACKGROUND_DARK},       // 114
        {RGB(128, 128, 128), BACKGROUND_LIGHT},  // 501
        {RGB(127, 127, 127), BACKGROUND_DARK},   // 498
    };
    for (const Case &c : cases) {
        SetBackground(c.color);
        EXPECT_EQ(MeasureBackground(), c.expected) << std::hex << c.color;
    }
    sim::FailCall("GetConsoleScreenBufferInfoEx", ERROR_INVALID_HANDLE);
    EXPECT_EQ(MeasureBackground(), BACKGROUND_UNKNOWN);
}

TEST_F(HotkeyTest, PickFollowsTheRandomPositionAmongTheWantedKind) {
    Start();
    FreeSchemeList();
    ColorScheme *d1 = AddKindScheme(u"D1", true);
    ColorScheme *l1 = AddKindScheme(u"L1", false);
    ColorScheme *d2 = AddKindScheme(u"D2", true);
    ColorScheme *l2 = AddKindScheme(u"L2", false);
    ColorScheme *l3 = AddKindScheme(u"L3", false);
    // 1 + 3r / 0xFFFFFFFF, clamped to 3 for the largest r.
    sim::SetRandomValues({0, 0x55555555, 0xAAAAAAAB, 0xFFFFFFFF});
    EXPECT_EQ(PickRandomScheme(g_schemes, BACKGROUND_DARK), l1);
    EXPECT_EQ(PickRandomScheme(g_schemes, BACKGROUND_DARK), l2);
    EXPECT_EQ(PickRandomScheme(g_schemes, BACKGROUND_DARK), l3);
    EXPECT_EQ(PickRandomScheme(g_schemes, BACKGROUND_DARK), l3);
    sim::SetRandomValues({0x80000000, 0x80000000});
    EXPECT_EQ(PickRandomScheme(g_schemes, BACKGROUND_LIGHT), d2);
    EXPECT_EQ(PickRandomScheme(g_schemes, BACKGROUND_UNKNOWN), d2);  // 1 + 5/2: the third of all
    sim::SetRandomValues({0xFFFFFFFE});
    EXPECT_EQ(RandomPosition(1000), 1000u);
    EXPECT_EQ(sim::CallCount("rand_s"), 7);
    (void)d1;

    // Exactly one candidate needs no random number.
    FreeSchemeList();
    AddKindScheme(u"D1", true);
    ColorScheme *only = AddKindScheme(u"Only", false);
    AddKindScheme(u"D2", true);
    EXPECT_EQ(PickRandomScheme(g_schemes, BACKGROUND_DARK), only);
    EXPECT_EQ(PickRandomScheme(g_schemes, BACKGROUND_DARK), only);
    EXPECT_EQ(sim::CallCount("rand_s"), 7);
    // No scheme of the wanted kind: any scheme, light ones included.
    FreeSchemeList();
    AddKindScheme(u"La", false);
    ColorScheme *lb = AddKindScheme(u"Lb", false);
    sim::SetRandomValues({0x80000000});
    EXPECT_EQ(PickRandomScheme(g_schemes, BACKGROUND_LIGHT), lb);
    EXPECT_EQ(PickRandomScheme(nullptr, BACKGROUND_DARK), nullptr);
}

// The test schemes' text is all but black: readable on a light background,
// not on a dark one (16, 16, 16).
TEST_F(HotkeyTest, PickLeavesOutUnreadableSchemesWhileTheWantedKindHasAReadableOne) {
    Start();
    FreeSchemeList();
    ColorScheme *murky = AddKindScheme(u"Murky", true);
    ColorScheme *clear = AddKindScheme(u"Clear", true);
    clear->palette[7] = clear->palette[14] = clear->palette[12] = RGB(200, 200, 200);
    AddKindScheme(u"Murkier", true);
    sim::SetRandomValues({0, 0xFFFFFFFF});
    EXPECT_EQ(PickRandomScheme(g_schemes, BACKGROUND_LIGHT), clear);  // the only candidate: no draw
    EXPECT_EQ(PickRandomScheme(g_schemes, BACKGROUND_LIGHT), clear);
    EXPECT_EQ(sim::CallCount("rand_s"), 0);
    clear->palette[12] = RGB(40, 40, 40);  // its errors now vanish: all three dark ones are back
    EXPECT_EQ(PickRandomScheme(g_schemes, BACKGROUND_LIGHT), murky);
    EXPECT_EQ(PickRandomScheme(g_schemes, BACKGROUND_LIGHT), g_schemes->next->next);
}

TEST_F(HotkeyTest, HotkeySwapsToTheOtherKindAndTheSameSchemeMayComeTwice) {
    Start();
    ASSERT_EQ(MeasureBackground(), BACKGROUND_DARK);
    EXPECT_EQ(Press(0x1002C, false, false, true), 1);
    EXPECT_EQ(MeasureBackground(), BACKGROUND_LIGHT);
    ASSERT_NE(IdentifyCurrentScheme(), nullptr);
    EXPECT_EQ(IdentifyCurrentScheme()->dark, 0u);

    // Only light schemes: on a light background any scheme will do.
    FreeSchemeList();
    ColorScheme *first = AddKindScheme(u"First", false);
    AddKindScheme(u"Second", false)->palette[5] = RGB(1, 2, 3);
    sim::SetRandomValues({0, 0});
    KeyPress press(0x1002C);
    sim::SetKeyHeld(VK_MENU, true);
    EXPECT_EQ(key(&press.info), 0);
    EXPECT_EQ(IdentifyCurrentScheme(), first);
    KeyPress again(0x1002C);
    key(&again.info);
    EXPECT_EQ(IdentifyCurrentScheme(), first);
    EXPECT_EQ(again.info.keyCode, 0);  // the keystroke became Enter on an empty line
    EXPECT_EQ(std::u16string(again.name), u"Enter");
    EXPECT_EQ(again.line[0], 0);
    EXPECT_EQ(OsdWindows().size(), 1u);
    EXPECT_EQ(sim::LastDrawnText(OsdWindows()[0]), u"First");
    EXPECT_TRUE(sim::Sounds().empty());
}

TEST_F(HotkeyTest, NothingAppliedSoundsTheAlarmAndLeavesTheDisplayAlone) {
    Start();
    Press(0x1002C, false, false, true);
    ASSERT_EQ(OsdWindows().size(), 1u);
    // The second read of the console is ApplyScheme's own.
    sim::FailCall("GetConsoleScreenBufferInfoEx", ERROR_INVALID_HANDLE, 2);
    EXPECT_EQ(Press(0x1002C, false, false, true), 0);
    FreeSchemeList();
    EXPECT_EQ(Press(0x1002C, false, false, true), 0);
    std::vector<sim::SoundRecord> sounds = sim::Sounds();
    ASSERT_EQ(sounds.size(), 2u);
    for (const sim::SoundRecord &sound : sounds) {
        EXPECT_EQ(sound.sound, static_cast<ULONG_PTR>(SND_ALIAS_SYSTEMHAND));
        EXPECT_EQ(sound.module, nullptr);
        EXPECT_EQ(sound.flags, static_cast<DWORD>(SND_ALIAS_ID | SND_ASYNC));
    }
    EXPECT_EQ(OsdWindows().size(), 1u);
}

TEST_F(HotkeyTest, ColoursTheConsoleRefusedSoundTheAlarmAndShowNoName) {
    Start();
    sim::SetupFrontEnd(sim::FrontEnd::Wine);
    sim::FailCall("SetConsoleScreenBufferInfoEx", ERROR_INVALID_PARAMETER, 2);
    KeyPress press(0x1002C);
    sim::SetKeyHeld(VK_MENU, true);
    EXPECT_EQ(key(&press.info), 0);
    EXPECT_EQ(press.info.keyCode, 0x1002C);
    EXPECT_EQ(press.info.redraw, 0);
    ASSERT_EQ(sim::Sounds().size(), 1u);
    EXPECT_EQ(sim::Sounds()[0].sound, static_cast<ULONG_PTR>(SND_ALIAS_SYSTEMHAND));
    EXPECT_TRUE(OsdWindows().empty());
}

TEST_F(HotkeyTest, WithTheDisplayOffTheHotkeyStillClosesAFadingWindow) {
    Start();
    Press(0x1002C, false, false, true);
    sim::RunFor(3100);
    std::vector<HWND> fading = OsdWindows();
    ASSERT_EQ(fading.size(), 1u);
    EXPECT_LT(Alpha(fading[0]), 255);
    g_settings.osdEnabled = FALSE;
    EXPECT_EQ(Press(0x1002C, false, false, true), 1);
    EXPECT_TRUE(OsdWindows().empty());
}

TEST_F(HotkeyTest, TwoPressesWithinTheDisplayTimeLeaveOneWindowWithTheNewerName) {
    Start();
    Press(0x1002C, false, false, true);
    std::u16string firstName = sim::LastDrawnText(OsdWindows()[0]);
    sim::RunFor(1000);
    Press(0x1002C, false, false, true);
    std::vector<HWND> windows = OsdWindows();
    ASSERT_EQ(windows.size(), 1u);
    ASSERT_NE(IdentifyCurrentScheme(), nullptr);
    EXPECT_EQ(sim::LastDrawnText(windows[0]), IdentifyCurrentScheme()->name);
    EXPECT_NE(sim::LastDrawnText(windows[0]), firstName);  // the other kind this time
    EXPECT_TRUE(sim::QuitMessages().empty());
}

// ---- following the Windows app theme ----

const char16_t THEME_KEY[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

class ThemeTest : public OsdTest {
  protected:
    static void SetTheme(DWORD light) {
        sim::SetRegistryDword(HKEY_CURRENT_USER, THEME_KEY, u"AppsUseLightTheme", light);
    }
    // What Windows does when the user switches: the news arrives when the
    // host's thread next processes messages.
    static void SwitchTheme(DWORD light) {
        SetTheme(light);
        sim::BroadcastFromAnotherProgram(WM_SETTINGCHANGE, 0, u"ImmersiveColorSet");
    }
    static int Applied() { return sim::CallCount("SetConsoleScreenBufferInfoEx"); }
};

TEST_F(ThemeTest, ATypedOrMissingValueReadsAsWindowsReadsIt) {
    EXPECT_EQ(ReadAppTheme(), BACKGROUND_LIGHT);  // no key: older Windows
    SetTheme(0);
    EXPECT_EQ(ReadAppTheme(), BACKGROUND_DARK);
    SetTheme(2);
    EXPECT_EQ(ReadAppTheme(), BACKGROUND_LIGHT);
    sim::SetRegistryString(HKEY_CURRENT_USER, THEME_KEY, u"AppsUseLightTheme", u"0");
    EXPECT_EQ(ReadAppTheme(), BACKGROUND_LIGHT);
    EXPECT_EQ(sim::OpenKeyCount(), 0);
}

TEST_F(ThemeTest, AChangeIsFollowedThroughTheMessageLoopOnlyWhileTheSwitchIsOn) {
    Start();
    SetTheme(0);
    ASSERT_EQ(vivanta(u"/T:Y /Q"), 0);  // dark on dark: nothing to do
    ASSERT_NE(g_theme.window, nullptr);
    EXPECT_FALSE(IsWindowVisible(g_theme.window));
    int before = Applied();
    SwitchTheme(1);
    EXPECT_EQ(Applied(), before);  // nothing until the host pumps
    sim::RunFor(10);
    EXPECT_EQ(MeasureBackground(), BACKGROUND_LIGHT);
    ASSERT_EQ(OsdWindows().size(), 1u);
    EXPECT_EQ(sim::LastDrawnText(OsdWindows()[0]), IdentifyCurrentScheme()->name);

    // Other settings changing, or the same theme again, change nothing.
    before = Applied();
    sim::BroadcastFromAnotherProgram(WM_SETTINGCHANGE, 0, u"Environment");
    SwitchTheme(1);
    sim::RunFor(10);
    EXPECT_EQ(Applied(), before);

    // Switched off with a change waiting: the window goes, and the change
    // with it.
    SwitchTheme(0);
    ASSERT_EQ(vivanta(u"/T:N /Q"), 0);
    EXPECT_EQ(g_theme.window, nullptr);
    sim::RunFor(10);
    EXPECT_EQ(MeasureBackground(), BACKGROUND_LIGHT);
    EXPECT_TRUE(sim::Sounds().empty());
}

TEST_F(ThemeTest, ChangesDuringACommandOrInARowAreFollowedOnceAgainstTheLatestState) {
    Start();
    SetTheme(0);
    ASSERT_EQ(vivanta(u"/T:Y /Q"), 0);
    // The user goes light and back to dark while a command puts a light
    // scheme on: both changes wait for the command, then one dark scheme
    // follows.
    sim::BeforeCall("SetConsoleScreenBufferInfoEx", 1, [] {
        SwitchTheme(1);
        SwitchTheme(0);
    });
    ASSERT_EQ(vivanta(u"/Q ice*"), 0);
    EXPECT_EQ(MeasureBackground(), BACKGROUND_LIGHT);
    int before = Applied();
    sim::RunFor(10);
    EXPECT_EQ(Applied(), before + 1);
    EXPECT_EQ(MeasureBackground(), BACKGROUND_DARK);
    ASSERT_EQ(OsdWindows().size(), 1u);
}

TEST_F(ThemeTest, ASwitchThatCannotWorkIsReportedAndLeftOff) {
    Start();
    sim::FailCall("CreateWindowExW", ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(vivanta(u"/T:Y"), 2);
    EXPECT_NE(Err().find(u"Can\u2019t follow the Windows theme\r\n   "), std::u16string::npos);
    EXPECT_FALSE(g_settings.followTheme);
    EXPECT_EQ(Out().find(u"Follow theme"), std::u16string::npos);

    // Once on, shutdown takes the window and its class away.
    ASSERT_EQ(vivanta(u"/T:Y /Q"), 0);
    HWND window = g_theme.window;
    ASSERT_TRUE(IsWindow(window));
    int classes = sim::RegisteredClassCount();
    ShutdownPlugin();
    started_ = false;
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(sim::RegisteredClassCount(), classes - 2);  // the OSD's too
}

}  // namespace
