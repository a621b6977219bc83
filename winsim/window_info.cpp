// What a program can ask about a window: class, caption, owner, parent,
// visibility and place; and changing the caption.
#include "world.h"

using namespace winsim;

namespace {

Window *WindowOrError(HWND window) {
    Window *found = LookUpWindow(window);
    if (!found) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return found;
}

}  // namespace

// ---- RealGetWindowClassW ----
WINSIM_API UINT WINAPI RealGetWindowClassW(HWND window, LPWSTR buffer, UINT size) {
    if (sim::ShouldFail("RealGetWindowClassW")) return 0;
    Window *found = WindowOrError(window);
    return found ? CopyTruncated(found->className, buffer, size) : 0;
}

// ---- GetClassNameW ----
WINSIM_API int WINAPI GetClassNameW(HWND window, LPWSTR buffer, int size) {
    if (sim::ShouldFail("GetClassNameW")) return 0;
    Window *found = WindowOrError(window);
    if (!found || size <= 0) return 0;
    return static_cast<int>(CopyTruncated(found->className, buffer, static_cast<DWORD>(size)));
}

// ---- GetWindowTextW ----
WINSIM_API int WINAPI GetWindowTextW(HWND window, LPWSTR buffer, int size) {
    if (sim::ShouldFail("GetWindowTextW")) return 0;
    Window *found = WindowOrError(window);
    if (!found || size <= 0) return 0;
    return static_cast<int>(CopyTruncated(WindowTitle(*found), buffer, static_cast<DWORD>(size)));
}

// ---- GetWindowTextLengthW ----
WINSIM_API int WINAPI GetWindowTextLengthW(HWND window) {
    if (sim::ShouldFail("GetWindowTextLengthW")) return 0;
    Window *found = WindowOrError(window);
    return found ? static_cast<int>(WindowTitle(*found).size()) : 0;
}

// ---- SetWindowTextW ----
WINSIM_API BOOL WINAPI SetWindowTextW(HWND window, LPCWSTR text) {
    if (sim::ShouldFail("SetWindowTextW")) return FALSE;
    Window *found = WindowOrError(window);
    if (!found) return FALSE;
    SetWindowTitle(*found, Str(text));
    return TRUE;
}

// ---- GetWindowThreadProcessId ----
WINSIM_API DWORD WINAPI GetWindowThreadProcessId(HWND window, LPDWORD processId) {
    if (sim::ShouldFail("GetWindowThreadProcessId")) return 0;
    Window *found = WindowOrError(window);
    if (!found) return 0;
    if (processId) *processId = found->processId;
    return found->processId + 4;  // one thread per process, with an id of its own
}

// ---- IsWindow ----
WINSIM_API BOOL WINAPI IsWindow(HWND window) {
    if (sim::ShouldFail("IsWindow")) return FALSE;
    return LookUpWindow(window) ? TRUE : FALSE;
}

// ---- IsWindowVisible ----
WINSIM_API BOOL WINAPI IsWindowVisible(HWND window) {
    if (sim::ShouldFail("IsWindowVisible")) return FALSE;
    Window *found = LookUpWindow(window);
    return found && IsVisibleWithAncestors(*found) ? TRUE : FALSE;
}

// ---- GetParent ----
WINSIM_API HWND WINAPI GetParent(HWND window) {
    if (sim::ShouldFail("GetParent")) return nullptr;
    Window *found = WindowOrError(window);
    return found ? found->parent : nullptr;
}

// ---- GetWindowRect ----
WINSIM_API BOOL WINAPI GetWindowRect(HWND window, LPRECT rect) {
    if (sim::ShouldFail("GetWindowRect")) return FALSE;
    Window *found = WindowOrError(window);
    if (!found) return FALSE;
    if (!rect) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    *rect = found->rect;
    return TRUE;
}
