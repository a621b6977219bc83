// Console front ends built on the current world: the windows and processes
// each one leaves behind for a program to find.
#include <cstdio>

#include "console_state.h"
#include "machine.h"
#include "process_state.h"
#include "text_conversions.h"
#include "windows_state.h"

using namespace winsim;

namespace {

const LONG kConsoleWidth = 993;
const LONG kConsoleHeight = 519;
// Where Windows parks a window that is on no screen at all.
const LONG kOffScreen = -32000;

RECT OnScreen(LONG left, LONG top, LONG width, LONG height) {
    RECT screen = RECT{0, 0, 1920, 1080};
    PrimaryMonitor(&screen);
    return {screen.left + left, screen.top + top, screen.left + left + width, screen.top + top + height};
}

DWORD UnusedPid(DWORD candidate) {
    while (IsKnownProcess(candidate) || candidate == CurrentProcessId()) candidate += 4;
    return candidate;
}

// A new process between the current process and its parent: the front end
// started the shell (or started what started it).
DWORD InsertAncestor(DWORD candidate, const std::u16string &exeName) {
    DWORD pid = UnusedPid(candidate);
    DWORD current = CurrentProcessId();
    sim::AddProcess(pid, ParentOf(current), exeName);
    sim::SetCurrentProcess(current, pid);
    return pid;
}

HWND MakeWindow(const std::u16string &className, const std::u16string &title, HWND parent, DWORD pid, bool visible,
                RECT rect) {
    sim::WindowSpec spec;
    spec.className = className;
    spec.title = title;
    spec.parent = parent;
    spec.processId = pid;
    spec.visible = visible;
    spec.rect = rect;
    return sim::CreateSimWindow(spec);
}

// The console window as a front end leaves it; made anew when there is none.
HWND ShapeConsoleWindow(const std::u16string &className, bool visible, RECT rect, DWORD owner) {
    Window *window = LookUpWindow(ConsoleWindow());
    if (!window) {
        SetConsoleWindow(MakeWindow(className, u"", nullptr, owner, visible, rect));
        return ConsoleWindow();
    }
    window->className = className;
    window->visible = visible;
    window->rect = rect;
    window->processId = owner;
    return window->handle;
}

DWORD ConsoleOwner() {
    Window *window = LookUpWindow(ConsoleWindow());
    return window ? window->processId : CurrentProcessId();
}

sim::FrontEndWindows ClassicConsole(bool onScreen) {
    RECT rect = onScreen ? OnScreen(200, 120, kConsoleWidth, kConsoleHeight)
                         : RECT{kOffScreen, kOffScreen, kOffScreen + kConsoleWidth, kOffScreen + kConsoleHeight};
    DWORD owner = ConsoleOwner();
    HWND console = ShapeConsoleWindow(u"ConsoleWindowClass", true, rect, owner);
    return {console, console, console, owner};
}

// Take Command starts the shell on a console of its own, hides the console
// window and shows the text in a view deep inside its frame; the view's
// caption copies the console title a moment after each change.
sim::FrontEndWindows TakeCommand() {
    DWORD tc = InsertAncestor(5120, u"tcmd.exe");
    RECT consoleRect = OnScreen(200, 120, kConsoleWidth, kConsoleHeight);
    HWND console = ShapeConsoleWindow(u"ConsoleWindowClass", false, consoleRect, tc);
    HWND frame = MakeWindow(u"XTPMainFrame", u"Take Command", nullptr, tc, true, OnScreen(40, 40, 1200, 800));
    MakeWindow(u"XTPToolBar", u"Standard", frame, tc, true, OnScreen(48, 70, 1184, 30));
    HWND tabs = MakeWindow(u"Afx:00400000:0", u"", frame, tc, true, OnScreen(48, 100, 1184, 720));
    HWND view = MakeWindow(u"Afx:00400000:8", CurrentConsoleTitle(), tabs, tc, true, OnScreen(52, 124, 1176, 692));
    sim::FollowConsoleTitle(view, 100);
    // Take Command attached to the console before it started the shell.
    sim::SetConsoleProcesses({tc, CurrentProcessId()});
    sim::SetForegroundWindowForTest(frame);
    return {console, frame, view, tc};
}

// Console2 runs a shell that runs this program, and keeps the console
// window visible but far off every screen.
sim::FrontEndWindows Console2() {
    DWORD console2 = InsertAncestor(6144, u"Console.exe");
    InsertAncestor(6200, u"cmd.exe");
    HWND console = ClassicConsole(false).console;
    HWND main = MakeWindow(u"Console_2_Main", u"Console2", nullptr, console2, true, OnScreen(80, 60, 1000, 700));
    HWND view = MakeWindow(u"Console_2_View", u"", main, console2, true, OnScreen(88, 120, 984, 632));
    sim::SetForegroundWindowForTest(main);
    return {console, main, view, console2};
}

// ConEmu names its main and drawing windows in the environment, as
// "0x" and eight upper-case hexadecimal digits.
sim::FrontEndWindows ConEmu() {
    DWORD conemu = InsertAncestor(7168, u"ConEmu64.exe");
    InsertAncestor(7200, u"ConEmuC64.exe");
    HWND console = ShapeConsoleWindow(u"ConsoleWindowClass", false, OnScreen(200, 120, kConsoleWidth, kConsoleHeight),
                                      ConsoleOwner());
    HWND host = MakeWindow(u"VirtualConsoleClass", u"ConEmu", nullptr, conemu, true, OnScreen(60, 60, 1100, 760));
    HWND drawing = MakeWindow(u"VirtualConsoleClass", u"", host, conemu, true, OnScreen(68, 100, 1084, 712));
    char text[16];
    snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(host)));
    PutEnvironment(u"ConEmuHWND", Widen(text));
    snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(reinterpret_cast<uintptr_t>(drawing)));
    PutEnvironment(u"ConEmuDrawHWND", Widen(text));
    sim::SetForegroundWindowForTest(host);
    return {console, host, drawing, conemu};
}

