// vhost on Windows: the machine is the real one. Arguments come from the
// wide command line; `wait` pumps this thread's messages for real time, so
// that the plugin's timers fire.
#include "vhost.h"

#if VT_ON_WINDOWS

#include <shellapi.h>

#include "host_control.h"

namespace vhost {

std::vector<Text> CollectArguments(int, char **) {
    std::vector<Text> args;
    int count = 0;
    LPWSTR *list = CommandLineToArgvW(GetCommandLineW(), &count);
    if (list == NULL) return args;
    for (int i = 1; i < count; ++i) args.push_back(list[i]);
    LocalFree(list);
    return args;
}

bool PrepareWorld(const Options &) {
    HostCtlReset();
    return true;
}

void FinishWorld(const Options &) {}

const WCHAR *PluginFileName() {
    return TEXT("Vivanta.dll");
}

// Windows' loader calls the image's entry point itself.
bool ToldOfAttach(HMODULE) {
    return true;
}

// The real keyboard decides what GetAsyncKeyState reports; vhost does not
// inject input into the system.
void HoldModifiers(bool, bool, bool) {}

// What a window shows is the screen's business on Windows.
Text DrawnText(HWND) {
    return Text();
}

void RunMessagesFor(DWORD ms) {
    ULONGLONG deadline = GetTickCount64() + ms;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        ULONGLONG now = GetTickCount64();
        if (now >= deadline) return;
        MsgWaitForMultipleObjects(0, NULL, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    }
}

// Windows shows the box itself and returns when it is closed.
size_t MessageBoxCount() {
    return 0;
}

void PrintMessageBoxesSince(size_t) {}

void DrawScreen() {
    PrintError(Widen("vhost: screen is available on Linux only"));
}

// The records go into the console's input buffer as they are, with the
// scan code the keyboard layout gives the key.
void QueueKeys(const std::vector<KeyPress> &presses) {
    std::vector<INPUT_RECORD> records;
    for (const KeyPress &press : presses) {
        INPUT_RECORD record = {};
        record.EventType = KEY_EVENT;
        KEY_EVENT_RECORD &key = record.Event.KeyEvent;
        key.bKeyDown = press.down ? TRUE : FALSE;
        key.wRepeatCount = press.repeat;
        key.wVirtualKeyCode = press.virtualKey;
        key.wVirtualScanCode = static_cast<WORD>(MapVirtualKeyW(press.virtualKey, MAPVK_VK_TO_VSC));
        key.uChar.UnicodeChar = press.character;
        key.dwControlKeyState = press.controlKeyState;
        records.push_back(record);
    }
    HANDLE input = CreateFileW(TEXT("CONIN$"), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                               OPEN_EXISTING, 0, NULL);
    DWORD written = 0;
    if (input == INVALID_HANDLE_VALUE ||
        !WriteConsoleInputW(input, records.data(), static_cast<DWORD>(records.size()), &written)) {
        PrintError(Widen("vhost: cannot queue console input"));
    }
    if (input != INVALID_HANDLE_VALUE) CloseHandle(input);
}

void ResizeWindow(SHORT, SHORT) {
    PrintError(Widen("vhost: resize is available on Linux only"));
}

void ShowTerminal() {
    PrintError(Widen("vhost: terminal is available on Linux only"));
}

}  // namespace vhost

#endif
