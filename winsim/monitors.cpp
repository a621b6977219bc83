// Monitors: which screen holds a window, and each screen's work area (the
// screen less a 40-pixel taskbar along its bottom edge).
#include <algorithm>

#include "world.h"

using namespace winsim;

namespace {

const LONG kTaskbarHeight = 40;

// Odd values, so that a monitor handle never equals a window handle.
HMONITOR MonitorHandle(size_t index) { return reinterpret_cast<HMONITOR>(0x00010001u + 2u * index); }

long long Overlap(const RECT &a, const RECT &b) {
    long long width = static_cast<long long>(std::min(a.right, b.right)) - std::max(a.left, b.left);
    long long height = static_cast<long long>(std::min(a.bottom, b.bottom)) - std::max(a.top, b.top);
    return width > 0 && height > 0 ? width * height : 0;
}

long long Gap(LONG lowA, LONG highA, LONG lowB, LONG highB) {
    if (highA <= lowB) return static_cast<long long>(lowB) - highA;
    if (highB <= lowA) return static_cast<long long>(lowA) - highB;
    return 0;
}

long long Distance(const RECT &a, const RECT &b) {
    long long dx = Gap(a.left, a.right, b.left, b.right);
    long long dy = Gap(a.top, a.bottom, b.top, b.bottom);
    return dx * dx + dy * dy;
}

}  // namespace

// ---- MonitorFromWindow ----
// The monitor sharing most area with the window; a window on no monitor
// gets null, the primary or the nearest one as the flags ask.
WINSIM_API HMONITOR WINAPI MonitorFromWindow(HWND window, DWORD flags) {
    if (sim::ShouldFail("MonitorFromWindow")) return nullptr;
    const std::vector<RECT> &monitors = W().monitors;
    Window *found = LookUpWindow(window);
    if (found) {
        size_t best = monitors.size();
        long long bestArea = 0;
        for (size_t i = 0; i < monitors.size(); ++i) {
            long long area = Overlap(found->rect, monitors[i]);
            if (area > bestArea) {
                best = i;
                bestArea = area;
            }
        }
        if (best < monitors.size()) return MonitorHandle(best);
    }
    if (monitors.empty() || flags == MONITOR_DEFAULTTONULL) return nullptr;
    if (flags != MONITOR_DEFAULTTONEAREST || !found) return MonitorHandle(0);
    size_t nearest = 0;
    for (size_t i = 1; i < monitors.size(); ++i) {
        if (Distance(found->rect, monitors[i]) < Distance(found->rect, monitors[nearest])) nearest = i;
    }
    return MonitorHandle(nearest);
}

// ---- GetMonitorInfoW ----
WINSIM_API BOOL WINAPI GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info) {
    if (sim::ShouldFail("GetMonitorInfoW")) return FALSE;
    const std::vector<RECT> &monitors = W().monitors;
    size_t index = monitors.size();
    for (size_t i = 0; i < monitors.size(); ++i) {
        if (MonitorHandle(i) == monitor) index = i;
    }
    if (index == monitors.size()) {
        SetLastError(ERROR_INVALID_MONITOR_HANDLE);
        return FALSE;
    }
    // MONITORINFO, or MONITORINFOEXW with the device name after it.
    if (!info || (info->cbSize != sizeof(MONITORINFO) && info->cbSize != sizeof(MONITORINFO) + 32 * sizeof(WCHAR))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->rcMonitor = monitors[index];
    info->rcWork = monitors[index];
    info->rcWork.bottom -= kTaskbarHeight;
    info->dwFlags = index == 0 ? MONITORINFOF_PRIMARY : 0;
    return TRUE;
}

namespace sim {

void SetMonitors(const std::vector<RECT> &screens) { W().monitors = screens; }

}  // namespace sim

namespace winsim {

bool PrimaryWorkArea(RECT *area) {
    const std::vector<RECT> &monitors = W().monitors;
    if (monitors.empty()) return false;
    *area = monitors[0];
    area->bottom -= kTaskbarHeight;
    return true;
}

}  // namespace winsim
