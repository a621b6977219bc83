// The console's handles, modes, cursors, cell reads and writes and input
// records, as the plugin's palette, picker and hotkey use them. The cases
// work in a screen buffer of their own, whatever size the console has.
#include <cstdio>
#include <vector>

#include "win32_test.h"

namespace {

class ConsoleTest : public Win32Test {
  protected:
    void SetUp() override {
        Win32Test::SetUp();
        output_ = CreateFileW(TEXT("CONOUT$"), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
        input_ = CreateFileW(TEXT("CONIN$"), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
        own_ = CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, 0, nullptr, CONSOLE_TEXTMODE_BUFFER, nullptr);
        // Once in a long while Wine starts a program without its console;
        // wine.bash runs the program once more when it says so in these words.
        if (output_ == INVALID_HANDLE_VALUE) fprintf(stderr, "Can't open console handle!\n");
        ASSERT_NE(output_, INVALID_HANDLE_VALUE);
        ASSERT_NE(input_, INVALID_HANDLE_VALUE);
        ASSERT_NE(own_, INVALID_HANDLE_VALUE);
        CONSOLE_SCREEN_BUFFER_INFO info;
        ASSERT_TRUE(GetConsoleScreenBufferInfo(own_, &info));
        columns_ = info.dwSize.X;
        rows_ = info.dwSize.Y;
    }
    void TearDown() override {
        for (HANDLE handle : {own_, input_, output_}) CloseHandle(handle);
    }
    WORD AttributeAt(SHORT x, SHORT y) const {
        WORD attribute = 0xFFFF;
        DWORD done = 0;
        EXPECT_TRUE(ReadConsoleOutputAttribute(own_, &attribute, 1, COORD{x, y}, &done));
        return attribute;
    }
    static INPUT_RECORD Key(bool down, WORD virtualKey, WCHAR character) {
        INPUT_RECORD record = {};
        record.EventType = KEY_EVENT;
        record.Event.KeyEvent.bKeyDown = down;
        record.Event.KeyEvent.wRepeatCount = 1;
        record.Event.KeyEvent.wVirtualKeyCode = virtualKey;
        record.Event.KeyEvent.uChar.UnicodeChar = character;
        return record;
    }

    HANDLE output_ = nullptr;
    HANDLE input_ = nullptr;
    HANDLE own_ = nullptr;
    SHORT columns_ = 0;
    SHORT rows_ = 0;
};

TEST_F(ConsoleTest, BufferInfoExWantsItsSizeAndAnOutputHandle) {
    CONSOLE_SCREEN_BUFFER_INFOEX info = {};
    info.cbSize = sizeof(CONSOLE_SCREEN_BUFFER_INFO);
    EXPECT_FALSE(FRESH(GetConsoleScreenBufferInfoEx(own_, &info)));
    EXPECT_ERROR(ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(FRESH(SetConsoleScreenBufferInfoEx(own_, &info)));
    EXPECT_ERROR(ERROR_INVALID_PARAMETER);

    info.cbSize = sizeof info;
    EXPECT_TRUE(GetConsoleScreenBufferInfoEx(own_, &info));
    EXPECT_EQ(info.dwSize.X, columns_);
    EXPECT_FALSE(FRESH(GetConsoleScreenBufferInfoEx(input_, &info)));  // the console, but its input side
    EXPECT_ERROR(ERROR_INVALID_HANDLE);
}

// Each buffer has its own mode and cursor; the input side has neither.
TEST_F(ConsoleTest, EachBufferKeepsItsModeAndCursor) {
    DWORD before = 0, mode = 7;
    ASSERT_TRUE(GetConsoleMode(output_, &before));
    ASSERT_TRUE(SetConsoleMode(own_, 0));
    ASSERT_TRUE(GetConsoleMode(own_, &mode));
    EXPECT_EQ(mode, 0u);
    ASSERT_TRUE(GetConsoleMode(output_, &mode));
    EXPECT_EQ(mode, before);
    EXPECT_TRUE(GetConsoleMode(input_, &mode));

    CONSOLE_CURSOR_INFO cursor = {0, FALSE};
    EXPECT_FALSE(FRESH(SetConsoleCursorInfo(own_, &cursor)));  // a size of 1 to 100 percent only
    EXPECT_ERROR(ERROR_INVALID_PARAMETER);
    cursor.dwSize = 100;
    ASSERT_TRUE(SetConsoleCursorInfo(own_, &cursor));
    CONSOLE_CURSOR_INFO read = {};
    ASSERT_TRUE(GetConsoleCursorInfo(own_, &read));
    EXPECT_EQ(read.dwSize, 100u);
    EXPECT_FALSE(read.bVisible);
    EXPECT_FALSE(FRESH(GetConsoleCursorInfo(input_, &read)));
    EXPECT_ERROR(ERROR_INVALID_HANDLE);

    EXPECT_TRUE(SetConsoleActiveScreenBuffer(own_));
    EXPECT_TRUE(SetConsoleActiveScreenBuffer(output_));
    EXPECT_FALSE(FRESH(SetConsoleActiveScreenBuffer(input_)));
    EXPECT_ERROR(ERROR_INVALID_HANDLE);
}

TEST_F(ConsoleTest, AttributeBandsRunAcrossRowEndsAndStopAtTheBufferEnd) {
    std::vector<WORD> band(5, 0x4F);
    DWORD done = 0;
    ASSERT_TRUE(WriteConsoleOutputAttribute(own_, band.data(), 5, COORD{static_cast<SHORT>(columns_ - 2), 0}, &done));
    EXPECT_EQ(done, 5u);
    EXPECT_EQ(AttributeAt(columns_ - 1, 0), 0x4F);
    EXPECT_EQ(AttributeAt(2, 1), 0x4F);
    EXPECT_EQ(AttributeAt(3, 1), 0x07);

    std::vector<WORD> read(10, 0);
    SHORT last = static_cast<SHORT>(rows_ - 1);
    ASSERT_TRUE(
        ReadConsoleOutputAttribute(own_, read.data(), 10, COORD{static_cast<SHORT>(columns_ - 3), last}, &done));
    EXPECT_EQ(done, 3u);  // clipped at the last cell
    ASSERT_TRUE(
        WriteConsoleOutputAttribute(own_, band.data(), 5, COORD{static_cast<SHORT>(columns_ - 2), last}, &done));
    EXPECT_EQ(done, 2u);
}

TEST_F(ConsoleTest, BandStartingOutsideTheBufferReadsNothingButCannotBeWritten) {
    WORD attributes[4] = {1, 2, 3, 4};
    DWORD done = 99;
    EXPECT_TRUE(ReadConsoleOutputAttribute(own_, attributes, 4, COORD{0, rows_}, &done));
    EXPECT_EQ(done, 0u);
    // Nothing settles what a write there gets: winsim refuses it as an
    // invalid parameter, Wine writes nothing and succeeds.
    for (COORD outside : {COORD{columns_, 0}, COORD{-1, 0}}) {
        done = 99;
        BOOL written = FRESH(WriteConsoleOutputAttribute(own_, attributes, 4, outside, &done));
        EXPECT_EQ(done, 0u);
        if (kOnWine) {
            EXPECT_TRUE(written);
        } else {
            EXPECT_FALSE(written);
            EXPECT_ERROR(ERROR_INVALID_PARAMETER);
        }
    }
}

TEST_F(ConsoleTest, WriteConsoleOutputClipsToTheBlockAndTheBufferAndReportsWhatItWrote) {
    CHAR_INFO block[3 * 2];
    for (int i = 0; i < 6; ++i) {
        block[i].Char.UnicodeChar = static_cast<WCHAR>('a' + i);
        block[i].Attributes = static_cast<WORD>(0x10 + i);
    }
    // From block cell (1,0), aimed at the last two columns and two past
    // them: the block and the buffer both have two columns left.
    SHORT left = static_cast<SHORT>(columns_ - 2);
    SMALL_RECT region = {left, 0, static_cast<SHORT>(columns_ + 1), 1};
    ASSERT_TRUE(WriteConsoleOutputW(own_, block, {3, 2}, {1, 0}, &region));
    EXPECT_EQ(region.Left, left);
    EXPECT_EQ(region.Top, 0);
    EXPECT_EQ(region.Right, columns_ - 1);
    EXPECT_EQ(region.Bottom, 1);
    EXPECT_EQ(AttributeAt(left, 0), 0x11);
    EXPECT_EQ(AttributeAt(columns_ - 1, 1), 0x15);
    EXPECT_EQ(AttributeAt(left, 2), 0x07);

    // Rows above the buffer are cut off, and a rectangle wholly outside
    // gets success and an empty rectangle at the corner asked for: on
    // output the rectangle is the one actually written (WriteConsoleOutput's
    // documentation). Wine writes nothing for the first and gives the
    // rectangles back as they were: checked on winsim alone.
    region = {0, -1, 2, 0};
    ASSERT_TRUE(WriteConsoleOutputW(own_, block, {3, 2}, {0, 0}, &region));
    SMALL_RECT outside = {static_cast<SHORT>(columns_ + 10), 2, static_cast<SHORT>(columns_ + 12), 3};
    ASSERT_TRUE(WriteConsoleOutputW(own_, block, {3, 2}, {0, 0}, &outside));
    if (!kOnWine) {
        EXPECT_EQ(region.Top, 0);
        EXPECT_EQ(region.Bottom, 0);
        EXPECT_EQ(AttributeAt(0, 0), 0x13);  // the block's second row
        EXPECT_EQ(outside.Right, columns_ + 9);
        EXPECT_EQ(outside.Bottom, 1);
    }
}

// Wine's console takes its input from the terminal, whose own records may
// come at any time: there the counts are at least those written.
TEST_F(ConsoleTest, InputRecordsComeInTheOrderWritten) {
    ASSERT_TRUE(FlushConsoleInputBuffer(input_));
    INPUT_RECORD written[2] = {Key(true, 'I', 'i'), Key(false, 'I', 'i')};
    DWORD count = 0;
    ASSERT_TRUE(WriteConsoleInputW(input_, written, 2, &count));
    EXPECT_EQ(count, 2u);
    ASSERT_TRUE(GetNumberOfConsoleInputEvents(input_, &count));
    if (kOnWine) {
        EXPECT_GE(count, 2u);
    } else {
        EXPECT_EQ(count, 2u);
    }

    INPUT_RECORD peeked[16] = {}, read[16] = {};
    DWORD peekedCount = 0, readCount = 0;
    ASSERT_TRUE(PeekConsoleInputW(input_, peeked, 16, &peekedCount));
    ASSERT_GE(peekedCount, 2u);
    ASSERT_TRUE(ReadConsoleInputW(input_, read, peekedCount, &readCount));
    ASSERT_EQ(readCount, peekedCount);  // peeking took nothing
    std::vector<bool> downs;
    for (DWORD i = 0; i < readCount; ++i) {
        const KEY_EVENT_RECORD &key = read[i].Event.KeyEvent;
        if (read[i].EventType == KEY_EVENT && key.wVirtualKeyCode == 'I' && key.uChar.UnicodeChar == 'i') {
            downs.push_back(key.bKeyDown != FALSE);
        }
    }
    EXPECT_EQ(downs, (std::vector<bool>{true, false}));
    ASSERT_TRUE(FlushConsoleInputBuffer(input_));
    if (!kOnWine) {
        ASSERT_TRUE(GetNumberOfConsoleInputEvents(input_, &count));
        EXPECT_EQ(count, 0u);
    }

    EXPECT_FALSE(FRESH(WriteConsoleInputW(own_, written, 1, &count)));  // an output handle
    EXPECT_ERROR(ERROR_INVALID_HANDLE);
}

TEST_F(ConsoleTest, ConsoleCallsOnAnythingButTheConsoleFailWithInvalidHandle) {
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
    DWORD mode = 0, written = 0;
    EXPECT_FALSE(FRESH(WriteConsoleW(writeEnd, TEXT("x"), 1, &written, nullptr)));
    EXPECT_ERROR(ERROR_INVALID_HANDLE);
    EXPECT_FALSE(FRESH(GetConsoleMode(writeEnd, &mode)));
    EXPECT_ERROR(ERROR_INVALID_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO info;
    EXPECT_FALSE(FRESH(GetConsoleScreenBufferInfo(writeEnd, &info)));
    EXPECT_ERROR(ERROR_INVALID_HANDLE);
    EXPECT_FALSE(FRESH(SetConsoleTextAttribute(readEnd, 0x07)));
    EXPECT_ERROR(ERROR_INVALID_HANDLE);
    CloseHandle(readEnd);
    CloseHandle(writeEnd);
}

TEST_F(ConsoleTest, TheTitleIsCutToTheBuffer) {
    ASSERT_TRUE(SetConsoleTitleW(TEXT("second")));
    WCHAR title[16];
    EXPECT_EQ(GetConsoleTitleW(title, 16), 6u);
    EXPECT_EQ(WString(title), TEXT("second"));
    WCHAR small[4] = {'x', 'x', 'x', 'x'};
    DWORD length = FRESH(GetConsoleTitleW(small, 4));
    EXPECT_EQ(length, 6u);
    EXPECT_EQ(WString(small, 3), TEXT("sec"));
    EXPECT_EQ(small[3], 0);
}

}  // namespace
