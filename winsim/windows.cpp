// The window table as other programs and the program see it: windows
// others own, the console window, what can be asked about a window, where
// it is and what of it shows, and enumeration. The monitors, the calls
// only seen on the screen, the keyboard and sounds are in
// windows_desktop.cpp; windows the program makes in window_procedures.cpp.
#include <map>

#include "console_state.h"
#include "machine.h"
#include "process_state.h"
#include "text_conversions.h"
#include "windows_state.h"

using namespace winsim;

namespace winsim {

namespace {

struct WindowTable {
    std::map<uintptr_t, Window> windows;  // key order = creation order
    DWORD windowsCreated = 0;
    HWND foreground = nullptr;
    bool foregroundSet = false;
};

WindowTable &Table() {
    return AreaState<WindowTable>();
}

// Odd, like monitor handles, so that it never equals a window of the table.
const HWND kDesktop = reinterpret_cast<HWND>(0x00010003u);

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

int BarIndex(LONG object) {
    return object == OBJID_HSCROLL ? 0 : object == OBJID_VSCROLL ? 1 : -1;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> list;
    const auto &windows = Table().windows;
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if (!it->second.parent) list.push_back(it->second.handle);
    }
    return list;
}

// Each child, then its own descendants, then the next child.
void AppendDescendants(HWND parent, std::vector<HWND> &list) {
    for (const auto &entry : Table().windows) {
        if (entry.second.parent != parent) continue;
        list.push_back(entry.second.handle);
        AppendDescendants(entry.second.handle, list);
    }
}

// The list is taken before the first callback: windows created during the
// enumeration are not visited, destroyed ones are skipped.
BOOL Visit(const std::vector<HWND> &list, WNDENUMPROC proc, LPARAM param) {
    for (HWND window : list) {
        if (!LookUpWindow(window)) continue;
        if (!proc(window, param)) return FALSE;
    }
    return TRUE;
}

}  // namespace

// The window table: windows other programs own, the console window, and
// the test side that builds them.
void ResetWindows() {
    Table() = WindowTable();
}

Window *LookUpWindow(HWND window) {
    auto found = Table().windows.find(reinterpret_cast<uintptr_t>(window));
    return window && found != Table().windows.end() ? &found->second : nullptr;
}

std::vector<Window *> AllWindows() {
    std::vector<Window *> all;
    for (auto &entry : Table().windows) all.push_back(&entry.second);
    return all;
}

Window *WindowOrError(HWND window) {
    Window *found = LookUpWindow(window);
    if (!found) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return found;
}

// The console window's caption is the console title. A window that follows
// the console title shows the latest change that is at least its delay old.
std::u16string WindowTitle(const Window &window) {
    if (window.handle == ConsoleWindow()) return CurrentConsoleTitle();
    std::u16string followed;
    if (window.follows && FollowedConsoleTitle(window.followFrom, window.followDelay, &followed)) return followed;
    return window.title;
}

void SetWindowTitle(Window &window, const std::u16string &title) {
    if (window.handle == ConsoleWindow()) {
        ChangeConsoleTitle(title);
        return;
    }
    window.title = title;
    if (window.follows) window.followFrom = ConsoleTitleChangeCount();
}

bool IsVisibleWithAncestors(const Window &window) {
    for (const Window *w = &window; w; w = LookUpWindow(w->parent)) {
        if (!w->visible) return false;
    }
    return true;
}

HWND RootWindow(HWND window) {
    Window *found = LookUpWindow(window);
    if (!found) return nullptr;
    while (found->parent && LookUpWindow(found->parent)) found = LookUpWindow(found->parent);
    return found->handle;
}

}  // namespace winsim

// What a program can ask about a window: class, caption, owner, parent,
// visibility and place; and changing the caption.

WINSIM_API UINT WINAPI RealGetWindowClassW(HWND window, LPWSTR buffer, UINT size) {
    if (sim::ShouldFail("RealGetWindowClassW")) return 0;
    Window *found = WindowOrError(window);
    return found ? CopyTruncated(found->className, buffer, size) : 0;
}

