// The window table's records and the calls other areas make on it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace winsim {

struct Window {
    HWND handle = nullptr;
    std::u16string className;
    std::u16string title;
    HWND parent = nullptr;
    HWND owner = nullptr;  // top-level windows only
    DWORD processId = 0;
    bool visible = true;
    RECT rect = {0, 0, 0, 0};
    bool follows = false;  // title copies the console title after followDelay
    DWORD followDelay = 0;
    size_t followFrom = 0;  // first console title change that counts
    // Windows made by CreateWindowExW; the others have no procedure and
    // answer as DefWindowProcW does.
    ATOM classAtom = 0;
    WNDPROC procedure = nullptr;
    HINSTANCE instance = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    LONG_PTR userData = 0;
    LONG_PTR id = 0;
    std::vector<BYTE> extraBytes;
    bool destroying = false;
    bool layeredSet = false;  // SetLayeredWindowAttributes was called
    COLORREF layeredKey = 0;
    BYTE layeredAlpha = 0;
    DWORD layeredFlags = 0;
    RECT clientInset = {0, 0, 0, 0};
    bool scrollBarVisible[2] = {false, false};  // horizontal, vertical
    int scrollLineButton[2] = {0, 0};
};

// windows.cpp
Window *LookUpWindow(HWND window);
// The window, or null with ERROR_INVALID_WINDOW_HANDLE as the last error.
Window *WindowOrError(HWND window);
std::u16string WindowTitle(const Window &window);
void SetWindowTitle(Window &window, const std::u16string &title);
bool IsVisibleWithAncestors(const Window &window);
// The top-level window a window lies in (itself when it is top-level).
HWND RootWindow(HWND window);

// windows_desktop.cpp: the primary screen and its work area; false without screens
bool PrimaryMonitor(RECT *screen);
bool PrimaryWorkArea(RECT *area);
// windows.cpp: every window, in creation order
std::vector<Window *> AllWindows();

// window_procedures.cpp: destruction with WM_DESTROY and WM_NCDESTROY, whoever
// owns the window
void DestroyWindowTree(HWND window);

}  // namespace winsim
