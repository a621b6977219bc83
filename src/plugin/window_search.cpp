#include "../base/number.h"
#include "../base/wstr.h"
#include "console_host.h"
#include "host.h"

namespace {

// Process ids can be reused, so a chain of parents may run in a circle;
// no real process tree is anywhere near this deep.
const int MAX_ANCESTOR_STEPS = 256;

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) {
    WindowCollection *collection = reinterpret_cast<WindowCollection *>(param);
    WCHAR className[1024];
    if (!RealGetWindowClassW(window, className, 1024)) return TRUE;
    if (StrCompare(className, collection->className) != 0) return TRUE;
    if (collection->count >= WINDOW_COLLECTION_CAPACITY) return FALSE;
    DWORD processId = 0;
    if (collection->wantProcessIds) GetWindowThreadProcessId(window, &processId);
    collection->windows[collection->count] = window;
    collection->processIds[collection->count] = processId;
    collection->count++;
    return TRUE;
}

struct DescendantSearch {
    LPCWSTR className;
    HWND found;
};

BOOL CALLBACK MatchDescendant(HWND window, LPARAM param) {
    DescendantSearch *search = reinterpret_cast<DescendantSearch *>(param);
    WCHAR className[1024];
    if (!RealGetWindowClassW(window, className, 1024)) return TRUE;
    if (StrCompare(className, search->className) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

void CollectTopLevelWindows(WindowCollection *collection, LPCWSTR className, BOOL wantProcessIds) {
    collection->className = className;
    collection->wantProcessIds = wantProcessIds;
    collection->count = 0;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(collection));
}

HWND FindAncestorWindow(LPCWSTR className) {
    WindowCollection collection;
    CollectTopLevelWindows(&collection, className, TRUE);
    if (collection.count == 0) return nullptr;

    DWORD processId = GetCurrentProcessId();
    for (int step = 0; step < MAX_ANCESTOR_STEPS && processId != 0 && processId != 0xFFFFFFFF; ++step) {
        for (int i = 0; i < collection.count; ++i) {
            if (collection.processIds[i] == processId) return collection.windows[i];
        }
        DWORD parent = static_cast<DWORD>(GetParentPID(static_cast<int>(processId)));
        if (parent == processId) break;
        processId = parent;
    }
    return nullptr;
}

HWND FindWindowsTerminal(void) {
    HWND console = GetConsoleWindow();
    if (!console) return nullptr;
    WCHAR className[1024];
    if (!RealGetWindowClassW(console, className, 1024)) return nullptr;
    if (StrCompareI(className, TEXT("PseudoConsoleWindow")) != 0) return nullptr;
    return FindAncestorWindow(TEXT("CASCADIA_HOSTING_WINDOW_CLASS"));
}

HWND FindWindowFromVariable(LPCWSTR variable) {
    WCHAR text[1024];
    DWORD length = GetEnvironmentVariableW(variable, text, 1024);
    if (length == 0 || length >= 1024 || !IsAsciiDigit(text[0])) return nullptr;

    DWORD value = 0;
    LPCWSTR end = nullptr;
    int scan;
    if (text[0] == TEXT('0') && (text[1] == TEXT('x') || text[1] == TEXT('X')) && IsHexDigit(text[2])) {
        scan = ScanUnsigned32(text + 2, 16, &value, &end);
    } else {
        scan = ScanUnsigned32(text, 10, &value, &end);
    }
    if (scan != NUMBER_OK || *end != 0 || value == 0) return nullptr;

    HWND window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(value));
    WCHAR className[1024];
    if (!RealGetWindowClassW(window, className, 1024)) return nullptr;
    return StrCompare(className, TEXT("VirtualConsoleClass")) == 0 ? window : nullptr;
}

HWND FindDescendantByClass(HWND parent, LPCWSTR className) {
    DescendantSearch search = {className, nullptr};
    EnumChildWindows(parent, MatchDescendant, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WindowFromDecimal(LPCWSTR text) {
    if (!IsAsciiDigit(text[0])) return nullptr;
    DWORD value = 0;
    if (ScanUnsigned32(text, 10, &value, nullptr) != NUMBER_OK || value == 0) return nullptr;
    HWND window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(value));
    return IsWindow(window) ? window : nullptr;
}
