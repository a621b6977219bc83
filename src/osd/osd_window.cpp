// The OSD window from start to end: the window class, whose name carries
// the process identifier so that only this instance's windows ever match it;
// where on the screen the console's text is; making, painting and placing a
// window; its procedure, which shows it for three seconds, fades it and
// closes it; and the search that finds this instance's windows again.
#include "../base/base.h"
#include "../plugin/plugin.h"
#include "osd.h"

OsdGlobals g_osd = {0, {0}, OSD_OFF_SCREEN, nullptr};

namespace {

// The family's OSD generation, kept as 8-bit text as the family keeps it.
const char OSD_VERSION[] = "1.0.11.1";
constexpr int OSD_VERSION_SIZE = 32;
constexpr int OSD_WINDOW_EXTRA = 8;
constexpr DWORD CLASS_REGISTRATION_PAUSE = 50;
constexpr size_t OSD_TITLE_SIZE = 32;
constexpr int WINDOW_TEXT_SIZE = 1024;

constexpr UINT OSD_DISPLAY_TIME = 3000;  // ms fully shown
constexpr UINT OSD_FADE_TICK = 15;       // ms between fade steps
constexpr BYTE OSD_FADE_STEP = 2;        // alpha lost per fade step
constexpr int OSD_MARGIN_RIGHT = 16;
constexpr int OSD_MARGIN_TOP = 8;
constexpr DWORD OSD_EXTENDED_STYLES =
    WS_EX_TOPMOST | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_NOACTIVATE;
constexpr int OSD_FIRST_SIZE = 50;
constexpr BYTE OPAQUE_ALPHA = 255;
// Fading needs a display that can blend.
constexpr int LEAST_FADING_DEPTH = 16;

constexpr int POINTS_PER_INCH = 72;
constexpr int SMALL_SHADOW_OFFSET = 3;
constexpr int SMALL_SHADOW_LIMIT = 36;
constexpr int SHADOW_DIVISOR = 12;
constexpr UINT DRAW_FORMAT = DT_NOPREFIX | DT_NOCLIP | DT_LEFT;

// Fade flags of an OSD window.
constexpr BYTE OSD_FADE_AT_END = 0x20;
constexpr BYTE OSD_FADING = 0x80;

// Hung on each OSD window as its user data; freed when the window goes.
struct OsdWindowState {
    BYTE targetAlpha;
    BYTE currentAlpha;
    BYTE fadeFlags;
    COLORREF colorKey;
    DWORD layeredFlags;
    DWORD displayTime;
};

GetScrollBarInfoFn LookUpScrollBarQuery(void) {
    // User32 is always loaded in a process with windows; it is looked up,
    // never loaded.
    HMODULE user32 = GetModuleHandleW(TEXT("User32.dll"));
    FARPROC query = user32 ? GetProcAddress(user32, "GetScrollBarInfo") : nullptr;
    return reinterpret_cast<GetScrollBarInfoFn>(reinterpret_cast<void *>(query));
}

// ---- where the console's text is ----

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

// The screen rectangle over which the OSD goes: the classic console
// window's client area, Take Command's console view less its scroll bars,
// the client area of the Windows Terminal window that shows a
// pseudoconsole, or else the primary work area. A pseudoconsole's own
// window is never shown, whatever front end the classification names.
void FindOsdArea(RECT *area) {
    HWND pseudoConsole = FindPseudoConsoleWindow();
    if (pseudoConsole) {
        HWND terminal = TerminalWindowOf(pseudoConsole);
        if (!terminal || !ConsoleClientArea(terminal, area)) PrimaryWorkArea(area);
        return;
    }
    ConsoleHostCode code = HOST_NONE;
    HWND display = nullptr;
    ClassifyConsoleHost(&code, &display);
    if (display && code == HOST_CONSOLE_WINDOW && ConsoleClientArea(display, area)) return;
    if (display && code == HOST_TAKE_COMMAND && ConsoleViewArea(display, area)) return;
    PrimaryWorkArea(area);
}

// ---- painting, once, right after the window is made ----
// The window procedure has no painting of its own. The background is the
// colour key, so only the glyphs and their shadow are seen; glyph edges are
// not smoothed, or they would blend with the key's red.

int ShadowOffset(int pointSize) {
    return pointSize <= SMALL_SHADOW_LIMIT ? SMALL_SHADOW_OFFSET : pointSize / SHADOW_DIVISOR;
}

HFONT CreateRequestFont(HDC dc, const OsdRequest *request) {
    int angle = request->angle < -360 || request->angle > 360 ? 0 : request->angle;
    int height = -MulDiv(request->pointSize, GetDeviceCaps(dc, LOGPIXELSY), POINTS_PER_INCH);
    return CreateFontW(height, 0, angle * 10, angle * 10, request->weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                       request->fontName);
}

void FillBackground(HDC dc, const RECT *rect, COLORREF colorKey) {
    HBRUSH brush = CreateSolidBrush(colorKey);
    if (!brush) return;
    FillRect(dc, rect, brush);
    DeleteObject(brush);
}

// Draws the request's text with its shadow into the window's device
// context and sizes the window to fit, at the creation position.
void PaintOsdWindow(HWND window, HDC dc, COLORREF textColor, COLORREF colorKey, const OsdRequest *request) {
    HFONT font = CreateRequestFont(dc, request);
    if (!font) return;
    HGDIOBJ previousFont = SelectObject(dc, font);
    SetTextColor(dc, textColor);
    SetBkColor(dc, colorKey);
    SetBkMode(dc, OPAQUE);

    RECT text = {0, 0, 10, 10};
    DrawTextW(dc, request->text, -1, &text, DT_CALCRECT | DT_NOPREFIX | DT_NOCLIP);
    int offset = ShadowOffset(request->pointSize);
    RECT whole = {0, 0, text.right + offset, text.bottom + offset};
    int at = g_osd.creationPosition;
    SetWindowPos(window, HWND_TOPMOST, at, at, whole.right, whole.bottom, SWP_SHOWWINDOW);
    FillBackground(dc, &whole, colorKey);

    RECT shadow = {text.left + offset, text.top + offset, text.right + offset, text.bottom + offset};
    SetTextColor(dc, request->shadowColor);
    DrawTextW(dc, request->text, -1, &shadow, DRAW_FORMAT);
    SetTextColor(dc, textColor);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, request->text, -1, &text, DRAW_FORMAT);

