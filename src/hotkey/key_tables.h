// The key names a hotkey can be given by, with the host key code of every
// combination. Hosts before major version 24 report keys the classic way;
// later ones change some codes and add the Ctrl-Alt-Shift column, so there
// is one table for each generation.
#pragma once

#include "../platform.h"

#define HOTKEY_PREFIX_SIZE 16
#define KEY_ALIAS_SIZE 16
#define CLASSIC_KEY_NAME_SIZE 8
#define EXTENDED_KEY_NAME_SIZE 10
#define CLASSIC_KEY_ROW_COUNT 74
#define EXTENDED_KEY_ROW_COUNT 72
#define CLASSIC_KEY_COLUMNS 6
#define EXTENDED_KEY_COLUMNS 7
#define CLASSIC_ALIAS_COUNT 17
#define EXTENDED_ALIAS_COUNT 25

// Cells that are no hotkey code.
#define KEY_INVALID (-1)      // cannot serve as a hotkey
#define KEY_NOT_ALLOWED (-2)  // plain and shifted typing keys

// The plugin's own modifier bits, added to the host's code when Ctrl is held
// with Shift, with Alt, or with both.
#define HOTKEY_CTRL_SHIFT 0x20000
#define HOTKEY_CTRL_ALT 0x40000
#define HOTKEY_CTRL_ALT_SHIFT 0x60000

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

struct ClassicKeyRow {
    WCHAR name[CLASSIC_KEY_NAME_SIZE];
    LONG cells[CLASSIC_KEY_COLUMNS];
};

struct ExtendedKeyRow {
    WCHAR name[EXTENDED_KEY_NAME_SIZE];
    LONG cells[EXTENDED_KEY_COLUMNS];
};

struct ClassicKeyAlias {
    WCHAR alias[KEY_ALIAS_SIZE];
    WCHAR name[CLASSIC_KEY_NAME_SIZE];
};

struct ExtendedKeyAlias {
    WCHAR alias[KEY_ALIAS_SIZE];
    WCHAR name[EXTENDED_KEY_NAME_SIZE];
};

extern const ClassicKeyRow CLASSIC_KEY_ROWS[CLASSIC_KEY_ROW_COUNT];
extern const ClassicKeyAlias CLASSIC_KEY_ALIASES[CLASSIC_ALIAS_COUNT];
extern const ExtendedKeyRow EXTENDED_KEY_ROWS[EXTENDED_KEY_ROW_COUNT];
extern const ExtendedKeyAlias EXTENDED_KEY_ALIASES[EXTENDED_ALIAS_COUNT];

// One view over either table, so that parsing, formatting and listing are
// written once.
struct KeyTable {
    BOOL extended;
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
