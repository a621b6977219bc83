// Read-outs of what the plugin changed: the console's colours and modes,
// the host's colour directives and the top-level windows with the text drawn
// in them.
#include <vector>

#include "plugin/host.h"
#include "vhost.h"

namespace vhost {

namespace {

const char *const kDirectives[] = {"StdColors",         "InputColors",       "ErrorColors",  "ListColors",
                                   "ListStatBarColors", "ListInverseColors", "SelectColors", "SelectStatBarColors",
                                   "SelectedColors",    "ColorDir"};

BOOL CALLBACK ListWindow(HWND window, LPARAM) {
    WCHAR className[256] = {0};
    std::vector<WCHAR> title(1024, 0);
    GetClassNameW(window, className, 256);
    GetWindowTextW(window, title.data(), 1024);
    RECT rect = {0, 0, 0, 0};
    GetWindowRect(window, &rect);
    Printf(TEXT("\"%s\" \"%s\" %s (%d,%d)-(%d,%d)\r\n"), className, title.data(),
           IsWindowVisible(window) ? TEXT("visible") : TEXT("hidden"), static_cast<int>(rect.left),
           static_cast<int>(rect.top), static_cast<int>(rect.right), static_cast<int>(rect.bottom));
    Text drawn = DrawnText(window);
    if (!drawn.empty()) Printf(TEXT("  drawn \"%s\"\r\n"), drawn.c_str());
    return TRUE;
}

}  // namespace

void ShowConsole() {
    HANDLE console = CreateFileW(TEXT("conout$"), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 NULL, OPEN_EXISTING, 0, NULL);
    if (console == INVALID_HANDLE_VALUE || console == NULL) {
        Qprintf(GetStdHandle(STD_ERROR_HANDLE), TEXT("vhost: cannot open conout$ (error %u)\r\n"), GetLastError());
        return;
    }
    CONSOLE_SCREEN_BUFFER_INFOEX info = {};
    info.cbSize = sizeof info;
    if (!GetConsoleScreenBufferInfoEx(console, &info)) {
        Qprintf(GetStdHandle(STD_ERROR_HANDLE), TEXT("vhost: cannot read the console (error %u)\r\n"), GetLastError());
        CloseHandle(console);
        return;
    }
    CloseHandle(console);
    Printf(TEXT("Attribute 0x%02X\r\n"), static_cast<unsigned>(info.wAttributes));
    for (int i = 0; i < 16; ++i) {
        COLORREF color = info.ColorTable[i];
        Printf(TEXT("Color%d #%02x%02x%02x\r\n"), i, static_cast<unsigned>(GetRValue(color)),
               static_cast<unsigned>(GetGValue(color)), static_cast<unsigned>(GetBValue(color)));
    }
}

// Only what Win32 shows of a console, so that the same line serves under
// Wine. A buffer has no identity to compare, so the one shown is told from
// the one at start by a text attribute set through the handle kept since
// start and read back through a fresh conout$ (then put back).
void ShowModes(const Session &session) {
    HANDLE start = session.startBuffer;
    DWORD inputMode = 0;
    DWORD outputMode = 0;
    CONSOLE_CURSOR_INFO cursor = {};
    CONSOLE_SCREEN_BUFFER_INFO before = {};
    if (!GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &inputMode) || !GetConsoleMode(start, &outputMode) ||
        !GetConsoleCursorInfo(start, &cursor) || !GetConsoleScreenBufferInfo(start, &before)) {
        Qprintf(GetStdHandle(STD_ERROR_HANDLE), TEXT("vhost: cannot read the console (error %u)\r\n"), GetLastError());
        return;
    }
    HANDLE shown = CreateFileW(TEXT("conout$"), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                               OPEN_EXISTING, 0, NULL);
    CONSOLE_SCREEN_BUFFER_INFO probe = {};
    WORD marked = static_cast<WORD>(before.wAttributes ^ 0x0F);
    bool same = shown != INVALID_HANDLE_VALUE && SetConsoleTextAttribute(start, marked) &&
                GetConsoleScreenBufferInfo(shown, &probe) && probe.wAttributes == marked;
    SetConsoleTextAttribute(start, before.wAttributes);
    if (shown != INVALID_HANDLE_VALUE) CloseHandle(shown);
    Printf(TEXT("Input mode 0x%04X\r\nOutput mode 0x%04X\r\nCursor %u%% %s\r\nShown: %s\r\n"), inputMode, outputMode,
           static_cast<unsigned>(cursor.dwSize), cursor.bVisible ? TEXT("visible") : TEXT("hidden"),
           same ? TEXT("the buffer at start") : TEXT("another buffer"));
}

void ShowOptions() {
    std::vector<WCHAR> value(1024, 0);
    for (const char *name : kDirectives) {
        Text wide = Widen(name);
        if (QueryOptionValue(wide.c_str(), value.data()) == 0) {
            Printf(TEXT("%s=%s\r\n"), wide.c_str(), value.data());
        } else {
            Printf(TEXT("%s is not set\r\n"), wide.c_str());
        }
    }
}

void ShowWindows() {
    EnumWindows(ListWindow, 0);
}

}  // namespace vhost
