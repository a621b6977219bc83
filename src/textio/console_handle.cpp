#include "text_source.h"

bool IsConsoleHandle(HANDLE handle) {
    // The standard-handle numbers are not handles themselves.
    LONG_PTR value = reinterpret_cast<LONG_PTR>(handle);
    if (value == static_cast<LONG>(STD_INPUT_HANDLE) || value == static_cast<LONG>(STD_OUTPUT_HANDLE) ||
        value == static_cast<LONG>(STD_ERROR_HANDLE)) {
        handle = GetStdHandle(static_cast<DWORD>(value));
    }
    if (!handle) return false;
    DWORD mode = 0xFFFFFFFF;
    return GetConsoleMode(handle, &mode) && mode != 0xFFFFFFFF;
}
