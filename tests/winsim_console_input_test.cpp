// Linux-only: which screen buffer the console shows, keys typed by the
// user (sim::TypeKeys), control events raised, and the wait on console
// input in virtual time. The calls' results and errors are shared cases
// (win32/console_test.cpp).
#include "winsim_fixture.h"

namespace {

class ConsoleBuffersTest : public WinsimTest {
  protected:
    static HANDLE NewBuffer() {
        return CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, 0, nullptr, CONSOLE_TEXTMODE_BUFFER, nullptr);
    }
    static HANDLE Input() { return GetStdHandle(STD_INPUT_HANDLE); }
    static std::vector<INPUT_RECORD> Read(DWORD length = 16) {
        std::vector<INPUT_RECORD> records(length);
        DWORD read = 0;
        if (!ReadConsoleInputW(Input(), records.data(), length, &read)) read = 0;
        records.resize(read);
        return records;
    }
};

TEST_F(ConsoleBuffersTest, EachBufferKeepsItsCellsModeAndCursorAndTheConsoleOneColourTable) {
    HANDLE original = OpenConsoleOutput();
    ASSERT_TRUE(WriteConsoleW(original, u"user", 4, nullptr, nullptr));
    HANDLE own = NewBuffer();
    ASSERT_NE(own, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetConsoleActiveScreenBuffer(own));
    EXPECT_FALSE(sim::ShowsOriginalBuffer());
    EXPECT_EQ(sim::RowText(0), u"");  // shown: the new, blank buffer, as large as the window was
    EXPECT_EQ(sim::ConsoleInfo().dwSize.Y, 30);
    ASSERT_TRUE(WriteConsoleW(own, u"picker", 6, nullptr, nullptr));
    ASSERT_TRUE(SetConsoleMode(own, 0));
    CONSOLE_CURSOR_INFO cursor = {100, FALSE};
    ASSERT_TRUE(SetConsoleCursorInfo(own, &cursor));
    ASSERT_TRUE(GetConsoleCursorInfo(original, &cursor));
    EXPECT_EQ(cursor.dwSize, 25u);
    EXPECT_TRUE(cursor.bVisible);
    EXPECT_FALSE(sim::ShownCursor().bVisible);

    // The colour table is the console's: set through one buffer, read through the other.
    CONSOLE_SCREEN_BUFFER_INFOEX info = {};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetConsoleScreenBufferInfoEx(own, &info));
    info.ColorTable[3] = 0x123456;
    ++info.srWindow.Right;
    ++info.srWindow.Bottom;
    ASSERT_TRUE(SetConsoleScreenBufferInfoEx(own, &info));
    ASSERT_TRUE(GetConsoleScreenBufferInfoEx(original, &info));
    EXPECT_EQ(info.ColorTable[3], 0x123456u);

    DWORD mode = 0;
    ASSERT_TRUE(GetConsoleMode(original, &mode));
    EXPECT_EQ(mode, static_cast<DWORD>(ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT));
    // "conout$" opens the buffer shown.
    HANDLE opened = OpenConsoleOutput();
    ASSERT_TRUE(GetConsoleMode(opened, &mode));
    EXPECT_EQ(mode, 0u);
    CloseHandle(opened);

    ASSERT_TRUE(SetConsoleActiveScreenBuffer(original));
    EXPECT_EQ(sim::RowText(0), u"user");
    EXPECT_EQ(sim::ScreenBufferCount(), 2);
    ASSERT_TRUE(CloseHandle(own));
    EXPECT_EQ(sim::ScreenBufferCount(), 1);
    CloseHandle(original);
}

TEST_F(ConsoleBuffersTest, ClosingTheShownBufferShowsTheNewestLeftAndFailsAreInjectable) {
    HANDLE first = NewBuffer();
    HANDLE second = NewBuffer();
    ASSERT_TRUE(SetConsoleActiveScreenBuffer(second));
    ASSERT_TRUE(WriteConsoleW(first, u"first", 5, nullptr, nullptr));
    ASSERT_TRUE(CloseHandle(second));
    EXPECT_EQ(sim::RowText(0), u"first");
    ASSERT_TRUE(CloseHandle(first));
    EXPECT_TRUE(sim::ShowsOriginalBuffer());

    sim::FailCall("CreateConsoleScreenBuffer", ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(NewBuffer(), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_FALSE(SetConsoleActiveScreenBuffer(Input()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    CONSOLE_CURSOR_INFO cursor = {25, TRUE};
    EXPECT_FALSE(GetConsoleCursorInfo(Input(), &cursor));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    sim::FailCall("SetConsoleCursorInfo", ERROR_INVALID_HANDLE);
    HANDLE out = OpenConsoleOutput();
    EXPECT_FALSE(SetConsoleCursorInfo(out, &cursor));
    CloseHandle(out);
}

TEST_F(ConsoleBuffersTest, RecordsComeInOrderWithRepeatsThenReadsFailRatherThanWait) {
    sim::TypeKeys(
        {sim::KeyRecord(true, VK_DOWN, 0, ENHANCED_KEY, 50), sim::KeyRecord(false, VK_DOWN, 0, ENHANCED_KEY)});
    INPUT_RECORD written = sim::KeyRecord(true, 'I', u'i', 0);
    DWORD count = 0;
    ASSERT_TRUE(WriteConsoleInputW(Input(), &written, 1, &count));
    ASSERT_TRUE(GetNumberOfConsoleInputEvents(Input(), &count));
    EXPECT_EQ(count, 3u);

    std::vector<INPUT_RECORD> records = Read(2);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Event.KeyEvent.wRepeatCount, 50);
    EXPECT_EQ(records[0].Event.KeyEvent.wVirtualScanCode, 0x50);
    EXPECT_FALSE(records[1].Event.KeyEvent.bKeyDown);
    records = Read();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].Event.KeyEvent.uChar.UnicodeChar, u'i');

    INPUT_RECORD none;
    DWORD read = 7;
    EXPECT_FALSE(ReadConsoleInputW(Input(), &none, 1, &read));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_DATA));
    EXPECT_EQ(read, 0u);
}

