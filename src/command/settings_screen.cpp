// What VIVANTA shows with no arguments, and after every change unless /Q.
#include "../hotkey/hotkey.h"
#include "../plugin/host.h"
#include "../plugin/messages.h"
#include "../plugin/state.h"
#include "command.h"

void ShowSettingsScreen(const ColorScheme *applied) {
    Printf(TEXT("\r\n%s v%u.%u.%u settings:\r\n\n"), PLUGIN_NAME, 0u, 39u, 0u);
    WCHAR hotkey[HOTKEY_TEXT_SIZE];
    FormatHotkey(hotkey);
    Printf(TEXT("  Hotkey  . . . . . . . . . . /K: %s\r\n"), hotkey);
    Printf(TEXT("  Hotkey OSD  . . . . . . . . /O: %s\r\n"), g_plugin.osdEnabled ? TEXT("Yes") : TEXT("No"));
    ListSchemes(applied ? applied : IdentifyCurrentScheme());
}
