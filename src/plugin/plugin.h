// The records that cross the boundary between the host and the plugin, and
// the seven exported entry points.
#pragma once

#include "../platform.h"

// Filled by GetPluginInfo; the host reads it and never frees it.
struct PluginInfo {
    LPCWSTR name;
    LPCWSTR author;
    LPCWSTR email;
    LPCWSTR webPage;
    LPCWSTR description;
    LPCWSTR implements;
    int32_t major;
    int32_t minor;
    int32_t build;
};

// The host's key-information record, passed with every keystroke. This is
// the host's memory layout: the offsets are checked below.
struct KeyInfo {
    int32_t keyCode;
    int32_t position[4];
    LPWSTR line;
    LPWSTR cursor;
    int32_t redraw;
    LPWSTR keyName;  // 1024 characters; may be null
};

static_assert(offsetof(PluginInfo, major) == 48 && sizeof(PluginInfo) == 64, "PluginInfo layout");
static_assert(offsetof(KeyInfo, position) == 4 && offsetof(KeyInfo, line) == 24 &&
                  offsetof(KeyInfo, cursor) == 32 && offsetof(KeyInfo, redraw) == 40 &&
                  offsetof(KeyInfo, keyName) == 48,
              "KeyInfo layout");

#ifndef PLUGIN_API
#define PLUGIN_API VT_EXPORT
#endif

PLUGIN_API PluginInfo *WINAPI GetPluginInfo(void);
PLUGIN_API int WINAPI InitializePlugin(void);
PLUGIN_API int WINAPI ShutdownPlugin(void);
PLUGIN_API int WINAPI Usage(LPCWSTR name, LPWSTR out);
PLUGIN_API int WINAPI Help(LPCWSTR name);
PLUGIN_API int WINAPI vivanta(LPCWSTR arguments);
PLUGIN_API int WINAPI key(KeyInfo *info);

// The signatures vhost looks up by name.
typedef PluginInfo *(WINAPI *GetPluginInfoFn)(void);
typedef int(WINAPI *InitializePluginFn)(void);
typedef int(WINAPI *ShutdownPluginFn)(void);
typedef int(WINAPI *UsageFn)(LPCWSTR, LPWSTR);
typedef int(WINAPI *HelpFn)(LPCWSTR);
typedef int(WINAPI *CommandFn)(LPCWSTR);
typedef int(WINAPI *KeyFn)(KeyInfo *);
