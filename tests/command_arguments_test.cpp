// Recognising and checking the command's arguments: every argument error,
// the upper-casing of what is quoted, and help.
#include <string>

#include "command/command.h"
#include "support/palette_fixture.h"

namespace {

class ArgumentTest : public PaletteTest {
  protected:
    void SetUp() override {
        PaletteTest::SetUp();
        Start();
    }

    // Runs the command and expects an argument error: result 1, the
    // message on standard error, nothing on standard output.
    void ExpectRefused(const std::u16string &arguments, const std::u16string &message) {
        HostCtlClearOutput();
        EXPECT_EQ(vivanta(arguments.c_str()), 1) << Narrow(arguments);
        EXPECT_EQ(Err(), u"Vivanta plugin: " + message + u"\r\n") << Narrow(arguments);
        EXPECT_EQ(Out(), u"") << Narrow(arguments);
    }
};

TEST_F(ArgumentTest, UnknownOptionsAreQuotedInUpperCase) {
    ExpectRefused(u"/x", u"Unknown option: \"/X\"");
    // Exact options take nothing after their letter.
    ExpectRefused(u"/Dx", u"Unknown option: \"/DX\"");
    ExpectRefused(u"/lx", u"Unknown option: \"/LX\"");
    ExpectRefused(u"/QQ", u"Unknown option: \"/QQ\"");
    ExpectRefused(u"/S!!", u"Unknown option: \"/S!!\"");
    ExpectRefused(u"/", u"Unknown option: \"/\"");
    // Only a-z change case.
    ExpectRefused(u"/\u00e9t\u00e9", u"Unknown option: \"/\u00e9T\u00e9\"");
}

TEST_F(ArgumentTest, ValuesOfFileAndViewOptionsAreChecked) {
    ExpectRefused(u"/F", u"Missing filename: \"/F\"");
    ExpectRefused(u"/f:\"\"", u"Missing filename: \"/F:\"");
    ExpectRefused(u"/W=", u"Missing filename: \"/W=\"");
    ExpectRefused(u"/w:::Ice", u"Missing filename: \"/W:::ICE\"");
    ExpectRefused(u"/V:", u"Missing scheme name or index: \"/V:\"");
    ExpectRefused(u"/v:ice[1]", u"Bad characters in scheme name: \"/V:ICE[1]\"");
    ExpectRefused(u"/Q ice]", u"Bad characters in scheme name: \"ICE]\"");
}

TEST_F(ArgumentTest, HotkeyValuesAreParsedInUpperCase) {
    ExpectRefused(u"/K:", u"Missing hotkey: \"/K:\"");
    ExpectRefused(u"/k:ctrl-c", u"Invalid hotkey: \"/K:CTRL-C\"");
    ExpectRefused(u"/K:a", u"Key not allowed: \"/K:A\"");
    ExpectRefused(u"/K:x-A", u"Unknown key name: \"/K:X-A\"");
    ExpectRefused(u"/K:Ctrl-Foo", u"Unknown key name: \"/K:CTRL-FOO\"");
}

TEST_F(ArgumentTest, OsdValuesNeedYOrN) {
    ExpectRefused(u"/O", u"Missing Y or N value: \"/O\"");
    ExpectRefused(u"/o:x", u"Expected a Y or N: \"/O:X\"");
}

TEST_F(ArgumentTest, AnErrorStopsBeforeAnythingIsCarriedOut) {
    ExpectRefused(u"/K:F5 /O:N /D /x 2", u"Unknown option: \"/X\"");
    EXPECT_EQ(g_settings.hotkey, static_cast<DWORD>(DEFAULT_HOTKEY));
    EXPECT_TRUE(g_settings.osdEnabled);
    EXPECT_EQ(HostCommandLog(), u"");
    // Arguments after the error are not looked at: no help.
    ExpectRefused(u"/x /?", u"Unknown option: \"/X\"");
    // A null text is refused without a word.
    HostCtlClearOutput();
    EXPECT_EQ(vivanta(nullptr), 1);
    EXPECT_EQ(Err(), u"");
}

TEST_F(ArgumentTest, HelpIsShownAtOnceAndNothingElseHappens) {
    g_settings.hotkey = 0x1003F;
    EXPECT_EQ(vivanta(u"/D /?"), 0);
    EXPECT_EQ(Out(), std::u16string(HELP_TEXT));
    EXPECT_EQ(g_settings.hotkey, 0x1003Fu);

    HostCtlClearOutput();
    EXPECT_EQ(vivanta(u"/?x /nonsense"), 0);
    EXPECT_EQ(Out(), std::u16string(HELP_TEXT));
    EXPECT_EQ(Err(), u"");

    HostCtlClearOutput();
    EXPECT_EQ(vivanta(u"/??"), 0);
    EXPECT_EQ(Out(), std::u16string(HELP_TEXT) + Versioned(u"\r\n\t\t\t\tVivanta  %VERSION%.%BUILD% (x64)\r\n"));
}

TEST_F(ArgumentTest, OptionValuesSkipOneColonOrEquals) {
    WCHAR a[] = u"/F:a.ini", b[] = u"/F=a.ini", c[] = u"/Fa.ini", d[] = u"/F::a.ini";
    EXPECT_EQ(std::u16string(OptionValue(a)), u"a.ini");
    EXPECT_EQ(std::u16string(OptionValue(b)), u"a.ini");
    EXPECT_EQ(std::u16string(OptionValue(c)), u"a.ini");
    EXPECT_EQ(std::u16string(OptionValue(d)), u":a.ini");
}

TEST_F(ArgumentTest, KeyNamesFollowTheHostsKeyTable) {
    // Host 28 uses the extended table, which has Ctrl-Alt-Shift.
    EXPECT_EQ(vivanta(u"/Q /K:Ctrl-Alt-Shift-F1"), 0);
    EXPECT_EQ(g_settings.hotkey, 0x7005Eu);
    EXPECT_EQ(vivanta(u"/Q /K:none"), 0);
    EXPECT_EQ(g_settings.hotkey, 0u);

    TearDown();
    PaletteTest::SetUp();
    Start(u"23");
    ExpectRefused(u"/K:Ctrl-Alt-Shift-F1", u"Unknown key name: \"/K:CTRL-ALT-SHIFT-F1\"");
    EXPECT_EQ(vivanta(u"/Q /K=ctrl-alt-f1"), 0);
    EXPECT_EQ(g_settings.hotkey, 0x5005Eu);
}

}  // namespace
