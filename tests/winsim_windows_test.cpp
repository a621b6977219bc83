// Linux-only: the windows of other programs and console front ends as the
// simulation stages them (sim::CreateSimWindow, sim::SetupFrontEnd), and the
// recorded boxes and repaints. Windows the program makes itself are shared
// cases (win32/windows_test.cpp).
#include <cstdio>

#include "winsim_fixture.h"

namespace {

using WindowsTest = WinsimTest;

struct Visits {
    std::vector<HWND> seen;
    size_t stopAfter = 1000;
};

BOOL CALLBACK Record(HWND window, LPARAM param) {
    Visits *visits = reinterpret_cast<Visits *>(param);
    visits->seen.push_back(window);
    return visits->seen.size() < visits->stopAfter;
}

TEST_F(WindowsTest, TopLevelWindowsComeNewestFirstAndTheCallbackCanStop) {
    HWND console = GetConsoleWindow();
    HWND a = Window(u"A");
    HWND child = Window(u"Child", a);
    HWND b = Window(u"B");
    Visits visits;
    EXPECT_TRUE(EnumWindows(Record, reinterpret_cast<LPARAM>(&visits)));
    EXPECT_EQ(visits.seen, (std::vector<HWND>{b, a, console}));
    (void)child;

    Visits stopped;
    stopped.stopAfter = 2;
    EXPECT_FALSE(EnumWindows(Record, reinterpret_cast<LPARAM>(&stopped)));
    EXPECT_EQ(stopped.seen.size(), 2u);
}

TEST_F(WindowsTest, ChildEnumerationVisitsEveryDescendantDepthFirst) {
    HWND frame = Window(u"Frame");
    HWND first = Window(u"First", frame);
    HWND grandchild = Window(u"Grandchild", first);
    HWND second = Window(u"Second", frame);
    Window(u"Elsewhere");
    Visits visits;
    EnumChildWindows(frame, Record, reinterpret_cast<LPARAM>(&visits));
    EXPECT_EQ(visits.seen, (std::vector<HWND>{first, grandchild, second}));

    Visits stopped;
    stopped.stopAfter = 2;
    EnumChildWindows(frame, Record, reinterpret_cast<LPARAM>(&stopped));
    EXPECT_EQ(stopped.seen, (std::vector<HWND>{first, grandchild}));

    // The desktop as parent: every top-level window, each with its descendants.
    Visits all;
    EnumChildWindows(nullptr, Record, reinterpret_cast<LPARAM>(&all));
    EXPECT_EQ(all.seen.size(), 6u);

    EXPECT_FALSE(EnumChildWindows(reinterpret_cast<HWND>(0x1234), Record, reinterpret_cast<LPARAM>(&visits)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(WindowsTest, HandlesFitIn32BitsAndNeverRepeat) {
    HWND a = Window(u"A");
    sim::DestroySimWindow(a);
    HWND b = Window(u"B");
    EXPECT_NE(a, b);
    EXPECT_LT(reinterpret_cast<uintptr_t>(b), 0x100000000ull);
    EXPECT_FALSE(IsWindow(a));
}

TEST_F(WindowsTest, ClassAndCaptionCopiesAreCutToTheBuffer) {
    sim::WindowSpec spec;
    spec.className = u"LongClassName";
    spec.title = u"Caption";
    HWND window = sim::CreateSimWindow(spec);
    WCHAR buffer[5];
    EXPECT_EQ(RealGetWindowClassW(window, buffer, 5), 4u);
    EXPECT_EQ(std::u16string(buffer), u"Long");
    EXPECT_EQ(GetClassNameW(window, buffer, 5), 4);
    EXPECT_EQ(GetWindowTextW(window, buffer, 5), 4);
    EXPECT_EQ(std::u16string(buffer), u"Capt");
    EXPECT_EQ(GetWindowTextLengthW(window), 7);

    HWND gone = reinterpret_cast<HWND>(0x7777);
    EXPECT_EQ(GetWindowTextW(gone, buffer, 5), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(RealGetWindowClassW(gone, buffer, 5), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(WindowsTest, VisibleOnlyWhenEveryAncestorIsVisible) {
    HWND hidden = Window(u"Parent", nullptr, false);
    HWND child = Window(u"Child", hidden, true);
    EXPECT_FALSE(IsWindowVisible(child));
    EXPECT_TRUE(IsWindowVisible(Window(u"Child", Window(u"Parent"))));
    EXPECT_EQ(GetParent(child), hidden);
}

LRESULT CALLBACK PlainProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

// GetParent names a pop-up's owner; GA_PARENT never does; GA_ROOTOWNER climbs
// parents and then owners as GetParent reports them.
TEST_F(WindowsTest, AncestorsClimbParentsAndOnlyAPopupsOwner) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = PlainProcedure;
    wc.lpszClassName = u"Probe";
    ASSERT_NE(RegisterClassExW(&wc), 0);
    HWND owner = Window(u"Owner");
    HWND ownerChild = Window(u"Inner", owner);
    // An owner given as a child is taken as the child's top-level window.
    HWND popup = CreateWindowExW(0, u"Probe", u"", WS_POPUP, 0, 0, 10, 10, ownerChild, nullptr, nullptr, nullptr);
    HWND overlapped = CreateWindowExW(0, u"Probe", u"", WS_OVERLAPPED, 0, 0, 10, 10, owner, nullptr, nullptr, nullptr);
    HWND child = CreateWindowExW(0, u"Probe", u"", WS_CHILD, 0, 0, 5, 5, popup, nullptr, nullptr, nullptr);
    ASSERT_TRUE(popup && overlapped && child);

    EXPECT_EQ(GetParent(popup), owner);
    EXPECT_EQ(GetParent(overlapped), nullptr);
    EXPECT_EQ(GetWindow(overlapped, GW_OWNER), owner);
    EXPECT_EQ(GetWindow(child, GW_OWNER), nullptr);
    EXPECT_EQ(GetAncestor(popup, GA_PARENT), GetDesktopWindow());
    EXPECT_EQ(GetAncestor(child, GA_PARENT), popup);
    EXPECT_EQ(GetAncestor(child, GA_ROOT), popup);
    EXPECT_EQ(GetAncestor(child, GA_ROOTOWNER), owner);
    EXPECT_EQ(GetAncestor(overlapped, GA_ROOTOWNER), overlapped);
    EXPECT_EQ(GetAncestor(ownerChild, GA_ROOTOWNER), owner);

    DestroyWindow(child);
    EXPECT_EQ(GetAncestor(child, GA_ROOTOWNER), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(WindowsTest, FollowerCaptionCatchesUpWithTheConsoleTitleAfterItsDelay) {
    HWND view = Window(u"View");
    sim::FollowConsoleTitle(view, 100);
    SetConsoleTitleW(u"marker");
    EXPECT_EQ(Text(view), u"");
    Sleep(99);
    EXPECT_EQ(Text(view), u"");
    sim::RunFor(1);
    EXPECT_EQ(Text(view), u"marker");
    SetWindowTextW(GetConsoleWindow(), u"next");
    Sleep(50);
    EXPECT_EQ(Text(view), u"marker");
    Sleep(50);
    EXPECT_EQ(Text(view), u"next");
}

TEST_F(WindowsTest, MonitorLookupFollowsTheFlagsForWindowsOffEveryScreen) {
    sim::SetMonitors({{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}});
    HWND right = Window(u"W", nullptr, true, {1800, 100, 2400, 500});
    HWND lost = Window(u"W", nullptr, true, {-32000, -32000, -31000, -31500});
    HWND beyond = Window(u"W", nullptr, true, {5000, 100, 5500, 500});
    HMONITOR primary = MonitorFromWindow(lost, MONITOR_DEFAULTTOPRIMARY);
    HMONITOR second = MonitorFromWindow(right, MONITOR_DEFAULTTONULL);
    EXPECT_EQ(MonitorFromWindow(lost, MONITOR_DEFAULTTONULL), nullptr);
    EXPECT_NE(primary, nullptr);
    EXPECT_NE(second, primary);  // most of the window lies on the second screen
    EXPECT_EQ(MonitorFromWindow(beyond, MONITOR_DEFAULTTONEAREST), second);

    MONITORINFO info = {};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetMonitorInfoW(second, &info));
    EXPECT_EQ(info.rcMonitor.left, 1920);
    EXPECT_EQ(info.rcWork.bottom, 1040);
    EXPECT_EQ(info.dwFlags, 0u);
    ASSERT_TRUE(GetMonitorInfoW(primary, &info));
    EXPECT_EQ(info.dwFlags, static_cast<DWORD>(MONITORINFOF_PRIMARY));
}

TEST_F(WindowsTest, BoxesRepaintsAndTheForegroundAreRecorded) {
    EXPECT_EQ(GetForegroundWindow(), GetConsoleWindow());
    EXPECT_EQ(MessageBoxW(GetConsoleWindow(), u"text", u"caption", MB_OK | MB_ICONERROR), IDOK);
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_EQ(sim::MessageBoxes()[0].caption, u"caption");
    EXPECT_EQ(sim::MessageBoxes()[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));

    EXPECT_TRUE(RedrawWindow(GetConsoleWindow(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE));
    ASSERT_EQ(sim::Redraws().size(), 1u);
    EXPECT_EQ(sim::Redraws()[0].flags, static_cast<UINT>(RDW_INVALIDATE | RDW_ERASE));

    HWND other = Window(u"Other");
    sim::SetForegroundWindowForTest(other);
    EXPECT_EQ(GetForegroundWindow(), other);
}

}  // namespace

namespace {

using FrontEndsTest = WinsimTest;

std::vector<DWORD> Ancestors() {
    std::vector<DWORD> chain;
    DWORD pid = GetCurrentProcessId();
    for (int guard = 0; guard < 16 && pid != 0; ++guard) {
        DWORD parent = 0;
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32W entry;
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
            if (entry.th32ProcessID == pid) parent = entry.th32ParentProcessID;
        }
        CloseHandle(snapshot);
        if (parent) chain.push_back(parent);
        pid = parent;
    }
    return chain;
}

bool IsAncestor(DWORD pid) {
    for (DWORD ancestor : Ancestors()) {
        if (ancestor == pid) return true;
    }
    return false;
}

DWORD Owner(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

TEST_F(FrontEndsTest, ClassicConsoleIsVisibleOnAMonitorAndOffScreenOnNone) {
    sim::FrontEndWindows classic = sim::SetupFrontEnd(sim::FrontEnd::ClassicConsole);
    EXPECT_EQ(classic.console, GetConsoleWindow());
    EXPECT_EQ(classic.display, classic.console);
    EXPECT_EQ(ClassOf(classic.console), u"ConsoleWindowClass");
    EXPECT_TRUE(IsWindowVisible(classic.console));
    EXPECT_NE(MonitorFromWindow(classic.console, MONITOR_DEFAULTTONULL), nullptr);

    sim::FrontEndWindows off = sim::SetupFrontEnd(sim::FrontEnd::ClassicConsoleOffScreen);
    EXPECT_TRUE(IsWindowVisible(off.console));
    EXPECT_EQ(MonitorFromWindow(off.console, MONITOR_DEFAULTTONULL), nullptr);
}

TEST_F(FrontEndsTest, TakeCommandHidesTheConsoleAndItsViewFollowsTheTitle) {
    sim::FrontEndWindows tc = sim::SetupFrontEnd(sim::FrontEnd::TakeCommand);
    EXPECT_FALSE(IsWindowVisible(GetConsoleWindow()));
    EXPECT_EQ(ClassOf(tc.host), u"XTPMainFrame");
    EXPECT_EQ(ClassOf(tc.display).substr(0, 4), u"Afx:");
    EXPECT_EQ(Owner(tc.host), tc.hostProcess);
    EXPECT_TRUE(IsAncestor(tc.hostProcess));
    EXPECT_EQ(GetForegroundWindow(), tc.host);

    // The view is a descendant of the frame, found by enumerating it.
    std::pair<HWND, bool> search(tc.display, false);
    EnumChildWindows(
        tc.host,
        [](HWND window, LPARAM param) -> BOOL {
            auto *wanted = reinterpret_cast<std::pair<HWND, bool> *>(param);
            if (window == wanted->first) wanted->second = true;
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    EXPECT_TRUE(search.second);

    DWORD ids[4] = {};
    ASSERT_EQ(GetConsoleProcessList(ids, 4), 2u);
    EXPECT_EQ(ids[0], tc.hostProcess);
    EXPECT_EQ(ids[1], GetCurrentProcessId());

    SetWindowTextW(GetConsoleWindow(), u"marker");
    Sleep(50);
    EXPECT_NE(Text(tc.display), u"marker");
    Sleep(50);
    EXPECT_EQ(Text(tc.display), u"marker");
}

TEST_F(FrontEndsTest, Console2IsAGrandparentWithAViewAndTheConsoleOffScreen) {
    sim::FrontEndWindows c2 = sim::SetupFrontEnd(sim::FrontEnd::Console2);
    EXPECT_EQ(ClassOf(c2.host), u"Console_2_Main");
    EXPECT_EQ(ClassOf(c2.display), u"Console_2_View");
    EXPECT_EQ(GetParent(c2.display), c2.host);
    std::vector<DWORD> ancestors = Ancestors();
    ASSERT_GE(ancestors.size(), 2u);
    EXPECT_EQ(ancestors[1], c2.hostProcess);
    EXPECT_TRUE(IsWindowVisible(GetConsoleWindow()));
    EXPECT_EQ(MonitorFromWindow(GetConsoleWindow(), MONITOR_DEFAULTTONULL), nullptr);
}

TEST_F(FrontEndsTest, ConEmuNamesItsWindowsInTheEnvironment) {
    sim::FrontEndWindows conemu = sim::SetupFrontEnd(sim::FrontEnd::ConEmu);
    char expected[16];
    snprintf(expected, sizeof expected, "0x%08X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(conemu.host)));
    EXPECT_EQ(sim::Environment(u"ConEmuHWND"), std::u16string(expected, expected + 10));
    snprintf(expected, sizeof expected, "0x%08X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(conemu.display)));
    EXPECT_EQ(sim::Environment(u"conemudrawhwnd"), std::u16string(expected, expected + 10));
    EXPECT_EQ(ClassOf(conemu.host), u"VirtualConsoleClass");
    EXPECT_EQ(ClassOf(conemu.display), u"VirtualConsoleClass");
    EXPECT_FALSE(IsWindowVisible(GetConsoleWindow()));
}

// The pseudo console's window is hidden and owned by the terminal's window
// for Windows Terminal, whether the terminal started the shell or had it
// handed off; another terminal leaves it without owner.
TEST_F(FrontEndsTest, PseudoConsolesAreOwnedByWindowsTerminalWhereverItRuns) {
    struct Case {
        sim::FrontEnd frontEnd;
        bool terminalOwns;
        bool amongParents;
    } cases[] = {{sim::FrontEnd::Terminal, true, true},
                 {sim::FrontEnd::TerminalHandOff, true, false},
                 {sim::FrontEnd::ConPty, false, true}};
    for (const Case &c : cases) {
        sim::Reset();
        sim::FrontEndWindows windows = sim::SetupFrontEnd(c.frontEnd);
        HWND console = GetConsoleWindow();
        SCOPED_TRACE(static_cast<int>(c.frontEnd));
        EXPECT_TRUE(sim::IsPseudoConsole());
        EXPECT_EQ(ClassOf(console), u"PseudoConsoleWindow");
        EXPECT_FALSE(IsWindowVisible(console));
        EXPECT_EQ(GetAncestor(console, GA_ROOTOWNER), c.terminalOwns ? windows.host : console);
        EXPECT_EQ(ClassOf(windows.host) == u"CASCADIA_HOSTING_WINDOW_CLASS", c.terminalOwns);
        EXPECT_EQ(Owner(windows.host), windows.hostProcess);
        EXPECT_EQ(IsAncestor(windows.hostProcess), c.amongParents);
    }
    sim::Reset();
    EXPECT_FALSE(sim::IsPseudoConsole());
}

TEST_F(FrontEndsTest, NoFrontEndMeansNoConsoleWindow) {
    sim::FrontEndWindows none = sim::SetupFrontEnd(sim::FrontEnd::None);
    EXPECT_EQ(GetConsoleWindow(), nullptr);
    EXPECT_EQ(none.host, nullptr);
    HANDLE console = OpenConsoleOutput();  // the console itself is still there
    EXPECT_NE(console, INVALID_HANDLE_VALUE);
    CloseHandle(console);
}

TEST_F(FrontEndsTest, FrontEndNamesParse) {
    const std::pair<const char *, sim::FrontEnd> names[] = {
        {"console", sim::FrontEnd::ClassicConsole},
        {"console-offscreen", sim::FrontEnd::ClassicConsoleOffScreen},
        {"takecommand", sim::FrontEnd::TakeCommand},
        {"console2", sim::FrontEnd::Console2},
        {"conemu", sim::FrontEnd::ConEmu},
        {"terminal", sim::FrontEnd::Terminal},
        {"conpty", sim::FrontEnd::ConPty},
        {"terminal-handoff", sim::FrontEnd::TerminalHandOff},
        {"none", sim::FrontEnd::None}};
    for (const auto &name : names) {
        sim::FrontEnd parsed = sim::FrontEnd::None;
        EXPECT_TRUE(sim::ParseFrontEnd(name.first, &parsed)) << name.first;
        EXPECT_EQ(parsed, name.second) << name.first;
    }
    sim::FrontEnd parsed;
    EXPECT_FALSE(sim::ParseFrontEnd("xterm", &parsed));
}

}  // namespace