    // A font still selected cannot be deleted.
    if (previousFont) SelectObject(dc, previousFont);
    DeleteObject(font);
}

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

// ---- the window procedure ----
// Three seconds on show, then a fade of 2 alpha steps every 15 ms, then
// closing itself. It runs on the host's thread inside the host's message
// processing, which is why it never posts a quit message: that would end
// the host's own message loop.

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

// ---- finding this instance's windows ----
// The message goes out with SendMessageW, so a window told to close is gone
// before the search moves on.

bool HasOsdTitle(HWND window, DWORD titleId) {
    if (titleId == OSD_ANY_TITLE) return true;
    WCHAR wanted[OSD_TITLE_SIZE];
    Format(wanted, OSD_TITLE_SIZE, TEXT("OSD #%u"), titleId);
    WCHAR title[WINDOW_TEXT_SIZE];
    if (GetWindowTextW(window, title, WINDOW_TEXT_SIZE) <= 0) return false;
    return StrCompare(title, wanted) == 0;
}

BOOL CALLBACK VisitWindow(HWND window, LPARAM param) {
    OsdSearch *search = reinterpret_cast<OsdSearch *>(param);
    if (window == search->spared) return TRUE;
    WCHAR className[WINDOW_TEXT_SIZE];
    // Before start-up the name is empty, and no window is ours.
    if (g_osd.className[0] == 0 || RealGetWindowClassW(window, className, WINDOW_TEXT_SIZE) == 0) return TRUE;
    if (StrCompare(className, g_osd.className) != 0) return TRUE;
    if (!HasOsdTitle(window, search->titleId)) return TRUE;
    if (search->message != 0) SendMessageW(window, search->message, 0, 0);
    ++search->count;
    return TRUE;
}

}  // namespace

void FormatOsdClassName(DWORD processId, LPWSTR name) {
    WCHAR version[OSD_VERSION_SIZE];
    if (MultiByteToWideChar(CP_ACP, 0, OSD_VERSION, -1, version, OSD_VERSION_SIZE) == 0) version[0] = 0;
    Format(name, OSD_CLASS_NAME_SIZE, TEXT("OSD window %s \u2022 %s %04X"), version, PLUGIN_NAME, processId);
}

ATOM InitOsd(void) {
    g_osd.creationPosition = OSD_OFF_SCREEN;
    FormatOsdClassName(GetCurrentProcessId(), g_osd.className);
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = OsdWindowProc;
    windowClass.cbWndExtra = OSD_WINDOW_EXTRA;
    windowClass.hInstance = g_plugin.module;
    windowClass.lpszClassName = g_osd.className;
    g_osd.classAtom = RegisterClassExW(&windowClass);
    if (g_osd.classAtom) Sleep(CLASS_REGISTRATION_PAUSE);
    // Windows PE may have no room off screen to prepare a window in.
    if (IsWinPE()) g_osd.creationPosition = 0;
    EnsureOsdKey();
    g_osd.getScrollBarInfo = LookUpScrollBarQuery();
    return g_osd.classAtom;
}

void ShutdownOsd(void) {
    if (g_osd.classAtom) {
        OsdSearch search = {0, OSD_ANY_TITLE, nullptr, WM_CLOSE};
        CloseOsdWindows(&search);
        UnregisterClassW(g_osd.className, g_plugin.module);
        g_osd.classAtom = 0;
    }
    CleanupOsdKey();
}

void ResetOsd(void) {
    g_osd = OsdGlobals{0, {0}, OSD_OFF_SCREEN, nullptr};
}

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

void CloseOsdWindows(OsdSearch *search) {
    EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(search));
}
