// The OSD window in virtual time: its class, its look and place, its
// display time and fade, the search that closes earlier windows, and
// shutdown. Nothing is left behind: windows, GDI objects, memory, keys.
#include "base/base.h"
#include "support/osd_fixture.h"

#include "host_sim.h"

namespace {

const char16_t WINPE[] = u"Software\\Microsoft\\Windows NT\\CurrentVersion\\WinPE";
const char16_t INSTANCE_KEY[] = u"Software\\OrtaPlugins\\OSD\\#1064 Vivanta";

class OsdWindowTest : public OsdTest {
  protected:
    static HWND Show(const char16_t *text, int pointSize = 24, int angle = 0, COLORREF shadow = 0) {
        OsdRequest request = {text, u"Tahoma", pointSize, 700, angle, shadow};
        return ShowOsd(&request);
    }
    static std::vector<sim::DrawRecord> DrawsInto(HWND window) {
        std::vector<sim::DrawRecord> draws;
        for (const sim::DrawRecord &draw : sim::DrawCalls()) {
            if (draw.window == window) draws.push_back(draw);
        }
        return draws;
    }
    static void ExpectNothingLeft(long memoryBefore) {
        EXPECT_TRUE(OsdWindows().empty());
        EXPECT_EQ(sim::LiveGdiObjectCount(), 0);
        EXPECT_EQ(sim::LiveDeviceContextCount(), 0);
        EXPECT_EQ(MemLiveCount(), memoryBefore);
        EXPECT_TRUE(sim::QuitMessages().empty());  // the host's message loop goes on
    }
};

TEST_F(OsdWindowTest, ClassCarriesTheProcessAndIsRegisteredAtStartUp) {
    WCHAR name[OSD_CLASS_NAME_SIZE];
    FormatOsdClassName(0xA3C, name);
    EXPECT_EQ(std::u16string(name), u"OSD window 1.0.11.1 \u2022 Vivanta 0A3C");
    Start();
    EXPECT_EQ(std::u16string(g_osd.className), u"OSD window 1.0.11.1 \u2022 Vivanta 1064");
    EXPECT_NE(g_osd.classAtom, 0);
    EXPECT_EQ(sim::RegisteredClassCount(), 1);
    EXPECT_EQ(sim::Now(), 50u);  // the pause after registering
    EXPECT_NE(g_osd.getScrollBarInfo, nullptr);
    EXPECT_EQ(g_osd.creationPosition, OSD_OFF_SCREEN);
    EXPECT_TRUE(sim::RegistryKeyExists(HKEY_CURRENT_USER, u"Software\\OrtaPlugins\\OSD"));
}

TEST_F(OsdWindowTest, WithoutTheClassNoWindowIsShownAndShutdownSkipsIt) {
    sim::FailCall("RegisterClassExW", ERROR_NOT_ENOUGH_MEMORY);
    sim::FailCall("GetModuleHandleW", ERROR_MOD_NOT_FOUND, 2);  // User32, after Kernel32
    Start();
    EXPECT_EQ(g_osd.classAtom, 0);
    EXPECT_EQ(sim::Now(), 0u);
    EXPECT_EQ(g_osd.getScrollBarInfo, nullptr);
    EXPECT_EQ(Press(0x1002C, false, false, true), 1);  // the scheme is still applied
    EXPECT_TRUE(OsdWindows().empty());
    ShutdownPlugin();
    started_ = false;
    EXPECT_EQ(sim::CallCount("UnregisterClassW"), 0);
}

TEST_F(OsdWindowTest, OpaqueForThreeSecondsThenFadesInStepsOf15MsAndCloses) {
    Start();
    long memory = MemLiveCount();
    Press(0x1002C, false, false, true);
    ULONGLONG start = sim::Now();
    HWND window = OsdWindows().at(0);
    EXPECT_EQ(sim::TimerPeriod(window, OSD_TIMER_ID), 3000u);
    sim::RunFor(2999);
    EXPECT_EQ(Alpha(window), 255);
    std::vector<int> alphas;
    std::vector<ULONGLONG> times;
    while (IsWindow(window) && sim::Now() - start < 10000) {
        sim::RunFor(1);
        int alpha = IsWindow(window) ? Alpha(window) : 0;
        if (alphas.empty() || alpha != alphas.back()) {
            alphas.push_back(alpha);
            times.push_back(sim::Now() - start);
        }
    }
    ASSERT_EQ(alphas.size(), 128u);  // 253, 251, ... 1, then gone
    EXPECT_EQ(alphas[0], 253);
    EXPECT_EQ(times[0], 3000u);
    EXPECT_EQ(alphas[126], 1);
    EXPECT_EQ(times[126], 3000u + 126 * 15);
    EXPECT_EQ(times[127], 3000u + 127 * 15);  // the tick after alpha 1
    for (size_t i = 1; i < 127; ++i) EXPECT_EQ(times[i] - times[i - 1], 15u);
    ExpectNothingLeft(memory);
}

TEST_F(OsdWindowTest, ALowColourDepthShowsWithoutFadingAndAFadeRequestStartsAtOnce) {
    sim::SetColorDepth(8);
    Start();
    HWND plain = Show(u"Plain");
    DWORD flags = 0;
    GetLayeredWindowAttributes(plain, nullptr, nullptr, &flags);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY));
    sim::RunFor(2999);
    EXPECT_TRUE(IsWindow(plain));
    sim::RunFor(1);
    EXPECT_FALSE(IsWindow(plain));

    sim::SetColorDepth(16);
    HWND window = Show(u"Faded early");
    GetLayeredWindowAttributes(window, nullptr, nullptr, &flags);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY | LWA_ALPHA));
    sim::RunFor(1000);
    EXPECT_EQ(SendMessageW(window, OSD_FADE_REQUEST, 0, 0), 0);
    sim::RunFor(15);
    EXPECT_EQ(Alpha(window), 253);
    sim::RunFor(127 * 15);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(OsdWindowTest, TextWithShadowOnAKeyColouredWindowSizedToFitAndPlacedTopRight) {
    Start();
    HWND console = GetConsoleWindow();
    sim::SetClientInset(console, {8, 31, 8, 8});  // client area (208,151)-(1185,631)
    HWND window = Show(u"Two\nLines", 24, 0, 0x123456);
    ASSERT_NE(window, nullptr);
    WCHAR title[32];
    GetWindowTextW(window, title, 32);
    EXPECT_EQ(std::u16string(title), u"OSD #4196");
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)), 0x080800A8u);
    EXPECT_TRUE(IsWindowVisible(window));
    RECT rect = Rect(window);  // five units of 32 x 3/5 wide, two lines of 32, plus 3
    EXPECT_EQ(rect.right - rect.left, 99);
    EXPECT_EQ(rect.bottom - rect.top, 67);
    EXPECT_EQ(rect.right, 1185 - 16);
    EXPECT_EQ(rect.top, 151 + 8);

    std::vector<sim::DrawRecord> draws = DrawsInto(window);
    ASSERT_EQ(draws.size(), 3u);
    EXPECT_EQ(draws[0].kind, sim::DrawKind::Fill);
    EXPECT_EQ(draws[0].color, static_cast<COLORREF>(OSD_COLOR_KEY));
    EXPECT_EQ(draws[0].rect.right, 99);
    EXPECT_EQ(draws[1].text, u"Two\nLines");  // the shadow, 3 pixels down and right
    EXPECT_EQ(draws[1].rect.left, 3);
    EXPECT_EQ(draws[1].color, 0x123456u);
    EXPECT_EQ(draws[1].backgroundMode, OPAQUE);
    EXPECT_EQ(draws[1].backgroundColor, static_cast<COLORREF>(OSD_COLOR_KEY));
    EXPECT_EQ(draws[2].rect.left, 0);
    EXPECT_EQ(draws[2].color, static_cast<COLORREF>(OSD_TEXT_COLOR));
    EXPECT_EQ(draws[2].backgroundMode, TRANSPARENT);
    EXPECT_EQ(draws[2].format, static_cast<UINT>(DT_NOPREFIX | DT_NOCLIP | DT_LEFT));
    const sim::FontRecord &font = draws[2].font;
    EXPECT_EQ(font.height, -32);
    EXPECT_EQ(font.weight, 700);
    EXPECT_EQ(font.face, u"Tahoma");
    EXPECT_EQ(font.quality, static_cast<DWORD>(NONANTIALIASED_QUALITY));
    EXPECT_EQ(sim::LiveGdiObjectCount(), 0);
    EXPECT_EQ(sim::LiveDeviceContextCount(), 0);

    // Larger text throws a longer shadow; angles beyond a full turn are 0.
    HWND large = Show(u"Ab", 48, 400);
    RECT big = Rect(large);
    EXPECT_EQ(big.right - big.left, 76 + 4);
    EXPECT_EQ(DrawsInto(large)[2].font.escapement, 0);
    EXPECT_EQ(DrawsInto(Show(u"Up", 24, 90))[2].font.escapement, 900);
}

