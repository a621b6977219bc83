// The console: the title, modes, colour table and attached processes, and
// the information calls on its screen buffers (console_buffers.cpp holds
// the buffers, console_input.cpp the input records; typed text and the
// standard handles are in console_streams.cpp).
#include "console_state.h"
#include "machine.h"
#include "process_state.h"
#include "text_conversions.h"
#include "time_state.h"

using namespace winsim;

namespace winsim {

namespace {

struct TitleChange {
    ULONGLONG at;
    std::u16string title;
};

// What belongs to the console as a whole; each screen buffer's own state
// is in console_buffers.cpp.
struct Console {
    COLORREF colors[16] = {};
    DWORD inputMode = 0;
    std::u16string title;
    std::vector<TitleChange> titleHistory;  // every change, for windows that follow it
    std::u16string log;
    std::vector<DWORD> processes;
    bool processesSet = false;  // false: the list is the current process alone
    HWND window = nullptr;
    bool wineInfoWrites = false;  // SetConsoleScreenBufferInfoEx as Wine answers it
};

Console &C() {
    return AreaState<Console>();
}

// How many character cells the largest console window on a 1920x1080
// screen holds in the default font.
const SHORT kLargestColumns = 240;
const SHORT kLargestRows = 63;

SHORT Smaller(SHORT a, SHORT b) {
    return a < b ? a : b;
}

// What GetConsoleScreenBufferInfoEx reports.
void FillBufferInfo(const ScreenBuffer &buffer, CONSOLE_SCREEN_BUFFER_INFOEX &info) {
    const Console &console = C();
    info.cbSize = sizeof(CONSOLE_SCREEN_BUFFER_INFOEX);
    info.dwSize = {buffer.columns, buffer.rows};
    info.dwCursorPosition = buffer.cursor;
    info.wAttributes = buffer.attribute;
    info.srWindow = buffer.view;
    info.dwMaximumWindowSize = {Smaller(buffer.columns, kLargestColumns), Smaller(buffer.rows, kLargestRows)};
    info.wPopupAttributes = buffer.popupAttribute;
    info.bFullscreenSupported = FALSE;
    for (int i = 0; i < 16; ++i) info.ColorTable[i] = console.colors[i];
}

bool Refuse() {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
}

// Wine's console takes the fields one after the other and stops at the first
// it refuses, keeping those it took: the cursor (inside the buffer), the
// buffer size (no smaller than the window), the attributes, then the window
// rectangle, which it reads inclusive as the get call reports it and which
// must lie inside the buffer. A rectangle one past the buffer, as Windows
// wants it, is refused after the attributes were taken. The colour table
// never reaches Wine's console at all.
bool WriteInfoAsWine(ScreenBuffer &state, const CONSOLE_SCREEN_BUFFER_INFOEX &info) {
    COORD cursor = info.dwCursorPosition;
    if (cursor.X < 0 || cursor.X >= state.columns || cursor.Y < 0 || cursor.Y >= state.rows) return Refuse();
    state.cursor = cursor;
    const SMALL_RECT &view = state.view;
    if (info.dwSize.X < view.Right - view.Left + 1 || info.dwSize.Y < view.Bottom - view.Top + 1) return Refuse();
    if (info.dwSize.X != state.columns || info.dwSize.Y != state.rows)
        ResizeScreen(state, info.dwSize.X, info.dwSize.Y);
    state.attribute = info.wAttributes;
    state.popupAttribute = info.wPopupAttributes;
    const SMALL_RECT &window = info.srWindow;
    if (window.Left < 0 || window.Left > window.Right || window.Right >= state.columns || window.Top < 0 ||
        window.Top > window.Bottom || window.Bottom >= state.rows) {
        return Refuse();
    }
    state.view = window;
    return true;
}

// The Windows 10 console's default palette, in console colour order.
const COLORREF kDefaultColors[16] = {0x0C0C0C, 0xDA3700, 0x0EA113, 0xDD963A, 0x1F0FC5, 0x981788, 0x009CC1, 0xCCCCCC,
                                     0x767676, 0xFF783B, 0x0CC616, 0xD6D661, 0x5648E7, 0x9E00B4, 0xA5F1F9, 0xF2F2F2};

// A console window of 120 columns in the default font, placed as Windows
// places a new console.
const RECT kConsoleRect = {200, 120, 1193, 639};

}  // namespace

// The console title, which is also the console window's caption.
void ChangeConsoleTitle(const std::u16string &title) {
    Console &console = C();
    console.title = title;
    console.titleHistory.push_back({Now(), title});
}

HWND ConsoleWindow() {
    return C().window;
}

void SetConsoleWindow(HWND window) {
    C().window = window;
}

DWORD ConsoleInputMode() {
    return C().inputMode;
}

void SetConsoleOutputMode(DWORD mode) {
    OriginalBuffer().mode = mode;
}

void LogConsoleWrite(const std::u16string &text) {
    C().log += text;
}

void UseWineConsoleInfoWrites() {
    C().wineInfoWrites = true;
}

const std::u16string &CurrentConsoleTitle() {
    return C().title;
}

size_t ConsoleTitleChangeCount() {
    return C().titleHistory.size();
}

bool FollowedConsoleTitle(size_t from, DWORD delay, std::u16string *title) {
    const std::vector<TitleChange> &history = C().titleHistory;
    for (size_t i = history.size(); i > from; --i) {
        if (history[i - 1].at + delay <= Now()) {
            *title = history[i - 1].title;
            return true;
        }
    }
    return false;
}

void SetMirrorColor(int index, COLORREF color) {
    C().colors[index & 0x0F] = color;
}

void ResetMirrorColor(int index) {
    C().colors[index & 0x0F] = kDefaultColors[index & 0x0F];
}

// A fresh classic console with its window, which the window table (reset
// before it) holds.
void ResetConsole() {
    Console &console = C();
    console = Console();
    for (int i = 0; i < 16; ++i) console.colors[i] = kDefaultColors[i];
    console.inputMode = ENABLE_PROCESSED_INPUT | ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | 0x01F0;
    console.title = u"TCC";
    ResetConsoleVt();
    ResetScreenBuffers();
    ResetStandardStreams();
    ResetConsoleInput();

    sim::WindowSpec spec;
    spec.className = u"ConsoleWindowClass";
    spec.rect = kConsoleRect;
    console.window = sim::CreateSimWindow(spec);
}

}  // namespace winsim

