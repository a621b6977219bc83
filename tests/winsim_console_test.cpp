// Linux-only: the console as the simulation sets it up (its size, front
// ends, the standard handles' targets) and what it shows (cells, the
// palette, the window rectangle, the log). The calls' results and errors
// on a console of any size are shared cases (win32/console_test.cpp).
#include <unistd.h>

#include "winsim_fixture.h"

namespace {

class ConsoleTest : public WinsimTest {
  protected:
    void SetUp() override {
        WinsimTest::SetUp();
        console_ = OpenConsoleOutput();
        ASSERT_NE(console_, INVALID_HANDLE_VALUE);
    }
    void TearDown() override { CloseHandle(console_); }

    CONSOLE_SCREEN_BUFFER_INFOEX Info() {
        CONSOLE_SCREEN_BUFFER_INFOEX info = {};
        info.cbSize = sizeof info;
        EXPECT_TRUE(GetConsoleScreenBufferInfoEx(console_, &info));
        return info;
    }
    void Write(const std::u16string &text) {
        DWORD written = 0;
        ASSERT_TRUE(WriteConsoleW(console_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
        ASSERT_EQ(written, text.size());
    }

    HANDLE console_ = nullptr;
};

TEST_F(ConsoleTest, FreshConsoleHasTheWindows10Defaults) {
    CONSOLE_SCREEN_BUFFER_INFOEX info = Info();
    EXPECT_EQ(sizeof info, 96u);
    EXPECT_EQ(info.dwSize.X, 120);
    EXPECT_EQ(info.dwSize.Y, 30);
    EXPECT_EQ(info.srWindow.Right, 119);  // inclusive on read
    EXPECT_EQ(info.srWindow.Bottom, 29);
    EXPECT_EQ(info.wAttributes, 0x07);
    EXPECT_EQ(info.wPopupAttributes, 0xF5);
    EXPECT_FALSE(info.bFullscreenSupported);
    EXPECT_EQ(info.ColorTable[0], 0x0C0C0Cu);
    EXPECT_EQ(info.ColorTable[1], 0xDA3700u);
    EXPECT_EQ(info.ColorTable[15], 0xF2F2F2u);
}

TEST_F(ConsoleTest, SettingWhatWasReadShrinksTheWindowUnlessEdgesAreMadeExclusive) {
    sim::SetConsoleSize(120, 9001);
    CONSOLE_SCREEN_BUFFER_INFOEX info = Info();
    ASSERT_EQ(info.srWindow.Bottom, 29);
    EXPECT_TRUE(SetConsoleScreenBufferInfoEx(console_, &info));
    EXPECT_EQ(Info().srWindow.Right, 118);
    EXPECT_EQ(Info().srWindow.Bottom, 28);

    info = Info();
    info.srWindow.Right++;
    info.srWindow.Bottom++;
    info.wAttributes = 0x1E;
    info.ColorTable[1] = 0x123456;
    EXPECT_TRUE(SetConsoleScreenBufferInfoEx(console_, &info));
    CONSOLE_SCREEN_BUFFER_INFOEX after = Info();
    EXPECT_EQ(after.srWindow.Right, 118);
    EXPECT_EQ(after.srWindow.Bottom, 28);
    EXPECT_EQ(after.wAttributes, 0x1E);
    EXPECT_EQ(after.ColorTable[1], 0x123456u);
}

TEST_F(ConsoleTest, WinesConsoleTakesTheRectangleAsReadAndNeverTheColours) {
    sim::SetConsoleSize(120, 9001);
    sim::FrontEndWindows wine = sim::SetupFrontEnd(sim::FrontEnd::Wine);
    EXPECT_EQ(wine.console, GetConsoleWindow());
    EXPECT_FALSE(IsWindowVisible(wine.console));
    WCHAR className[64] = {};
    RealGetWindowClassW(wine.console, className, 64);
    EXPECT_EQ(std::u16string(className), u"WineConsoleClass");

    CONSOLE_SCREEN_BUFFER_INFOEX read = Info();
    CONSOLE_SCREEN_BUFFER_INFOEX info = read;
    info.srWindow.Right++;  // one past the last column
    info.srWindow.Bottom++;
    info.wAttributes = 0x1E;
    info.ColorTable[1] = 0x123456;
    EXPECT_FALSE(SetConsoleScreenBufferInfoEx(console_, &info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    // Refused after the attributes were taken.
    EXPECT_EQ(Info().wAttributes, 0x1E);
    EXPECT_EQ(Info().srWindow.Right, 119);

    info.srWindow = read.srWindow;
    info.wAttributes = 0x2F;
    EXPECT_TRUE(SetConsoleScreenBufferInfoEx(console_, &info));
    CONSOLE_SCREEN_BUFFER_INFOEX after = Info();
    EXPECT_EQ(after.srWindow.Right, 119);
    EXPECT_EQ(after.srWindow.Bottom, 29);
    EXPECT_EQ(after.wAttributes, 0x2F);
    EXPECT_EQ(after.ColorTable[1], read.ColorTable[1]);

    // A cursor outside the buffer is refused before anything is taken.
    info.dwCursorPosition = {120, 0};
    info.wAttributes = 0x3F;
    EXPECT_FALSE(SetConsoleScreenBufferInfoEx(console_, &info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(Info().wAttributes, 0x2F);
}

TEST_F(ConsoleTest, WritingHandlesControlCharactersWithTheCurrentAttribute) {
    ASSERT_TRUE(SetConsoleTextAttribute(console_, 0x2A));
    Write(u"ab\bX\r\nx\ty\a\rZ");
    EXPECT_EQ(sim::RowText(0), u"aX");
    EXPECT_EQ(sim::RowText(1), u"Z       y");  // the tab stop is column 8
    EXPECT_EQ(sim::CellAttribute(1, 0), 0x2A);
    EXPECT_EQ(sim::CellAttribute(2, 0), 0x07);
    EXPECT_EQ(sim::ConsoleInfo().dwCursorPosition.X, 1);

    Write(u"\r\b\b");  // never back past the first column
    EXPECT_EQ(sim::ConsoleInfo().dwCursorPosition.X, 0);
    EXPECT_EQ(sim::ConsoleLog(), u"ab\bX\r\nx\ty\a\rZ\r\b\b");
}

TEST_F(ConsoleTest, TextWrapsAtTheRightEdgeAndScrollsAtTheBottom) {
    sim::SetConsoleSize(10, 3);
    Write(u"0123456789AB");
    EXPECT_EQ(sim::RowText(0), u"0123456789");
    EXPECT_EQ(sim::RowText(1), u"AB");
    ASSERT_TRUE(SetConsoleTextAttribute(console_, 0x50));
    Write(u"\nline3\nline4");
    EXPECT_EQ(sim::RowText(0), u"AB");
    EXPECT_EQ(sim::RowText(2), u"line4");
    EXPECT_EQ(sim::CellAttribute(9, 2), 0x50);  // the new row is blank in the current colours
}

TEST_F(ConsoleTest, TooSmallProcessListGetsTheCountNeededAndNoIds) {
    sim::SetConsoleProcesses({100, 200, 300});
    DWORD ids[2] = {7, 7};
    EXPECT_EQ(GetConsoleProcessList(ids, 2), 3u);
    EXPECT_EQ(ids[0], 7u);
    DWORD room[3] = {};
    EXPECT_EQ(GetConsoleProcessList(room, 3), 3u);
    EXPECT_EQ(room[2], 300u);

    sim::Reset();
    EXPECT_EQ(GetConsoleProcessList(room, 3), 1u);
    EXPECT_EQ(room[0], GetCurrentProcessId());
}

TEST_F(ConsoleTest, ConsoleTitleIsTheConsoleWindowsCaption) {
    ASSERT_TRUE(SetConsoleTitleW(u"first"));
    EXPECT_EQ(Text(GetConsoleWindow()), u"first");
    ASSERT_TRUE(SetWindowTextW(GetConsoleWindow(), u"second"));
    EXPECT_EQ(sim::ConsoleTitle(), u"second");
}

TEST_F(ConsoleTest, StandardHandlesLeadWhereTheTestSays) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    EXPECT_NE(out, err);
    EXPECT_NE(out, GetStdHandle(STD_INPUT_HANDLE));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(out, "to out", 6, &written, nullptr));
    EXPECT_EQ(sim::CapturedBytes(STD_OUTPUT_HANDLE), "to out");
    EXPECT_EQ(sim::CapturedBytes(STD_ERROR_HANDLE), "");
    EXPECT_EQ(sim::OpenHandleCount(), 1);  // only conout$ counts

    // Bytes written to the console are UTF-8, even split between two writes.
    sim::SetStdTarget(STD_OUTPUT_HANDLE, sim::StdTarget::Console);
    ASSERT_TRUE(WriteFile(out, "Cr\xC3", 3, &written, nullptr));
    ASSERT_TRUE(WriteFile(out, "\xA8me", 3, &written, nullptr));
    EXPECT_EQ(sim::RowText(0), u"Cr\u00E8me");
    EXPECT_EQ(sim::ConsoleLog(), u"Cr\u00E8me");
}

TEST_F(ConsoleTest, DescriptorTargetWritesBytesAndMayMirrorThemOnTheScreen) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    sim::SetStdTarget(STD_ERROR_HANDLE, sim::StdTarget::Fd, fds[1], true);
    ASSERT_TRUE(SetConsoleTextAttribute(console_, 0x0C));
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(GetStdHandle(STD_ERROR_HANDLE), "oops\r\n", 6, &written, nullptr));
    char bytes[16] = {};
    EXPECT_EQ(read(fds[0], bytes, sizeof bytes), 6);
    EXPECT_STREQ(bytes, "oops\r\n");
    EXPECT_EQ(sim::RowText(0), u"oops");
    EXPECT_EQ(sim::CellAttribute(0, 0), 0x0C);
    EXPECT_EQ(sim::ConsoleLog(), u"");  // the mirror is vhost's, not the program's
    DWORD mode = 0;
    EXPECT_FALSE(GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode));
    close(fds[0]);
    close(fds[1]);
}

}  // namespace
