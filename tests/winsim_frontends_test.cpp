#include <cstdio>

#include "winsim_fixture.h"

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

TEST_F(FrontEndsTest, TerminalHidesAPseudoConsoleUnderATerminalAncestor) {
    sim::FrontEndWindows terminal = sim::SetupFrontEnd(sim::FrontEnd::Terminal);
    EXPECT_EQ(ClassOf(GetConsoleWindow()), u"PseudoConsoleWindow");
    EXPECT_FALSE(IsWindowVisible(GetConsoleWindow()));
    EXPECT_EQ(ClassOf(terminal.host), u"CASCADIA_HOSTING_WINDOW_CLASS");
    EXPECT_TRUE(IsAncestor(Owner(terminal.host)));
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
        {"console", sim::FrontEnd::ClassicConsole},  {"console-offscreen", sim::FrontEnd::ClassicConsoleOffScreen},
        {"takecommand", sim::FrontEnd::TakeCommand}, {"console2", sim::FrontEnd::Console2},
        {"conemu", sim::FrontEnd::ConEmu},           {"terminal", sim::FrontEnd::Terminal},
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
