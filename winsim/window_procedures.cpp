// Windows the program creates: the classes it registers, creation and
// destruction with their messages, the default window procedure, and a
// window's data words and layered attributes.
#include "machine.h"
#include "process_state.h"
#include "text_conversions.h"
#include "time_state.h"
#include "windows_state.h"

#include <cstring>

using namespace winsim;

namespace winsim {

namespace {

const size_t kMaxClassName = 256;

struct WindowClass {
    ATOM atom = 0;
    std::u16string name;
    HINSTANCE instance = nullptr;
    WNDPROC procedure = nullptr;
    int windowExtra = 0;
};

struct ClassTable {
    std::vector<WindowClass> classes;
    WORD nextAtom = 0xC000;
};

ClassTable &Classes() {
    return AreaState<ClassTable>();
}

std::vector<WindowClass>::iterator FindClass(LPCWSTR name, HINSTANCE instance) {
    std::vector<WindowClass> &classes = Classes().classes;
    for (auto it = classes.begin(); it != classes.end(); ++it) {
        if (it->instance != instance) continue;
        if (IS_INTRESOURCE(name) ? it->atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name))
                                 : EqualNoCase(it->name, Str(name))) {
            return it;
        }
    }
    return classes.end();
}

// A registered class by name or atom and module instance.
const WindowClass *LookUpClass(LPCWSTR name, HINSTANCE instance) {
    auto found = FindClass(name, instance);
    return found == Classes().classes.end() ? nullptr : &*found;
}

int OrZero(int value) {
    return value == CW_USEDEFAULT ? 0 : value;
}

// Every window the destruction takes with it: the window, then its
// descendants, parents before children.
std::vector<HWND> WindowAndDescendants(HWND window) {
    std::vector<HWND> doomed = {window};
    for (size_t i = 0; i < doomed.size(); ++i) {
        for (const Window *entry : AllWindows()) {
            if (entry->parent == doomed[i]) doomed.push_back(entry->handle);
        }
    }
    return doomed;
}

// The word at `index`; false (with the last error set) for an index the
// window has no word at.
bool ReadWord(Window &window, int index, LONG_PTR *value) {
    switch (index) {
        case GWLP_USERDATA:
            *value = window.userData;
            return true;
        case GWLP_WNDPROC:
            *value = reinterpret_cast<LONG_PTR>(window.procedure);
            return true;
        case GWLP_HINSTANCE:
            *value = reinterpret_cast<LONG_PTR>(window.instance);
            return true;
        case GWLP_ID:
            *value = window.id;
            return true;
        case GWL_STYLE:
            *value = static_cast<LONG>(window.style);
            return true;
        case GWL_EXSTYLE:
            *value = static_cast<LONG>(window.exStyle);
            return true;
        default:
            break;
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
        case GWLP_USERDATA:
            window.userData = value;
            return;
        case GWLP_WNDPROC:
            window.procedure = reinterpret_cast<WNDPROC>(value);
            return;
        case GWLP_HINSTANCE:
            window.instance = reinterpret_cast<HINSTANCE>(value);
            return;
        case GWLP_ID:
            window.id = value;
            return;
        case GWL_STYLE:
            window.style = static_cast<DWORD>(value);
            return;
        case GWL_EXSTYLE:
            window.exStyle = static_cast<DWORD>(value);
            return;
        default:
            std::memcpy(window.extraBytes.data() + index, &value, sizeof(LONG_PTR));
    }
}

}  // namespace

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

// Window classes a program registers. Class names compare without case; a
// class belongs to the module instance that registered it, and the same
// name may be registered once per instance.

WINSIM_API ATOM WINAPI RegisterClassExW(const WNDCLASSEXW *wc) {
    if (sim::ShouldFail("RegisterClassExW")) return 0;
    if (!wc || wc->cbSize != sizeof(WNDCLASSEXW) || !wc->lpszClassName || IS_INTRESOURCE(wc->lpszClassName) ||
        wc->cbClsExtra < 0 || wc->cbWndExtra < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::u16string name = Str(wc->lpszClassName);
    if (name.empty() || name.size() >= kMaxClassName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    ClassTable &table = Classes();
    if (FindClass(wc->lpszClassName, wc->hInstance) != table.classes.end()) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    WindowClass entry;
    entry.atom = table.nextAtom++;
    entry.name = name;
    entry.instance = wc->hInstance;
    entry.procedure = wc->lpfnWndProc;
    entry.windowExtra = wc->cbWndExtra;
    table.classes.push_back(entry);
    return entry.atom;
}

// ---- UnregisterClassW ----
// Windows refuses while windows of the class still exist.
WINSIM_API BOOL WINAPI UnregisterClassW(LPCWSTR className, HINSTANCE instance) {
    if (sim::ShouldFail("UnregisterClassW")) return FALSE;
    if (!className) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    auto found = FindClass(className, instance);
    if (found == Classes().classes.end()) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    for (const Window *window : AllWindows()) {
        if (window->classAtom == found->atom) {
            SetLastError(ERROR_CLASS_HAS_WINDOWS);
            return FALSE;
        }
    }
    Classes().classes.erase(found);
    return TRUE;
}

void winsim::ResetWindowClasses() {
    Classes() = ClassTable();
}

// Windows the program creates from its registered classes, their
// destruction, and the default window procedure.

// ---- CreateWindowExW ----
// A window of another window's thread is not a child here: an owner given
// to a pop-up leaves it top-level.
WINSIM_API HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y,
                                       int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
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
    // An owner is always top-level: a child given as owner names its root.
    spec.owner = child || !parent ? nullptr : RootWindow(parent);
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

    CREATESTRUCTW create = {param,      instance,  menu,   parent, height, width, y, x, static_cast<LONG>(style),
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
    if (found->processId != CurrentProcessId()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    DestroyWindowTree(window);
    return TRUE;
}

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

// A window's data words (user data, styles, procedure, the class's extra
// bytes) and its layered-window attributes.

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
    if (found->processId != CurrentProcessId()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    LONG_PTR previous = 0;
    if (!ReadWord(*found, index, &previous)) return 0;
    WriteWord(*found, index, value);
    return previous;
}

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

namespace sim {

int RegisteredClassCount() {
    return static_cast<int>(Classes().classes.size());
}

}  // namespace sim
