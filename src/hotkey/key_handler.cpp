// Recognising the hotkey. This runs for every key typed at the command
// line, so a keystroke that cannot be the hotkey costs no allocation and no
// call beyond the keyboard state, and none at all when no combination of
// modifiers could turn its code into the hotkey.
#include "../plugin/state.h"
#include "hotkey.h"
#include "key_handler.h"

namespace {

bool IsHeld(int virtualKey) { return (GetAsyncKeyState(virtualKey) & 0x8000) != 0; }

// The modifier rules give one of these four codes.
bool CouldMatch(LONG code, LONG hotkey, bool extended) {
    if (hotkey == 0) return false;
    return hotkey == code || hotkey == (code | HOTKEY_CTRL_SHIFT) || hotkey == (code | HOTKEY_CTRL_ALT) ||
           (extended && hotkey == (code | HOTKEY_CTRL_ALT_SHIFT));
}

}  // namespace

int HandleKeystroke(KeyInfo *info) {
    if (!info) return 0;
    bool extended = g_hostMajorVersion >= FIRST_EXTENDED_HOST_VERSION;
    LONG code = info->keyCode;
    if (code == 0) {
        // Newer hosts report some keys by name alone. A name that is not
        // usable (negative) goes on but can match no hotkey.
        if (!extended || !info->keyName) return 0;
        code = ParseHotkeyName(info->keyName);
        if (code == 0) return 0;
    }
    LONG hotkey = static_cast<LONG>(g_plugin.hotkey);
    if (!CouldMatch(code, hotkey, extended)) return 0;

    bool shift = IsHeld(VK_SHIFT);
    bool ctrl = IsHeld(VK_CONTROL);
    bool alt = IsHeld(VK_MENU);
    // The host's code already says Shift or Alt alone; Ctrl with them is
    // the plugin's to add.
    if (ctrl && shift && !alt) {
        code |= HOTKEY_CTRL_SHIFT;
    } else if (ctrl && alt && !shift) {
        code |= HOTKEY_CTRL_ALT;
    } else if (ctrl && alt && shift && extended) {
        code |= HOTKEY_CTRL_ALT_SHIFT;
    }
    if (code == hotkey) ApplyRandomScheme(info);
    return 0;
}
