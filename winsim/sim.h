// Control API of the simulated Windows, for tests and vhost: reset the world,
// set up console front ends, read back what the code under test did, and make
// named calls fail.
#pragma once

#include <windows.h>

#include <functional>
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
// The names of the functions called from now on, in call order, while
// recording is on (off at Reset).
SIM_API void RecordCalls(bool on);
SIM_API std::vector<std::string> CallLog();
// Runs `action` just before the nth call from now of the named function,
// as another program might act between two calls of this one. Calls the
// action makes are neither counted nor hooked.
SIM_API void BeforeCall(const char *function, int nth, std::function<void()> action);
// Every winsim function starts with this; true means "fail now" and has
// already set the last error. `function` must be a string literal (or
// otherwise live and unchanged until Reset): its address keys the count.
SIM_API bool ShouldFail(const char *function);

// ---- clock ----
SIM_API ULONGLONG Now();
// Advances the clock, dispatching posted messages and firing due timers in order.
SIM_API void RunFor(DWORD ms);
// Another program broadcasts `message` with lParam pointing at `text` (as
// Windows does WM_SETTINGCHANGE when the user switches the app theme): each
// top-level window there is now receives it at the next RunFor, before
// posted messages; a window destroyed before then does not.
SIM_API void BroadcastFromAnotherProgram(UINT message, WPARAM wParam, const std::u16string &text);

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

// ---- console screen buffers ----
// The console shows one screen buffer at a time (SetConsoleActiveScreenBuffer);
// the read-back calls above (ConsoleInfo, CellChar, CellAttribute, RowText,
// SetConsoleSize, SetConsoleAttribute, SetCellAttribute) work on the buffer
// shown. The colour table belongs to the console, shared by every buffer.
// A buffer goes with its last handle; if it was shown, the console shows the
// most recently made buffer still there (in the end the original one, which
// the standard handles lead to and which never goes).
SIM_API bool ShowsOriginalBuffer();
// Screen buffers there are, the original one included.
SIM_API int ScreenBufferCount();
// The mode of the buffer shown, as GetConsoleMode reports it for its handles.
SIM_API DWORD ShownBufferMode();
// The cursor of the buffer shown, and of the original one, as
// GetConsoleCursorInfo reports them.
SIM_API CONSOLE_CURSOR_INFO ShownCursor();
SIM_API CONSOLE_CURSOR_INFO OriginalCursor();
// The console's input mode, as GetConsoleMode reports it for "conin$".
SIM_API DWORD ConsoleInputModeNow();

// ---- console input ----
// What the user does at the keyboard, queued in the console's input buffer
// as INPUT_RECORDs that ReadConsoleInputW takes in order. Once none is left,
// ReadConsoleInputW fails with ERROR_NO_DATA at once (Windows would wait), so
// that a test which runs out of keys ends instead of hanging.
//
// Keys typed here are acted on when a read reaches them, as if pressed then:
// with ENABLE_PROCESSED_INPUT on in the input mode, a Ctrl+C key-down goes
// to the control handlers (CTRL_C_EVENT) rather than into the buffer, and a
// Ctrl+Break key-down always does (CTRL_BREAK_EVENT). Records a program
// writes with WriteConsoleInputW are taken as they are.
SIM_API void TypeKeys(const std::vector<INPUT_RECORD> &records);
// A key-down record of `repeat` presses, or a key-up record, with the scan
// code a US keyboard gives the virtual key.
SIM_API INPUT_RECORD KeyRecord(bool down, WORD virtualKey, WCHAR character, DWORD controlKeyState, WORD repeat = 1);
// The user resizes the console window to columns x rows of the buffer shown:
// its window takes that size, its width follows (its height grows to the
// window's if smaller), and with ENABLE_WINDOW_INPUT on in the input mode a
// WINDOW_BUFFER_SIZE_EVENT with the new buffer size is queued. Behind keys
// typed and not yet read, it happens when a read reaches it.
SIM_API void ResizeConsoleWindow(SHORT columns, SHORT rows);
// The records waiting in the input buffer, typed ones not yet acted on
// included.
SIM_API std::vector<INPUT_RECORD> PendingConsoleInput();
// Raises a console control event now, as the user's Ctrl+C or Ctrl+Break
// would: the handlers SetConsoleCtrlHandler registered are called, the
// last added first, until one returns TRUE. False when none did (Windows
// would end the process then; winsim counts it in UnhandledCtrlEvents).
SIM_API bool RaiseConsoleCtrlEvent(DWORD ctrlType);
SIM_API int ConsoleCtrlHandlerCount();
SIM_API int UnhandledCtrlEvents();
// A wait for console input with nothing queued and nothing that could come
// gives up after this much virtual time with no input and reports the input
// handle signalled, so that the read which follows fails: a periodic timer
// alone never keeps a waiting program alive in a test.
constexpr DWORD kIdleInputLimitMs = 60000;

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
    HWND owner = nullptr;  // a top-level pop-up's owner (no parent then), as GetAncestor GA_ROOTOWNER follows
    DWORD processId = 0;   // 0: the current process
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
// True when LoadLibraryW found the module's exported DllMain and told it of
// the attach. A Windows DLL may have no entry point, so the loader takes
// such a module without one; a host that needs its plugin told asks here.
SIM_API bool HasEntryPoint(HMODULE module);
SIM_API void SetSystemMessage(DWORD code, const std::u16string &text);

