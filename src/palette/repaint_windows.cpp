// The console window, and under Take Command the view that shows the
// console, are told to repaint at once in the new palette.
#include "../base/number.h"
#include "../base/wstr.h"
#include "../plugin/host.h"
#include "../plugin/state.h"
#include "palette.h"

namespace {

const UINT REPAINT_FLAGS = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN;

// A window handle the host gave as decimal digits; null when the answer
// holds none or more than a handle can.
HWND DecimalWindow(LPCWSTR text) {
    if (!IsAsciiDigit(text[0])) return nullptr;
    DWORD value = 0;
    if (ScanUnsigned32(text, 10, &value, nullptr) != NUMBER_OK) return nullptr;
    return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(value));
}

int Repaint(HWND window) {
    if (!window || !IsWindowVisible(window)) return 0;
    return RedrawWindow(window, nullptr, nullptr, REPAINT_FLAGS) ? 1 : 0;
}

// The window that shows the console inside Take Command's `mainWindow`:
// the parent of the view the host names, else the child found by title.
HWND FindConsoleDisplay(HWND mainWindow, LPWSTR reply) {
    reply[0] = 0;
    TakeCommandIPC(TEXT("HVIEW"), reply);
    reply[WINDOW_TEXT_SIZE - 1] = 0;
    HWND view = DecimalWindow(reply);
    if (view) {
        HWND parent = GetParent(view);
        if (parent && parent != view && parent != mainWindow) return parent;
    }
    return FindViewByTitle(mainWindow);
}

}  // namespace

int RepaintConsoleWindows(void) {
    int count = Repaint(GetConsoleWindow());
    if (g_plugin.hostVersion < FIRST_VIEW_HOST_VERSION) return count;

    WCHAR reply[WINDOW_TEXT_SIZE];
    reply[0] = 0;
    // Take Command reloads the console's colours on this request.
    TakeCommandIPC(TEXT("COLOR"), reply);
    reply[0] = 0;
    TakeCommandIPC(TEXT("HWND"), reply);
    reply[WINDOW_TEXT_SIZE - 1] = 0;
    HWND mainWindow = DecimalWindow(reply);
    if (!mainWindow || !IsWindowVisible(mainWindow)) return count;

    count += Repaint(FindConsoleDisplay(mainWindow, reply));
    return count;
}
