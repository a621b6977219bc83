// The frame's process-wide state, written at attach and start-up and read
// afterwards by every subsystem; the host's version as %_4ver gives it; and
// the user's settings with the one table that says how each is kept.
#include "../base/base.h"
#include "host.h"
#include "plugin.h"

PluginState g_plugin = {nullptr, INVALID_HANDLE_VALUE, nullptr, nullptr, 0, 0, COLOURS_BY_PALETTE};

namespace {

// ---- the settings' table ----

enum SettingRules : unsigned {
    SETTING_PLAIN = 0,
    // 0 (no hotkey), or a code the key table in force holds.
    SETTING_HOTKEY = 1,
    // Held as 0 or 1, whatever non-zero number was stored.
    SETTING_SWITCH = 2,
    // Came after the first release. Missing, it reads as its default
    // (saved before it existed); at its default it is written only over a
    // value an earlier save left, so that the key of a user who never
    // changed it stays as a Vivanta without it wrote it.
    SETTING_ADDED_LATER = 4,
};

struct SettingRow {
    LPCWSTR name;  // the REG_DWORD under SETTINGS_KEY
    DWORD PluginSettings::*field;
    DWORD defaultValue;
    unsigned rules;  // SettingRules
};

// In the order they are written, which decides whose error a save reports.
constexpr SettingRow SETTING_ROWS[] = {
    {TEXT("Hotkey"), &PluginSettings::hotkey, DEFAULT_HOTKEY, SETTING_HOTKEY},
    {TEXT("OSD"), &PluginSettings::osdEnabled, TRUE, SETTING_PLAIN},
    {TEXT("FollowTheme"), &PluginSettings::followTheme, FALSE, SETTING_SWITCH | SETTING_ADDED_LATER},
};

constexpr PluginSettings DefaultSettings(void) {
    PluginSettings settings = {};
    for (const SettingRow &row : SETTING_ROWS) settings.*row.field = row.defaultValue;
    return settings;
}

// The number of problems with the row's value under the open `key` (a
// hotkey that cannot be read is no key either, and counts twice); the
// value goes into `settings`.
int ReadSetting(HKEY key, const SettingRow &row, HotkeyCheck isValidHotkey, PluginSettings *settings) {
    DWORD value = 0;
    int problems = 0;
    RegistryDwordRead read = QueryRegistryDword(key, row.name, &value);
    if (read == REGISTRY_DWORD_MISSING && (row.rules & SETTING_ADDED_LATER)) {
        value = row.defaultValue;
    } else if (read != REGISTRY_DWORD_READ) {
        ++problems;
    }
    if ((row.rules & SETTING_HOTKEY) && (problems > 0 || (value != 0 && !isValidHotkey(static_cast<LONG>(value))))) {
        ++problems;
    }
    if (row.rules & SETTING_SWITCH) value = value != 0 ? 1 : 0;
    settings->*row.field = value;
    return problems;
}

// A setting added later and still at its default is written only over a
// value an earlier save left. Where that cannot be told, it is written: a
// switch saved on must never outlive a save with it off.
bool ShouldWrite(HKEY key, const SettingRow &row) {
    if (!(row.rules & SETTING_ADDED_LATER) || g_settings.*row.field != row.defaultValue) return true;
    return RegQueryValueExW(key, row.name, NULL, NULL, NULL, NULL) != ERROR_FILE_NOT_FOUND;
}

LONG SetDword(HKEY key, LPCWSTR name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value), sizeof(DWORD));
}

// ---- the host's version ----

constexpr size_t HOST_VERSION_TEXT_SIZE = 1024;
// Major versions outside this range are not believed.
constexpr DWORD LOWEST_HOST_VERSION = 8;
constexpr DWORD HIGHEST_HOST_VERSION = 100;

// Expands the host's %_4ver into `buffer` (HOST_VERSION_TEXT_SIZE characters)
// and returns where its text starts after leading white space.
LPCWSTR ExpandHostVersion(LPWSTR buffer) {
    StrCopy(buffer, HOST_VERSION_TEXT_SIZE, TEXT("%_4ver"));
    ExpandVariables(buffer, 1);
    LPCWSTR p = buffer;
    while (IsWhiteSpace(*p)) ++p;
    return p;
}

