// Window enumeration in Z order: top-level windows newest first (a new
// window opens on top), children in creation order, descendants depth first.
#include "world.h"

using namespace winsim;

namespace {

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> list;
    const auto &windows = W().windows;
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        if (!it->second.parent) list.push_back(it->second.handle);
    }
    return list;
}

// Each child, then its own descendants, then the next child.
void AppendDescendants(HWND parent, std::vector<HWND> &list) {
    for (const auto &entry : W().windows) {
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

// ---- EnumWindows ----
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
