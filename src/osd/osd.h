// The on-screen display: a borderless, click-through, topmost window that
// shows a text over the top right corner of the console for three seconds
// and then fades out. It lives on the host's thread; the host's own message
// processing delivers its timer ticks.
#pragma once

#include "../platform.h"

#define OSD_IDENTIFIER 4196          // in every OSD window's title, "OSD #4196"
#define OSD_ANY_TITLE 0xFFFFFFFF     // a window search that ignores the title
#define OSD_TIMER_ID 4242
#define OSD_FADE_REQUEST (WM_USER + 0x242)
#define OSD_DISPLAY_TIME 3000        // ms fully shown
#define OSD_FADE_TICK 15             // ms between fade steps
#define OSD_FADE_STEP 2              // alpha lost per fade step
#define OSD_OFF_SCREEN (-2048000)    // where windows are made before they are placed
#define OSD_CLASS_NAME_SIZE 64
#define OSD_TITLE_SIZE 32
#define OSD_TEXT_COLOR 0x00FFF0F0
#define OSD_COLOR_KEY 0x000000FF     // pure red, which the layered window leaves out
#define OSD_MARGIN_RIGHT 16
#define OSD_MARGIN_TOP 8

// What to show, and how; read only during ShowOsd.
struct OsdRequest {
    LPCWSTR text;
    LPCWSTR fontName;
    int pointSize;
    int weight;
    int angle;  // degrees; beyond +-360 counts as 0
    COLORREF shadowColor;
};

// One pass over the top-level windows: each OSD window of this instance
// whose title carries `titleId` (any, for OSD_ANY_TITLE) and that is not
// `spared` is counted and sent `message` (nothing when 0).
struct OsdSearch {
    int count;
    DWORD titleId;
    HWND spared;
    UINT message;
};

// Fade flags of an OSD window.
#define OSD_FADE_AT_END 0x20
#define OSD_FADING 0x80

// Hung on each OSD window as its user data; freed when the window goes.
struct OsdWindowState {
    BYTE targetAlpha;
    BYTE currentAlpha;
    BYTE fadeFlags;
    COLORREF colorKey;
    DWORD layeredFlags;
    DWORD displayTime;
};

typedef BOOL(WINAPI *GetScrollBarInfoFn)(HWND, LONG, PSCROLLBARINFO);

// Set once at start-up.
struct OsdGlobals {
    ATOM classAtom;  // 0: the class is not registered
    WCHAR className[OSD_CLASS_NAME_SIZE];
    int creationPosition;
    GetScrollBarInfoFn getScrollBarInfo;  // null when User32 does not offer it
};
extern OsdGlobals g_osd;

// Registers the window class and gets the shared registry key ready;
// returns the class atom (0 on failure).
ATOM InitOsd(void);
// Opens an OSD window for `request` over the console; null when none could
// be made.
HWND ShowOsd(const OsdRequest *request);
void CloseOsdWindows(OsdSearch *search);
// Closes this instance's OSD windows, unregisters the class and removes the
// instance's registry subkey.
void ShutdownOsd(void);

// ---- the steps ----
// "OSD window 1.0.11.1 • Vivanta 0A3C" for process 0xA3C, into `name`
// (OSD_CLASS_NAME_SIZE characters).
void FormatOsdClassName(DWORD processId, LPWSTR name);
// The screen rectangle over which the OSD goes.
void FindOsdArea(RECT *area);
// Draws the request's text with its shadow into the window's device
// context and sizes the window to fit, at the creation position.
void PaintOsdWindow(HWND window, HDC dc, COLORREF textColor, COLORREF colorKey, const OsdRequest *request);
LRESULT CALLBACK OsdWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
