// Calls whose effect is only seen on the screen: the foreground window,
// repaints and message boxes, recorded for tests.
#include "world.h"

using namespace winsim;

// ---- GetForegroundWindow ----
WINSIM_API HWND WINAPI GetForegroundWindow(void) {
    if (sim::ShouldFail("GetForegroundWindow")) return nullptr;
    return W().foregroundSet ? W().foreground : W().console.window;
}

// ---- RedrawWindow ----
WINSIM_API BOOL WINAPI RedrawWindow(HWND window, const RECT *update, void *region, UINT flags) {
    (void)update;
    (void)region;
    if (sim::ShouldFail("RedrawWindow")) return FALSE;
    if (window && !LookUpWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    W().redraws.push_back({window, flags});
    return TRUE;
}

// ---- MessageBoxW ----
// The user always answers with the first button.
WINSIM_API int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    if (sim::ShouldFail("MessageBoxW")) return 0;
    if (owner && !LookUpWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    // Windows captions a box without a caption "Error".
    W().messageBoxes.push_back({owner, Str(text), caption ? Str(caption) : std::u16string(u"Error"), type});
    return IDOK;
}