// ---- console front ends ----
enum class FrontEnd {
    None,                     // no console window at all
    ClassicConsole,           // a visible console window on the screen
    ClassicConsoleOffScreen,  // a visible console window on no monitor
    TakeCommand,              // Take Command: main frame, console view, hidden console
    Console2,                 // Console2 owned by an ancestor process, console off screen
    ConEmu,                   // ConEmu, found through its environment variables
    Terminal,                 // Windows Terminal behind a pseudo console, started from one of its tabs
    ConPty,                   // another terminal's pseudo console (an editor's): the console window has no owner
    TerminalHandOff,          // Windows Terminal reached by default-terminal hand-off: not among the parents
    Wine,                     // Wine's console in a terminal: hidden window, its own set-info rules
};
struct FrontEndWindows {
    HWND console = nullptr;  // the console window, if any
    HWND host = nullptr;     // the front end's main window (for ConPty, the editor's window)
    HWND display = nullptr;  // the window that shows the console's text
    DWORD hostProcess = 0;
};
// Builds the windows and processes of a front end on top of the current world.
// Take Command's IPC answers belong to the host; see host_control.h.
SIM_API FrontEndWindows SetupFrontEnd(FrontEnd frontEnd);
// Names as vhost's --frontend takes them: console, console-offscreen,
// takecommand, console2, conemu, terminal, conpty, terminal-handoff, wine, none.
SIM_API bool ParseFrontEnd(const std::string &name, FrontEnd *out);

// ---- pseudo console ----
// A pseudo console is a console whose window (GetConsoleWindow) is of class
// PseudoConsoleWindow, any case: a hidden 0x0 pop-up, owned by the terminal's
// window for Windows Terminal and by nothing for another terminal. Its
// console host keeps a mirror of the console: the screen buffer, attributes
// and colour table that the console calls read and write (it starts as the
// host's built-in table, as a fresh world's console does). The user sees the
// terminal's own colours: 16 in ANSI order plus a default foreground and
// background. SetConsoleScreenBufferInfoEx changes the mirror only.
//
// A write to the console (WriteConsoleW, WriteFile on a console handle) with
// ENABLE_PROCESSED_OUTPUT and ENABLE_VIRTUAL_TERMINAL_PROCESSING both on in
// the screen buffer's mode goes through a VT parser whose state lasts from
// one write to the next: OSC 4 (ANSI index order) and OSC 104 change the
// terminal's palette and the mirror's table (console index = ANSI index with
// bits 0 and 2 swapped), OSC 10/11/110/111 only the terminal's default
// colours; ST (ESC \) or BEL ends an OSC; colours are rgb:r/g/b with 1-4 hex
// digits a component (X11 scaling: two digits are the byte) or #rrggbb.
// Queries (a spec of "?") get no answer. Every other sequence is consumed
// and ignored; the rest lands in the buffer as text. With either flag off
// everything lands as text. A pseudo console front end starts the output
// mode as ConPTY does, 0x7 (processed, wrap, VT processing).
struct TerminalColors {
    COLORREF ansi[16];  // ANSI order: black, red, green, yellow, blue, magenta, cyan, white, then bright
    COLORREF foreground;
    COLORREF background;
};
SIM_API bool IsPseudoConsole();
// What the terminal shows now.
SIM_API TerminalColors TerminalColorsNow();
// The terminal's profile, which it starts with and goes back to: Windows
// Terminal's default scheme unless a test sets another.
SIM_API TerminalColors TerminalProfile();
SIM_API void SetTerminalProfile(const TerminalColors &colors);
// The terminal rewrites its 18 colours from its profile, as on a settings
// reload. Windows Terminal's window does it by itself kTerminalThemeDelayMs
// after it hears WM_SETTINGCHANGE "ImmersiveColorSet" (an app theme change;
// vhost's `theme` line, BroadcastFromAnotherProgram), on the clock RunFor moves.
SIM_API void ReloadTerminalSettings();
constexpr DWORD kTerminalThemeDelayMs = 250;
// Everything written to the console device while the screen buffer's mode
// had ENABLE_VIRTUAL_TERMINAL_PROCESSING on, in order, as UTF-16 (under a
// pseudo console that is every console write unless the mode was changed).
// vhost's mirror of its standard streams is not a console write.
SIM_API std::u16string VtLog();

}  // namespace sim

