// Saved settings. Reading is all or nothing: a hotkey saved under another
// host generation, or a value someone edited to another type, must not leave
// the plugin with one setting restored and the other not.
#include "settings.h"

#include "../plugin/state.h"
#include "hotkey.h"

namespace {

// A REG_DWORD of exactly four bytes, else false. A shorter REG_DWORD would
// leave part of the number unread, so it counts as wrong like any other type.
bool QueryDword(HKEY key, LPCWSTR name, DWORD *value) {
    DWORD type = REG_NONE;
    DWORD size = sizeof(DWORD);
    *value = 0;
    LONG error = RegQueryValueExW(key, name, NULL, &type, reinterpret_cast<LPBYTE>(value), &size);
    return error == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(DWORD);
}

LONG SetDword(HKEY key, LPCWSTR name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof(DWORD));
}

}  // namespace

int ReadSettings(HKEY root) {
    HKEY key = NULL;
    if (RegOpenKeyExW(root, SETTINGS_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) return 1;
    int problems = 0;
    DWORD hotkey = 0;
    DWORD osd = 0;
    if (!QueryDword(key, SETTINGS_HOTKEY_VALUE, &hotkey)) {
        ++problems;
        hotkey = static_cast<DWORD>(-1);
    }
    if (!QueryDword(key, SETTINGS_OSD_VALUE, &osd)) ++problems;
    // 0 is "no hotkey"; anything else must be a key of the table in force.
    if (hotkey != 0 && !IsValidHotkey(static_cast<LONG>(hotkey))) ++problems;
    if (problems == 0) {
        g_plugin.hotkey = hotkey;
        g_plugin.osdEnabled = static_cast<BOOL>(osd);
    }
    RegCloseKey(key);
    return problems;
}

LONG WriteSettings(HKEY root) {
    HKEY key = NULL;
    LONG error = RegCreateKeyExW(root, SETTINGS_KEY, 0, NULL, REG_OPTION_NON_VOLATILE,
                                 KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY, NULL, &key, NULL);
    if (error != ERROR_SUCCESS) return error;
    // Both writes are tried, so that one failing value does not keep the
    // other from being saved.
    LONG hotkeyError = SetDword(key, SETTINGS_HOTKEY_VALUE, g_plugin.hotkey);
    LONG osdError = SetDword(key, SETTINGS_OSD_VALUE, static_cast<DWORD>(g_plugin.osdEnabled));
    RegCloseKey(key);
    return osdError != ERROR_SUCCESS ? osdError : hotkeyError;
}
