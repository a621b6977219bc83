// The hotkey: key names and host key codes in both directions, the tables of
// every usable combination, the keystroke handler that swaps the console
// between a dark and a light scheme picked at random, and the two user
// settings (the hotkey and the OSD switch) saved to and restored from the
// registry on the command's request.
#pragma once

#include "../platform.h"
#include "../plugin/plugin.h"
#include "../schemes/schemes.h"

constexpr size_t HOTKEY_TEXT_SIZE = 1024;

// ---- the key tables ----
// Hosts before major version 24 report keys the classic way; later ones
// change some codes and add the Ctrl-Alt-Shift column, so there is one table
// for each generation.

constexpr int CLASSIC_KEY_COLUMNS = 6;
constexpr int EXTENDED_KEY_COLUMNS = 7;
constexpr size_t HOTKEY_PREFIX_SIZE = 16;

// Cells that are no hotkey code.
constexpr LONG KEY_INVALID = -1;      // cannot serve as a hotkey
constexpr LONG KEY_NOT_ALLOWED = -2;  // plain and shifted typing keys

// The plugin's own modifier bits, added to the host's code when Ctrl is held
// with Shift, with Alt, or with both.
constexpr LONG HOTKEY_CTRL_SHIFT = 0x20000;
constexpr LONG HOTKEY_CTRL_ALT = 0x40000;
constexpr LONG HOTKEY_CTRL_ALT_SHIFT = 0x60000;

// Column order: none, Shift-, Ctrl-, Alt-, Ctrl-Shift-, Ctrl-Alt-,
// Ctrl-Alt-Shift- (the last in the extended table only).
enum KeyColumn {
    COLUMN_PLAIN,
    COLUMN_SHIFT,
    COLUMN_CTRL,
    COLUMN_ALT,
    COLUMN_CTRL_SHIFT,
    COLUMN_CTRL_ALT,
    COLUMN_CTRL_ALT_SHIFT,
};

extern const WCHAR HOTKEY_PREFIXES[EXTENDED_KEY_COLUMNS][HOTKEY_PREFIX_SIZE];

// One view over either table, so that parsing, formatting and listing are
// written once.
struct KeyTable {
    bool extended;
    int rowCount;
    int columnCount;
    int aliasCount;
};

extern const KeyTable CLASSIC_KEY_TABLE;
extern const KeyTable EXTENDED_KEY_TABLE;

LPCWSTR KeyRowName(const KeyTable *table, int row);
LONG KeyCell(const KeyTable *table, int row, int column);
LPCWSTR KeyAlias(const KeyTable *table, int index);
LPCWSTR KeyAliasName(const KeyTable *table, int index);

// ---- key names ----

// The extended table from host version 24 on, else the classic one.
const KeyTable *ActiveKeyTable(void);

// A key name such as Ctrl-Alt-F1 (modifier words in any order and case) as a
// hotkey code of `table`: positive, or 0 for no such name, KEY_INVALID or
// KEY_NOT_ALLOWED for the combinations the table marks so.
LONG ParseHotkeyNameIn(const KeyTable *table, LPCWSTR text);
// The same against the table in force.
LONG ParseHotkeyName(LPCWSTR text);

// The name of `code` in the table in force into `text` (HOTKEY_TEXT_SIZE
// characters): "None" for 0; "(unknown)" and false for a code no cell holds.
bool FormatHotkeyCode(LONG code, LPWSTR text);
// The name of the configured hotkey.
bool FormatHotkey(LPWSTR text);

// Writes every usable combination of the table in force, one key per line.
void ListHotkeys(void);
// True when `code` is positive and a cell of the table in force.
bool IsValidHotkey(LONG code);

// ---- the keystroke handler ----

enum BackgroundClass { BACKGROUND_UNKNOWN = -1, BACKGROUND_DARK = 0, BACKGROUND_LIGHT = 1 };

// The `key` export: applies a scheme of the other kind than the console's
// background and announces it when the keystroke, with the modifiers held
// now, is the configured hotkey; the system's error sound when nothing could
// be applied. The answer is the export's for the host: always 0, the key
// goes on to the host. (Answering here lets the export jump straight in,
// which the per-keystroke cost notices.)
int HandleKeystroke(KeyInfo *info);
// Whether the console's current background is dark or light.
BackgroundClass MeasureBackground(void);
// A scheme of `list` picked at random for a background of that class:
// light ones for a dark background and dark ones for a light background,
// when there are any, else any scheme. Of the wanted kind, only schemes
// whose StdColors, InputColors and ErrorColors are readable (3:1 or more)
// while there is one. Null for an empty list.
ColorScheme *PickRandomScheme(ColorScheme *list, BackgroundClass background);
// 1 + n * r / 0xFFFFFFFF for a secure random r, at most n; 1 without a
// draw when n is 1.
DWORD RandomPosition(DWORD n);

// ---- saved settings ----

constexpr WCHAR SETTINGS_KEY[] = TEXT("Software\\OrtaPlugins\\Vivanta");

// Takes both settings over from `root` (HKEY_CURRENT_USER or
// HKEY_LOCAL_MACHINE), or neither: 0 when both were read and accepted, 1 when
// the key cannot be opened, otherwise the number of problems found.
int ReadSettings(HKEY root);
// Writes both settings under `root`, creating the key: 0, or the Windows
// error of the "OSD" write, else that of the "Hotkey" write.
LONG WriteSettings(HKEY root);
