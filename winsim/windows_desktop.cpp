// The desktop around the windows: the monitors and their work areas, calls
// whose effect is only seen on the screen or heard (recorded for tests),
// and the keyboard as GetAsyncKeyState sees it.
#include "machine.h"
#include "text_conversions.h"
#include "windows_state.h"

#include <algorithm>
#include <vector>

using namespace winsim;

namespace winsim {

namespace {

// The screens, and what the program did that only shows on them or is
// heard: repaints, message boxes and sounds, recorded for tests; and the
// keys a test holds down.
struct Desktop {
    std::vector<RECT> monitors = {{0, 0, 1920, 1080}};
    std::vector<sim::RedrawRecord> redraws;
    std::vector<sim::MessageBoxRecord> messageBoxes;

    bool heldKeys[256] = {};
    std::vector<sim::SoundRecord> sounds;
};

Desktop &D() {
    return AreaState<Desktop>();
}

const LONG kTaskbarHeight = 40;

// Odd values, so that a monitor handle never equals a window handle.
HMONITOR MonitorHandle(size_t index) {
    return reinterpret_cast<HMONITOR>(0x00010001u + 2u * index);
}

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

void ResetDesktop() {
    D() = Desktop();
}

bool PrimaryMonitor(RECT *screen) {
    const std::vector<RECT> &monitors = D().monitors;
    if (monitors.empty()) return false;
    *screen = monitors[0];
    return true;
}

bool PrimaryWorkArea(RECT *area) {
    const std::vector<RECT> &monitors = D().monitors;
    if (monitors.empty()) return false;
    *area = monitors[0];
    area->bottom -= kTaskbarHeight;
    return true;
}

}  // namespace winsim

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

// Monitors: which screen holds a window, and each screen's work area (the
// screen less a 40-pixel taskbar along its bottom edge).

// ---- MonitorFromWindow ----
// The monitor sharing most area with the window; a window on no monitor
// gets null, the primary or the nearest one as the flags ask.
WINSIM_API HMONITOR WINAPI MonitorFromWindow(HWND window, DWORD flags) {
    if (sim::ShouldFail("MonitorFromWindow")) return nullptr;
    const std::vector<RECT> &monitors = D().monitors;
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

WINSIM_API BOOL WINAPI GetMonitorInfoW(HMONITOR monitor, LPMONITORINFO info) {
    if (sim::ShouldFail("GetMonitorInfoW")) return FALSE;
    const std::vector<RECT> &monitors = D().monitors;
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

// Calls whose effect is only seen on the screen: repaints and message
// boxes, recorded for tests.

WINSIM_API BOOL WINAPI RedrawWindow(HWND window, const RECT *update, void *region, UINT flags) {
    (void)update;
    (void)region;
    if (sim::ShouldFail("RedrawWindow")) return FALSE;
    if (window && !LookUpWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    D().redraws.push_back({window, flags});
    return TRUE;
}

// ---- MessageBoxW ----
// The user always answers with the first button.
WINSIM_API int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
    if (sim::ShouldFail("MessageBoxW")) return 0;
    if (owner && !LookUpWindow(owner)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    // Windows captions a box without a caption "Error".
    D().messageBoxes.push_back({owner, Str(text), caption ? Str(caption) : std::u16string(u"Error"), type});
    return IDOK;
}

// The keyboard as GetAsyncKeyState sees it: a set of keys a test holds down.

// ---- GetAsyncKeyState ----
// A held key has the top bit set. The low bit ("pressed since the last
// call") is unreliable on Windows and never set here.
WINSIM_API SHORT WINAPI GetAsyncKeyState(int virtualKey) {
    if (sim::ShouldFail("GetAsyncKeyState")) return 0;
    if (virtualKey < 0 || virtualKey > 255) return 0;
    return D().heldKeys[virtualKey] ? static_cast<SHORT>(0x8000) : 0;
}

// Sounds are recorded, never played.

// ---- PlaySoundW ----
// With SND_ALIAS_ID the "name" is a system sound's identifier.
WINSIM_API BOOL WINAPI PlaySoundW(LPCWSTR sound, HMODULE module, DWORD flags) {
    if (sim::ShouldFail("PlaySoundW")) return FALSE;
    sim::SoundRecord record;
    record.sound = reinterpret_cast<ULONG_PTR>(sound);
    if (sound && (flags & SND_ALIAS_ID) != SND_ALIAS_ID) record.name = Str(sound);
    record.module = module;
    record.flags = flags;
    D().sounds.push_back(record);
    return TRUE;
}

namespace sim {

std::vector<RedrawRecord> Redraws() {
    return D().redraws;
}

std::vector<MessageBoxRecord> MessageBoxes() {
    return D().messageBoxes;
}

void SetMonitors(const std::vector<RECT> &screens) {
    D().monitors = screens;
}

void SetKeyHeld(int virtualKey, bool held) {
    if (virtualKey >= 0 && virtualKey <= 255) D().heldKeys[virtualKey] = held;
}

void ReleaseAllKeys() {
    for (bool &held : D().heldKeys) held = false;
}

std::vector<SoundRecord> Sounds() {
    return D().sounds;
}

}  // namespace sim