// ---- registry ----
namespace sim {

// What a key refuses, as an access control list would. Open: every open or
// creation of the key fails with ERROR_ACCESS_DENIED. Write: opening it for
// KEY_SET_VALUE or KEY_CREATE_SUB_KEY (so KEY_WRITE and KEY_ALL_ACCESS too)
// fails, and so does creating a subkey below it. Delete: RegDeleteKeyW of it
// fails, and so does opening it for DELETE (so KEY_ALL_ACCESS too).
enum class RegistryDenial : unsigned { None = 0, Open = 1, Write = 2, Delete = 4 };
inline RegistryDenial operator|(RegistryDenial a, RegistryDenial b) {
    return static_cast<RegistryDenial>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}

// `path` is relative to the root (HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE),
// in any case, "\" separated. A denial holds for the path whether or not the
// key exists yet; None lifts it.
SIM_API void DenyRegistryKey(HKEY root, const std::u16string &path, RegistryDenial denial);
// These create the keys on the way, ignoring denials.
SIM_API void CreateRegistryKey(HKEY root, const std::u16string &path);
SIM_API void SetRegistryValue(HKEY root, const std::u16string &path, const std::u16string &name, DWORD type,
                              const std::vector<BYTE> &data);
SIM_API void SetRegistryDword(HKEY root, const std::u16string &path, const std::u16string &name, DWORD value);
// REG_SZ with its terminator, as RegSetValueExW callers store it.
SIM_API void SetRegistryString(HKEY root, const std::u16string &path, const std::u16string &name,
                               const std::u16string &text);
// False when the key or the value is missing.
SIM_API bool RegistryValue(HKEY root, const std::u16string &path, const std::u16string &name, DWORD *type,
                           std::vector<BYTE> *data);
SIM_API bool RegistryKeyExists(HKEY root, const std::u16string &path);
// The names of the key's subkeys in the order RegEnumKeyExW reports them.
SIM_API std::vector<std::u16string> RegistrySubkeys(HKEY root, const std::u16string &path);
// Key handles opened and not yet closed.
SIM_API int OpenKeyCount();

// The whole registry as text, in the format registry_store.cpp describes;
// volatile keys are left out, as a restart loses them. Loading replaces the
// registry only when the whole text is valid; `error` says where it is not.
SIM_API std::string RegistryText();
SIM_API bool LoadRegistryText(const std::string &text, std::string *error);
SIM_API bool LoadRegistry(const std::string &file, std::string *error);
SIM_API bool SaveRegistry(const std::string &file, std::string *error);

}  // namespace sim

