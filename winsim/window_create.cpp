// Windows the program creates from its registered classes, their
// destruction, and the default window procedure.
#include "world.h"

using namespace winsim;

namespace {

int OrZero(int value) { return value == CW_USEDEFAULT ? 0 : value; }

// Every window the destruction takes with it: the window, then its
// descendants, parents before children.
std::vector<HWND> WindowAndDescendants(HWND window) {
    std::vector<HWND> doomed = {window};
    for (size_t i = 0; i < doomed.size(); ++i) {
        for (const auto &entry : W().windows) {
            if (entry.second.parent == doomed[i]) doomed.push_back(entry.second.handle);
        }
    }
    return doomed;
}

void DropPostedMessages(HWND window) {
    std::deque<PostedMessage> &posted = W().ui.posted;
    for (auto it = posted.begin(); it != posted.end();) {
        it = it->window == window ? posted.erase(it) : it + 1;
    }
}

}  // namespace

namespace winsim {

// WM_DESTROY goes to the window before its children, WM_NCDESTROY to the
// children first; a procedure may call DestroyWindow again meanwhile.
void DestroyWindowTree(HWND window) {
    Window *found = LookUpWindow(window);
    if (!found || found->destroying) return;
    std::vector<HWND> doomed = WindowAndDescendants(window);
    for (HWND handle : doomed) {
        if (Window *w = LookUpWindow(handle)) w->destroying = true;
    }
    for (HWND handle : doomed) {
        if (LookUpWindow(handle)) CallProcedure(handle, WM_DESTROY, 0, 0);
    }
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) {
        if (LookUpWindow(*it)) CallProcedure(*it, WM_NCDESTROY, 0, 0);
    }
    for (HWND handle : doomed) {
        ForgetWindowTimers(handle);
        DropPostedMessages(handle);
    }
    sim::DestroySimWindow(window);
}

}  // namespace winsim

// ---- CreateWindowExW ----
// A window of another window's thread is not a child here: an owner given
// to a pop-up leaves it top-level.
WINSIM_API HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x,
                                       int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                                       LPVOID param) {
    if (sim::ShouldFail("CreateWindowExW")) return nullptr;
    const WindowClass *windowClass = className ? LookUpClass(className, instance) : nullptr;
    if (!windowClass) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (parent && !LookUpWindow(parent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    bool child = (style & WS_CHILD) != 0;
    if (child && !parent) {
        SetLastError(ERROR_TLW_WITH_WSCHILD);
        return nullptr;
    }
    sim::WindowSpec spec;
    spec.className = windowClass->name;
    spec.title = Str(windowName);
    spec.parent = child ? parent : nullptr;
    spec.visible = (style & WS_VISIBLE) != 0;
    int left = OrZero(x), top = OrZero(y);
    spec.rect = {left, top, left + (width == CW_USEDEFAULT ? 0 : width), top + (height == CW_USEDEFAULT ? 0 : height)};
    HWND window = sim::CreateSimWindow(spec);
    Window *created = LookUpWindow(window);
    created->classAtom = windowClass->atom;
    created->procedure = windowClass->procedure;
    created->instance = instance;
    created->style = style;
    created->exStyle = exStyle;
    created->id = child ? reinterpret_cast<LONG_PTR>(menu) : 0;
    created->extraBytes.assign(static_cast<size_t>(windowClass->windowExtra), 0);

    CREATESTRUCTW create = {param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style),
                            windowName, className, exStyle};
    LPARAM lParam = reinterpret_cast<LPARAM>(&create);
    if (!CallProcedure(window, WM_NCCREATE, 0, lParam) || CallProcedure(window, WM_CREATE, 0, lParam) == -1) {
        DestroyWindowTree(window);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return LookUpWindow(window) ? window : nullptr;
}

// ---- DestroyWindow ----
// Only the thread that owns a window may destroy it.
WINSIM_API BOOL WINAPI DestroyWindow(HWND window) {
    if (sim::ShouldFail("DestroyWindow")) return FALSE;
    Window *found = LookUpWindow(window);
    if (!found) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (found->processId != W().processId) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    DestroyWindowTree(window);
    return TRUE;
}

// ---- DefWindowProcW ----
WINSIM_API LRESULT WINAPI DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (sim::ShouldFail("DefWindowProcW")) return 0;
    Window *found = LookUpWindow(window);
    if (!found) return 0;
    switch (message) {
        case WM_NCCREATE:
            return TRUE;
        case WM_CLOSE:
            DestroyWindowTree(window);
            return 0;
        case WM_SETTEXT:
            SetWindowTitle(*found, Str(reinterpret_cast<LPCWSTR>(lParam)));
            return TRUE;
        case WM_GETTEXTLENGTH:
            return static_cast<LRESULT>(WindowTitle(*found).size());
        case WM_GETTEXT:
            if (wParam == 0 || !lParam) return 0;
            return CopyTruncated(WindowTitle(*found), reinterpret_cast<LPWSTR>(lParam), static_cast<DWORD>(wParam));
        default:
            return 0;
    }
}