WINSIM_API int WINAPI GetClassNameW(HWND window, LPWSTR buffer, int size) {
    if (sim::ShouldFail("GetClassNameW")) return 0;
    Window *found = WindowOrError(window);
    if (!found || size <= 0) return 0;
    return static_cast<int>(CopyTruncated(found->className, buffer, static_cast<DWORD>(size)));
}

WINSIM_API int WINAPI GetWindowTextW(HWND window, LPWSTR buffer, int size) {
    if (sim::ShouldFail("GetWindowTextW")) return 0;
    Window *found = WindowOrError(window);
    if (!found || size <= 0) return 0;
    return static_cast<int>(CopyTruncated(WindowTitle(*found), buffer, static_cast<DWORD>(size)));
}

WINSIM_API int WINAPI GetWindowTextLengthW(HWND window) {
    if (sim::ShouldFail("GetWindowTextLengthW")) return 0;
    Window *found = WindowOrError(window);
    return found ? static_cast<int>(WindowTitle(*found).size()) : 0;
}

WINSIM_API BOOL WINAPI SetWindowTextW(HWND window, LPCWSTR text) {
    if (sim::ShouldFail("SetWindowTextW")) return FALSE;
    Window *found = WindowOrError(window);
    if (!found) return FALSE;
    SetWindowTitle(*found, Str(text));
    return TRUE;
}

WINSIM_API DWORD WINAPI GetWindowThreadProcessId(HWND window, LPDWORD processId) {
    if (sim::ShouldFail("GetWindowThreadProcessId")) return 0;
    Window *found = WindowOrError(window);
    if (!found) return 0;
    if (processId) *processId = found->processId;
    return found->processId + 4;  // one thread per process, with an id of its own
}

WINSIM_API BOOL WINAPI IsWindow(HWND window) {
    if (sim::ShouldFail("IsWindow")) return FALSE;
    return LookUpWindow(window) ? TRUE : FALSE;
}

WINSIM_API BOOL WINAPI IsWindowVisible(HWND window) {
    if (sim::ShouldFail("IsWindowVisible")) return FALSE;
    Window *found = LookUpWindow(window);
    return found && IsVisibleWithAncestors(*found) ? TRUE : FALSE;
}

// ---- GetParent ----
// A child's parent, a pop-up's owner, and nothing for any other top-level
// window (an owned window without WS_POPUP included).
WINSIM_API HWND WINAPI GetParent(HWND window) {
    if (sim::ShouldFail("GetParent")) return nullptr;
    Window *found = WindowOrError(window);
    if (!found) return nullptr;
    if (found->parent) return found->parent;
    return (found->style & WS_POPUP) && LookUpWindow(found->owner) ? found->owner : nullptr;
}

// ---- GetAncestor ----
// GA_PARENT stops at the desktop (a top-level window's parent) and never
// follows owners; GA_ROOT climbs the parents; GA_ROOTOWNER climbs parents
// and owners as GetParent reports them, so a window with neither answers
// itself. An owner destroyed meanwhile ends the climb.
WINSIM_API HWND WINAPI GetAncestor(HWND window, UINT flags) {
    if (sim::ShouldFail("GetAncestor")) return nullptr;
    Window *found = WindowOrError(window);
    if (!found) return nullptr;
    if (flags == GA_PARENT) return found->parent ? found->parent : kDesktop;
    if (flags != GA_ROOT && flags != GA_ROOTOWNER) return nullptr;
    HWND root = RootWindow(window);
    // Owners are top-level, so each hop lands on a root; the bound only
    // guards against a cycle the table should never hold.
    for (int hops = 0; flags == GA_ROOTOWNER && hops < 1000; ++hops) {
        Window *top = LookUpWindow(root);
        if (!(top->style & WS_POPUP) || !LookUpWindow(top->owner)) break;
        root = RootWindow(top->owner);
    }
    return root;
}

