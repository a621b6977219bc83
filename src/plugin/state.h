// The process-wide state of the plugin frame: one instance, written at
// attach and start-up, read afterwards by every subsystem.
#pragma once

#include "../platform.h"

typedef BOOL(WINAPI *GetConsoleScreenBufferInfoExFn)(HANDLE, PCONSOLE_SCREEN_BUFFER_INFOEX);
typedef BOOL(WINAPI *SetConsoleScreenBufferInfoExFn)(HANDLE, PCONSOLE_SCREEN_BUFFER_INFOEX);

// Alt-Z: the key code of Z (0x2C) with the Alt flag the host sets.
#define DEFAULT_HOTKEY 0x1002C

struct PluginState {
    HMODULE module;         // this library, known from the attach notification
    HANDLE console;         // "conout$", opened at start-up
    GetConsoleScreenBufferInfoExFn getBufferInfoEx;
    SetConsoleScreenBufferInfoExFn setBufferInfoEx;
    DWORD hostVersion;      // leading number of %_4ver
    DWORD hotkey;           // 0: no hotkey
    BOOL osdEnabled;
};

extern PluginState g_plugin;

// The library attach notification (reason 1 stores the module handle).
BOOL AttachPlugin(HMODULE module, DWORD reason);
// Back to the state of a freshly attached library; the module stays known.
void ResetPluginState(void);

#define HOST_VERSION_TEXT_SIZE 1024
// Expands the host's %_4ver into `buffer` (HOST_VERSION_TEXT_SIZE characters)
// and returns where its text starts after leading white space.
LPCWSTR ExpandHostVersion(LPWSTR buffer);
// The leading number of the host's %_4ver (0 when it has none).
DWORD ReadHostVersionNumber(void);
