// Where on the screen the console's text is, so that the OSD can sit in its
// top right corner: the classic console window's client area, Take
// Command's console view less its scroll bars, or else the primary work area.
#include "../plugin/console_host.h"
#include "osd.h"

namespace {

// The thread's last error is the only sign of a failed conversion: a
// window at the screen's origin maps with offsets of 0, a result that also
// means failure.
bool ConsoleClientArea(HWND display, RECT *area) {
    RECT windowRect;
    RECT client;
    if (!GetWindowRect(display, &windowRect) || !GetClientRect(display, &client)) return false;
    POINT corners[2] = {{client.left, client.top}, {client.right, client.bottom}};
    SetLastError(0);
    MapWindowPoints(display, nullptr, corners, 2);
    if (GetLastError() != 0) return false;
    *area = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    return true;
}

// True when the bar is there to see; its line button's size is what it
// takes off the view.
bool VisibleScrollBar(HWND window, LONG bar, int *size) {
    SCROLLBARINFO info = {};
    info.cbSize = sizeof info;
    if (!g_osd.getScrollBarInfo(window, bar, &info)) return false;
    if (info.rgstate[0] & STATE_SYSTEM_INVISIBLE) return false;
    *size = info.dxyLineButton;
    return true;
}

bool ConsoleViewArea(HWND display, RECT *area) {
    if (!GetWindowRect(display, area)) return false;
    if (!g_osd.getScrollBarInfo) return true;
    int size = 0;
    if (VisibleScrollBar(display, OBJID_HSCROLL, &size)) area->bottom -= size;
    if (VisibleScrollBar(display, OBJID_VSCROLL, &size)) area->right -= size;
    return true;
}

void PrimaryWorkArea(RECT *area) {
    HMONITOR monitor = MonitorFromWindow(GetDesktopWindow(), MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (monitor && GetMonitorInfoW(monitor, &info)) {
        *area = info.rcWork;
        return;
    }
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, area, 0)) *area = {0, 0, 0, 0};
}

}  // namespace

void FindOsdArea(RECT *area) {
    int code = HOST_NONE;
    HWND display = nullptr;
    ClassifyConsoleHost(&code, &display);
    if (display && code == HOST_CONSOLE_WINDOW && ConsoleClientArea(display, area)) return;
    if (display && code == HOST_TAKE_COMMAND && ConsoleViewArea(display, area)) return;
    PrimaryWorkArea(area);
}
