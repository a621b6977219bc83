// Window classes a program registers. Class names compare without case; a
// class belongs to the module instance that registered it, and the same
// name may be registered once per instance.
#include "world.h"

using namespace winsim;

namespace {

const size_t kMaxClassName = 256;

std::vector<WindowClass>::iterator FindClass(LPCWSTR name, HINSTANCE instance) {
    std::vector<WindowClass> &classes = W().ui.classes;
    for (auto it = classes.begin(); it != classes.end(); ++it) {
        if (it->instance != instance) continue;
        if (IS_INTRESOURCE(name) ? it->atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name))
                                 : EqualNoCase(it->name, Str(name))) {
            return it;
        }
    }
    return classes.end();
}

}  // namespace

// ---- RegisterClassExW ----
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
    UiState &ui = W().ui;
    if (FindClass(wc->lpszClassName, wc->hInstance) != ui.classes.end()) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    WindowClass entry;
    entry.atom = ui.nextAtom++;
    entry.name = name;
    entry.instance = wc->hInstance;
    entry.procedure = wc->lpfnWndProc;
    entry.windowExtra = wc->cbWndExtra;
    ui.classes.push_back(entry);
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
    if (found == W().ui.classes.end()) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    for (const auto &entry : W().windows) {
        if (entry.second.classAtom == found->atom) {
            SetLastError(ERROR_CLASS_HAS_WINDOWS);
            return FALSE;
        }
    }
    W().ui.classes.erase(found);
    return TRUE;
}

namespace winsim {

const WindowClass *LookUpClass(LPCWSTR name, HINSTANCE instance) {
    auto found = FindClass(name, instance);
    return found == W().ui.classes.end() ? nullptr : &*found;
}

}  // namespace winsim

namespace sim {

int RegisteredClassCount() { return static_cast<int>(winsim::W().ui.classes.size()); }

}  // namespace sim
