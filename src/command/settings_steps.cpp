// The hotkey and OSD settings the command changes: the defaults of /D, and
// the values /K and /O give, which win over both /R and /D.
#include "../plugin/host.h"
#include "../plugin/state.h"
#include "command.h"

void RestoreDefaultSettings(const CommandRequest *request) {
    // The registry keeps what was saved; /S after /D saves the defaults.
    g_plugin.hotkey = DEFAULT_HOTKEY;
    g_plugin.osdEnabled = TRUE;
    if (!request->quiet) Printf(TEXT("Default plugin settings restored.\r\n"));
}

void SetHotkeyAndOsd(const CommandRequest *request) {
    if (request->hotkey >= 0) g_plugin.hotkey = static_cast<DWORD>(request->hotkey);
    if (request->osd >= 0) g_plugin.osdEnabled = request->osd ? TRUE : FALSE;
}
