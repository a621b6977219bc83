#include <cstdio>

#include "support/plugin_fixture.h"

namespace {

class ConsoleHostTest : public PluginTest {
  protected:
    ConsoleHostCode Classify(HWND *display = nullptr) {
        ConsoleHostCode code = HOST_NONE;
        host_ = ClassifyConsoleHost(&code, display);
        return code;
    }
    HWND Window(const std::u16string &className, DWORD pid, HWND parent = nullptr, bool visible = true) {
        sim::WindowSpec spec;
        spec.className = className;
        spec.processId = pid;
        spec.parent = parent;
        spec.visible = visible;
        return sim::CreateSimWindow(spec);
    }
    static std::u16string Decimal(HWND window) {
        char text[32];
        snprintf(text, sizeof text, "%lu", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window)));
        return std::u16string(text, text + strlen(text));
    }
    static std::u16string Hex(HWND window) {
        char text[32];
        snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window)));
        return std::u16string(text, text + strlen(text));
    }
    void HideConsole() { sim::SetConsoleWindowForTest(nullptr); }

    HWND host_ = nullptr;
};

TEST_F(ConsoleHostTest, ClassicConsoleWinsOverAConsole2Ancestor) {
    sim::AddProcess(4000, 3000, u"cmd.exe");
    sim::AddProcess(3000, 0, u"Console.exe");
    Window(u"Console_2_Main", 3000);
    HWND display = nullptr;
    EXPECT_EQ(Classify(&display), HOST_CONSOLE_WINDOW);
    EXPECT_EQ(host_, GetConsoleWindow());
    EXPECT_EQ(display, GetConsoleWindow());
}

TEST_F(ConsoleHostTest, OffScreenConsoleIsConsole2OnlyWithAConsole2Ancestor) {
    sim::SetupFrontEnd(sim::FrontEnd::ClassicConsoleOffScreen);
    EXPECT_EQ(Classify(), HOST_CONSOLE_WINDOW);

    sim::AddProcess(4000, 3000, u"cmd.exe");
    sim::AddProcess(3000, 0, u"Console.exe");
    HWND console2 = Window(u"Console_2_Main", 3000);
    HWND display = nullptr;
    EXPECT_EQ(Classify(&display), HOST_CONSOLE2);
    EXPECT_EQ(host_, console2);
    EXPECT_EQ(display, console2);
}

TEST_F(ConsoleHostTest, EveryFrontEndGetsItsCode) {
    struct Case {
        sim::FrontEnd frontEnd;
        int code;
    } cases[] = {
        {sim::FrontEnd::None, HOST_NONE},
        {sim::FrontEnd::ClassicConsole, HOST_CONSOLE_WINDOW},
        {sim::FrontEnd::Console2, HOST_CONSOLE2},
        {sim::FrontEnd::ConEmu, HOST_CONEMU},
        {sim::FrontEnd::Terminal, HOST_WINDOWS_TERMINAL},
        {sim::FrontEnd::TakeCommand, HOST_TAKE_COMMAND},
    };
    for (const Case &c : cases) {
        sim::Reset();
        sim::FrontEndWindows windows = sim::SetupFrontEnd(c.frontEnd);
        HWND display = nullptr;
        EXPECT_EQ(Classify(&display), c.code) << static_cast<int>(c.frontEnd);
        EXPECT_EQ(host_, windows.host) << static_cast<int>(c.frontEnd);
        // Console2 keeps the console window off screen, and that window's
        // front end is answered with its main window.
        HWND expected = c.frontEnd == sim::FrontEnd::Console2 ? windows.host : windows.display;
        EXPECT_EQ(display, expected) << static_cast<int>(c.frontEnd);
    }
}

TEST_F(ConsoleHostTest, TakeCommandAnsweringIpcNamesItsWindowAndView) {
    HideConsole();
    HWND frame = Window(u"XTPMainFrame", 5000);
    HWND view = Window(u"Afx:00400000:8", 5000, frame);
    HostCtlSetIpcAnswer(u"HWND", Decimal(frame).c_str(), 0);
    HostCtlSetIpcAnswer(u"HVIEW", Decimal(view).c_str(), 0);
    HWND display = nullptr;
    EXPECT_EQ(Classify(&display), HOST_TAKE_COMMAND);
    EXPECT_EQ(host_, frame);
    EXPECT_EQ(display, view);

    // Without a display wanted, the view is not looked for.
    HostCtlReset();
    HostCtlCapture(1);
    HostCtlSetIpcAnswer(u"HWND", Decimal(frame).c_str(), 0);
    EXPECT_EQ(Classify(), HOST_TAKE_COMMAND);
    EXPECT_EQ(HostIpcLog(), u"HWND\n");
}

