// Hotkey codes and key names in both directions, the list of every usable
// combination, and the host version that decides which key table is in force.
#pragma once

#include "../platform.h"
#include "key_tables.h"

#define HOTKEY_TEXT_SIZE 1024
#define FIRST_EXTENDED_HOST_VERSION 24

// The host's major version (8-100, else 0), read once at start-up.
extern DWORD g_hostMajorVersion;

// Reads the leading number of the host's %_4ver into g_hostMajorVersion and
// returns it: 0 when it overflows or lies outside 8-100.
DWORD ReadHostVersion(void);
// The extended table from host version 24 on, else the classic one.
const KeyTable *ActiveKeyTable(void);

// A key name such as Ctrl-Alt-F1 (modifier words in any order and case) as a
// hotkey code of `table`: positive, or 0 for no such name, KEY_INVALID or
// KEY_NOT_ALLOWED for the combinations the table marks so.
LONG ParseHotkeyNameIn(const KeyTable *table, LPCWSTR text);
// The same against the table in force.
LONG ParseHotkeyName(LPCWSTR text);

// The name of `code` in the table in force into `text` (HOTKEY_TEXT_SIZE
// characters): "None" for 0; "(unknown)" and -1 for a code no cell holds.
int FormatHotkeyCode(LONG code, LPWSTR text);
// The name of the configured hotkey.
int FormatHotkey(LPWSTR text);

// Writes every usable combination of the table in force, one key per line.
void ListHotkeys(void);
// 1 when `code` is positive and a cell of the table in force, else 0.
int IsValidHotkey(LONG code);
