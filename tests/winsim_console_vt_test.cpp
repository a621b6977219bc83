// Linux-only: a pseudo console's terminal as the simulation plays it (its
// palette and profile, the VT log).
#include "winsim_fixture.h"

namespace {

const COLORREF kHostDefault[16] = {0x0C0C0C, 0xDA3700, 0x0EA113, 0xDD963A, 0x1F0FC5, 0x981788, 0x009CC1, 0xCCCCCC,
                                   0x767676, 0xFF783B, 0x0CC616, 0xD6D661, 0x5648E7, 0x9E00B4, 0xA5F1F9, 0xF2F2F2};

class PseudoConsoleTest : public WinsimTest {
  protected:
    void SetUp() override {
        WinsimTest::SetUp();
        windows_ = sim::SetupFrontEnd(sim::FrontEnd::Terminal);
        console_ = OpenConsoleOutput();
        ASSERT_NE(console_, INVALID_HANDLE_VALUE);
    }
    void TearDown() override { CloseHandle(console_); }

    void Write(const std::u16string &text) {
        DWORD written = 0;
        ASSERT_TRUE(WriteConsoleW(console_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
        ASSERT_EQ(written, text.size());
    }
    COLORREF Mirror(int index) { return sim::ConsoleInfo().ColorTable[index]; }
    static bool SameColors(const sim::TerminalColors &a, const sim::TerminalColors &b) {
        for (int i = 0; i < 16; ++i) {
            if (a.ansi[i] != b.ansi[i]) return false;
        }
        return a.foreground == b.foreground && a.background == b.background;
    }

    sim::FrontEndWindows windows_;
    HANDLE console_ = nullptr;
};

TEST_F(PseudoConsoleTest, Osc4SplitAcrossWritesSetsTheTerminalAndTheMirrorInAnsiOrder) {
    // ESC, the OSC's text and the ST each cut apart; BEL ends the second.
    Write(u"a\x1b");
    Write(u"]4;1;rgb:1");
    Write(u"2/34/56\x1b");
    Write(u"\\b\x1b]4;4;#A0B0C0\x07");
    Write(u"\x1b]4;3;rgb:01/02/03;11;rgb:04/05/06\x1b\\");  // two pairs in one
    sim::TerminalColors now = sim::TerminalColorsNow();
    EXPECT_EQ(now.ansi[1], RGB(0x12, 0x34, 0x56));  // ANSI red is console 4
    EXPECT_EQ(Mirror(4), RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(now.ansi[4], RGB(0xA0, 0xB0, 0xC0));  // ANSI blue is console 1
    EXPECT_EQ(Mirror(1), RGB(0xA0, 0xB0, 0xC0));
    EXPECT_EQ(Mirror(6), RGB(1, 2, 3));
    EXPECT_EQ(Mirror(14), RGB(4, 5, 6));
    EXPECT_EQ(Mirror(0), kHostDefault[0]);
    EXPECT_EQ(sim::RowText(0), u"ab");
    EXPECT_EQ(sim::VtLog(),
              u"a\x1b]4;1;rgb:12/34/56\x1b\\b\x1b]4;4;#A0B0C0\x07"
              u"\x1b]4;3;rgb:01/02/03;11;rgb:04/05/06\x1b\\");
}

TEST_F(PseudoConsoleTest, DefaultColoursLeaveTheMirrorAndResetsGoBackToProfileAndHostTable) {
    const sim::TerminalColors profile = sim::TerminalProfile();
    EXPECT_EQ(profile.ansi[1], RGB(0xC5, 0x0F, 0x1F));
    EXPECT_EQ(profile.foreground, RGB(0xCC, 0xCC, 0xCC));
    EXPECT_EQ(profile.background, RGB(0x0C, 0x0C, 0x0C));
    // One hex digit scales to the byte (c is cc), four take the high byte.
    Write(u"\x1b]10;rgb:c/0/F\x1b\\\x1b]11;RGB:ffff/8000/0abc\x07");
    sim::TerminalColors now = sim::TerminalColorsNow();
    EXPECT_EQ(now.foreground, RGB(0xCC, 0, 0xFF));
    EXPECT_EQ(now.background, RGB(0xFF, 0x80, 0x0A));
    for (int i = 0; i < 16; ++i) EXPECT_EQ(Mirror(i), kHostDefault[i]) << i;

    // Bad specs and entries past the 16 change nothing.
    Write(u"\x1b]4;2;rgb:1/2\x1b\\\x1b]4;2;rgb:12345/0/0\x1b\\\x1b]4;200;rgb:1/1/1\x1b\\\x1b]10;?\x1b\\");
    EXPECT_EQ(sim::TerminalColorsNow().ansi[2], profile.ansi[2]);
    EXPECT_EQ(sim::TerminalColorsNow().foreground, RGB(0xCC, 0, 0xFF));

    Write(u"\x1b]4;2;rgb:01/01/01;5;rgb:02/02/02\x1b\\\x1b]104;5\x1b\\");
    EXPECT_EQ(sim::TerminalColorsNow().ansi[2], RGB(1, 1, 1));
    EXPECT_EQ(sim::TerminalColorsNow().ansi[5], profile.ansi[5]);
    EXPECT_EQ(Mirror(5), kHostDefault[5]);
    Write(u"\x1b]104\x1b\\\x1b]110\x07");
    now = sim::TerminalColorsNow();
    EXPECT_EQ(now.ansi[2], profile.ansi[2]);
    EXPECT_EQ(Mirror(2), kHostDefault[2]);
    EXPECT_EQ(now.foreground, profile.foreground);
    EXPECT_EQ(now.background, RGB(0xFF, 0x80, 0x0A));  // 111 not yet
    Write(u"\x1b]111\x1b\\");
    EXPECT_TRUE(SameColors(sim::TerminalColorsNow(), profile));
}

TEST_F(PseudoConsoleTest, OtherSequencesAreConsumedAndEitherFlagOffMakesText) {
    Write(u"\x1b[1;31mR\x1b]0;title\x07\x1b(BG\x1bPq#0\x1b\\B\x1b]4;1;rgb:ff/ff/ff\x18X\x1b]999;x\x1b\\");
    EXPECT_EQ(sim::RowText(0), u"RGBX");
    EXPECT_EQ(sim::TerminalColorsNow().ansi[1], sim::TerminalProfile().ansi[1]);  // cancelled by CAN

    DWORD mode = 0;
    ASSERT_TRUE(GetConsoleMode(console_, &mode));
    EXPECT_EQ(mode, static_cast<DWORD>(ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT |
                                       ENABLE_VIRTUAL_TERMINAL_PROCESSING));  // as ConPTY starts it
    const std::u16string osc = u"\x1b]4;1;rgb:ff/ff/ff\x1b\\";
    const DWORD offs[] = {ENABLE_VIRTUAL_TERMINAL_PROCESSING, ENABLE_PROCESSED_OUTPUT};
    std::u16string row = u"RGBX";
    for (DWORD off : offs) {
        std::u16string before = sim::VtLog();
        ASSERT_TRUE(SetConsoleMode(console_, mode & ~off));
        Write(osc);
        row += osc;
        EXPECT_EQ(sim::RowText(0), row) << off;
        EXPECT_EQ(sim::TerminalColorsNow().ansi[1], sim::TerminalProfile().ansi[1]) << off;
        // Only writes made with VT processing on are logged.
        EXPECT_EQ(sim::VtLog().size() - before.size(), off == ENABLE_PROCESSED_OUTPUT ? osc.size() : 0u);
    }

    // The mode is the screen buffer's: another handle to it sees it; a
    // failing SetConsoleMode leaves it.
    HANDLE other = OpenConsoleOutput();
    sim::FailCall("SetConsoleMode", ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(SetConsoleMode(other, mode));
    DWORD seen = 0;
    ASSERT_TRUE(GetConsoleMode(other, &seen));
    EXPECT_EQ(seen, mode & ~static_cast<DWORD>(ENABLE_PROCESSED_OUTPUT));
    CloseHandle(other);
}

TEST_F(PseudoConsoleTest, SetInfoExChangesOnlyTheMirror) {
    CONSOLE_SCREEN_BUFFER_INFOEX info = sim::ConsoleInfo();
    info.ColorTable[4] = RGB(1, 2, 3);
    ++info.srWindow.Right;
    ++info.srWindow.Bottom;
    ASSERT_TRUE(SetConsoleScreenBufferInfoEx(console_, &info));
    EXPECT_EQ(Mirror(4), RGB(1, 2, 3));
    EXPECT_TRUE(SameColors(sim::TerminalColorsNow(), sim::TerminalProfile()));
}

TEST_F(PseudoConsoleTest, WindowsTerminalReloadsItsColoursAfterAnAppThemeChange) {
    Write(u"\x1b]4;1;rgb:01/02/03\x1b\\\x1b]11;rgb:04/05/06\x1b\\");
    const std::u16string area = u"ImmersiveColorSet";
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(area.c_str()), SMTO_ABORTIFHUNG,
                        1000, &answer);
    // The terminal reloads on its own time, not within the broadcast.
    EXPECT_EQ(sim::TerminalColorsNow().ansi[1], RGB(1, 2, 3));
    sim::RunFor(sim::kTerminalThemeDelayMs - 1);
    EXPECT_EQ(sim::TerminalColorsNow().ansi[1], RGB(1, 2, 3));
    sim::RunFor(1);
    EXPECT_TRUE(SameColors(sim::TerminalColorsNow(), sim::TerminalProfile()));
    EXPECT_EQ(Mirror(4), RGB(1, 2, 3));  // the host never hears of it

    // Another setting changing is no reload; a reload by hand is.
    Write(u"\x1b]4;1;rgb:01/02/03\x1b\\");
    sim::BroadcastFromAnotherProgram(WM_SETTINGCHANGE, 0, u"Environment");
    sim::RunFor(1000);
    EXPECT_EQ(sim::TerminalColorsNow().ansi[1], RGB(1, 2, 3));
    sim::ReloadTerminalSettings();
    EXPECT_EQ(sim::TerminalColorsNow().ansi[1], sim::TerminalProfile().ansi[1]);
}

}  // namespace