TEST_F(ConsoleHostTest, IpcAnswerNamingNoWindowIsIgnored) {
    HostCtlSetIpcAnswer(u"HWND", u"0", 0);
    EXPECT_EQ(Classify(), HOST_CONSOLE_WINDOW);
    HostCtlSetIpcAnswer(u"HWND", u"123456", 0);  // no such window
    EXPECT_EQ(Classify(), HOST_CONSOLE_WINDOW);
    HostCtlSetIpcAnswer(u"HWND", u"99999999999", 0);  // beyond 32 bits
    EXPECT_EQ(Classify(), HOST_CONSOLE_WINDOW);
}

TEST_F(ConsoleHostTest, TakeCommandFoundByFrameAndCaptionRestoresTheTitle) {
    sim::FrontEndWindows tc = sim::SetupFrontEnd(sim::FrontEnd::TakeCommand);
    std::u16string before = sim::ConsoleTitle();
    HWND display = nullptr;
    // No IPC answers: the frame search and the caption search find them.
    EXPECT_EQ(Classify(&display), HOST_TAKE_COMMAND);
    EXPECT_EQ(host_, tc.host);
    EXPECT_EQ(display, tc.display);
    EXPECT_EQ(sim::ConsoleTitle(), before);
    // The frame search wrote its erasing nudge straight to the console.
    EXPECT_NE(sim::ConsoleLog().find(u"A\bB\bC\bD\b \b"), std::u16string::npos);
    EXPECT_EQ(sim::OpenHandleCount(), 0);
}

TEST_F(ConsoleHostTest, CaptionSearchGivesUpAfterTwentyTriesAndRestoresTheTitle) {
    sim::FrontEndWindows tc = sim::SetupFrontEnd(sim::FrontEnd::TakeCommand);
    sim::FollowConsoleTitle(tc.display, 60000);  // the view never catches up in time
    std::u16string before = sim::ConsoleTitle();
    ULONGLONG start = sim::Now();
    HWND display = nullptr;
    EXPECT_EQ(Classify(&display), HOST_TAKE_COMMAND);
    EXPECT_EQ(display, tc.host);
    EXPECT_EQ(sim::ConsoleTitle(), before);
    EXPECT_EQ(sim::Now() - start, 20u * 50u);
}

TEST_F(ConsoleHostTest, FrameSearchAsksAgainWhenMoreThan64ProcessesShareTheConsole) {
    HideConsole();
    HWND frame = Window(u"XTPMainFrame", 9070);
    std::vector<DWORD> attached;
    for (DWORD pid = 9001; pid <= 9070; ++pid) attached.push_back(pid);
    sim::SetConsoleProcesses(attached);
    EXPECT_EQ(Classify(), HOST_TAKE_COMMAND);
    EXPECT_EQ(host_, frame);
    EXPECT_EQ(sim::CallCount("GetConsoleProcessList"), 2);
}

TEST_F(ConsoleHostTest, FrameSearchWithNoAttachedProcessFindsNothing) {
    HideConsole();
    Window(u"XTPMainFrame", 9070);
    sim::SetConsoleProcesses({});
    EXPECT_EQ(Classify(), HOST_NONE);
    EXPECT_EQ(host_, nullptr);
}

TEST_F(ConsoleHostTest, ConEmuVariablesInHexAndDecimal) {
    HideConsole();
    HWND conemu = Window(u"VirtualConsoleClass", 6000);
    HWND drawing = Window(u"VirtualConsoleClass", 6000, conemu);
    SetEnvironmentVariableW(u"ConEmuHWND", Hex(conemu).c_str());
    SetEnvironmentVariableW(u"ConEmuDrawHWND", Decimal(drawing).c_str());
    HWND display = nullptr;
    EXPECT_EQ(Classify(&display), HOST_CONEMU);
    EXPECT_EQ(host_, conemu);
    EXPECT_EQ(display, drawing);

    // A drawing window that cannot be read falls back to the main window.
    SetEnvironmentVariableW(u"ConEmuDrawHWND", u"0x");
    EXPECT_EQ(Classify(&display), HOST_CONEMU);
    EXPECT_EQ(display, conemu);
}

