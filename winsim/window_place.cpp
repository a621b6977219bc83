// Where windows are and what of them shows: moving, sizing, showing, the
// client area and its mapping to the screen, scroll bars, the desktop and
// its work area.
#include "world.h"

using namespace winsim;

namespace {

// Odd, like monitor handles, so that it never equals a window of the table.
const HWND kDesktop = reinterpret_cast<HWND>(0x00010003u);

Window *WindowOrError(HWND window) {
    Window *found = LookUpWindow(window);
    if (!found) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return found;
}

// The screen position of a window's client area; the desktop's (and no
// window's) is the screen's origin.
bool ClientOrigin(HWND window, POINT *origin) {
    *origin = {0, 0};
    if (!window || window == kDesktop) return true;
    Window *found = WindowOrError(window);
    if (!found) return false;
    *origin = {found->rect.left + found->clientInset.left, found->rect.top + found->clientInset.top};
    return true;
}

int BarIndex(LONG object) { return object == OBJID_HSCROLL ? 0 : object == OBJID_VSCROLL ? 1 : -1; }

}  // namespace

// ---- SetWindowPos ----
// Topmost is kept as the window's style; the enumeration order stays the
// order of creation.
WINSIM_API BOOL WINAPI SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    if (sim::ShouldFail("SetWindowPos")) return FALSE;
    Window *found = WindowOrError(window);
    if (!found) return FALSE;
    if (!(flags & SWP_NOMOVE)) {
        LONG width = found->rect.right - found->rect.left, height = found->rect.bottom - found->rect.top;
        found->rect = {x, y, x + width, y + height};
    }
    if (!(flags & SWP_NOSIZE)) {
        found->rect.right = found->rect.left + (cx > 0 ? cx : 0);
        found->rect.bottom = found->rect.top + (cy > 0 ? cy : 0);
    }
    if (!(flags & SWP_NOZORDER)) {
        if (insertAfter == HWND_TOPMOST) found->exStyle |= WS_EX_TOPMOST;
        if (insertAfter == HWND_NOTOPMOST) found->exStyle &= ~static_cast<DWORD>(WS_EX_TOPMOST);
    }
    if (flags & SWP_SHOWWINDOW) found->visible = true;
    if (flags & SWP_HIDEWINDOW) found->visible = false;
    return TRUE;
}

// ---- ShowWindow ----
// Answers whether the window was visible before.
WINSIM_API BOOL WINAPI ShowWindow(HWND window, int command) {
    if (sim::ShouldFail("ShowWindow")) return FALSE;
    Window *found = WindowOrError(window);
    if (!found) return FALSE;
    BOOL was = found->visible ? TRUE : FALSE;
    found->visible = command != SW_HIDE;
    return was;
}

// ---- GetClientRect ----
WINSIM_API BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
    if (sim::ShouldFail("GetClientRect")) return FALSE;
    Window *found = WindowOrError(window);
    if (!found) return FALSE;
    if (!rect) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    const RECT &r = found->rect;
    const RECT &inset = found->clientInset;
    LONG width = r.right - r.left - inset.left - inset.right;
    LONG height = r.bottom - r.top - inset.top - inset.bottom;
    *rect = {0, 0, width > 0 ? width : 0, height > 0 ? height : 0};
    return TRUE;
}

// ---- MapWindowPoints ----
// The offsets in the result's two words may both be 0 on success, so a
// failure is told only by the last error, which success leaves alone.
WINSIM_API int WINAPI MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
    if (sim::ShouldFail("MapWindowPoints")) return 0;
    POINT source, target;
    if (!ClientOrigin(from, &source) || !ClientOrigin(to, &target)) return 0;
    LONG dx = source.x - target.x, dy = source.y - target.y;
    for (UINT i = 0; points && i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    return MAKELONG(dx, dy);
}

// ---- GetDesktopWindow ----
WINSIM_API HWND WINAPI GetDesktopWindow(void) {
    if (sim::ShouldFail("GetDesktopWindow")) return nullptr;
    return kDesktop;
}

// ---- SystemParametersInfoW ----
// Only the work area is known.
WINSIM_API BOOL WINAPI SystemParametersInfoW(UINT action, UINT uiParam, PVOID pvParam, UINT winIni) {
    (void)uiParam;
    (void)winIni;
    if (sim::ShouldFail("SystemParametersInfoW")) return FALSE;
    if (action != SPI_GETWORKAREA || !pvParam) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    RECT area = {0, 0, 0, 0};
    if (!PrimaryWorkArea(&area)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *static_cast<RECT *>(pvParam) = area;
    return TRUE;
}

// ---- GetScrollBarInfo ----
// A bar the window does not show reports itself invisible.
WINSIM_API BOOL WINAPI GetScrollBarInfo(HWND window, LONG object, PSCROLLBARINFO info) {
    if (sim::ShouldFail("GetScrollBarInfo")) return FALSE;
    Window *found = WindowOrError(window);
    if (!found) return FALSE;
    int bar = BarIndex(object);
    if (bar < 0 || !info || info->cbSize != sizeof(SCROLLBARINFO)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD size = info->cbSize;
    *info = SCROLLBARINFO();
    info->cbSize = size;
    info->dxyLineButton = found->scrollLineButton[bar];
    info->rgstate[0] = found->scrollBarVisible[bar] ? 0 : STATE_SYSTEM_INVISIBLE;
    return TRUE;
}

namespace sim {

void SetClientInset(HWND window, RECT inset) {
    if (Window *found = LookUpWindow(window)) found->clientInset = inset;
}

void SetScrollBar(HWND window, LONG bar, bool visible, int lineButton) {
    Window *found = LookUpWindow(window);
    int index = BarIndex(bar);
    if (!found || index < 0) return;
    found->scrollBarVisible[index] = visible;
    found->scrollLineButton[index] = lineButton;
}

}  // namespace sim
