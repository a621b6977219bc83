// The on-screen display: a borderless, click-through, topmost window that
// shows a text over the top right corner of the console for three seconds
// and then fades out. It lives on the host's thread; the host's own message
// processing delivers its timer ticks. Also the registry key the family's
// on-screen displays share, and this instance's subkey under it.
#pragma once

#include "../platform.h"

constexpr DWORD OSD_IDENTIFIER = 4196;       // in every OSD window's title, "OSD #4196"
constexpr DWORD OSD_ANY_TITLE = 0xFFFFFFFF;  // a window search that ignores the title
constexpr UINT_PTR OSD_TIMER_ID = 4242;
constexpr UINT OSD_FADE_REQUEST = WM_USER + 0x242;
constexpr int OSD_OFF_SCREEN = -2048000;  // where windows are made before they are placed
constexpr size_t OSD_CLASS_NAME_SIZE = 64;
constexpr COLORREF OSD_TEXT_COLOR = 0x00FFF0F0;
constexpr COLORREF OSD_COLOR_KEY = 0x000000FF;  // pure red, which the layered window leaves out

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
// Forgets the class as a freshly attached library has it, without touching
// windows, classes or the registry.
void ResetOsd(void);
// "OSD window 1.0.11.1 • Vivanta 0A3C" for process 0xA3C, into `name`
// (OSD_CLASS_NAME_SIZE characters).
void FormatOsdClassName(DWORD processId, LPWSTR name);

// ---- the registry ----

constexpr WCHAR OSD_SHARED_KEY[] = TEXT("Software\\OrtaPlugins\\OSD");
constexpr size_t REGISTRY_PATH_SIZE = 1024;

// True under Windows PE (a non-empty REG_SZ "Version" under the WinPE key of
// HKEY_LOCAL_MACHINE).
bool IsWinPE(void);
// Creates the shared OSD key under HKEY_CURRENT_USER if it is missing.
void EnsureOsdKey(void);
// Deletes `path` under `root` with every key below it, skipping subkeys
// that refuse: true when `path` itself is gone, false when its deletion
// failed.
bool DeleteRegistryTree(HKEY root, LPCWSTR path);
// "Software\OrtaPlugins\OSD\#0a3c Vivanta" for process 0xa3c, into `path`
// (REGISTRY_PATH_SIZE characters).
void FormatOsdInstanceKey(DWORD processId, LPWSTR path);
// Removes this process's instance subkey, if there is one.
void CleanupOsdKey(void);
