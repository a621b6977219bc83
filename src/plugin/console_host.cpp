#include "console_host.h"

#include "../base/wstr.h"
#include "host.h"

namespace {

HWND AskTakeCommandForWindow(void) {
    WCHAR reply[1024];
    reply[0] = 0;
    TakeCommandIPC(TEXT("HWND"), reply);
    return WindowFromDecimal(reply);
}

BOOL IsClassicConsoleWindow(HWND window) {
    if (!window || !IsWindowVisible(window)) return FALSE;
    WCHAR className[1024];
    if (!RealGetWindowClassW(window, className, 1024)) return FALSE;
    return StrCompare(className, TEXT("ConsoleWindowClass")) == 0;
}

HWND Classify(int *code, HWND *display) {
    HWND host = AskTakeCommandForWindow();
    if (host) {
        *code = HOST_TAKE_COMMAND;
        if (display) {
            HWND view = FindTakeCommandView(host);
            *display = view ? view : host;
        }
        return host;
    }

    host = GetConsoleWindow();
    if (IsClassicConsoleWindow(host)) {
        *code = HOST_CONSOLE_WINDOW;
        // Console2 keeps the real console window off every screen.
        if (!MonitorFromWindow(host, MONITOR_DEFAULTTONULL)) {
            HWND console2 = FindAncestorWindow(TEXT("Console_2_Main"));
            if (console2) {
                *code = HOST_CONSOLE2;
                host = console2;
            }
        }
        if (display) *display = host;
        return host;
    }

    host = FindWindowsTerminal();
    if (host) {
        *code = HOST_WINDOWS_TERMINAL;
        if (display) *display = host;
        return host;
    }

    host = FindWindowFromVariable(TEXT("ConEmuHWND"));
    if (host) {
        *code = HOST_CONEMU;
        if (display) {
            HWND drawing = FindWindowFromVariable(TEXT("ConEmuDrawHWND"));
            *display = drawing ? drawing : host;
        }
        return host;
    }

    host = FindAncestorWindow(TEXT("Console_2_Main"));
    if (host) {
        *code = HOST_CONSOLE2;
        if (display) {
            HWND view = FindDescendantByClass(host, TEXT("Console_2_View"));
            *display = view ? view : host;
        }
        return host;
    }

    host = FindTakeCommandFrame();
    if (host) {
        *code = HOST_TAKE_COMMAND;
        if (display) {
            HWND view = FindTakeCommandView(host);
            *display = view ? view : host;
        }
        return host;
    }

    *code = HOST_NONE;
    if (display) *display = nullptr;
    return nullptr;
}

}  // namespace

HWND ClassifyConsoleHost(int *codeOut, HWND *displayWindowOut) {
    int code = HOST_NONE;
    HWND host = Classify(&code, displayWindowOut);
    if (codeOut) *codeOut = code;
    return host;
}
