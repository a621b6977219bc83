// Which front end shows the plugin's console, and which window on the
// screen shows the console's text. Each search answers a window or null;
// the classification tries them in a fixed order.
#include <stdlib.h>

#include "../base/base.h"
#include "host.h"
#include "plugin.h"

namespace {

constexpr int WINDOW_COLLECTION_CAPACITY = 32;
// Process ids can be reused, so a chain of parents may run in a circle;
// no real process tree is anywhere near this deep.
constexpr int MAX_ANCESTOR_STEPS = 256;
constexpr DWORD CONSOLE_PROCESS_ROOM = 64;
constexpr size_t MARKER_SIZE = 64;
constexpr WCHAR TERMINAL_CLASS[] = TEXT("CASCADIA_HOSTING_WINDOW_CLASS");

// Take Command's own view search: a short marker, a child of an MFC class.
const ViewTitleSearch TAKE_COMMAND_VIEW_SEARCH = {TEXT("\u00A4 %04X-%04X"), TEXT("Afx:"), 0, 20, 50};

// ---- top-level windows of a class, with their processes ----

struct WindowCollection {
    LPCWSTR className;
    bool wantProcessIds;
    int count;
    HWND windows[WINDOW_COLLECTION_CAPACITY];
    DWORD processIds[WINDOW_COLLECTION_CAPACITY];
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    WindowCollection *collection = reinterpret_cast<WindowCollection *>(param);
    WCHAR className[1024];
    if (!RealGetWindowClassW(window, className, 1024)) return TRUE;
    if (StrCompare(className, collection->className) != 0) return TRUE;
    if (collection->count >= WINDOW_COLLECTION_CAPACITY) return FALSE;
    DWORD processId = 0;
    if (collection->wantProcessIds) GetWindowThreadProcessId(window, &processId);
    collection->windows[collection->count] = window;
    collection->processIds[collection->count] = processId;
    collection->count++;
    return TRUE;
}

// Top-level windows of `className` in enumeration order, at most 32.
void CollectTopLevelWindows(WindowCollection *collection, LPCWSTR className, bool wantProcessIds) {
    collection->className = className;
    collection->wantProcessIds = wantProcessIds;
    collection->count = 0;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(collection));
}

// The window of `className` owned by this process or its nearest ancestor.
HWND FindAncestorWindow(LPCWSTR className) {
    WindowCollection collection;
    CollectTopLevelWindows(&collection, className, true);
    if (collection.count == 0) return nullptr;

    DWORD processId = GetCurrentProcessId();
    for (int step = 0; step < MAX_ANCESTOR_STEPS && processId != 0 && processId != 0xFFFFFFFF; ++step) {
        for (int i = 0; i < collection.count; ++i) {
            if (collection.processIds[i] == processId) return collection.windows[i];
        }
        DWORD parent = static_cast<DWORD>(GetParentPID(static_cast<int>(processId)));
        if (parent == processId) break;
        processId = parent;
    }
    return nullptr;
}

// ---- child windows ----

struct DescendantSearch {
    LPCWSTR className;
    HWND found;
};