TEST_F(OsdWindowTest, AreaIsTakeCommandsViewLessScrollBarsOrElseTheWorkArea) {
    sim::FrontEndWindows tc = SetupHostFrontEnd(sim::FrontEnd::TakeCommand);
    Start();
    sim::SetScrollBar(tc.display, OBJID_VSCROLL, true, 17);
    sim::SetScrollBar(tc.display, OBJID_HSCROLL, false, 17);
    RECT view = Rect(tc.display);
    RECT rect = Rect(Show(u"x"));
    EXPECT_EQ(rect.right, view.right - 17 - 16);
    EXPECT_EQ(rect.top, view.top + 8);

    // A console window whose client area cannot be mapped: the work area.
    ShutdownPlugin();
    sim::Reset();
    HostCtlReset();
    Start();
    sim::FailCall("MapWindowPoints", ERROR_INVALID_WINDOW_HANDLE);
    rect = Rect(Show(u"x"));
    EXPECT_EQ(rect.right, 1920 - 16);
    EXPECT_EQ(rect.top, 8);
}

TEST_F(OsdWindowTest, WindowsPeMakesTheWindowAtTheOrigin) {
    Start();
    sim::FailCall("SetWindowPos", ERROR_ACCESS_DENIED, 2);  // no final move
    EXPECT_EQ(Rect(Show(u"x")).left, OSD_OFF_SCREEN);
    ShutdownPlugin();
    sim::SetRegistryString(HKEY_LOCAL_MACHINE, WINPE, u"Version", u"10.0");
    Start();
    EXPECT_EQ(g_osd.creationPosition, 0);
    sim::FailCall("SetWindowPos", ERROR_ACCESS_DENIED, 2);
    RECT rect = Rect(Show(u"x"));
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
}

