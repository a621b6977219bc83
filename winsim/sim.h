// Control API of the simulated Windows, for tests and vhost: reset the world,
// set up console front ends, read back what the code under test did, and make
// named calls fail.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#define SIM_API __attribute__((visibility("default")))

namespace sim {

// ---- the world ----
// Back to a fresh machine: one classic console window on one 1920x1080
// monitor, a 120x30 screen buffer (9001 rows when asked by SetConsoleSize),
// process 4196 (parent 4000), an empty environment, the clock at 0, no faults.
SIM_API void Reset();

// ---- faults ----
// Makes the nth call from now of the named function (its Win32 name) fail
// with `error`, and the `times - 1` calls after it as well.
SIM_API void FailCall(const char *function, DWORD error, int nth = 1, int times = 1);
SIM_API void ClearFaults();
// How many times the named function has been called since Reset.
SIM_API int CallCount(const char *function);
// Every winsim function starts with this; true means "fail now" and has
// already set the last error.
SIM_API bool ShouldFail(const char *function);

// ---- clock ----
SIM_API ULONGLONG Now();
// Advances the clock; timers due on the way fire in order (later issues).
SIM_API void RunFor(DWORD ms);

// ---- processes ----
SIM_API void SetCurrentProcess(DWORD pid, DWORD parentPid);
SIM_API void AddProcess(DWORD pid, DWORD parentPid, const std::u16string &exeName);
// The processes attached to the console, in the order GetConsoleProcessList reports.
SIM_API void SetConsoleProcesses(const std::vector<DWORD> &pids);

// ---- console ----
SIM_API void SetConsoleSize(SHORT columns, SHORT rows);
// The screen buffer as GetConsoleScreenBufferInfoEx reports it.
SIM_API CONSOLE_SCREEN_BUFFER_INFOEX ConsoleInfo();
SIM_API void SetConsoleAttribute(WORD attribute);
SIM_API void SetConsoleColorTable(const COLORREF table[16]);
SIM_API WCHAR CellChar(SHORT x, SHORT y);
SIM_API WORD CellAttribute(SHORT x, SHORT y);
SIM_API void SetCellAttribute(SHORT x, SHORT y, WORD attribute);
// One row of text, trailing blanks removed.
SIM_API std::u16string RowText(SHORT y);
// Everything written to the console device, in order.
SIM_API std::u16string ConsoleLog();
SIM_API std::u16string ConsoleTitle();
// Number of handles opened and not yet closed (console, files, snapshots).
SIM_API int OpenHandleCount();

// Where the process's standard handles lead.
enum class StdTarget {
    Console,  // the console: text lands in the screen buffer
    Capture,  // an in-memory pipe whose bytes CapturedBytes returns
    Fd,       // a real descriptor of this Linux process (vhost)
};
// `mirror` also copies what is written into the console screen buffer with
// the current attribute (vhost's Linux console, so that `screen` shows it).
SIM_API void SetStdTarget(DWORD which, StdTarget target, int fd = -1, bool mirror = false);
SIM_API std::string CapturedBytes(DWORD which);

// ---- windows ----
struct WindowSpec {
    std::u16string className;
    std::u16string title;
    HWND parent = nullptr;
    DWORD processId = 0;  // 0: the current process
    bool visible = true;
    RECT rect = {0, 0, 800, 600};
};
SIM_API HWND CreateSimWindow(const WindowSpec &spec);
SIM_API void DestroySimWindow(HWND window);
// A window whose title copies the console title `delayMs` after each change,
// as Take Command's console view does.
SIM_API void FollowConsoleTitle(HWND window, DWORD delayMs);
SIM_API void SetForegroundWindowForTest(HWND window);
SIM_API void SetConsoleWindowForTest(HWND window);
struct RedrawRecord {
    HWND window;
    UINT flags;
};
SIM_API std::vector<RedrawRecord> Redraws();

struct MessageBoxRecord {
    HWND owner;
    std::u16string text;
    std::u16string caption;
    UINT type;
};
SIM_API std::vector<MessageBoxRecord> MessageBoxes();

// ---- monitors ----
SIM_API void SetMonitors(const std::vector<RECT> &screens);

// ---- environment, modules ----
SIM_API std::u16string Environment(const std::u16string &name);
// The file name GetModuleFileNameW reports for a module (a statically linked
// plugin in tests has no file of its own).
SIM_API void SetModuleFileName(HMODULE module, const std::u16string &path);
SIM_API HMODULE FakeModule(const std::u16string &path);
SIM_API void SetSystemMessage(DWORD code, const std::u16string &text);

// ---- console front ends ----
enum class FrontEnd {
    None,                   // no console window at all
    ClassicConsole,         // a visible console window on the screen
    ClassicConsoleOffScreen,// a visible console window on no monitor
    TakeCommand,            // Take Command: main frame, console view, hidden console
    Console2,               // Console2 owned by an ancestor process, console off screen
    ConEmu,                 // ConEmu, found through its environment variables
    Terminal,               // Windows Terminal behind a pseudo console
};
struct FrontEndWindows {
    HWND console = nullptr;  // the console window, if any
    HWND host = nullptr;     // the front end's main window
    HWND display = nullptr;  // the window that shows the console's text
    DWORD hostProcess = 0;
};
// Builds the windows and processes of a front end on top of the current world.
// Take Command's IPC answers belong to the host; see host_control.h.
SIM_API FrontEndWindows SetupFrontEnd(FrontEnd frontEnd);
SIM_API bool ParseFrontEnd(const std::string &name, FrontEnd *out);

}  // namespace sim
