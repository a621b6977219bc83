// Take Command's console view shows the console's title a moment after it
// changes: a title nobody else uses picks the view out of the main window's
// children.
#include <stdlib.h>

#include "../base/format.h"
#include "../base/wstr.h"
#include "palette.h"

namespace {

#define MARKER_SIZE 32
const DWORD SETTLE_MS = 30;
const int POLL_ATTEMPTS = 200;
const DWORD POLL_INTERVAL_MS = 10;

struct TitleSearch {
    LPCWSTR marker;
    HWND found;
};

BOOL CALLBACK MatchMarkerTitle(HWND window, LPARAM param) {
    TitleSearch *search = reinterpret_cast<TitleSearch *>(param);
    WCHAR text[WINDOW_TEXT_SIZE];
    text[0] = 0;
    GetWindowTextW(window, text, WINDOW_TEXT_SIZE);
    if (StrCompare(text, search->marker) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

HWND FindViewByTitle(HWND mainWindow) {
    HWND console = GetConsoleWindow();
    // Without a console window there is no title for the view to copy.
    if (!console) return nullptr;
    WCHAR saved[WINDOW_TEXT_SIZE];
    saved[0] = 0;
    GetWindowTextW(console, saved, WINDOW_TEXT_SIZE);

    WCHAR marker[MARKER_SIZE];
    Format(marker, MARKER_SIZE, TEXT("\u2039%08X-%04X\u203A"), static_cast<unsigned>(GetCurrentProcessId()),
           static_cast<unsigned>(rand() & 0x7FFF));
    Sleep(SETTLE_MS);
    SetWindowTextW(console, marker);

    TitleSearch search = {marker, nullptr};
    for (int attempt = 0; attempt < POLL_ATTEMPTS; ++attempt) {
        EnumChildWindows(mainWindow, MatchMarkerTitle, reinterpret_cast<LPARAM>(&search));
        if (search.found) break;
        Sleep(POLL_INTERVAL_MS);
    }
    SetWindowTextW(console, saved);
    return search.found;
}