// ---- files, pipes, mapping, temporary files, clipboard, code pages ----
namespace sim {

// Views mapped and not yet unmapped.
SIM_API int MappedViewCount();

// The directory GetTempPathW reports (any form; a separator is added when it
// has none). Empty: this world's own directory under /tmp, made at first
// need and removed with its content by Reset and at exit.
SIM_API void SetTempPath(const std::u16string &path);
// The temporary directory in Linux form, without a trailing slash.
SIM_API std::string TempDirectory();

// Standard input from a pipe holding `bytes` whose writing end is closed:
// reads return the bytes, then fail with ERROR_BROKEN_PIPE.
SIM_API void SetStdInputPipe(const std::string &bytes);
// Standard input redirected from a file (Linux path); false when it cannot
// be opened.
SIM_API bool SetStdInputFile(const std::string &path);
// Standard input at the console, with `typed` typed ahead (see
// TypeConsoleInput).
SIM_API void SetStdInputConsole(const std::u16string &typed);
// Types at the console: "\n" is Enter (CR LF in line-input mode), "\x1A"
// at the start of a line is ^Z, which ReadFile reports as no bytes. Once
// everything typed is read, reads return no bytes rather than wait.
SIM_API void TypeConsoleInput(const std::u16string &text);
// The code page of bytes ReadFile takes from the console (437 by default;
// winsim converts for 65001 and 1252, and keeps ASCII alone otherwise).
SIM_API void SetConsoleInputCodePage(UINT codePage);

// What GetACP and GetOEMCP answer (1252 and 437 by default).
SIM_API void SetAnsiCodePage(UINT codePage);
SIM_API void SetOemCodePage(UINT codePage);

// Text on the clipboard as CF_UNICODETEXT, with its terminator; any
// earlier content goes.
SIM_API void SetClipboardText(const std::u16string &text);
// Raw bytes in one format, as another program may leave them.
SIM_API void SetClipboardBytes(UINT format, const std::string &bytes);
SIM_API void ClearClipboard();
// Another program holds the clipboard open: OpenClipboard fails.
SIM_API void HoldClipboard(bool held);
SIM_API bool IsClipboardOpen();

// Global memory blocks alive (the clipboard's included), and their locks.
SIM_API int GlobalBlockCount();
SIM_API int GlobalLockCount();

}  // namespace sim

// ---- windows the program creates, messages, timers, drawing, input ----
namespace sim {

// RunFor (above) is the message processing of the program's thread: posted
// messages are dispatched, then due timers fire in time order (a periodic
// timer is re-armed from the moment it fires) until the time has passed.
// Sleep moves the clock without dispatching, like a thread that does not pump.

// Calls of every winsim function together since Reset.
SIM_API int TotalCallCount();

// Exit codes posted with PostQuitMessage, in order.
SIM_API std::vector<int> QuitMessages();
struct MessageRecord {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool posted;  // PostMessageW rather than SendMessageW
};
SIM_API std::vector<MessageRecord> Messages();
SIM_API int RegisteredClassCount();
// Timers armed and not yet killed (those of destroyed windows are gone).
SIM_API int TimerCount();
// The period of a window's timer; 0 when it has none with that id.
SIM_API UINT TimerPeriod(HWND window, UINT_PTR id);

// The client area lies inside the window rectangle by these margins
// (a classic console window's frame and caption); none by default.
SIM_API void SetClientInset(HWND window, RECT inset);
// What GetScrollBarInfo reports for a window's OBJID_HSCROLL or
// OBJID_VSCROLL bar; bars are invisible until set.
SIM_API void SetScrollBar(HWND window, LONG bar, bool visible, int lineButton);
// The screen's colour depth (GetDeviceCaps BITSPIXEL; PLANES is 1). 32 by default.
SIM_API void SetColorDepth(int bitsPerPixel);

// GDI: a font as created, and every drawing call in order.
struct FontRecord {
    int height = 0;
    int width = 0;
    int escapement = 0;
    int orientation = 0;
    int weight = 0;
    DWORD italic = 0;
    DWORD underline = 0;
    DWORD strikeOut = 0;
    DWORD charSet = 0;
    DWORD quality = 0;
    DWORD pitchAndFamily = 0;
    std::u16string face;
};
enum class DrawKind { Fill, Text };
struct DrawRecord {
    HWND window;
    DrawKind kind;
    RECT rect;
    std::u16string text;       // Text
    UINT format;               // Text
    COLORREF color;            // Text: the text colour; Fill: the brush's
    COLORREF backgroundColor;  // Text
    int backgroundMode;        // Text
    FontRecord font;           // Text: the font selected
};
SIM_API std::vector<DrawRecord> DrawCalls();
// The text last drawn into the window; empty when none.
SIM_API std::u16string LastDrawnText(HWND window);
// Fonts and brushes created and not yet deleted; device contexts not released.
SIM_API int LiveGdiObjectCount();
SIM_API int LiveDeviceContextCount();

// GetAsyncKeyState reports these virtual keys as held.
SIM_API void SetKeyHeld(int virtualKey, bool held);
SIM_API void ReleaseAllKeys();

struct SoundRecord {
    ULONG_PTR sound;      // the alias identifier with SND_ALIAS_ID
    std::u16string name;  // otherwise the sound's name, if any
    HMODULE module;
    DWORD flags;
};
SIM_API std::vector<SoundRecord> Sounds();

// rand_s answers these values first, in order, then from its seeded generator.
SIM_API void SetRandomValues(const std::vector<unsigned> &values);
SIM_API void SetRandomSeed(uint64_t seed);

}  // namespace sim
