// Linux-only: when and in which order timers fire and messages are
// dispatched on the virtual clock, and windows of other programs. The
// calls' results and errors are shared cases (win32/windows_test.cpp).
#include "winsim_fixture.h"

namespace {

struct Seen {
    HWND window;
    UINT message;
    WPARAM wParam;
    ULONGLONG at;
};
std::vector<Seen> g_seen;
// What the recording procedure does besides recording.
UINT g_killOn = 0;        // WM_TIMER id whose window it kills the timer of
UINT g_periodChange = 0;  // new period for timer 1 at its first tick

LRESULT CALLBACK Recording(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    g_seen.push_back({window, message, wParam, sim::Now()});
    if (message == WM_TIMER && wParam == g_killOn) KillTimer(window, wParam);
    if (message == WM_TIMER && wParam == 1 && g_periodChange) {
        SetTimer(window, 1, g_periodChange, nullptr);
        g_periodChange = 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

const HINSTANCE kModule = reinterpret_cast<HINSTANCE>(0x180000000ull);

class UiTest : public WinsimTest {
  protected:
    void SetUp() override {
        WinsimTest::SetUp();
        g_seen.clear();
        g_killOn = 0;
        g_periodChange = 0;
    }
    static ATOM Register(const char16_t *name = u"Test Class") {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Recording;
        wc.cbWndExtra = 8;
        wc.hInstance = kModule;
        wc.lpszClassName = name;
        return RegisterClassExW(&wc);
    }
    static HWND Make(DWORD exStyle = 0, const char16_t *name = u"Test Class") {
        return CreateWindowExW(exStyle, name, u"Title", WS_POPUP, 10, 20, 50, 50, nullptr, nullptr, kModule, nullptr);
    }
    static std::vector<UINT> Messages(HWND window) {
        std::vector<UINT> list;
        for (const Seen &seen : g_seen) {
            if (seen.window == window) list.push_back(seen.message);
        }
        return list;
    }
    static std::vector<ULONGLONG> TimerTicks(UINT_PTR id) {
        std::vector<ULONGLONG> ticks;
        for (const Seen &seen : g_seen) {
            if (seen.message == WM_TIMER && seen.wParam == id) ticks.push_back(seen.at);
        }
        return ticks;
    }
};

// Linux-only: a window of another program (sim::CreateSimWindow) and the
// recorded quit messages; a window's own life is a shared case.
TEST_F(UiTest, AnotherProgramsWindowIsNotOursToDestroy) {
    // Another program's window: its own DefWindowProcW closes it, but this
    // thread may not destroy it, nor set its data.
    HWND foreign = Window(u"Other", nullptr, true, {0, 0, 10, 10}, 5000);
    EXPECT_FALSE(DestroyWindow(foreign));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(SetWindowLongPtrW(foreign, GWLP_USERDATA, 1), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    SendMessageW(foreign, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(foreign));
    PostQuitMessage(3);
    EXPECT_EQ(sim::QuitMessages(), std::vector<int>{3});
}

TEST_F(UiTest, TimersFireInTimeOrderAndPeriodicallyFromWhenTheyFire) {
    Register();
    HWND window = Make();
    EXPECT_EQ(SetTimer(window, 1, 100, nullptr), 1u);
    EXPECT_EQ(SetTimer(window, 2, 40, nullptr), 2u);
    EXPECT_EQ(SetTimer(window, 3, 3, nullptr), 3u);  // below the minimum of 10
    g_killOn = 3;
    sim::RunFor(250);
    EXPECT_EQ(sim::Now(), 250u);
    EXPECT_EQ(TimerTicks(1), (std::vector<ULONGLONG>{100, 200}));
    EXPECT_EQ(TimerTicks(2), (std::vector<ULONGLONG>{40, 80, 120, 160, 200, 240}));
    EXPECT_EQ(TimerTicks(3), std::vector<ULONGLONG>{10});  // killed by its own tick

    // Ties go to the timer armed first; setting a timer again restarts it.
    g_seen.clear();
    SetTimer(window, 2, 50, nullptr);
    SetTimer(window, 1, 50, nullptr);
    g_periodChange = 15;  // timer 1's first tick changes its period
    sim::RunFor(100);
    std::vector<UINT_PTR> order;
    for (const Seen &seen : g_seen) order.push_back(seen.wParam);
    EXPECT_EQ(order, (std::vector<UINT_PTR>{2, 1, 1, 1, 1, 2}));
    EXPECT_EQ(TimerTicks(1), (std::vector<ULONGLONG>{300, 315, 330, 345}));
    EXPECT_EQ(sim::TimerPeriod(window, 1), 15u);
}

TEST_F(UiTest, SleepingLetsTimersFallDueButFiresThemOnceWhenPumpingResumes) {
    Register();
    HWND window = Make();
    SetTimer(window, 7, 15, nullptr);
    Sleep(1000);
    EXPECT_TRUE(TimerTicks(7).empty());
    sim::RunFor(20);
    EXPECT_EQ(TimerTicks(7), (std::vector<ULONGLONG>{1000, 1015}));
    EXPECT_TRUE(KillTimer(window, 7));
    EXPECT_FALSE(KillTimer(window, 7));
}

TEST_F(UiTest, PostedMessagesComeBeforeTimersAndDieWithTheirWindow) {
    Register();
    HWND first = Make();
    HWND second = Make();
    SetTimer(first, 1, 10, nullptr);
    SetTimer(second, 1, 10, nullptr);
    EXPECT_TRUE(PostMessageW(first, WM_USER + 1, 0, 0));
    EXPECT_TRUE(PostMessageW(second, WM_USER + 2, 0, 0));
    EXPECT_FALSE(PostMessageW(reinterpret_cast<HWND>(0x999), WM_USER, 0, 0));
    DestroyWindow(second);
    EXPECT_EQ(sim::TimerCount(), 1);
    sim::RunFor(10);
    EXPECT_EQ(Messages(first), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_USER + 1, WM_TIMER}));
    EXPECT_EQ(Messages(second), (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
}

// A broadcast reaches every top-level window, hidden ones too, never a
// child; one another program sends waits for the message processing, goes
// ahead of posted messages, and is lost to a window destroyed meanwhile.
TEST_F(UiTest, BroadcastsReachTopLevelWindowsAtOnceOrWhenTheThreadPumps) {
    Register();
    HWND hidden = Make();
    HWND child = CreateWindowExW(0, u"Test Class", u"Child", WS_CHILD, 0, 0, 5, 5, hidden, nullptr, kModule, nullptr);
    HWND doomed = Make();
    DWORD_PTR answer = 7;
    EXPECT_NE(SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, 0, SMTO_ABORTIFHUNG, 100, &answer), 0);
    EXPECT_EQ(Messages(hidden).back(), static_cast<UINT>(WM_SETTINGCHANGE));
    EXPECT_EQ(Messages(child).back(), static_cast<UINT>(WM_CREATE));
    EXPECT_EQ(SendMessageTimeoutW(reinterpret_cast<HWND>(0x999), WM_NULL, 0, 0, 0, 100, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));

    g_seen.clear();
    PostMessageW(hidden, WM_USER, 0, 0);
    sim::BroadcastFromAnotherProgram(WM_SETTINGCHANGE, 0, u"ImmersiveColorSet");
    DestroyWindow(doomed);
    EXPECT_EQ(Messages(hidden), std::vector<UINT>{});
    sim::RunFor(1);
    EXPECT_EQ(Messages(hidden), (std::vector<UINT>{WM_SETTINGCHANGE, WM_USER}));
    EXPECT_EQ(Messages(child), std::vector<UINT>{});
    EXPECT_EQ(Messages(doomed), (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY}));
}

}  // namespace
