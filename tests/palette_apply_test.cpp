// Applying a scheme: host options read as numbers, the previous attributes,
// the console record, re-colouring in bands, the host's directives, ColorDir
// and the hotkey's key record.
#include <string>
#include <vector>

#include "support/palette_fixture.h"

namespace {

using ApplyTest = PaletteTest;

TEST_F(ApplyTest, AttributeOptionsReadAsNumbers) {
    Start();
    struct Case {
        const char16_t *value;  // null: the option is not set
        LONG expected;
    } cases[] = {
        {nullptr, 99},         {u"31", 31},          {u"0x1F", 31},       {u"0X1f", 31},
        {u"31abc", 31},        {u"abc", 99},         {u"0", 99},          {u"0x", 99},
        {u"0xZ", 99},          {u" 31", 99},         {u"-5", 99},         {u"2147483647", 2147483647},
        {u"2147483648", -1},   {u"99999999999", -1}, {u"0xFFFFFFFF", -1}, {u"0x100000000", -1},
        {u"0x10000", 0x10000},
    };
    for (const Case &c : cases) {
        HostCtlSetOption(u"StdColors", c.value);
        EXPECT_EQ(QueryAttributeOption(u"StdColors", 99), c.expected) << Narrow(c.value ? c.value : u"(unset)");
    }
    EXPECT_EQ(QueryAttributeOption(u"", 99), -1);
    EXPECT_EQ(QueryAttributeOption(nullptr, 99), -1);
}

TEST_F(ApplyTest, PreviousAttributesFollowTheOptionsAndTheConsole) {
    Start();
    PreviousAttributes previous;
    // Nothing set: the console's attribute byte stands for all three.
    ReadPreviousAttributes(0x8007, &previous);
    EXPECT_EQ(previous.std, 0x07);
    EXPECT_EQ(previous.input, 0x07);
    EXPECT_EQ(previous.error, 0x07);
    // Byte 0 defaults to 7, but a truncated 0 takes the byte as it is.
    HostCtlSetOption(u"InputColors", u"0x10000");
    ReadPreviousAttributes(0x0000, &previous);
    EXPECT_EQ(previous.std, 0x07);
    EXPECT_EQ(previous.input, 0x00);

    HostCtlSetOption(u"StdColors", u"0x1E");
    HostCtlSetOption(u"InputColors", u"0x77");         // equal nibbles
    HostCtlSetOption(u"ErrorColors", u"99999999999");  // overflow
    ReadPreviousAttributes(0x07, &previous);
    EXPECT_EQ(previous.std, 0x1E);
    EXPECT_EQ(previous.input, 0xFFFF);
    EXPECT_EQ(previous.error, 0xFFFF);
    HostCtlSetOption(u"ErrorColors", u"256");
    ReadPreviousAttributes(0x07, &previous);
    EXPECT_EQ(previous.error, 0xFFFF);
}

TEST_F(ApplyTest, RecolouringKeepsTheHighByteAndReadsZeroAsSeven) {
    Start();
    ColorScheme *scheme = AddTestScheme(u"Target", 0x1F, 0x1A, 0x1C);
    HostCtlSetOption(u"InputColors", u"0x0A");
    HostCtlSetOption(u"ErrorColors", u"12");
    FillScreen(0x0030);  // matches nothing
    sim::SetCellAttribute(0, 0, 0x8007);
    sim::SetCellAttribute(1, 0, 0x0000);
    sim::SetCellAttribute(2, 0, 0x000A);
    sim::SetCellAttribute(3, 0, 0x400C);
    sim::SetCellAttribute(4, 0, 0x0017);
    ASSERT_EQ(ApplyScheme(scheme, nullptr), APPLY_DONE);
    EXPECT_EQ(sim::CellAttribute(0, 0), 0x801F);
    EXPECT_EQ(sim::CellAttribute(1, 0), 0x001F);
    EXPECT_EQ(sim::CellAttribute(2, 0), 0x001A);
    EXPECT_EQ(sim::CellAttribute(3, 0), 0x401C);
    EXPECT_EQ(sim::CellAttribute(4, 0), 0x0017);
    EXPECT_EQ(sim::CellAttribute(5, 0), 0x0030);
}

TEST_F(ApplyTest, StdColorsWinsWhenTwoPreviousAttributesAgree) {
    Start();
    ColorScheme *scheme = AddTestScheme(u"Target", 0x1F, 0x1A, 0x1C);
    HostCtlSetOption(u"InputColors", u"7");
    HostCtlSetOption(u"ErrorColors", u"7");
    FillScreen(0x07);
    ASSERT_EQ(ApplyScheme(scheme, nullptr), APPLY_DONE);
    EXPECT_EQ(sim::CellAttribute(10, 10), 0x1F);
}

TEST_F(ApplyTest, AnOverflowingOptionMatchesNoCell) {
    Start();
    ColorScheme *scheme = AddTestScheme(u"Target", 0x1F, 0x1A, 0x1C);
    HostCtlSetOption(u"StdColors", u"99999999999");
    FillScreen(0x07);
    sim::SetCellAttribute(0, 0, 0xFF);
    ASSERT_EQ(ApplyScheme(scheme, nullptr), APPLY_DONE);
    // Input and error still default to 7; only the standard colours are lost.
    EXPECT_EQ(sim::CellAttribute(1, 1), 0x1A);
    EXPECT_EQ(sim::CellAttribute(0, 0), 0xFF);
}

TEST_F(ApplyTest, ThreeHundredRowsGoInBandsOf128And128And44) {
    sim::SetConsoleSize(80, 300);
    Start();
    ColorScheme *scheme = AddTestScheme(u"Target", 0x1F, 0x1A, 0x1C);
    FillScreen(0x07);
    // The second band cannot be read: exactly its rows keep their colours.
    sim::FailCall("ReadConsoleOutputAttribute", ERROR_INVALID_HANDLE, 2);
    MemResetCounts();
    ASSERT_EQ(ApplyScheme(scheme, nullptr), APPLY_DONE);
    EXPECT_EQ(sim::CallCount("ReadConsoleOutputAttribute"), 3);
    EXPECT_EQ(sim::CallCount("WriteConsoleOutputAttribute"), 2);
    EXPECT_EQ(sim::CellAttribute(79, 127), 0x1F);
    EXPECT_EQ(sim::CellAttribute(0, 128), 0x07);
    EXPECT_EQ(sim::CellAttribute(79, 255), 0x07);
    EXPECT_EQ(sim::CellAttribute(0, 256), 0x1F);
    EXPECT_EQ(sim::CellAttribute(79, 299), 0x1F);
    // The one band buffer is all that is allocated, and it is freed.
    EXPECT_EQ(MemAllocationCount(), 1);
    EXPECT_EQ(MemLiveCount(), 0);
}

TEST_F(ApplyTest, OnlyBandsWithAChangedCellAreWrittenBack) {
    sim::SetConsoleSize(80, 300);
    Start();
    ColorScheme *scheme = AddTestScheme(u"Target", 0x1F, 0x1A, 0x1C);
    FillScreen(0x30);
    sim::SetCellAttribute(5, 200, 0x07);
    ASSERT_EQ(ApplyScheme(scheme, nullptr), APPLY_DONE);
    EXPECT_EQ(sim::CallCount("WriteConsoleOutputAttribute"), 1);
    EXPECT_EQ(sim::CellAttribute(5, 200), 0x1F);

    // Applying the same scheme again changes no cell at all.
    ASSERT_EQ(ApplyScheme(scheme, nullptr), APPLY_DONE);
    EXPECT_EQ(sim::CallCount("WriteConsoleOutputAttribute"), 1);
}

TEST_F(ApplyTest, WithoutMemoryTheTextKeepsItsColoursAndTheRestIsApplied) {
    Start();
    ColorScheme *scheme = AddTestScheme(u"Target", 0x1F, 0x1A, 0x1C);
    FillScreen(0x07);
    MemFailAllocation(1);
    EXPECT_EQ(ApplyScheme(scheme, nullptr), APPLY_DONE);
    EXPECT_EQ(sim::CellAttribute(0, 0), 0x07);
    EXPECT_EQ(sim::ConsoleInfo().wAttributes, 0x1F);
    EXPECT_EQ(CommandLines().size(), 9u);
}

TEST_F(ApplyTest, TheConsoleGetsThePaletteAndKeepsItsWindow) {
    sim::SetConsoleSize(100, 500);
    Start();
    ColorScheme *scheme = AddTestScheme(u"Target", 0x1F, 0x1A, 0x1C);
    CONSOLE_SCREEN_BUFFER_INFOEX before = sim::ConsoleInfo();
    ASSERT_EQ(ApplyScheme(scheme, nullptr), APPLY_DONE);
    CONSOLE_SCREEN_BUFFER_INFOEX after = sim::ConsoleInfo();
    for (int i = 0; i < 16; ++i) EXPECT_EQ(after.ColorTable[i], 0x100000u + i);
    EXPECT_EQ(after.wAttributes, 0x1F);
    EXPECT_EQ(after.srWindow.Left, before.srWindow.Left);
    EXPECT_EQ(after.srWindow.Top, before.srWindow.Top);
    EXPECT_EQ(after.srWindow.Right, before.srWindow.Right);
    EXPECT_EQ(after.srWindow.Bottom, before.srWindow.Bottom);
    EXPECT_EQ(after.dwSize.X, 100);
    EXPECT_EQ(after.dwSize.Y, 500);
    EXPECT_EQ(after.wPopupAttributes, before.wPopupAttributes);
}

TEST_F(ApplyTest, AnUnreadableConsoleChangesNothing) {
    Start();
    ColorScheme *scheme = AddTestScheme(u"Target", 0x1F, 0x1A, 0x1C);
    EXPECT_EQ(ApplyScheme(nullptr, nullptr), APPLY_NO_SCHEME);
    sim::FailCall("GetConsoleScreenBufferInfoEx", ERROR_INVALID_HANDLE);
    EXPECT_EQ(ApplyScheme(scheme, nullptr), APPLY_NO_CONSOLE);
    EXPECT_EQ(sim::CallCount("SetConsoleScreenBufferInfoEx"), 0);
    EXPECT_EQ(HostCommandLog(), u"");
    EXPECT_EQ(sim::Environment(u"ColorDir"), u"");
    EXPECT_TRUE(sim::Redraws().empty());
}

TEST_F(ApplyTest, LaterFailuresDoNotStopTheApplication) {
    Start();
    ColorScheme *scheme = AddTestScheme(u"Target", 0x1F, 0x1A, 0x1C);
    FillScreen(0x07);
    sim::FailCall("SetConsoleScreenBufferInfoEx", ERROR_INVALID_PARAMETER);
    sim::FailCall("WriteConsoleOutputAttribute", ERROR_INVALID_HANDLE);
    sim::FailCall("SetEnvironmentVariableW", ERROR_NOT_ENOUGH_MEMORY);
    sim::FailCall("RedrawWindow", ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_EQ(ApplyScheme(scheme, nullptr), APPLY_DONE);
    EXPECT_EQ(CommandLines().size(), 9u);
}

TEST_F(ApplyTest, AConsoleThatReadsTheRectangleInclusiveGetsItAsRead) {
    Start();
    ColorScheme *scheme = AddTestScheme(u"Target", 0x1F, 0x1A, 0x1C);
    sim::SetConsoleSize(100, 500);
    sim::SetupFrontEnd(sim::FrontEnd::Wine);
    FillScreen(0x07);
    CONSOLE_SCREEN_BUFFER_INFOEX before = sim::ConsoleInfo();
    EXPECT_EQ(ApplyScheme(scheme, nullptr), APPLY_DONE);
    EXPECT_EQ(sim::CallCount("SetConsoleScreenBufferInfoEx"), 2);
    CONSOLE_SCREEN_BUFFER_INFOEX after = sim::ConsoleInfo();
    EXPECT_EQ(after.srWindow.Right, before.srWindow.Right);
    EXPECT_EQ(after.srWindow.Bottom, before.srWindow.Bottom);
    EXPECT_EQ(after.wAttributes, 0x1F);
    EXPECT_EQ(sim::CellAttribute(0, 0), 0x1F);
    EXPECT_EQ(CommandLines().size(), 9u);
    EXPECT_EQ(sim::Environment(u"ColorDir"), u"dirs:12;");
}

TEST_F(ApplyTest, ColoursTheConsoleRefusedStopTheApplicationBeforeAnythingChanged) {
    struct Case {
        const char *what;
        bool wine;
        DWORD error;
        int nth, times;
        int writes;  // SetConsoleScreenBufferInfoEx calls made
    } cases[] = {
        {"invalid parameter twice", false, ERROR_INVALID_PARAMETER, 1, 2, 2},
        {"another error: no second try", false, ERROR_INVALID_HANDLE, 1, 1, 1},
        {"Wine refuses the second try too", true, ERROR_INVALID_PARAMETER, 2, 1, 2},
    };
    for (const Case &c : cases) {
        SetUp();
        Start();
        ColorScheme *scheme = AddTestScheme(u"Target", 0x1F, 0x1A, 0x1C);
        if (c.wine) sim::SetupFrontEnd(sim::FrontEnd::Wine);
        FillScreen(0x07);
        COLORREF colour = sim::ConsoleInfo().ColorTable[3];
        sim::FailCall("SetConsoleScreenBufferInfoEx", c.error, c.nth, c.times);
        WCHAR line[16] = u"dir";
        KeyInfo key = {};
        key.keyCode = 0x1002C;
        key.line = line;
        key.cursor = line + 3;
        EXPECT_EQ(ApplyScheme(scheme, &key), APPLY_NOT_WRITTEN) << c.what;
        EXPECT_EQ(sim::CallCount("SetConsoleScreenBufferInfoEx"), c.writes) << c.what;
        EXPECT_EQ(sim::ConsoleInfo().ColorTable[3], colour) << c.what;
        EXPECT_EQ(sim::CellAttribute(0, 0), 0x07) << c.what;
        EXPECT_EQ(HostCommandLog(), u"") << c.what;
        EXPECT_EQ(sim::Environment(u"ColorDir"), u"") << c.what;
        EXPECT_TRUE(sim::Redraws().empty()) << c.what;
        EXPECT_EQ(key.keyCode, 0x1002C) << c.what;
        EXPECT_EQ(std::u16string(line), u"dir") << c.what;
        EXPECT_EQ(key.redraw, 0) << c.what;
        TearDown();
    }
}

TEST_F(ApplyTest, DirectivesGoToTheHostInOrderWithSelectedColorsFrom24) {
    struct Case {
        const char16_t *version;
        size_t commands;
    } cases[] = {{u"23", 8}, {u"24", 9}, {u"28.01", 9}};
    for (const Case &c : cases) {
        SetUp();
        Start(c.version);
        ColorScheme *scheme = AddTestScheme(u"Target", 31, 0x1A, 0x1C);
        ASSERT_EQ(ApplyScheme(scheme, nullptr), APPLY_DONE);
        std::vector<std::u16string> expected = {
            u"option //StdColors=31",    u"option //InputColors=26",         u"option //ErrorColors=28",
            u"option //ListColors=31",   u"option //ListStatBarColors=47",   u"option //ListInverseColors=63",
            u"option //SelectColors=79", u"option //SelectStatBarColors=95", u"option //SelectedColors=111",
        };
        expected.resize(c.commands);
        EXPECT_EQ(CommandLines(), expected) << Narrow(c.version);
        EXPECT_EQ(HostOptionValue(u"StdColors"), u"31");
        TearDown();
    }
}

TEST_F(ApplyTest, ColorDirIsSetOrRemoved) {
    Start();
    ColorScheme *withDir = AddTestScheme(u"With", 0x1F, 0x1A, 0x1C, u"dirs:12;");
    ColorScheme *without = AddTestScheme(u"Without", 0x1F, 0x1A, 0x1C, u"");
    ASSERT_EQ(ApplyScheme(withDir, nullptr), APPLY_DONE);
    EXPECT_EQ(sim::Environment(u"ColorDir"), u"dirs:12;");
    ASSERT_EQ(ApplyScheme(without, nullptr), APPLY_DONE);
    WCHAR buffer[16];
    EXPECT_EQ(GetEnvironmentVariableW(u"ColorDir", buffer, 16), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));
}

TEST_F(ApplyTest, TheHotkeyRecordBecomesEnterOnAnEmptyLine) {
    struct Case {
        const char16_t *version;
        int32_t keyCode;
        const char16_t *keyName;
    } cases[] = {{u"23", 13, u"Alt-Z"}, {u"24", 0, u"Enter"}};
    for (const Case &c : cases) {
        SetUp();
        Start(c.version);
        ColorScheme *scheme = AddTestScheme(u"Target", 0x1F, 0x1A, 0x1C);
        WCHAR line[1024] = u"dir /s";
        WCHAR keyName[1024] = u"Alt-Z";
        KeyInfo key = {};
        key.keyCode = 0x1002C;
        key.position[0] = 6;
        key.line = line;
        key.cursor = line + 6;
        key.keyName = keyName;
        ASSERT_EQ(ApplyScheme(scheme, &key), APPLY_DONE);
        EXPECT_EQ(key.keyCode, c.keyCode) << Narrow(c.version);
        EXPECT_EQ(std::u16string(keyName), c.keyName);
        EXPECT_EQ(key.position[0], 5);
        EXPECT_EQ(line[0], 0);
        EXPECT_EQ(key.cursor, line);
        EXPECT_EQ(key.redraw, 1);
        std::vector<WCHAR> log(64);
        HostCtlGetEditLineLog(log.data(), 64);
        EXPECT_EQ(std::u16string(log.data()), u"dir /s\n");

        // A position already at 0 stays there.
        key.position[0] = 0;
        ASSERT_EQ(ApplyScheme(scheme, &key), APPLY_DONE);
        EXPECT_EQ(key.position[0], 0);
        TearDown();
    }
}

// ---- under a pseudoconsole, with VT sequences chosen ----

class SequenceApplyTest : public PaletteTest {
  protected:
    void StartBehindTerminal() {
        sim::SetupFrontEnd(sim::FrontEnd::Terminal);
        SetEnvironmentVariableW(VT_SWITCH_VARIABLE, u"Yes");
        Start();
        ASSERT_TRUE(UsesSequences());
    }
    static DWORD Mode() {
        DWORD mode = 0;
        GetConsoleMode(g_plugin.console, &mode);
        return mode;
    }
};

// One write of the terminal's 18 colours, the mode back as it was, the
// mirror following, and no palette call; StdColors with equal nibbles
// would make the text vanish, so entries 7 and 0 stand for it.
TEST_F(SequenceApplyTest, TheTerminalGetsTheSchemeInOneWrite) {
    StartBehindTerminal();
    SetConsoleMode(g_plugin.console, ENABLE_WRAP_AT_EOL_OUTPUT);
    ColorScheme *scheme = AddTestScheme(u"Target", 0x1E, 0x1A, 0x1C);
    ColorScheme *unreadable = AddTestScheme(u"Flat", 0x66, 0x6A, 0x6C, u"", 0x200000);
    FillScreen(0x07);
    ASSERT_EQ(ApplyScheme(scheme, nullptr), APPLY_DONE);
    EXPECT_EQ(sim::CallCount("WriteConsoleW"), 1);
    EXPECT_EQ(sim::CallCount("SetConsoleScreenBufferInfoEx"), 0);
    EXPECT_EQ(Mode(), static_cast<DWORD>(ENABLE_WRAP_AT_EOL_OUTPUT));
    sim::TerminalColors shown = sim::TerminalColorsNow();
    for (int ansi = 0; ansi < 16; ++ansi) EXPECT_EQ(shown.ansi[ansi], scheme->palette[ConsoleSlotOfAnsi(ansi)]);
    EXPECT_EQ(shown.foreground, scheme->palette[0xE]);
    EXPECT_EQ(shown.background, scheme->palette[0x1]);
    CONSOLE_SCREEN_BUFFER_INFOEX mirror = sim::ConsoleInfo();
    for (int i = 0; i < 16; ++i) EXPECT_EQ(mirror.ColorTable[i], scheme->palette[i]);
    EXPECT_EQ(mirror.wAttributes, 0x1E);
    EXPECT_EQ(sim::CellAttribute(0, 0), 0x1E);
    EXPECT_EQ(CommandLines().size(), 9u);
    EXPECT_EQ(sim::VtLog().size(), 364u);

    ASSERT_EQ(ApplyScheme(unreadable, nullptr), APPLY_DONE);
    shown = sim::TerminalColorsNow();
    EXPECT_EQ(shown.foreground, unreadable->palette[7]);
    EXPECT_EQ(shown.background, unreadable->palette[0]);
}

// Nothing is half written: without the mode the host would print the
// sequences as text, and a failed write leaves the console as it was.
TEST_F(SequenceApplyTest, AModeThatCannotBeSetOrAFailedWriteChangesNothing) {
    for (const char *function : {"GetConsoleMode", "SetConsoleMode", "WriteConsoleW"}) {
        SetUp();
        StartBehindTerminal();
        ColorScheme *scheme = AddTestScheme(u"Target", 0x1E, 0x1A, 0x1C);
        FillScreen(0x07);
        DWORD mode = Mode();
        CONSOLE_SCREEN_BUFFER_INFOEX before = sim::ConsoleInfo();
        sim::TerminalColors shown = sim::TerminalColorsNow();
        sim::FailCall(function, ERROR_INVALID_HANDLE);
        EXPECT_EQ(ApplyScheme(scheme, nullptr), APPLY_NOT_WRITTEN) << function;
        EXPECT_EQ(sim::VtLog(), u"") << function;
        sim::TerminalColors now = sim::TerminalColorsNow();
        EXPECT_EQ(std::memcmp(&shown, &now, sizeof shown), 0) << function;
        CONSOLE_SCREEN_BUFFER_INFOEX after = sim::ConsoleInfo();
        EXPECT_EQ(std::memcmp(before.ColorTable, after.ColorTable, sizeof before.ColorTable), 0) << function;
        EXPECT_EQ(after.wAttributes, before.wAttributes) << function;
        EXPECT_EQ(sim::CellAttribute(0, 0), 0x07) << function;
        EXPECT_EQ(HostCommandLog(), u"") << function;
        EXPECT_EQ(Mode(), mode) << function;

        // The command says so in the words it always has, with result 2.
        sim::FailCall(function, ERROR_INVALID_HANDLE);
        EXPECT_EQ(vivanta(u"/Q Target"), 2) << function;
        EXPECT_EQ(Err(), u"Vivanta plugin: Error applying color scheme \"Target\"\r\n") << function;
        TearDown();
    }
}

}  // namespace