BOOL CALLBACK MatchDescendant(HWND window, LPARAM param) {
    DescendantSearch *search = reinterpret_cast<DescendantSearch *>(param);
    WCHAR className[1024];
    if (!RealGetWindowClassW(window, className, 1024)) return TRUE;
    if (StrCompare(className, search->className) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

// The first descendant of `parent` whose class is `className`.
HWND FindDescendantByClass(HWND parent, LPCWSTR className) {
    DescendantSearch search = {className, nullptr};
    EnumChildWindows(parent, MatchDescendant, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct CaptionSearch {
    LPCWSTR marker;
    LPCWSTR classPrefix;
    HWND found;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM param) {
    CaptionSearch *search = reinterpret_cast<CaptionSearch *>(param);
    WCHAR text[1024];
    if (search->classPrefix) {
        if (!RealGetWindowClassW(window, text, 1024)) return TRUE;
        if (StrCompareN(text, search->classPrefix, StrLen(search->classPrefix)) != 0) return TRUE;
    }
    text[0] = 0;
    GetWindowTextW(window, text, 1024);
    if (StrCompare(text, search->marker) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

// ---- the front ends ----

HWND FindWindowsTerminal(void) {
    if (!FindPseudoConsoleWindow()) return nullptr;
    return FindAncestorWindow(TERMINAL_CLASS);
}

// Window classes are named without regard to case.
bool HasClass(HWND window, LPCWSTR wanted) {
    WCHAR className[1024];
    if (!window || !RealGetWindowClassW(window, className, 1024)) return false;
    return StrCompareI(className, wanted) == 0;
}

// The switch is read once, at start-up, as the user left it for new
// shells; anything but a plain yes leaves the palette path.
bool SequencesWanted(void) {
    WCHAR value[8];
    DWORD length = GetEnvironmentVariableW(VT_SWITCH_VARIABLE, value, 8);
    if (length == 0 || length >= 8) return false;
    return StrCompareI(value, TEXT("1")) == 0 || StrCompareI(value, TEXT("Y")) == 0 ||
           StrCompareI(value, TEXT("Yes")) == 0;
}

// The window named by a ConEmu variable, when it is a ConEmu console window.
HWND FindWindowFromVariable(LPCWSTR variable) {
    WCHAR text[1024];
    DWORD length = GetEnvironmentVariableW(variable, text, 1024);
    if (length == 0 || length >= 1024 || !IsAsciiDigit(text[0])) return nullptr;

    DWORD value = 0;
    LPCWSTR end = nullptr;
    NumberScanResult scan;
    if (text[0] == TEXT('0') && (text[1] == TEXT('x') || text[1] == TEXT('X')) && IsHexDigit(text[2])) {
        scan = ScanUnsigned32(text + 2, 16, &value, &end);
    } else {
        scan = ScanUnsigned32(text, 10, &value, &end);
    }
    if (scan != NUMBER_OK || *end != 0 || value == 0) return nullptr;

    HWND window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(value));
    WCHAR className[1024];
    if (!RealGetWindowClassW(window, className, 1024)) return nullptr;
    return StrCompare(className, TEXT("VirtualConsoleClass")) == 0 ? window : nullptr;
}

// Text that leaves the screen as it was: each letter is erased again.
void NudgeConsole(void) {
    HANDLE device = CreateFileW(TEXT("CONOUT$"), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (device == nullptr || device == INVALID_HANDLE_VALUE) return;
    static const WCHAR nudge[] = TEXT("A\bB\bC\bD\b \b");
    for (int i = 0; i < 256; ++i) {
        DWORD written = 0;
        WriteConsoleW(device, nudge, 10, &written, nullptr);
    }
    CloseHandle(device);
}

HWND FirstWindowOfProcesses(const WindowCollection &frames, const DWORD *processIds, DWORD count) {
    for (DWORD i = 0; i < count; ++i) {
        if (processIds[i] == 0) continue;
        for (int j = 0; j < frames.count; ++j) {
            if (frames.processIds[j] == processIds[i]) return frames.windows[j];
        }
    }
    return nullptr;
}

HWND FindTakeCommandFrame(void) {
    WindowCollection frames;
    CollectTopLevelWindows(&frames, TEXT("XTPMainFrame"), true);
    if (frames.count == 0) return nullptr;

    NudgeConsole();
    tty_yield(0);

    DWORD processIds[CONSOLE_PROCESS_ROOM];
    DWORD count = GetConsoleProcessList(processIds, CONSOLE_PROCESS_ROOM);
    if (count == 0) return nullptr;
    if (count <= CONSOLE_PROCESS_ROOM) return FirstWindowOfProcesses(frames, processIds, count);

    // Windows reports the count it needs and stores nothing when the room is
    // too small: ask once more with that much room. Processes may attach in
    // between; a second shortfall means not found rather than a loop.
    DWORD room = count;
    DWORD *more = static_cast<DWORD *>(MemCalloc(room, sizeof(DWORD)));
    if (!more) return nullptr;
    count = GetConsoleProcessList(more, room);
    HWND found = (count > 0 && count <= room) ? FirstWindowOfProcesses(frames, more, count) : nullptr;
    MemFree(more);
    return found;
}

HWND FindTakeCommandView(HWND mainWindow) {
    WCHAR reply[1024];
    reply[0] = 0;
    int result = TakeCommandIPC(TEXT("HVIEW"), reply);
    HWND view = WindowFromDecimal(reply);
    if (view) return view;
    if (result == -1 && IsWindow(mainWindow)) return FindViewByTitle(mainWindow, &TAKE_COMMAND_VIEW_SEARCH);
    return nullptr;
}

HWND AskTakeCommandForWindow(void) {
    WCHAR reply[1024];
    reply[0] = 0;
    TakeCommandIPC(TEXT("HWND"), reply);
    return WindowFromDecimal(reply);
}

bool IsClassicConsoleWindow(HWND window) {
    if (!window || !IsWindowVisible(window)) return false;
    WCHAR className[1024];
    if (!RealGetWindowClassW(window, className, 1024)) return false;
    return StrCompare(className, TEXT("ConsoleWindowClass")) == 0;
}

HWND Classify(ConsoleHostCode *code, HWND *display) {
    HWND host = AskTakeCommandForWindow();
    if (host) {
        *code = HOST_TAKE_COMMAND;
        if (display) {
            HWND view = FindTakeCommandView(host);
            *display = view ? view : host;
        }
        return host;
    }

    host = GetConsoleWindow();
    if (IsClassicConsoleWindow(host)) {
        *code = HOST_CONSOLE_WINDOW;
        // Console2 keeps the real console window off every screen.
        if (!MonitorFromWindow(host, MONITOR_DEFAULTTONULL)) {
            HWND console2 = FindAncestorWindow(TEXT("Console_2_Main"));
            if (console2) {
                *code = HOST_CONSOLE2;
                host = console2;
            }
        }
        if (display) *display = host;
        return host;
    }

    host = FindWindowsTerminal();
    if (host) {
        *code = HOST_WINDOWS_TERMINAL;
        if (display) *display = host;
        return host;
    }

    host = FindWindowFromVariable(TEXT("ConEmuHWND"));
    if (host) {
        *code = HOST_CONEMU;
        if (display) {
            HWND drawing = FindWindowFromVariable(TEXT("ConEmuDrawHWND"));
            *display = drawing ? drawing : host;
        }
        return host;
    }

    host = FindAncestorWindow(TEXT("Console_2_Main"));
    if (host) {
        *code = HOST_CONSOLE2;
        if (display) {
            HWND view = FindDescendantByClass(host, TEXT("Console_2_View"));
            *display = view ? view : host;
        }
        return host;
    }

    host = FindTakeCommandFrame();
    if (host) {
        *code = HOST_TAKE_COMMAND;
        if (display) {
            HWND view = FindTakeCommandView(host);
            *display = view ? view : host;
        }
        return host;
    }

    *code = HOST_NONE;
    if (display) *display = nullptr;
    return nullptr;
}

}  // namespace

HWND ClassifyConsoleHost(ConsoleHostCode *codeOut, HWND *displayWindowOut) {
    ConsoleHostCode code = HOST_NONE;
    HWND host = Classify(&code, displayWindowOut);
    if (codeOut) *codeOut = code;
    return host;
}

HWND FindPseudoConsoleWindow(void) {
    HWND console = GetConsoleWindow();
    return HasClass(console, TEXT("PseudoConsoleWindow")) ? console : nullptr;
}

// Every window of one Windows Terminal may live in one process, so the
// window that shows this console is its owner, never one found by process.
HWND TerminalWindowOf(HWND console) {
    if (!console) return nullptr;
    HWND owner = GetAncestor(console, GA_ROOTOWNER);
    return owner != console && HasClass(owner, TERMINAL_CLASS) ? owner : nullptr;
}

// Console2 and ConEmu stay refused whatever the switch says; a classic
// console or Take Command shows the palette, which is right there, and
// never gets a sequence.
ColourPath ChooseColourPath(ConsoleHostCode code) {
    if (code != HOST_WINDOWS_TERMINAL && code != HOST_NONE) return COLOURS_BY_PALETTE;
    if (!SequencesWanted() || !FindPseudoConsoleWindow()) return COLOURS_BY_PALETTE;
    return COLOURS_BY_SEQUENCES;
}

HWND WindowFromDecimal(LPCWSTR text) {
    if (!IsAsciiDigit(text[0])) return nullptr;
    DWORD value = 0;
    if (ScanUnsigned32(text, 10, &value, nullptr) != NUMBER_OK || value == 0) return nullptr;
    HWND window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(value));
    return IsWindow(window) ? window : nullptr;
}

HWND FindViewByTitle(HWND mainWindow, const ViewTitleSearch *how) {
    WCHAR marker[MARKER_SIZE];
    Format(marker, MARKER_SIZE, how->markerFormat, static_cast<unsigned>(GetCurrentProcessId()),
           static_cast<unsigned>(rand() & 0x7FFF));
    HWND console = GetConsoleWindow();
    // Without a console window there is no title for a view to copy.
    if (!console) return nullptr;
    WCHAR saved[1024];
    saved[0] = 0;
    GetWindowTextW(console, saved, 1024);
    if (how->settleMs) Sleep(how->settleMs);
    SetWindowTextW(console, marker);

    CaptionSearch search = {marker, how->classPrefix, nullptr};
    for (int attempt = 0; attempt < how->attempts; ++attempt) {
        EnumChildWindows(mainWindow, MatchCaption, reinterpret_cast<LPARAM>(&search));
        if (search.found) break;
        Sleep(how->waitMs);
    }
    SetWindowTextW(console, saved);
    return search.found;
}