// Console state calls: the window, attached processes, modes, and the
// screen buffer information with its colour table.
WINSIM_API HWND WINAPI GetConsoleWindow(void) {
    if (sim::ShouldFail("GetConsoleWindow")) return nullptr;
    return C().window;
}

WINSIM_API DWORD WINAPI GetConsoleProcessList(LPDWORD list, DWORD count) {
    if (sim::ShouldFail("GetConsoleProcessList")) return 0;
    if (!list || count == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const Console &console = C();
    std::vector<DWORD> ids = console.processesSet ? console.processes : std::vector<DWORD>{CurrentProcessId()};
    // Too little room: Windows answers the count it needs and stores nothing.
    if (ids.size() > count) return static_cast<DWORD>(ids.size());
    for (size_t i = 0; i < ids.size(); ++i) list[i] = ids[i];
    return static_cast<DWORD>(ids.size());
}

WINSIM_API BOOL WINAPI GetConsoleMode(HANDLE console, LPDWORD mode) {
    if (sim::ShouldFail("GetConsoleMode")) return FALSE;
    HandleObject *object = FindHandle(console);
    ScreenBuffer *buffer = BufferOf(object);
    if (!IsConsoleInput(object) && !buffer) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!mode) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *mode = buffer ? buffer->mode : C().inputMode;
    return TRUE;
}

WINSIM_API BOOL WINAPI SetConsoleMode(HANDLE console, DWORD mode) {
    if (sim::ShouldFail("SetConsoleMode")) return FALSE;
    HandleObject *object = FindHandle(console);
    ScreenBuffer *buffer = BufferOf(object);
    if (!IsConsoleInput(object) && !buffer) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    (buffer ? buffer->mode : C().inputMode) = mode;
    return TRUE;
}

WINSIM_API BOOL WINAPI GetConsoleScreenBufferInfo(HANDLE console, PCONSOLE_SCREEN_BUFFER_INFO info) {
    if (sim::ShouldFail("GetConsoleScreenBufferInfo")) return FALSE;
    const ScreenBuffer *buffer = ScreenBufferOrFail(console);
    if (!buffer) return FALSE;
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    CONSOLE_SCREEN_BUFFER_INFOEX ex;
    FillBufferInfo(*buffer, ex);
    info->dwSize = ex.dwSize;
    info->dwCursorPosition = ex.dwCursorPosition;
    info->wAttributes = ex.wAttributes;
    info->srWindow = ex.srWindow;
    info->dwMaximumWindowSize = ex.dwMaximumWindowSize;
    return TRUE;
}

