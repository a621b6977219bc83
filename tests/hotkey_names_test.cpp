#include <string>

#include "hotkey/hotkey.h"
#include "support/plugin_fixture.h"

namespace {

class HotkeyNamesTest : public PluginTest {
  protected:
    static std::u16string Format(LONG code, bool *named = nullptr) {
        WCHAR text[HOTKEY_TEXT_SIZE];
        bool r = FormatHotkeyCode(code, text);
        if (named) *named = r;
        return text;
    }
};

TEST_F(HotkeyNamesTest, HostVersionChoosesTheKeyTable) {
    struct Case {
        const char16_t *text;
        DWORD version;
        bool extended;
    } cases[] = {
        {u"23", 23, false},        {u"23.02", 23, false},
        {u"24", 24, true},         {u"24.00.10", 24, true},
        {u"100", 100, true},       {u"8", 8, false},
        {u"7", 0, false},          {u"101", 0, false},
        {u"", 0, false},           {u"TCC", 0, false},
        {u"-28", 0, false},        {u"  28.01", 28, true},
        {u"4294967296", 0, false}, {u"99999999999999999999", 0, false},
        {u"4294967295", 0, false},
    };
    for (const Case &c : cases) {
        g_plugin.hostMajorVersion = 55;
        HostCtlSetVariable(u"_4ver", c.text);
        EXPECT_EQ(ReadHostVersion(), c.version) << Narrow(c.text);
        EXPECT_EQ(g_plugin.hostMajorVersion, c.version) << Narrow(c.text);
        EXPECT_EQ(ActiveKeyTable(), c.extended ? &EXTENDED_KEY_TABLE : &CLASSIC_KEY_TABLE) << Narrow(c.text);
    }
}

TEST_F(HotkeyNamesTest, ModifierWordsComeInAnyOrderCaseAndSpelling) {
    for (const char16_t *version : {u"23", u"28"}) {
        UseHost(version);
        for (const char16_t *name : {u"Alt-Z", u"alt-z", u"ALT-Z", u"a-z", u"Alt-Alt-Z"}) {
            EXPECT_EQ(ParseHotkeyName(name), 0x1002C) << Narrow(name);
        }
        for (const char16_t *name : {u"Ctrl-Shift-F1", u"Shift-Ctrl-F1", u"c-s-f1", u"Control-Shift-F1",
                                     u"ctl-SHIFT-f1", u"Shift-Ctrl-Shift-F1"}) {
            EXPECT_EQ(ParseHotkeyName(name), 0x30054) << Narrow(name);
        }
        EXPECT_EQ(ParseHotkeyName(u"Ctrl-Alt-F1"), 0x5005E);
        EXPECT_EQ(ParseHotkeyName(u"Alt-Ctrl-F1"), 0x5005E);
        EXPECT_EQ(ParseHotkeyName(u"F1"), 0x1003B);
        EXPECT_EQ(ParseHotkeyName(u"Shift-F1"), 0x10054);
    }
}

TEST_F(HotkeyNamesTest, FailuresTellUnknownInvalidAndNotAllowedApart) {
    UseHost(u"23");
    EXPECT_EQ(ParseHotkeyName(u"Ctrl-PageUp"), 0x10084);
    EXPECT_EQ(ParseHotkeyName(u"Ctrl-Insert"), KEY_INVALID);
    EXPECT_EQ(ParseHotkeyName(u"A"), KEY_NOT_ALLOWED);
    EXPECT_EQ(ParseHotkeyName(u"Shift-A"), KEY_NOT_ALLOWED);
    EXPECT_EQ(ParseHotkeyName(u"Ctrl-C"), KEY_INVALID);
    for (const char16_t *unknown : {u"Alt-Shift-A", u"Ctrl-", u"", u"Ctrl-Foo", u"x-A", u"Ctrl-Alt-Shift-F1", u"Alt-Z-",
                                    u"Ctrl-Alt-", u"Shift"}) {
        EXPECT_EQ(ParseHotkeyName(unknown), 0) << Narrow(unknown);
    }
    EXPECT_EQ(ParseHotkeyName(nullptr), 0);
    // The "-" key: as a token's first character it is the key itself.
    EXPECT_EQ(ParseHotkeyName(u"Ctrl--"), KEY_INVALID);
    EXPECT_EQ(ParseHotkeyName(u"Alt--"), 0x10082);
    EXPECT_EQ(ParseHotkeyName(u"Alt-Minus"), 0x10082);
    // A "-" that ends the text belongs to the key, so the keypad minus has a name.
    EXPECT_EQ(ParseHotkeyName(u"Ctrl-Num-"), 0x1004A);
    EXPECT_EQ(ParseHotkeyName(u"Ctrl-Alt-Num-"), 0x5004A);
    EXPECT_EQ(ParseHotkeyName(u"Num-"), KEY_NOT_ALLOWED);

    UseHost(u"24");
    EXPECT_EQ(ParseHotkeyName(u"Ctrl--"), 0x8BD);
    EXPECT_EQ(ParseHotkeyName(u"Ctrl-Alt-Shift-F1"), 0x7005E);
    EXPECT_EQ(ParseHotkeyName(u"Alt-Shift-A"), 0);
    EXPECT_EQ(ParseHotkeyName(u"Ctrl-C"), KEY_INVALID);
}

TEST_F(HotkeyNamesTest, AliasesApplyInTurnToTheReplacedToken) {
    UseHost(u"23");
    EXPECT_EQ(ParseHotkeyName(u"Ctrl-Backspace"), 0x7F);
    EXPECT_EQ(ParseHotkeyName(u"Alt-backquote"), 0x10029);  // Backquote, then Grave
    EXPECT_EQ(ParseHotkeyName(u"Alt-SEMI"), 0x10027);
    EXPECT_EQ(ParseHotkeyName(u"Alt-Backslash"), 0x1002B);
    EXPECT_EQ(ParseHotkeyName(u"Ctrl-Delete"), 0x10093);
    UseHost(u"24");
    EXPECT_EQ(ParseHotkeyName(u"Ctrl-BkSp"), 0x7F);
    EXPECT_EQ(ParseHotkeyName(u"Ctrl-Grave"), 0x860);
    EXPECT_EQ(ParseHotkeyName(u"Alt-Equals"), 0x10083);
    EXPECT_EQ(ParseHotkeyName(u"Ctrl-="), 0x8BB);
    EXPECT_EQ(ParseHotkeyName(u"Ctrl-\u00BD"), 0x8BD);
    EXPECT_EQ(ParseHotkeyName(u"Ctrl-\u00DB"), 0x8DB);
    EXPECT_EQ(ParseHotkeyName(u"Ctrl-\u00DC"), 0x8DC);
    EXPECT_EQ(ParseHotkeyName(u"Ctrl-/"), 0x835);
    EXPECT_EQ(ParseHotkeyName(u"Ctrl-Multiply"), 0x10037);
    EXPECT_EQ(ParseHotkeyName(u"Alt-dot"), 0x10034);
    // Aliases of the other table do not apply.
    EXPECT_EQ(ParseHotkeyName(u"Ctrl-Slash"), 0);
    EXPECT_EQ(ParseHotkeyName(u"Ctrl-Shift-Enter"), 0x2080D);
}

TEST_F(HotkeyNamesTest, TheKeystrokeHandlersParsingAlwaysUsesTheExtendedTable) {
    UseHost(u"23");
    EXPECT_EQ(ParseHotkeyNameIn(&EXTENDED_KEY_TABLE, u"Ctrl-1"), 0xE2);
    EXPECT_EQ(ParseHotkeyName(u"Ctrl-1"), KEY_INVALID);
}

TEST_F(HotkeyNamesTest, OverLongTokensAreCutWhileReadingGoesOn) {
    UseHost(u"23");
    std::u16string longWord(3000, u'x');
    EXPECT_EQ(ParseHotkeyName((longWord + u"-Z").c_str()), 0);
    EXPECT_EQ(ParseHotkeyName((u"Alt-" + longWord).c_str()), 0);
    // 1023 characters kept, the rest dropped: "F1" followed by blanks is no key.
    EXPECT_EQ(ParseHotkeyName((u"Alt-F1" + std::u16string(2000, u' ')).c_str()), 0);
}

TEST_F(HotkeyNamesTest, FormattingNamesTheCellAndItsPrefix) {
    UseHost(u"23");
    bool named = false;
    EXPECT_EQ(Format(0, &named), u"None");
    EXPECT_TRUE(named);
    EXPECT_EQ(Format(0x1002C, &named), u"Alt-Z");
    EXPECT_TRUE(named);
    EXPECT_EQ(Format(0x5005E), u"Ctrl-Alt-F1");
    EXPECT_EQ(Format(0x1003B), u"F1");
    EXPECT_EQ(Format(0x7F), u"Ctrl-BkSp");
    EXPECT_EQ(Format(0x7005E, &named), u"(unknown)");
    EXPECT_FALSE(named);
    // The marks of unusable combinations name no key.
    EXPECT_EQ(Format(KEY_INVALID, &named), u"(unknown)");
    EXPECT_FALSE(named);
    EXPECT_EQ(Format(KEY_NOT_ALLOWED, &named), u"(unknown)");
    EXPECT_FALSE(named);
    UseHost(u"28");
    EXPECT_EQ(Format(0x7005E), u"Ctrl-Alt-Shift-F1");
    EXPECT_EQ(Format(0x7F), u"Ctrl-Backspace");
    EXPECT_EQ(Format(0x8BD), u"Ctrl-Minus");

    WCHAR text[HOTKEY_TEXT_SIZE];
    g_settings.hotkey = 0;
    EXPECT_TRUE(FormatHotkey(text));
    EXPECT_EQ(std::u16string(text), u"None");
    g_settings.hotkey = DEFAULT_HOTKEY;
    EXPECT_TRUE(FormatHotkey(text));
    EXPECT_EQ(std::u16string(text), u"Alt-Z");
}

TEST_F(HotkeyNamesTest, ValidityMeansAPositiveCellOfTheTableInForce) {
    UseHost(u"23");
    EXPECT_EQ(IsValidHotkey(0x1002C), 1);
    EXPECT_EQ(IsValidHotkey(0x3004A), 1);  // Ctrl-Shift-Num-
    EXPECT_EQ(IsValidHotkey(0x7005E), 0);
    EXPECT_EQ(IsValidHotkey(0), 0);
    EXPECT_EQ(IsValidHotkey(KEY_INVALID), 0);
    EXPECT_EQ(IsValidHotkey(KEY_NOT_ALLOWED), 0);
    EXPECT_EQ(IsValidHotkey(0x12345), 0);
    UseHost(u"24");
    EXPECT_EQ(IsValidHotkey(0x7005E), 1);
    EXPECT_EQ(IsValidHotkey(0x3004A), 0);
}

TEST_F(HotkeyNamesTest, ListingPrintsEveryUsableCombinationRowByRow) {
    UseHost(u"23");
    ListHotkeys();
    std::u16string out = Out();
    const std::u16string first =
        u"F1 \u00B7 Shift-F1 \u00B7 Ctrl-F1 \u00B7 Alt-F1 \u00B7 Ctrl-Shift-F1 \u00B7 Ctrl-Alt-F1\r\n";
    EXPECT_EQ(out.substr(0, first.size()), first);
    EXPECT_NE(out.find(u"\r\nAlt-C \u00B7 Ctrl-Alt-C\r\n"), std::u16string::npos) << Narrow(out);
    EXPECT_NE(out.find(u"\r\nCtrl-Shift-Num/\r\n"), std::u16string::npos) << Narrow(out);
    const std::u16string last = u"\r\nCtrl-Num+ \u00B7 Ctrl-Shift-Num+ \u00B7 Ctrl-Alt-Num+\r\n";
    EXPECT_EQ(out.substr(out.size() - last.size()), last);
    size_t lines = 0;
    for (size_t at = out.find(u"\r\n"); at != std::u16string::npos; at = out.find(u"\r\n", at + 2)) ++lines;
    EXPECT_EQ(lines, 74u);
    EXPECT_EQ(out.find(u"\r\n\r\n"), std::u16string::npos);

    HostCtlClearOutput();
    UseHost(u"24");
    ListHotkeys();
    out = Out();
    EXPECT_NE(out.find(u"\r\nCtrl-A \u00B7 Alt-A \u00B7 Ctrl-Shift-A \u00B7 Ctrl-Alt-A \u00B7 Ctrl-Alt-Shift-A\r\n"),
              std::u16string::npos)
        << Narrow(out);
    lines = 0;
    for (size_t at = out.find(u"\r\n"); at != std::u16string::npos; at = out.find(u"\r\n", at + 2)) ++lines;
    EXPECT_EQ(lines, 72u);
}

}  // namespace
