// The OSD window's procedure: three seconds on show, then a fade of 2 alpha
// steps every 15 ms, then closing itself. It runs on the host's thread
// inside the host's message processing, which is why it never posts a quit
// message: that would end the host's own message loop.
#include "../base/alloc.h"
#include "osd.h"

namespace {

OsdWindowState *StateOf(HWND window) {
    return reinterpret_cast<OsdWindowState *>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

void CloseOsdWindow(HWND window) {
    KillTimer(window, OSD_TIMER_ID);
    DestroyWindow(window);
}

// The state goes with the window however the window goes.
void ReleaseState(HWND window) {
    OsdWindowState *state = StateOf(window);
    if (!state) return;
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    MemFree(state);
}

void OnDisplayTimer(HWND window) {
    OsdWindowState *state = StateOf(window);
    if (!state) {
        CloseOsdWindow(window);
        return;
    }
    if (state->fadeFlags & OSD_FADE_AT_END) {
        state->fadeFlags = static_cast<BYTE>((state->fadeFlags & ~OSD_FADE_AT_END) | OSD_FADING);
    }
    if (state->fadeFlags & OSD_FADING) {
        if (state->currentAlpha == state->targetAlpha) SetTimer(window, OSD_TIMER_ID, OSD_FADE_TICK, nullptr);
        if (state->currentAlpha >= OSD_FADE_STEP) {
            state->currentAlpha = static_cast<BYTE>(state->currentAlpha - OSD_FADE_STEP);
            SetLayeredWindowAttributes(window, state->colorKey, state->currentAlpha, state->layeredFlags);
            return;
        }
    }
    CloseOsdWindow(window);
}

// The fade begins at the next tick.
void OnFadeRequest(HWND window) {
    OsdWindowState *state = StateOf(window);
    if (!state) {
        CloseOsdWindow(window);
        return;
    }
    state->fadeFlags = OSD_FADING;
    SetTimer(window, OSD_TIMER_ID, OSD_FADE_TICK, nullptr);
}

}  // namespace

LRESULT CALLBACK OsdWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            CloseOsdWindow(window);
            return 0;
        case WM_DESTROY:
            ReleaseState(window);
            return 0;
        case WM_TIMER:
            if (wParam == OSD_TIMER_ID) OnDisplayTimer(window);
            return 0;
        case OSD_FADE_REQUEST:
            OnFadeRequest(window);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}