WINSIM_API BOOL WINAPI GetConsoleScreenBufferInfoEx(HANDLE console, PCONSOLE_SCREEN_BUFFER_INFOEX info) {
    if (sim::ShouldFail("GetConsoleScreenBufferInfoEx")) return FALSE;
    if (!info || info->cbSize != sizeof(CONSOLE_SCREEN_BUFFER_INFOEX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const ScreenBuffer *buffer = ScreenBufferOrFail(console);
    if (!buffer) return FALSE;
    FillBufferInfo(*buffer, *info);
    return TRUE;
}

// ---- SetConsoleScreenBufferInfoEx ----
// Windows reads srWindow's right and bottom edges as exclusive, although
// GetConsoleScreenBufferInfoEx reports them inclusive: handing back what was
// read shrinks the window by one column and one row. Callers add one.
WINSIM_API BOOL WINAPI SetConsoleScreenBufferInfoEx(HANDLE console, PCONSOLE_SCREEN_BUFFER_INFOEX info) {
    if (sim::ShouldFail("SetConsoleScreenBufferInfoEx")) return FALSE;
    if (!info || info->cbSize != sizeof(CONSOLE_SCREEN_BUFFER_INFOEX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ScreenBuffer *buffer = ScreenBufferOrFail(console);
    if (!buffer) return FALSE;
    if (C().wineInfoWrites) return WriteInfoAsWine(*buffer, *info) ? TRUE : FALSE;
    if (info->dwSize.X <= 0 || info->dwSize.Y <= 0 || info->dwSize.X == 0x7FFF || info->dwSize.Y == 0x7FFF) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ScreenBuffer &state = *buffer;
    if (info->dwSize.X != state.columns || info->dwSize.Y != state.rows) {
        ResizeScreen(state, info->dwSize.X, info->dwSize.Y);
    }
    for (int i = 0; i < 16; ++i) C().colors[i] = info->ColorTable[i];
    state.attribute = info->wAttributes;
    state.popupAttribute = info->wPopupAttributes;
    if (info->dwCursorPosition.X >= 0 && info->dwCursorPosition.X < state.columns && info->dwCursorPosition.Y >= 0 &&
        info->dwCursorPosition.Y < state.rows) {
        state.cursor = info->dwCursorPosition;
    }

    int width = info->srWindow.Right - info->srWindow.Left;
    int height = info->srWindow.Bottom - info->srWindow.Top;
    if (info->dwMaximumWindowSize.X > 0 && width > info->dwMaximumWindowSize.X) width = info->dwMaximumWindowSize.X;
    if (info->dwMaximumWindowSize.Y > 0 && height > info->dwMaximumWindowSize.Y) height = info->dwMaximumWindowSize.Y;
    if (width > state.columns) width = state.columns;
    if (height > state.rows) height = state.rows;
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    int left = info->srWindow.Left < 0 ? 0 : info->srWindow.Left;
    int top = info->srWindow.Top < 0 ? 0 : info->srWindow.Top;
    if (left + width > state.columns) left = state.columns - width;
    if (top + height > state.rows) top = state.rows - height;
    state.view = {static_cast<SHORT>(left), static_cast<SHORT>(top), static_cast<SHORT>(left + width - 1),
                  static_cast<SHORT>(top + height - 1)};
    return TRUE;
}

WINSIM_API BOOL WINAPI SetConsoleTextAttribute(HANDLE console, WORD attributes) {
    if (sim::ShouldFail("SetConsoleTextAttribute")) return FALSE;
    ScreenBuffer *buffer = ScreenBufferOrFail(console);
    if (!buffer) return FALSE;
    buffer->attribute = attributes;
    return TRUE;
}

WINSIM_API DWORD WINAPI GetConsoleTitleW(LPWSTR title, DWORD size) {
    if (sim::ShouldFail("GetConsoleTitleW")) return 0;
    if (!title && size > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::u16string &current = C().title;
    CopyTruncated(current, title, size);
    return static_cast<DWORD>(current.size());
}

WINSIM_API BOOL WINAPI SetConsoleTitleW(LPCWSTR title) {
    if (sim::ShouldFail("SetConsoleTitleW")) return FALSE;
    if (!title) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ChangeConsoleTitle(title);
    return TRUE;
}

namespace sim {

// The test side of the console: set it up and read back what was done.
// The window shows the whole width and at most 30 rows, as a console
// window opened with a tall scroll-back buffer does.
void SetConsoleSize(SHORT columns, SHORT rows) {
    if (columns <= 0 || rows <= 0) return;
    winsim::ScreenBuffer &buffer = winsim::ShownBuffer();
    winsim::ResizeScreen(buffer, columns, rows);
    SHORT height = rows < 30 ? rows : 30;
    buffer.view = {0, 0, static_cast<SHORT>(columns - 1), static_cast<SHORT>(height - 1)};
    buffer.cursor = {0, 0};
}

CONSOLE_SCREEN_BUFFER_INFOEX ConsoleInfo() {
    CONSOLE_SCREEN_BUFFER_INFOEX info = {};
    winsim::FillBufferInfo(winsim::ShownBuffer(), info);
    return info;
}

void SetConsoleAttribute(WORD attribute) {
    winsim::ShownBuffer().attribute = attribute;
}

void SetConsoleColorTable(const COLORREF table[16]) {
    for (int i = 0; i < 16; ++i) winsim::C().colors[i] = table[i];
}

DWORD ConsoleInputModeNow() {
    return winsim::C().inputMode;
}

std::u16string ConsoleLog() {
    return winsim::C().log;
}

std::u16string ConsoleTitle() {
    return winsim::C().title;
}

void SetConsoleProcesses(const std::vector<DWORD> &pids) {
    winsim::Console &console = winsim::C();
    console.processes = pids;
    console.processesSet = true;
}

}  // namespace sim