// Digits up to the first non-digit; too many digits read as the largest
// value, as the C runtime's conversion does.
DWORD LeadingNumber(LPCWSTR p) {
    DWORD version = 0;
    // An overflow leaves the largest value, which is the reading wanted here.
    if (IsAsciiDigit(*p)) (void)ScanUnsigned32(p, 10, &version, nullptr);
    return version;
}

// A plus sign reads as the C runtime's conversion reads it; the fraction
// after the major version is ignored.
DWORD MajorVersion(LPCWSTR p) {
    if (*p == TEXT('+')) ++p;
    DWORD version = 0;
    if (ScanUnsigned32(p, 10, &version, nullptr) != NUMBER_OK) version = 0;
    if (version < LOWEST_HOST_VERSION || version > HIGHEST_HOST_VERSION) version = 0;
    return version;
}

}  // namespace

PluginSettings g_settings = DefaultSettings();

bool AttachPlugin(HMODULE module, DWORD reason) {
    if (reason == DLL_PROCESS_ATTACH) g_plugin.module = module;
    return true;
}

void ResetPluginState(void) {
    HMODULE module = g_plugin.module;
    g_plugin = PluginState{module, INVALID_HANDLE_VALUE, nullptr, nullptr, 0, 0, COLOURS_BY_PALETTE};
    ResetSettings();
}

DWORD ReadHostVersion(void) {
    WCHAR buffer[HOST_VERSION_TEXT_SIZE];
    LPCWSTR p = ExpandHostVersion(buffer);
    g_plugin.hostVersion = LeadingNumber(p);
    g_plugin.hostMajorVersion = MajorVersion(p);
    return g_plugin.hostMajorVersion;
}

void ResetSettings(void) {
    g_settings = DefaultSettings();
}

// Reading is all or nothing: a hotkey saved under another host generation,
// or a value someone edited to another type, must not leave the plugin with
// one setting restored and another not.
int ReadSettings(HKEY root, HotkeyCheck isValidHotkey) {
    HKEY key = NULL;
    if (RegOpenKeyExW(root, SETTINGS_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) return 1;
    PluginSettings read = g_settings;
    int problems = 0;
    for (const SettingRow &row : SETTING_ROWS) problems += ReadSetting(key, row, isValidHotkey, &read);
    if (problems == 0) g_settings = read;
    RegCloseKey(key);
    return problems;
}

LONG WriteSettings(HKEY root) {
    HKEY key = NULL;
    LONG error = RegCreateKeyExW(root, SETTINGS_KEY, 0, NULL, REG_OPTION_NON_VOLATILE,
                                 KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY, NULL, &key, NULL);
    if (error != ERROR_SUCCESS) return error;
    // Every value is tried, so that one failing does not keep the others
    // from being saved.
    for (const SettingRow &row : SETTING_ROWS) {
        if (!ShouldWrite(key, row)) continue;
        LONG written = SetDword(key, row.name, g_settings.*row.field);
        if (written != ERROR_SUCCESS) error = written;
    }
    RegCloseKey(key);
    return error;
}

// A REG_DWORD of exactly four bytes. A shorter REG_DWORD would leave part
// of the number unread, so it counts as wrong like any other type.
RegistryDwordRead QueryRegistryDword(HKEY key, LPCWSTR name, DWORD *value) {
    DWORD type = REG_NONE;
    DWORD size = sizeof(DWORD);
    *value = 0;
    LONG error = RegQueryValueExW(key, name, NULL, &type, reinterpret_cast<LPBYTE>(value), &size);
    if (error == ERROR_FILE_NOT_FOUND) return REGISTRY_DWORD_MISSING;
    if (error == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(DWORD)) return REGISTRY_DWORD_READ;
    *value = 0;
    return REGISTRY_DWORD_WRONG;
}
