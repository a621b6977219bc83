// Console state calls: the window, attached processes, modes, and the
// screen buffer information with its colour table.
#include "world.h"

namespace winsim {

namespace {

// How many character cells the largest console window on a 1920x1080
// screen holds in the default font.
const SHORT kLargestColumns = 240;
const SHORT kLargestRows = 63;

SHORT Smaller(SHORT a, SHORT b) { return a < b ? a : b; }

}  // namespace

void FillBufferInfo(CONSOLE_SCREEN_BUFFER_INFOEX &info) {
    const Console &console = W().console;
    info.cbSize = sizeof(CONSOLE_SCREEN_BUFFER_INFOEX);
    info.dwSize = {console.columns, console.rows};
    info.dwCursorPosition = console.cursor;
    info.wAttributes = console.attribute;
    info.srWindow = console.view;
    info.dwMaximumWindowSize = {Smaller(console.columns, kLargestColumns), Smaller(console.rows, kLargestRows)};
    info.wPopupAttributes = console.popupAttribute;
    info.bFullscreenSupported = FALSE;
    for (int i = 0; i < 16; ++i) info.ColorTable[i] = console.colors[i];
}

}  // namespace winsim

using namespace winsim;

// ---- GetConsoleWindow ----
WINSIM_API HWND WINAPI GetConsoleWindow(void) {
    if (sim::ShouldFail("GetConsoleWindow")) return nullptr;
    return W().console.window;
}

// ---- GetConsoleProcessList ----
WINSIM_API DWORD WINAPI GetConsoleProcessList(LPDWORD list, DWORD count) {
    if (sim::ShouldFail("GetConsoleProcessList")) return 0;
    if (!list || count == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const Console &console = W().console;
    std::vector<DWORD> ids = console.processesSet ? console.processes : std::vector<DWORD>{W().processId};
    // Too little room: Windows answers the count it needs and stores nothing.
    if (ids.size() > count) return static_cast<DWORD>(ids.size());
    for (size_t i = 0; i < ids.size(); ++i) list[i] = ids[i];
    return static_cast<DWORD>(ids.size());
}

// ---- GetConsoleMode ----
WINSIM_API BOOL WINAPI GetConsoleMode(HANDLE console, LPDWORD mode) {
    if (sim::ShouldFail("GetConsoleMode")) return FALSE;
    HandleObject *object = FindHandle(console);
    if (!IsConsoleInput(object) && !IsConsoleOutput(object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!mode) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *mode = IsConsoleInput(object) ? W().console.inputMode : W().console.outputMode;
    return TRUE;
}

// ---- SetConsoleMode ----
WINSIM_API BOOL WINAPI SetConsoleMode(HANDLE console, DWORD mode) {
    if (sim::ShouldFail("SetConsoleMode")) return FALSE;
    HandleObject *object = FindHandle(console);
    if (!IsConsoleInput(object) && !IsConsoleOutput(object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    (IsConsoleInput(object) ? W().console.inputMode : W().console.outputMode) = mode;
    return TRUE;
}

// ---- GetConsoleScreenBufferInfo ----
WINSIM_API BOOL WINAPI GetConsoleScreenBufferInfo(HANDLE console, PCONSOLE_SCREEN_BUFFER_INFO info) {
    if (sim::ShouldFail("GetConsoleScreenBufferInfo")) return FALSE;
    if (!IsConsoleOutput(FindHandle(console))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    CONSOLE_SCREEN_BUFFER_INFOEX ex;
    FillBufferInfo(ex);
    info->dwSize = ex.dwSize;
    info->dwCursorPosition = ex.dwCursorPosition;
    info->wAttributes = ex.wAttributes;
    info->srWindow = ex.srWindow;
    info->dwMaximumWindowSize = ex.dwMaximumWindowSize;
    return TRUE;
}

// ---- GetConsoleScreenBufferInfoEx ----
WINSIM_API BOOL WINAPI GetConsoleScreenBufferInfoEx(HANDLE console, PCONSOLE_SCREEN_BUFFER_INFOEX info) {
    if (sim::ShouldFail("GetConsoleScreenBufferInfoEx")) return FALSE;
    if (!info || info->cbSize != sizeof(CONSOLE_SCREEN_BUFFER_INFOEX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!IsConsoleOutput(FindHandle(console))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    FillBufferInfo(*info);
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
    if (!IsConsoleOutput(FindHandle(console))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (info->dwSize.X <= 0 || info->dwSize.Y <= 0 || info->dwSize.X == 0x7FFF || info->dwSize.Y == 0x7FFF) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Console &state = W().console;
    if (info->dwSize.X != state.columns || info->dwSize.Y != state.rows) ResizeScreen(info->dwSize.X, info->dwSize.Y);
    for (int i = 0; i < 16; ++i) state.colors[i] = info->ColorTable[i];
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

// ---- SetConsoleTextAttribute ----
WINSIM_API BOOL WINAPI SetConsoleTextAttribute(HANDLE console, WORD attributes) {
    if (sim::ShouldFail("SetConsoleTextAttribute")) return FALSE;
    if (!IsConsoleOutput(FindHandle(console))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    W().console.attribute = attributes;
    return TRUE;
}
