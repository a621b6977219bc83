// The picker on the console: what each ending leaves behind (the buffer
// shown, the input mode, the user's cursor, the palette), one preview per
// batch of keys, the cursor hidden while it shows, a console call that
// fails halfway, and input that is not the console's.
#include "command/command.h"
#include "support/palette_fixture.h"

namespace {

class PickerSessionTest : public PaletteTest {
  protected:
    void SetUp() override {
        PaletteTest::SetUp();
        Start();
        FreeSchemeList();
        AddTestScheme(u"First", 0x07, 0x0E, 0x0C, u"", 0x100000);
        AddTestScheme(u"Second", 0x1F, 0x1E, 0x1C, u"", 0x200000);
        AddTestScheme(u"Third", 0x70, 0x71, 0x74, u"", 0x300000);
        inputMode = sim::ConsoleInputModeNow();
        before = sim::ConsoleInfo();
    }

    static void Keys(std::initializer_list<std::pair<WORD, WCHAR>> keys, WORD repeat = 1) {
        std::vector<INPUT_RECORD> records;
        for (auto key : keys) {
            records.push_back(sim::KeyRecord(true, key.first, key.second, 0, repeat));
            records.push_back(sim::KeyRecord(false, key.first, key.second, 0));
        }
        sim::TypeKeys(records);
    }

    void ExpectConsoleAsBefore() {
        EXPECT_TRUE(sim::ShowsOriginalBuffer());
        EXPECT_EQ(sim::ScreenBufferCount(), 1);
        EXPECT_EQ(sim::ConsoleInputModeNow(), inputMode);
        EXPECT_EQ(sim::ConsoleCtrlHandlerCount(), 0);
        EXPECT_EQ(sim::OriginalCursor().dwSize, 25u);
        EXPECT_TRUE(sim::OriginalCursor().bVisible);
    }

    void ExpectPaletteAsBefore() {
        CONSOLE_SCREEN_BUFFER_INFOEX now = sim::ConsoleInfo();
        for (int i = 0; i < 16; ++i) EXPECT_EQ(now.ColorTable[i], before.ColorTable[i]) << "slot " << i;
        EXPECT_EQ(now.wAttributes, before.wAttributes);
    }

    DWORD inputMode = 0;
    CONSOLE_SCREEN_BUFFER_INFOEX before = {};
};

TEST_F(PickerSessionTest, EnterAppliesTheHighlightedSchemeAfterOnePreviewPerBatchOfKeys) {
    Keys({{VK_DOWN, 0}}, 50);  // a held key: as many rows, one preview
    Keys({{VK_UP, 0}, {VK_RETURN, u'\r'}});
    int writes = sim::CallCount("SetConsoleScreenBufferInfoEx");
    bool cursorShown = true;
    sim::BeforeCall("ReadConsoleInputW", 1, [&] { cursorShown = sim::ShownCursor().bVisible != FALSE; });
    EXPECT_EQ(RunVivantaCommand(u"/P"), COMMAND_DONE);
    EXPECT_FALSE(cursorShown);
    // The first scheme at the start, the last after the held key, the
    // second kept: previews only when the highlight settled, then the apply.
    EXPECT_LE(sim::CallCount("SetConsoleScreenBufferInfoEx") - writes, 4);
    ExpectConsoleAsBefore();
    CONSOLE_SCREEN_BUFFER_INFOEX now = sim::ConsoleInfo();
    EXPECT_EQ(now.ColorTable[5], 0x200005u);
    EXPECT_EQ(now.wAttributes, 0x1F);
    EXPECT_EQ(Out(), u"");
    EXPECT_EQ(Err(), u"");
}

TEST_F(PickerSessionTest, EveryOtherEndingPutsThePaletteAndTheConsoleBack) {
    Keys({{VK_DOWN, 0}, {VK_DOWN, 0}, {VK_ESCAPE, 0x1B}});
    EXPECT_EQ(RunVivantaCommand(u"/P"), COMMAND_CANCELLED);
    ExpectConsoleAsBefore();
    ExpectPaletteAsBefore();

    Keys({{VK_DOWN, 0}, {'C', 0x03}});  // Ctrl+C arrives as a key: processed input is off
    EXPECT_EQ(RunVivantaCommand(u"/P"), COMMAND_CANCELLED);
    ExpectConsoleAsBefore();
    ExpectPaletteAsBefore();

    Keys({{VK_DOWN, 0}});  // then no more keys: the read fails
    EXPECT_EQ(RunVivantaCommand(u"/P"), COMMAND_FAILED);
    ExpectConsoleAsBefore();
    ExpectPaletteAsBefore();
    EXPECT_NE(Err().find(u"The picker failed"), std::u16string::npos);

    sim::FailCall("WriteConsoleOutputW", ERROR_INVALID_HANDLE);
    Keys({{VK_RETURN, u'\r'}});
    EXPECT_EQ(RunVivantaCommand(u"/P"), COMMAND_FAILED);
    ExpectConsoleAsBefore();
    ExpectPaletteAsBefore();
    EXPECT_EQ(sim::UnhandledCtrlEvents(), 0);
}

// Input redirected from a pipe: no console to read keys from, so nothing opens.
TEST_F(PickerSessionTest, InputFromAPipeIsRefusedBeforeAnythingChanges) {
    sim::SetStdInputPipe("Down\r\n");
    EXPECT_EQ(RunVivantaCommand(u"/P"), COMMAND_FAILED);
    EXPECT_EQ(Err(), u"Vivanta plugin: The picker needs the console for its keys and its screen\r\n");
    EXPECT_EQ(sim::CallCount("CreateConsoleScreenBuffer"), 0);
    ExpectConsoleAsBefore();
    ExpectPaletteAsBefore();
}

}  // namespace
