// Key names to hotkey codes and back in the table the host's generation puts
// in force, the /L listing and the check of a code restored from the registry.
#include "../base/base.h"
#include "../plugin/host.h"
#include "hotkey.h"

namespace {

enum ModifierBits { MOD_SHIFT_BIT = 1, MOD_CTRL_BIT = 2, MOD_ALT_BIT = 4 };

// The bit a modifier word sets, or 0 for a word that is no modifier.
int ModifierBit(LPCWSTR word) {
    static const struct {
        LPCWSTR word;
        int bit;
    } WORDS[] = {
        {TEXT("s"), MOD_SHIFT_BIT},  {TEXT("shift"), MOD_SHIFT_BIT}, {TEXT("c"), MOD_CTRL_BIT},
        {TEXT("ctl"), MOD_CTRL_BIT}, {TEXT("ctrl"), MOD_CTRL_BIT},   {TEXT("control"), MOD_CTRL_BIT},
        {TEXT("a"), MOD_ALT_BIT},    {TEXT("alt"), MOD_ALT_BIT},
    };
    for (const auto &entry : WORDS) {
        if (StrCompareI(word, entry.word) == 0) return entry.bit;
    }
    return 0;
}

// The column the held modifiers select, or -1 for a combination no table has.
int ColumnOf(const KeyTable *table, int modifiers) {
    switch (modifiers) {
        case 0:
            return COLUMN_PLAIN;
        case MOD_SHIFT_BIT:
            return COLUMN_SHIFT;
        case MOD_CTRL_BIT:
            return COLUMN_CTRL;
        case MOD_ALT_BIT:
            return COLUMN_ALT;
        case MOD_CTRL_BIT | MOD_SHIFT_BIT:
            return COLUMN_CTRL_SHIFT;
        case MOD_CTRL_BIT | MOD_ALT_BIT:
            return COLUMN_CTRL_ALT;
        case MOD_CTRL_BIT | MOD_ALT_BIT | MOD_SHIFT_BIT:
            return table->columnCount > COLUMN_CTRL_ALT_SHIFT ? COLUMN_CTRL_ALT_SHIFT : -1;
        default:
            return -1;  // Alt with Shift but without Ctrl
    }
}

// Names are compared for every key a newer host reports by name alone, so
// the first unit is checked here before the full comparison is called.
bool SameKeyName(LPCWSTR token, LPCWSTR name) {
    WCHAR a = token[0], b = name[0];
    if (a >= TEXT('A') && a <= TEXT('Z')) a = static_cast<WCHAR>(a + 32);
    if (b >= TEXT('A') && b <= TEXT('Z')) b = static_cast<WCHAR>(b + 32);
    return a == b && StrCompareI(token, name) == 0;
}

}  // namespace

const KeyTable *ActiveKeyTable(void) {
    return IsExtendedHost() ? &EXTENDED_KEY_TABLE : &CLASSIC_KEY_TABLE;
}

LONG ParseHotkeyNameIn(const KeyTable *table, LPCWSTR text) {
    if (!text) return 0;
    WCHAR token[HOTKEY_TEXT_SIZE];
    size_t length = 0;
    int modifiers = 0;
    for (LPCWSTR p = text; *p; ++p) {
        // A "-" opening a token is the key "-" (Ctrl--); one that ends the
        // text belongs to the key name too, or Num- could not be named.
        if (*p == TEXT('-') && length > 0 && p[1] != 0) {
            token[length] = 0;
            int bit = ModifierBit(token);
            if (bit == 0) return 0;
            modifiers |= bit;
            length = 0;
            continue;
        }
        if (length < HOTKEY_TEXT_SIZE - 1) token[length++] = *p;
    }
    token[length] = 0;
    if (length == 0) return 0;

    int column = ColumnOf(table, modifiers);
    if (column < 0) return 0;
    // Every alias is tried in turn, on the token as earlier aliases left it.
    for (int i = 0; i < table->aliasCount; ++i) {
        if (SameKeyName(token, KeyAlias(table, i))) StrCopy(token, HOTKEY_TEXT_SIZE, KeyAliasName(table, i));
    }
    for (int row = 0; row < table->rowCount; ++row) {
        if (SameKeyName(token, KeyRowName(table, row))) return KeyCell(table, row, column);
    }
    return 0;
}

LONG ParseHotkeyName(LPCWSTR text) {
    return ParseHotkeyNameIn(ActiveKeyTable(), text);
}

bool FormatHotkeyCode(LONG code, LPWSTR text) {
    if (code == 0) {
        StrCopy(text, HOTKEY_TEXT_SIZE, TEXT("None"));
        return true;
    }
    const KeyTable *table = ActiveKeyTable();
    int foundRow = -1, foundColumn = -1;
    // Only usable cells name a code: -1 and -2 mark combinations, not keys.
    for (int row = 0; code > 0 && row < table->rowCount; ++row) {
        for (int column = 0; column < table->columnCount; ++column) {
            if (KeyCell(table, row, column) == code) {
                foundRow = row;
                foundColumn = column;
            }
        }
    }
    if (foundRow < 0) {
        StrCopy(text, HOTKEY_TEXT_SIZE, TEXT("(unknown)"));
        return false;
    }
    StrCopy(text, HOTKEY_TEXT_SIZE, HOTKEY_PREFIXES[foundColumn]);
    StrAppend(text, HOTKEY_TEXT_SIZE, KeyRowName(table, foundRow));
    return true;
}

bool FormatHotkey(LPWSTR text) {
    return FormatHotkeyCode(static_cast<LONG>(g_settings.hotkey), text);
}

void ListHotkeys(void) {
    const KeyTable *table = ActiveKeyTable();
    WCHAR line[HOTKEY_TEXT_SIZE];
    for (int row = 0; row < table->rowCount; ++row) {
        line[0] = 0;
        for (int column = 0; column < table->columnCount; ++column) {
            if (KeyCell(table, row, column) <= 0) continue;
            if (line[0] != 0) StrAppend(line, HOTKEY_TEXT_SIZE, TEXT(" \u00B7 "));
            StrAppend(line, HOTKEY_TEXT_SIZE, HOTKEY_PREFIXES[column]);
            StrAppend(line, HOTKEY_TEXT_SIZE, KeyRowName(table, row));
        }
        QPuts(line);
        QPuts(TEXT("\r\n"));
    }
}

bool IsValidHotkey(LONG code) {
    if (code <= 0) return false;
    const KeyTable *table = ActiveKeyTable();
    for (int row = 0; row < table->rowCount; ++row) {
        for (int column = 0; column < table->columnCount; ++column) {
            if (KeyCell(table, row, column) == code) return true;
        }
    }
    return false;
}
