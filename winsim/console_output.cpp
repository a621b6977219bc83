// Text and attribute output to the console screen buffer.
#include "world.h"

using namespace winsim;

namespace {

// Number of cells from `start` to the end of the buffer, or -1 when the
// start lies outside it.
long long CellsFrom(COORD start) {
    const Console &console = W().console;
    if (start.X < 0 || start.Y < 0 || start.X >= console.columns || start.Y >= console.rows) return -1;
    return static_cast<long long>(console.rows - start.Y) * console.columns - start.X;
}

}  // namespace

// ---- WriteConsoleW ----
WINSIM_API BOOL WINAPI WriteConsoleW(HANDLE console, const void *buffer, DWORD count, LPDWORD written,
                                     LPVOID reserved) {
    (void)reserved;
    if (sim::ShouldFail("WriteConsoleW")) return FALSE;
    if (!IsConsoleOutput(FindHandle(console))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!buffer && count > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const WCHAR *text = static_cast<const WCHAR *>(buffer);
    WriteToScreen(std::u16string(text, text + count), true);
    if (written) *written = count;
    return TRUE;
}

// ---- ReadConsoleOutputAttribute ----
// Runs across row ends; a start outside the buffer reads nothing and still
// succeeds, as Windows does.
WINSIM_API BOOL WINAPI ReadConsoleOutputAttribute(HANDLE console, LPWORD attributes, DWORD length, COORD start,
                                                  LPDWORD read) {
    if (sim::ShouldFail("ReadConsoleOutputAttribute")) return FALSE;
    if (!IsConsoleOutput(FindHandle(console))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!read || (!attributes && length > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    long long available = CellsFrom(start);
    DWORD count = available < 0 ? 0 : available < length ? static_cast<DWORD>(available) : length;
    const Console &state = W().console;
    size_t first = static_cast<size_t>(start.Y) * static_cast<size_t>(state.columns) + static_cast<size_t>(start.X);
    for (DWORD i = 0; i < count; ++i) attributes[i] = state.cells[first + i].attribute;
    *read = count;
    return TRUE;
}

// ---- WriteConsoleOutputAttribute ----
// Runs across row ends and stops at the end of the buffer; a start outside
// the buffer is refused with ERROR_INVALID_PARAMETER (Windows 10's console).
WINSIM_API BOOL WINAPI WriteConsoleOutputAttribute(HANDLE console, const WORD *attributes, DWORD length, COORD start,
                                                   LPDWORD written) {
    if (sim::ShouldFail("WriteConsoleOutputAttribute")) return FALSE;
    if (!IsConsoleOutput(FindHandle(console))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!written || (!attributes && length > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *written = 0;
    if (length == 0) return TRUE;
    long long available = CellsFrom(start);
    if (available < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD count = available < length ? static_cast<DWORD>(available) : length;
    Console &state = W().console;
    size_t first = static_cast<size_t>(start.Y) * static_cast<size_t>(state.columns) + static_cast<size_t>(start.X);
    for (DWORD i = 0; i < count; ++i) state.cells[first + i].attribute = attributes[i];
    *written = count;
    return TRUE;
}
