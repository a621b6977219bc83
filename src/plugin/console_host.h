// Which front end shows the plugin's console, and which window on the
// screen shows the console's text.
#pragma once

#include "../platform.h"

enum ConsoleHostCode {
    HOST_NONE = 0,
    HOST_CONSOLE_WINDOW = 1,
    HOST_TAKE_COMMAND = 2,
    HOST_CONSOLE2 = 3,
    HOST_CONEMU = 4,
    HOST_WINDOWS_TERMINAL = 16,
};

// Returns the front end's window (null for HOST_NONE). The searches that only
// serve the display window run only when `displayWindowOut` is given.
HWND ClassifyConsoleHost(int *codeOut, HWND *displayWindowOut);

// ---- the searches, each answering a window or null ----
#define WINDOW_COLLECTION_CAPACITY 32

struct WindowCollection {
    LPCWSTR className;
    BOOL wantProcessIds;
    int count;
    HWND windows[WINDOW_COLLECTION_CAPACITY];
    DWORD processIds[WINDOW_COLLECTION_CAPACITY];
};

// Top-level windows of `className` in enumeration order, at most 32.
void CollectTopLevelWindows(WindowCollection *collection, LPCWSTR className, BOOL wantProcessIds);
// The window of `className` owned by this process or its nearest ancestor.
HWND FindAncestorWindow(LPCWSTR className);
HWND FindWindowsTerminal(void);
// The window named by a ConEmu variable, when it is a ConEmu console window.
HWND FindWindowFromVariable(LPCWSTR variable);
HWND FindTakeCommandFrame(void);
HWND FindTakeCommandView(HWND mainWindow);
// The first descendant of `parent` whose class is `className`.
HWND FindDescendantByClass(HWND parent, LPCWSTR className);
// How long to wait for a window to show a title: a pause before the title
// is set, then up to `attempts` looks, `waitMs` apart.
struct TitlePoll {
    DWORD settleMs;
    int attempts;
    DWORD waitMs;
};
// Gives the console window `marker` as its title until a child of
// `mainWindow` (of a class beginning with `classPrefix`, when given) shows
// it, then puts the console's own title back. Take Command's console view
// copies the console title, so this finds the view.
HWND FindChildShowingConsoleTitle(HWND mainWindow, LPCWSTR marker, LPCWSTR classPrefix, const TitlePoll *poll);
// Reads "window handle as decimal digits" answers; null when there are none.
HWND WindowFromDecimal(LPCWSTR text);