// A pseudo console: the console host runs in a process of its own under the
// terminal, and the console window is a hidden 0x0 pop-up, owned by the
// terminal's window when there is one. The output mode starts as ConPTY
// starts it, with VT processing on.
HWND PseudoConsole(DWORD terminal, const std::u16string &hostExe, HWND owner) {
    DWORD conhost = UnusedPid(terminal + 48);
    sim::AddProcess(conhost, terminal, hostExe);
    sim::DestroySimWindow(ConsoleWindow());
    sim::WindowSpec spec;
    spec.className = u"PseudoConsoleWindow";
    spec.owner = owner;
    spec.processId = conhost;
    spec.visible = false;
    spec.rect = RECT{0, 0, 0, 0};
    SetConsoleWindow(sim::CreateSimWindow(spec));
    SetConsoleOutputMode(ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    return ConsoleWindow();
}

// Windows Terminal's window, which hears of app theme changes.
HWND TerminalWindow(DWORD terminal) {
    HWND window = MakeWindow(u"CASCADIA_HOSTING_WINDOW_CLASS", u"Windows Terminal", nullptr, terminal, true,
                             OnScreen(100, 80, 1200, 800));
    LookUpWindow(window)->procedure = TerminalWindowProcedure;
    sim::SetForegroundWindowForTest(window);
    return window;
}

// Windows Terminal started the shell from one of its tabs.
sim::FrontEndWindows Terminal() {
    DWORD terminal = InsertAncestor(8192, u"WindowsTerminal.exe");
    HWND window = TerminalWindow(terminal);
    HWND pseudo = PseudoConsole(terminal, u"OpenConsole.exe", window);
    return {pseudo, window, window, terminal};
}

// Windows Terminal as the default terminal: the program was started from
// Explorer and handed off to a terminal that is none of its ancestors.
sim::FrontEndWindows TerminalHandOff() {
    DWORD terminal = UnusedPid(8192);
    sim::AddProcess(terminal, ParentOf(CurrentProcessId()), u"WindowsTerminal.exe");
    HWND window = TerminalWindow(terminal);
    HWND pseudo = PseudoConsole(terminal, u"OpenConsole.exe", window);
    return {pseudo, window, window, terminal};
}

// Another terminal on a pseudo console, such as a code editor's panel:
// the editor started the shell, and nothing owns the console window.
sim::FrontEndWindows ConPty() {
    DWORD editor = InsertAncestor(8704, u"editor.exe");
    HWND window = MakeWindow(u"EditorMainWindow", u"Editor", nullptr, editor, true, OnScreen(100, 80, 1200, 800));
    sim::SetForegroundWindowForTest(window);
    HWND pseudo = PseudoConsole(editor, u"conhost.exe", nullptr);
    return {pseudo, window, window, editor};
}

// Wine run from a terminal: the text shows in the terminal, and the console
// window is a hidden message window of Wine's console host. Its console
// answers SetConsoleScreenBufferInfoEx in its own way.
sim::FrontEndWindows Wine() {
    DWORD conhost = UnusedPid(9216);
    sim::AddProcess(conhost, CurrentProcessId(), u"conhost.exe");
    HWND console = ShapeConsoleWindow(u"WineConsoleClass", false, RECT{0, 0, 0, 0}, conhost);
    UseWineConsoleInfoWrites();
    return {console, nullptr, nullptr, conhost};
}

}  // namespace

namespace sim {

FrontEndWindows SetupFrontEnd(FrontEnd frontEnd) {
    switch (frontEnd) {
        case FrontEnd::None:
            DestroySimWindow(ConsoleWindow());
            return FrontEndWindows();
        case FrontEnd::ClassicConsole:
            return ClassicConsole(true);
        case FrontEnd::ClassicConsoleOffScreen:
            return ClassicConsole(false);
        case FrontEnd::TakeCommand:
            return TakeCommand();
        case FrontEnd::Console2:
            return Console2();
        case FrontEnd::ConEmu:
            return ConEmu();
        case FrontEnd::Terminal:
            return Terminal();
        case FrontEnd::ConPty:
            return ConPty();
        case FrontEnd::TerminalHandOff:
            return TerminalHandOff();
        case FrontEnd::Wine:
            return Wine();
    }
    return FrontEndWindows();
}

bool ParseFrontEnd(const std::string &name, FrontEnd *out) {
    static const struct {
        const char *name;
        FrontEnd frontEnd;
    } kNames[] = {{"console", FrontEnd::ClassicConsole},
                  {"console-offscreen", FrontEnd::ClassicConsoleOffScreen},
                  {"takecommand", FrontEnd::TakeCommand},
                  {"console2", FrontEnd::Console2},
                  {"conemu", FrontEnd::ConEmu},
                  {"terminal", FrontEnd::Terminal},
                  {"conpty", FrontEnd::ConPty},
                  {"terminal-handoff", FrontEnd::TerminalHandOff},
                  {"wine", FrontEnd::Wine},
                  {"none", FrontEnd::None}};
    for (const auto &entry : kNames) {
        if (EqualNoCase(Widen(name), Widen(entry.name))) {
            if (out) *out = entry.frontEnd;
            return true;
        }
    }
    return false;
}

}  // namespace sim
