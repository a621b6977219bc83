// Take Command's console view shows the console's title a moment after it
// changes: a title nobody else uses picks the view out of the main window's
// children.
#include <stdlib.h>

#include "../base/format.h"
#include "../plugin/console_host.h"
#include "palette.h"

namespace {

#define MARKER_SIZE 32
const DWORD SETTLE_MS = 30;
const int POLL_ATTEMPTS = 200;
const DWORD POLL_INTERVAL_MS = 10;

}  // namespace

HWND FindViewByTitle(HWND mainWindow) {
    WCHAR marker[MARKER_SIZE];
    Format(marker, MARKER_SIZE, TEXT("\u2039%08X-%04X\u203A"), static_cast<unsigned>(GetCurrentProcessId()),
           static_cast<unsigned>(rand() & 0x7FFF));
    TitlePoll poll = {SETTLE_MS, POLL_ATTEMPTS, POLL_INTERVAL_MS};
    return FindChildShowingConsoleTitle(mainWindow, marker, nullptr, &poll);
}
