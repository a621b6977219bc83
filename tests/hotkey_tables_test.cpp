// The key tables are long hand-kept data; these checks catch what a typing
// slip would break.
#include <set>
#include <string>
#include <vector>

#include "base/base.h"
#include "hotkey/hotkey.h"
#include "support/plugin_fixture.h"

namespace {

class KeyTablesTest : public PluginTest {
  protected:
    static const KeyTable *Use(const KeyTable *table) {
        UseHost(table->extended ? u"28" : u"23");
        return table;
    }
    static int RowOf(const KeyTable *table, const char16_t *name) {
        for (int row = 0; row < table->rowCount; ++row) {
            if (std::u16string(KeyRowName(table, row)) == name) return row;
        }
        return -1;
    }
};

const KeyTable *const TABLES[] = {&CLASSIC_KEY_TABLE, &EXTENDED_KEY_TABLE};

TEST_F(KeyTablesTest, SizesAndPrefixes) {
    EXPECT_EQ(CLASSIC_KEY_TABLE.rowCount, 74);
    EXPECT_EQ(CLASSIC_KEY_TABLE.columnCount, 6);
    EXPECT_EQ(CLASSIC_KEY_TABLE.aliasCount, 17);
    EXPECT_EQ(EXTENDED_KEY_TABLE.rowCount, 72);
    EXPECT_EQ(EXTENDED_KEY_TABLE.columnCount, 7);
    EXPECT_EQ(EXTENDED_KEY_TABLE.aliasCount, 25);
    const char16_t *prefixes[] = {u"", u"Shift-", u"Ctrl-", u"Alt-", u"Ctrl-Shift-", u"Ctrl-Alt-", u"Ctrl-Alt-Shift-"};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(std::u16string(HOTKEY_PREFIXES[i]), prefixes[i]);
    EXPECT_EQ(std::u16string(KeyRowName(&CLASSIC_KEY_TABLE, 0)), u"F1");
    EXPECT_EQ(std::u16string(KeyRowName(&CLASSIC_KEY_TABLE, 73)), u"Num+");
    EXPECT_EQ(std::u16string(KeyRowName(&EXTENDED_KEY_TABLE, 71)), u"Decimal");
}

TEST_F(KeyTablesTest, EveryCellParsesBackFromItsNameAndEveryCodeFormatsBack) {
    for (const KeyTable *table : TABLES) {
        Use(table);
        int positive = 0;
        for (int row = 0; row < table->rowCount; ++row) {
            for (int column = 0; column < table->columnCount; ++column) {
                LONG cell = KeyCell(table, row, column);
                std::u16string name = std::u16string(HOTKEY_PREFIXES[column]) + KeyRowName(table, row);
                EXPECT_EQ(ParseHotkeyName(name.c_str()), cell) << Narrow(name);
                if (cell <= 0) {
                    EXPECT_TRUE(cell == KEY_INVALID || cell == KEY_NOT_ALLOWED) << Narrow(name);
                    continue;
                }
                ++positive;
                WCHAR text[HOTKEY_TEXT_SIZE];
                EXPECT_TRUE(FormatHotkeyCode(cell, text));
                EXPECT_EQ(std::u16string(text), name);
                EXPECT_EQ(ParseHotkeyName(text), cell) << Narrow(name);
                EXPECT_EQ(IsValidHotkey(cell), 1) << Narrow(name);
            }
        }
        EXPECT_GT(positive, 250);
    }
}

TEST_F(KeyTablesTest, RowsAreDistinctAndEachHasAUsableCell) {
    for (const KeyTable *table : TABLES) {
        std::set<std::u16string> names;
        std::set<LONG> codes;
        for (int row = 0; row < table->rowCount; ++row) {
            std::u16string name = KeyRowName(table, row);
            std::u16string upper = name;
            for (char16_t &c : upper) c = AsciiUpper(c);
            EXPECT_TRUE(names.insert(upper).second) << Narrow(name);
            EXPECT_FALSE(name.empty());
            EXPECT_LE(name.size(), table->extended ? 9u : 7u);
            int usable = 0;
            for (int column = 0; column < table->columnCount; ++column) {
                LONG cell = KeyCell(table, row, column);
                if (cell <= 0) continue;
                ++usable;
                // One code, one combination: formatting relies on it.
                EXPECT_TRUE(codes.insert(cell).second) << Narrow(name) << " " << column;
            }
            EXPECT_GT(usable, 0) << Narrow(name);
        }
    }
}

TEST_F(KeyTablesTest, ModifierBitsMatchTheirColumns) {
    for (const KeyTable *table : TABLES) {
        for (int row = 0; row < table->rowCount; ++row) {
            std::string name = Narrow(KeyRowName(table, row));
            for (int column = 0; column < table->columnCount; ++column) {
                LONG cell = KeyCell(table, row, column);
                if (cell <= 0) continue;
                LONG bits = cell & 0x60000;
                LONG expected = column == COLUMN_CTRL_SHIFT       ? HOTKEY_CTRL_SHIFT
                                : column == COLUMN_CTRL_ALT       ? HOTKEY_CTRL_ALT
                                : column == COLUMN_CTRL_ALT_SHIFT ? HOTKEY_CTRL_ALT_SHIFT
                                                                  : 0;
                EXPECT_EQ(bits, expected) << name << " " << column;
                EXPECT_EQ(cell & ~0x7FFFF, 0) << name << " " << column;
            }
            if (table->extended) {
                // Shift added to Ctrl-Alt is the Ctrl-Alt code with the Shift bit.
                LONG ctrlAlt = KeyCell(table, row, COLUMN_CTRL_ALT);
                if (ctrlAlt > 0) {
                    EXPECT_EQ(KeyCell(table, row, COLUMN_CTRL_ALT_SHIFT), ctrlAlt | 0x20000) << name;
                }
            }
        }
    }
}

TEST_F(KeyTablesTest, EveryAliasLeadsToAKey) {
    for (const KeyTable *table : TABLES) {
        Use(table);
        for (int i = 0; i < table->aliasCount; ++i) {
            std::u16string alias = KeyAlias(table, i);
            EXPECT_FALSE(alias.empty());
            EXPECT_NE(RowOf(table, KeyAliasName(table, i)), -1) << Narrow(alias);
            // Through the parser the alias finds the same cells as its key.
            std::u16string viaAlias = u"Alt-" + alias, direct = u"Alt-" + std::u16string(KeyAliasName(table, i));
            EXPECT_EQ(ParseHotkeyName(viaAlias.c_str()), ParseHotkeyName(direct.c_str())) << Narrow(alias);
        }
    }
    EXPECT_EQ(std::u16string(KeyAlias(&CLASSIC_KEY_TABLE, 0)), u"PageUp");
    EXPECT_EQ(std::u16string(KeyAlias(&CLASSIC_KEY_TABLE, 16)), u"Slash");
    EXPECT_EQ(std::u16string(KeyAliasName(&CLASSIC_KEY_TABLE, 16)), u"/");
    EXPECT_EQ(std::u16string(KeyAlias(&EXTENDED_KEY_TABLE, 7)), u"\u00BD");
    EXPECT_EQ(std::u16string(KeyAlias(&EXTENDED_KEY_TABLE, 24)), u"Dot");
    EXPECT_EQ(std::u16string(KeyAliasName(&EXTENDED_KEY_TABLE, 24)), u"Decimal");
}

struct TypedRow {
    const char16_t *name;
    LONG cells[7];
};

// Rows typed in a second time, apart from the tables, so that a slip in
// either copy shows; every column and every kind of key is among them.
const TypedRow CLASSIC_ROWS[] = {
    {u"F1", {0x1003B, 0x10054, 0x1005E, 0x10068, 0x30054, 0x5005E}},
    {u"F10", {0x10044, 0x1005D, 0x10067, 0x10071, 0x3005D, 0x50067}},
    {u"F11", {0x10085, 0x10087, 0x10089, 0x1008B, 0x30087, 0x50089}},
    {u"F12", {0x10086, 0x10088, 0x1008A, 0x1008C, 0x30088, 0x5008A}},
    {u"Home", {0x10047, 0x100CA, 0x10077, -1, 0x300CA, 0x50077}},
    {u"End", {0x1004F, 0x100CB, 0x10075, -1, 0x300CB, 0x50075}},
    {u"PgUp", {0x10049, -1, 0x10084, -1, 0x30049, 0x50084}},
    {u"Ins", {0x10052, -1, -1, -1, 0x30052, 0x50092}},
    {u"Del", {0x10053, -1, 0x10093, -1, 0x30053, -1}},
    {u"Up", {0x10048, -1, 0x1008D, -1, 0x30048, 0x5008D}},
    {u"Down", {0x10050, -1, 0x10091, -1, 0x30050, 0x50091}},
    {u"Left", {0x1004B, 0x100C8, 0x10073, 0x100F4, 0x300CC, 0x50073}},
    {u"Right", {0x1004D, 0x100C9, 0x10074, 0x100F6, 0x300CD, 0x50074}},
    {u"A", {-2, -2, 0x1, 0x1001E, 0x20001, 0x5001E}},
    {u"C", {-2, -2, -1, 0x1002E, -1, 0x5002E}},
    {u"I", {-2, -2, 0x9, 0x10017, -1, 0x50017}},
    {u"M", {-2, -2, -1, 0x10032, 0x2000D, 0x50032}},
    {u"S", {-2, -2, -1, 0x1001F, -1, 0x5001F}},
    {u"Z", {-2, -2, 0x1A, 0x1002C, 0x2001A, 0x5002C}},
    {u"1", {-2, -2, -1, 0x100E2, -1, -1}},
    {u"0", {-2, -2, -1, 0x100EB, -1, -1}},
    {u"BkSp", {-2, -1, 0x7F, 0x1000E, 0x3000E, 0x5000E}},
    {u"Grave", {-2, -2, -1, 0x10029, 0x30029, 0x50029}},
    {u"-", {-2, -2, -1, 0x10082, -1, -1}},
    {u"\\", {-2, -2, 0x1C, 0x1002B, -1, 0x5002B}},
    {u"/", {-2, -2, -1, 0x10035, -1, 0x50035}},
    {u"Num/", {-2, -2, -1, -1, 0x30035, -1}},
    {u"Num*", {-2, -2, 0x10037, 0x1002A, 0x30037, 0x50037}},
    {u"Num-", {-2, -2, 0x1004A, -2, 0x3004A, 0x5004A}},
};

const TypedRow EXTENDED_ROWS[] = {
    {u"F1", {0x1003B, 0x10054, 0x1005E, 0x10068, 0x30054, 0x5005E, 0x7005E}},
    {u"F12", {0x10086, 0x10088, 0x1008A, 0x1008C, 0x30088, 0x5008A, 0x7008A}},
    {u"Del", {0x10053, -1, 0x10093, -1, 0x30053, -1, 0x70093}},
    {u"Ins", {0x10052, -1, -1, -1, 0x30052, 0x50092, 0x70092}},
    {u"Right", {0x1004D, 0x100C9, 0x10074, 0x100F6, 0x300CD, 0x50074, 0x70074}},
    {u"C", {-2, -2, -1, 0x1002E, -1, 0x5002E, 0x7002E}},
    {u"M", {-2, -2, 0xD, 0x10032, 0x2000D, 0x50032, 0x70032}},
    {u"S", {-2, -2, -1, 0x1001F, -1, 0x5001F, 0x7001F}},
    {u"Z", {-2, -2, 0x1A, 0x1002C, 0x2001A, 0x5002C, 0x7002C}},
    {u"1", {-2, -2, 0xE2, 0x100E2, 0x200E2, 0x500E2, 0x700E2}},
    {u"0", {-2, -2, 0xEB, 0x100EB, 0x200EB, 0x500EB, 0x700EB}},
    {u"Backspace", {-2, 0x87F, 0x7F, 0x1000E, 0x3000E, 0x5000E, 0x7000E}},
    {u"`", {-2, -2, 0x860, 0x10860, 0x20860, 0x50860, 0x70860}},
    {u"Minus", {-2, -2, 0x8BD, 0x108BD, 0x208BD, 0x508BD, 0x708BD}},
    {u"Plus", {-2, -2, 0x8BB, 0x10083, 0x208BB, 0x508BB, 0x708BB}},
    {u"Enter", {-2, 0x80D, 0xC0D, -1, 0x2080D, 0x5080D, 0x7080D}},
    {u"[", {-2, -2, 0x8DB, 0x1001A, 0x208DB, 0x5001A, 0x7001A}},
    {u"\\", {-2, -2, 0x8DC, 0x1002B, 0x208DC, 0x5002B, 0x7002B}},
    {u"Divide", {-2, -2, 0x835, 0x10035, 0x20035, 0x50035, 0x70035}},
    {u"*", {-2, -2, 0x10037, 0x1002A, 0x30037, 0x50037, 0x70037}},
    {u"Decimal", {-2, -2, 0x834, 0x10034, 0x20034, 0x50034, 0x70034}},
};

void ExpectRows(const KeyTable *table, const TypedRow *rows, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        int row = -1;
        for (int r = 0; r < table->rowCount; ++r) {
            if (std::u16string(KeyRowName(table, r)) == rows[i].name) row = r;
        }
        ASSERT_NE(row, -1) << Narrow(rows[i].name);
        for (int column = 0; column < table->columnCount; ++column) {
            EXPECT_EQ(KeyCell(table, row, column), rows[i].cells[column]) << Narrow(rows[i].name) << " " << column;
        }
    }
}