TEST_F(ConsoleHostTest, ConEmuVariableMustBeAWholeNumberNamingAConEmuWindow) {
    HideConsole();
    HWND conemu = Window(u"VirtualConsoleClass", 6000);
    HWND other = Window(u"Notepad", 6000);
    const std::u16string rejected[] = {
        u"0x",          u"0xZZ",        Decimal(conemu) + u"abc", u"0", u" " + Decimal(conemu),
        u"99999999999", Decimal(other), u"x" + Hex(conemu)};
    for (const std::u16string &value : rejected) {
        SetEnvironmentVariableW(u"ConEmuHWND", value.c_str());
        EXPECT_EQ(Classify(), HOST_NONE) << Narrow(value);
    }
    SetEnvironmentVariableW(u"ConEmuHWND", Decimal(conemu).c_str());
    EXPECT_EQ(Classify(), HOST_CONEMU);
}

TEST_F(ConsoleHostTest, PseudoConsoleClassIsMatchedInAnyCase) {
    sim::AddProcess(4000, 3500, u"OpenConsole.exe");
    sim::AddProcess(3500, 0, u"WindowsTerminal.exe");
    HWND terminal = Window(u"CASCADIA_HOSTING_WINDOW_CLASS", 3500);
    HWND pseudo = Window(u"pSeUdOcOnSoLeWiNdOw", 4196, nullptr, false);
    sim::SetConsoleWindowForTest(pseudo);
    EXPECT_EQ(Classify(), HOST_WINDOWS_TERMINAL);
    EXPECT_EQ(host_, terminal);
}

// VT sequences only for a plain yes, only behind a pseudoconsole, and
// never for a front end that reads the console's palette itself.
TEST_F(ConsoleHostTest, SequencesAreChosenOnlyForAPlainYesBehindAPseudoConsole) {
    struct Case {
        const char16_t *value;  // null: unset
        bool chosen;
    } cases[] = {
        {u"1", true},     {u"y", true},     {u"YES", true}, {u"yEs", true},   {nullptr, false},
        {u"", false},     {u"0", false},    {u"no", false}, {u"yes ", false}, {u"11", false},
        {u"true", false}, {u"Yess", false}, {u"ye", false}, {u"1yes", false},
    };
    sim::SetupFrontEnd(sim::FrontEnd::Terminal);
    for (const Case &c : cases) {
        SetEnvironmentVariableW(VT_SWITCH_VARIABLE, c.value);
        EXPECT_EQ(ChooseColourPath(HOST_WINDOWS_TERMINAL) == COLOURS_BY_SEQUENCES, c.chosen)
            << Narrow(c.value ? c.value : u"(unset)");
    }
    SetEnvironmentVariableW(VT_SWITCH_VARIABLE, u"1");
    EXPECT_EQ(ChooseColourPath(HOST_NONE), COLOURS_BY_SEQUENCES);
    EXPECT_EQ(ChooseColourPath(HOST_CONEMU), COLOURS_BY_PALETTE);
    EXPECT_EQ(ChooseColourPath(HOST_TAKE_COMMAND), COLOURS_BY_PALETTE);
    sim::SetConsoleWindowForTest(Window(u"ConsoleWindowClass", 4196, nullptr, false));
    EXPECT_EQ(ChooseColourPath(HOST_NONE), COLOURS_BY_PALETTE);
}

TEST_F(ConsoleHostTest, OnlyTheFirst32WindowsOfAClassTakePart) {
    HideConsole();
    sim::AddProcess(4000, 3000, u"cmd.exe");
    sim::AddProcess(3000, 0, u"Console.exe");
    // Windows enumerate newest first, so the oldest window comes 33rd.
    HWND ancestors = Window(u"Console_2_Main", 3000);
    for (int i = 0; i < 32; ++i) Window(u"Console_2_Main", 7000 + i);
    EXPECT_EQ(Classify(), HOST_NONE);

    sim::DestroySimWindow(ancestors);
    HWND reachable = Window(u"Console_2_Main", 3000);
    HWND view = Window(u"Console_2_View", 3000, Window(u"Console_2_Frame", 3000, reachable));
    HWND display = nullptr;
    EXPECT_EQ(Classify(&display), HOST_CONSOLE2);
    EXPECT_EQ(host_, reachable);
    EXPECT_EQ(display, view);  // a descendant, not only a direct child
}

TEST_F(ConsoleHostTest, AncestorSearchEndsOnACycleOfParents) {
    HideConsole();
    // Reused process ids can make a process its own grandparent.
    sim::AddProcess(4000, 4100, u"a.exe");
    sim::AddProcess(4100, 4196, u"b.exe");
    Window(u"Console_2_Main", 3000);
    EXPECT_EQ(Classify(), HOST_NONE);
}

}  // namespace
