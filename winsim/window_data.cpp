// A window's data words (user data, styles, procedure, the class's extra
// bytes) and its layered-window attributes.
#include <cstring>

#include "world.h"

using namespace winsim;

namespace {

Window *WindowOrError(HWND window) {
    Window *found = LookUpWindow(window);
    if (!found) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return found;
}

// The word at `index`; false (with the last error set) for an index the
// window has no word at.
bool ReadWord(Window &window, int index, LONG_PTR *value) {
    switch (index) {
        case GWLP_USERDATA: *value = window.userData; return true;
        case GWLP_WNDPROC: *value = reinterpret_cast<LONG_PTR>(window.procedure); return true;
        case GWLP_HINSTANCE: *value = reinterpret_cast<LONG_PTR>(window.instance); return true;
        case GWLP_ID: *value = window.id; return true;
        case GWL_STYLE: *value = static_cast<LONG>(window.style); return true;
        case GWL_EXSTYLE: *value = static_cast<LONG>(window.exStyle); return true;
        default: break;
    }
    if (index < 0 || static_cast<size_t>(index) + sizeof(LONG_PTR) > window.extraBytes.size()) {
        SetLastError(ERROR_INVALID_INDEX);
        return false;
    }
    std::memcpy(value, window.extraBytes.data() + index, sizeof(LONG_PTR));
    return true;
}

void WriteWord(Window &window, int index, LONG_PTR value) {
    switch (index) {
        case GWLP_USERDATA: window.userData = value; return;
        case GWLP_WNDPROC: window.procedure = reinterpret_cast<WNDPROC>(value); return;
        case GWLP_HINSTANCE: window.instance = reinterpret_cast<HINSTANCE>(value); return;
        case GWLP_ID: window.id = value; return;
        case GWL_STYLE: window.style = static_cast<DWORD>(value); return;
        case GWL_EXSTYLE: window.exStyle = static_cast<DWORD>(value); return;
        default: std::memcpy(window.extraBytes.data() + index, &value, sizeof(LONG_PTR));
    }
}

}  // namespace

// ---- GetWindowLongPtrW ----
WINSIM_API LONG_PTR WINAPI GetWindowLongPtrW(HWND window, int index) {
    if (sim::ShouldFail("GetWindowLongPtrW")) return 0;
    Window *found = WindowOrError(window);
    LONG_PTR value = 0;
    return found && ReadWord(*found, index, &value) ? value : 0;
}

// ---- SetWindowLongPtrW ----
// Answers the previous value; a previous 0 on success leaves the last
// error as it was, so callers clear it first to tell success apart.
WINSIM_API LONG_PTR WINAPI SetWindowLongPtrW(HWND window, int index, LONG_PTR value) {
    if (sim::ShouldFail("SetWindowLongPtrW")) return 0;
    Window *found = WindowOrError(window);
    if (!found) return 0;
    if (found->processId != W().processId) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    LONG_PTR previous = 0;
    if (!ReadWord(*found, index, &previous)) return 0;
    WriteWord(*found, index, value);
    return previous;
}

// ---- SetLayeredWindowAttributes ----
WINSIM_API BOOL WINAPI SetLayeredWindowAttributes(HWND window, COLORREF key, BYTE alpha, DWORD flags) {
    if (sim::ShouldFail("SetLayeredWindowAttributes")) return FALSE;
    Window *found = WindowOrError(window);
    if (!found) return FALSE;
    if (!(found->exStyle & WS_EX_LAYERED) || (flags & ~static_cast<DWORD>(LWA_COLORKEY | LWA_ALPHA))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    found->layeredSet = true;
    found->layeredKey = key;
    found->layeredAlpha = alpha;
    found->layeredFlags = flags;
    return TRUE;
}

// ---- GetLayeredWindowAttributes ----
// Only for a layered window whose attributes were set by the call above.
WINSIM_API BOOL WINAPI GetLayeredWindowAttributes(HWND window, COLORREF *key, BYTE *alpha, DWORD *flags) {
    if (sim::ShouldFail("GetLayeredWindowAttributes")) return FALSE;
    Window *found = WindowOrError(window);
    if (!found) return FALSE;
    if (!(found->exStyle & WS_EX_LAYERED) || !found->layeredSet) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (key) *key = found->layeredKey;
    if (alpha) *alpha = found->layeredAlpha;
    if (flags) *flags = found->layeredFlags;
    return TRUE;
}
