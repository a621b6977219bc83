#include "state.h"

PluginState g_plugin = {nullptr, INVALID_HANDLE_VALUE, nullptr, nullptr, 0, DEFAULT_HOTKEY, TRUE};

BOOL AttachPlugin(HMODULE module, DWORD reason) {
    if (reason == DLL_PROCESS_ATTACH) g_plugin.module = module;
    return TRUE;
}

void ResetPluginState(void) {
    HMODULE module = g_plugin.module;
    g_plugin = PluginState{module, INVALID_HANDLE_VALUE, nullptr, nullptr, 0, DEFAULT_HOTKEY, TRUE};
}