TEST_F(ConsoleBuffersTest, CtrlCReachesTheHandlersOnlyWithProcessedInputAndAResizeQueuesItsEvent) {
    static std::vector<DWORD> heard;
    heard.clear();
    PHANDLER_ROUTINE handler = [](DWORD type) -> BOOL {
        heard.push_back(type);
        return TRUE;
    };
    ASSERT_TRUE(SetConsoleCtrlHandler(handler, TRUE));
    INPUT_RECORD ctrlC = sim::KeyRecord(true, 'C', 3, LEFT_CTRL_PRESSED);
    sim::TypeKeys({ctrlC});
    EXPECT_TRUE(Read().empty());  // processed input is on: Ctrl+C went to the handler
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0], static_cast<DWORD>(CTRL_C_EVENT));

    ASSERT_TRUE(SetConsoleMode(Input(), ENABLE_WINDOW_INPUT));
    sim::TypeKeys({ctrlC, sim::KeyRecord(true, VK_CANCEL, 0, LEFT_CTRL_PRESSED)});
    sim::ResizeConsoleWindow(70, 20);  // behind the keys: happens when a read reaches it
    EXPECT_EQ(sim::ConsoleInfo().srWindow.Right, 119);
    std::vector<INPUT_RECORD> records = Read();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Event.KeyEvent.uChar.UnicodeChar, 3);
    EXPECT_EQ(records[1].EventType, WINDOW_BUFFER_SIZE_EVENT);
    EXPECT_EQ(records[1].Event.WindowBufferSizeEvent.dwSize.X, 70);
    EXPECT_EQ(sim::ConsoleInfo().srWindow.Bottom, 19);
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_EQ(heard[1], static_cast<DWORD>(CTRL_BREAK_EVENT));

    ASSERT_TRUE(SetConsoleCtrlHandler(handler, FALSE));
    EXPECT_FALSE(SetConsoleCtrlHandler(handler, FALSE));  // no longer there
    EXPECT_FALSE(sim::RaiseConsoleCtrlEvent(CTRL_C_EVENT));
    EXPECT_EQ(sim::UnhandledCtrlEvents(), 1);
}

TEST_F(ConsoleBuffersTest, AWaitRunsTimersInVirtualTimeAndNeverHangsWhenNothingCanCome) {
    static int fired = 0;
    fired = 0;
    SetTimer(nullptr, 0, 1000, [](HWND, UINT, UINT_PTR, DWORD) { ++fired; });
    HANDLE input = Input();
    // A timer that fires for ever: waits report it until the idle limit,
    // then the input handle, and the read that follows fails. The wait
    // leaves the timer's message to the loop that takes it.
    int waits = 0;
    for (;;) {
        DWORD result = MsgWaitForMultipleObjects(1, &input, FALSE, INFINITE, QS_ALLINPUT);
        ASSERT_LT(++waits, 1000);
        if (result == WAIT_OBJECT_0) break;
        ASSERT_EQ(result, WAIT_OBJECT_0 + 1);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    EXPECT_EQ(fired, static_cast<int>(sim::kIdleInputLimitMs / 1000));
    EXPECT_TRUE(Read().empty());

    // Input waiting signals at once; a finite wait with nothing due times out.
    sim::TypeKeys({sim::KeyRecord(true, VK_UP, 0, ENHANCED_KEY)});
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &input, FALSE, INFINITE, QS_ALLINPUT), WAIT_OBJECT_0);
    Read();
    ULONGLONG before = sim::Now();
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &input, FALSE, 10, QS_KEY), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(sim::Now(), before + 10);
}

}  // namespace