TEST_F(OsdWindowTest, FailuresGiveNoWindowOrAShorterOneAndLeakNothing) {
    Start();
    long memory = MemLiveCount();
    sim::FailCall("CreateWindowExW", ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(Show(u"x"), nullptr);
    sim::FailCall("GetDC", ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(Show(u"x"), nullptr);
    EXPECT_TRUE(OsdWindows().empty());

    // Without a font nothing is drawn and the window keeps its first size.
    sim::FailCall("CreateFontW", ERROR_NOT_ENOUGH_MEMORY);
    RECT rect = Rect(Show(u"x"));
    EXPECT_EQ(rect.right - rect.left, 50);
    // Without its state block a window closes at its first tick.
    MemFailAllocation(1);
    HWND stateless = Show(u"y");
    MemFailAllocation(0);
    ASSERT_NE(stateless, nullptr);
    sim::RunFor(3000);
    EXPECT_FALSE(IsWindow(stateless));
    sim::RunFor(2000);
    ExpectNothingLeft(memory);
}

TEST_F(OsdWindowTest, OnlyThisInstancesWindowsWithTheWantedTitleAreClosed) {
    Start();
    sim::WindowSpec other;
    other.className = u"OSD window 1.0.11.1 \u2022 Vivanta 1065";
    other.title = u"OSD #4196";
    other.processId = 4197;
    HWND otherInstance = sim::CreateSimWindow(other);
    HWND ours = Show(u"ours");
    HWND spared = Show(u"spared");
    HWND titled = CreateWindowExW(WS_EX_LAYERED, g_osd.className, u"OSD #7", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  g_plugin.module, nullptr);
    OsdSearch search = {0, OSD_IDENTIFIER, spared, WM_CLOSE};
    CloseOsdWindows(&search);
    EXPECT_EQ(search.count, 1);
    EXPECT_FALSE(IsWindow(ours));
    EXPECT_TRUE(IsWindow(spared));
    EXPECT_TRUE(IsWindow(titled));
    OsdSearch count = {0, OSD_ANY_TITLE, nullptr, 0};
    CloseOsdWindows(&count);
    EXPECT_EQ(count.count, 2);
    EXPECT_TRUE(IsWindow(titled));
    OsdSearch all = {0, OSD_ANY_TITLE, nullptr, WM_CLOSE};
    CloseOsdWindows(&all);
    EXPECT_EQ(all.count, 2);
    EXPECT_TRUE(OsdWindows().empty());
    EXPECT_TRUE(IsWindow(otherInstance));
}

TEST_F(OsdWindowTest, ShutdownDuringAFadeClosesItUnregistersAndRemovesTheInstanceKey) {
    Start();
    sim::CreateRegistryKey(HKEY_CURRENT_USER, std::u16string(INSTANCE_KEY) + u"\\Windows\\1");
    sim::CreateRegistryKey(HKEY_CURRENT_USER, std::u16string(INSTANCE_KEY) + u"\\Stuck");
    sim::DenyRegistryKey(HKEY_CURRENT_USER, std::u16string(INSTANCE_KEY) + u"\\Stuck", sim::RegistryDenial::Delete);
    Press(0x1002C, false, false, true);
    sim::RunFor(3500);
    ASSERT_EQ(OsdWindows().size(), 1u);
    ShutdownPlugin();
    started_ = false;
    EXPECT_EQ(sim::RegisteredClassCount(), 0);
    EXPECT_EQ(sim::TimerCount(), 0);
    // The key that resists stays, and so does its parent; the rest goes.
    EXPECT_EQ(sim::RegistrySubkeys(HKEY_CURRENT_USER, INSTANCE_KEY), std::vector<std::u16string>{u"Stuck"});
    EXPECT_TRUE(sim::RegistryKeyExists(HKEY_CURRENT_USER, u"Software\\OrtaPlugins\\OSD"));
    ExpectNothingLeft(0);

    sim::DenyRegistryKey(HKEY_CURRENT_USER, std::u16string(INSTANCE_KEY) + u"\\Stuck", sim::RegistryDenial::None);
    CleanupOsdKey();
    EXPECT_FALSE(sim::RegistryKeyExists(HKEY_CURRENT_USER, INSTANCE_KEY));
}

}  // namespace
