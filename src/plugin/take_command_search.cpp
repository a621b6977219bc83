#include <stdlib.h>

#include "../base/alloc.h"
#include "../base/format.h"
#include "../base/wstr.h"
#include "console_host.h"
#include "host.h"

namespace {

const int CONSOLE_PROCESS_ROOM = 64;
const int CAPTION_ATTEMPTS = 20;
const DWORD CAPTION_WAIT_MS = 50;

// Text that leaves the screen as it was: each letter is erased again.
void NudgeConsole(void) {
    HANDLE device = CreateFileW(TEXT("CONOUT$"), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (device == nullptr || device == INVALID_HANDLE_VALUE) return;
    static const WCHAR nudge[] = TEXT("A\bB\bC\bD\b \b");
    for (int i = 0; i < 256; ++i) {
        DWORD written = 0;
        WriteConsoleW(device, nudge, 10, &written, nullptr);
    }
    CloseHandle(device);
}

HWND FirstWindowOfProcesses(const WindowCollection &frames, const DWORD *processIds, DWORD count) {
    for (DWORD i = 0; i < count; ++i) {
        if (processIds[i] == 0) continue;
        for (int j = 0; j < frames.count; ++j) {
            if (frames.processIds[j] == processIds[i]) return frames.windows[j];
        }
    }
    return nullptr;
}

struct CaptionSearch {
    LPCWSTR marker;
    LPCWSTR classPrefix;
    HWND found;
};

BOOL CALLBACK MatchCaption(HWND window, LPARAM param) {
    CaptionSearch *search = reinterpret_cast<CaptionSearch *>(param);
    WCHAR text[1024];
    if (search->classPrefix) {
        if (!RealGetWindowClassW(window, text, 1024)) return TRUE;
        if (StrCompareN(text, search->classPrefix, StrLen(search->classPrefix)) != 0) return TRUE;
    }
    text[0] = 0;
    GetWindowTextW(window, text, 1024);
    if (StrCompare(text, search->marker) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

// The view shows the console's title: give the console a unique title for a
// moment and look for the child window that takes it on.
HWND FindViewByCaption(HWND mainWindow) {
    WCHAR marker[64];
    Format(marker, 64, TEXT("\u00A4 %04X-%04X"), GetCurrentProcessId(), rand() & 0x7FFF);
    TitlePoll poll = {0, CAPTION_ATTEMPTS, CAPTION_WAIT_MS};
    return FindChildShowingConsoleTitle(mainWindow, marker, TEXT("Afx:"), &poll);
}

}  // namespace

HWND FindChildShowingConsoleTitle(HWND mainWindow, LPCWSTR marker, LPCWSTR classPrefix, const TitlePoll *poll) {
    HWND console = GetConsoleWindow();
    // Without a console window there is no title for a view to copy.
    if (!console) return nullptr;
    WCHAR saved[1024];
    saved[0] = 0;
    GetWindowTextW(console, saved, 1024);
    if (poll->settleMs) Sleep(poll->settleMs);
    SetWindowTextW(console, marker);

    CaptionSearch search = {marker, classPrefix, nullptr};
    for (int attempt = 0; attempt < poll->attempts; ++attempt) {
        EnumChildWindows(mainWindow, MatchCaption, reinterpret_cast<LPARAM>(&search));
        if (search.found) break;
        Sleep(poll->waitMs);
    }
    SetWindowTextW(console, saved);
    return search.found;
}

HWND FindTakeCommandFrame(void) {
    WindowCollection frames;
    CollectTopLevelWindows(&frames, TEXT("XTPMainFrame"), TRUE);
    if (frames.count == 0) return nullptr;

    NudgeConsole();
    tty_yield(0);

    DWORD processIds[CONSOLE_PROCESS_ROOM];
    DWORD count = GetConsoleProcessList(processIds, CONSOLE_PROCESS_ROOM);
    if (count == 0) return nullptr;
    if (count <= CONSOLE_PROCESS_ROOM) return FirstWindowOfProcesses(frames, processIds, count);

    // Windows reports the count it needs and stores nothing when the room is
    // too small: ask once more with that much room. Processes may attach in
    // between; a second shortfall means not found rather than a loop.
    DWORD room = count;
    DWORD *more = static_cast<DWORD *>(MemCalloc(room, sizeof(DWORD)));
    if (!more) return nullptr;
    count = GetConsoleProcessList(more, room);
    HWND found = (count > 0 && count <= room) ? FirstWindowOfProcesses(frames, more, count) : nullptr;
    MemFree(more);
    return found;
}

HWND FindTakeCommandView(HWND mainWindow) {
    WCHAR reply[1024];
    reply[0] = 0;
    int result = TakeCommandIPC(TEXT("HVIEW"), reply);
    HWND view = WindowFromDecimal(reply);
    if (view) return view;
    if (result == -1 && IsWindow(mainWindow)) return FindViewByCaption(mainWindow);
    return nullptr;
}
