// Opening an OSD window: made off screen (Windows PE: at the origin),
// layered so that its red background disappears, painted and sized once,
// then moved into the top right corner of the console's text and left to
// its display timer.
#include "../base/alloc.h"
#include "../base/format.h"
#include "../plugin/state.h"
#include "osd.h"

namespace {

#define OSD_EXTENDED_STYLES (WS_EX_TOPMOST | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_NOACTIVATE)
#define OSD_FIRST_SIZE 50
#define OPAQUE_ALPHA 255
// Fading needs a display that can blend.
#define LEAST_FADING_DEPTH 16

// Without a block the window still shows, and closes at its first tick.
OsdWindowState *NewWindowState(bool fade, DWORD layeredFlags) {
    OsdWindowState *state = static_cast<OsdWindowState *>(MemAlloc(sizeof(OsdWindowState)));
    if (!state) return nullptr;
    state->targetAlpha = OPAQUE_ALPHA;
    state->currentAlpha = OPAQUE_ALPHA;
    state->fadeFlags = fade ? OSD_FADE_AT_END : 0;
    state->colorKey = OSD_COLOR_KEY;
    state->layeredFlags = layeredFlags;
    state->displayTime = OSD_DISPLAY_TIME;
    return state;
}

// Keeps the size the painting gave and puts the window 16 pixels in from
// the area's right edge and 8 down from its top.
void PlaceWindow(HWND window, const RECT *area) {
    RECT rect = {0, 0, 0, 0};
    UINT flags = SWP_SHOWWINDOW;
    if (!GetWindowRect(window, &rect)) flags |= SWP_NOSIZE;
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    SetWindowPos(window, HWND_TOPMOST, area->right - width - OSD_MARGIN_RIGHT, area->top + OSD_MARGIN_TOP, width,
                 height, flags);
}

}  // namespace

HWND ShowOsd(const OsdRequest *request) {
    if (!request || !request->text) return nullptr;
    RECT area;
    FindOsdArea(&area);
    WCHAR title[OSD_TITLE_SIZE];
    Format(title, OSD_TITLE_SIZE, TEXT("OSD #%u"), static_cast<unsigned>(OSD_IDENTIFIER));
    int at = g_osd.creationPosition;
    HWND window = CreateWindowExW(OSD_EXTENDED_STYLES, g_osd.className, title, WS_POPUP, at, at, OSD_FIRST_SIZE,
                                  OSD_FIRST_SIZE, nullptr, nullptr, g_plugin.module, nullptr);
    if (!window) return nullptr;
    HDC dc = GetDC(window);
    if (!dc) {
        DestroyWindow(window);
        return nullptr;
    }
    bool fade = GetDeviceCaps(dc, PLANES) * GetDeviceCaps(dc, BITSPIXEL) >= LEAST_FADING_DEPTH;
    DWORD layeredFlags = fade ? LWA_COLORKEY | LWA_ALPHA : LWA_COLORKEY;
    SetLayeredWindowAttributes(window, OSD_COLOR_KEY, OPAQUE_ALPHA, layeredFlags);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(NewWindowState(fade, layeredFlags)));
    PaintOsdWindow(window, dc, OSD_TEXT_COLOR, OSD_COLOR_KEY, request);
    PlaceWindow(window, &area);
    ReleaseDC(window, dc);
    SetTimer(window, OSD_TIMER_ID, OSD_DISPLAY_TIME, nullptr);
    return window;
}