// ---- GetWindow ----
// Only GW_OWNER: the owner of a top-level window (WS_POPUP or not); a
// child's is null.
WINSIM_API HWND WINAPI GetWindow(HWND window, UINT command) {
    if (sim::ShouldFail("GetWindow")) return nullptr;
    Window *found = WindowOrError(window);
    if (!found) return nullptr;
    if (command != GW_OWNER) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return !found->parent && LookUpWindow(found->owner) ? found->owner : nullptr;
}

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

// Where windows are and what of them shows: moving, sizing, showing, the
// client area and its mapping to the screen, scroll bars, the desktop and
// its work area.

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

WINSIM_API HWND WINAPI GetDesktopWindow(void) {
    if (sim::ShouldFail("GetDesktopWindow")) return nullptr;
    return kDesktop;
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

// Window enumeration in Z order: top-level windows newest first (a new
// window opens on top), children in creation order, descendants depth first.

WINSIM_API BOOL WINAPI EnumWindows(WNDENUMPROC proc, LPARAM param) {
    if (sim::ShouldFail("EnumWindows")) return FALSE;
    if (!proc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return Visit(TopLevelWindows(), proc, param);
}

// ---- EnumChildWindows ----
// A null parent stands for the desktop: every top-level window, each
// followed by its descendants.
WINSIM_API BOOL WINAPI EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM param) {
    if (sim::ShouldFail("EnumChildWindows")) return FALSE;
    if (parent && !LookUpWindow(parent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (!proc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<HWND> list;
    if (parent) {
        AppendDescendants(parent, list);
    } else {
        for (HWND top : TopLevelWindows()) {
            list.push_back(top);
            AppendDescendants(top, list);
        }
    }
    return Visit(list, proc, param);
}

// The foreground window: the console's, unless a test chose another.
WINSIM_API HWND WINAPI GetForegroundWindow(void) {
    if (sim::ShouldFail("GetForegroundWindow")) return nullptr;
    return Table().foregroundSet ? Table().foreground : ConsoleWindow();
}

namespace sim {

HWND CreateSimWindow(const WindowSpec &spec) {
    WindowTable &table = Table();
    if (spec.parent && !LookUpWindow(spec.parent)) return nullptr;
    // Window handles stay below 2^32: programs pass them around as 32-bit numbers.
    uintptr_t value = 0x00010010u + 2u * table.windowsCreated++;
    Window window;
    window.handle = reinterpret_cast<HWND>(value);
    window.className = spec.className;
    window.title = spec.title;
    window.parent = spec.parent;
    // Windows gives an owned window WS_POPUP's answers (GetParent names the owner).
    window.owner = spec.parent ? nullptr : spec.owner;
    if (window.owner) window.style = WS_POPUP;
    window.processId = spec.processId ? spec.processId : CurrentProcessId();
    window.visible = spec.visible;
    window.rect = spec.rect;
    table.windows[value] = window;
    return window.handle;
}

void DestroySimWindow(HWND window) {
    WindowTable &table = Table();
    if (!LookUpWindow(window)) return;
    std::vector<HWND> doomed = {window};
    for (size_t i = 0; i < doomed.size(); ++i) {
        for (const auto &entry : table.windows) {
            if (entry.second.parent == doomed[i]) doomed.push_back(entry.second.handle);
        }
    }
    for (HWND handle : doomed) {
        table.windows.erase(reinterpret_cast<uintptr_t>(handle));
        if (ConsoleWindow() == handle) SetConsoleWindow(nullptr);
        if (table.foreground == handle) table.foreground = nullptr;
    }
}

void FollowConsoleTitle(HWND window, DWORD delayMs) {
    Window *w = LookUpWindow(window);
    if (!w) return;
    w->title = WindowTitle(*w);
    w->follows = true;
    w->followDelay = delayMs;
    w->followFrom = ConsoleTitleChangeCount();
}

void SetForegroundWindowForTest(HWND window) {
    Table().foreground = window;
    Table().foregroundSet = true;
}

void SetConsoleWindowForTest(HWND window) {
    // The window that stops being the console keeps the caption it showed.
    if (Window *old = LookUpWindow(ConsoleWindow())) old->title = CurrentConsoleTitle();
    SetConsoleWindow(window);
}

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