TEST_F(KeyTablesTest, CellsAgreeWithTheReferenceRows) {
    ExpectRows(&CLASSIC_KEY_TABLE, CLASSIC_ROWS, sizeof CLASSIC_ROWS / sizeof CLASSIC_ROWS[0]);
    ExpectRows(&EXTENDED_KEY_TABLE, EXTENDED_ROWS, sizeof EXTENDED_ROWS / sizeof EXTENDED_ROWS[0]);
}

TEST_F(KeyTablesTest, RowOrderIsTheListingOrder) {
    const char16_t *classic[] = {u"F1",  u"F2",  u"F3",  u"F4",   u"F5",   u"F6",   u"F7",   u"F8",
                                 u"F9",  u"F10", u"F11", u"F12",  u"Home", u"End",  u"PgUp", u"PgDn",
                                 u"Ins", u"Del", u"Up",  u"Down", u"Left", u"Right"};
    for (int i = 0; i < 22; ++i) {
        EXPECT_EQ(std::u16string(KeyRowName(&CLASSIC_KEY_TABLE, i)), classic[i]);
        EXPECT_EQ(std::u16string(KeyRowName(&EXTENDED_KEY_TABLE, i)), classic[i]);
    }
    for (int i = 0; i < 26; ++i) {
        std::u16string letter(1, static_cast<char16_t>(u'A' + i));
        EXPECT_EQ(RowOf(&CLASSIC_KEY_TABLE, letter.c_str()), 22 + i);
        EXPECT_EQ(RowOf(&EXTENDED_KEY_TABLE, letter.c_str()), 22 + i);
    }
    const char16_t *classicTail[] = {u"1", u"2",    u"3",     u"4", u"5",    u"6",    u"7",    u"8",   u"9",
                                     u"0", u"BkSp", u"Grave", u"-", u"=",    u"[",    u"]",    u"\\",  u";",
                                     u"'", u",",    u".",     u"/", u"Num/", u"Num*", u"Num-", u"Num+"};
    for (int i = 0; i < 26; ++i) EXPECT_EQ(std::u16string(KeyRowName(&CLASSIC_KEY_TABLE, 48 + i)), classicTail[i]);
    const char16_t *extendedTail[] = {u"1", u"2",  u"3",         u"4", u"5",     u"6",    u"7",     u"8",
                                      u"9", u"0",  u"Backspace", u"`", u"Minus", u"Plus", u"Enter", u"[",
                                      u"]", u"\\", u"Divide",    u"*", u";",     u"'",    u",",     u"Decimal"};
    for (int i = 0; i < 24; ++i) EXPECT_EQ(std::u16string(KeyRowName(&EXTENDED_KEY_TABLE, 48 + i)), extendedTail[i]);
}

}  // namespace
