// Repainting after a scheme is applied: the console window, and under Take
// Command the window that shows the console, found through the host or by a
// marker title that the view copies after a delay.
#include <string>

#include "host_sim.h"
#include "support/palette_fixture.h"

namespace {

const UINT FLAGS = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN;

// What the plugin asked Take Command since `mark` (start-up asks too).
std::u16string IpcSince(const std::u16string &mark) {
    return HostIpcLog().substr(mark.size());
}

std::u16string Decimal(HWND window) {
    std::string digits = std::to_string(reinterpret_cast<ULONG_PTR>(window));
    return std::u16string(digits.begin(), digits.end());
}

using RepaintTest = PaletteTest;

TEST_F(RepaintTest, ClassicConsoleIsRedrawnAndTakeCommandIsAskedFrom28) {
    Start(u"28");
    std::u16string mark = HostIpcLog();
    EXPECT_EQ(RepaintConsoleWindows(), 1);
    ASSERT_EQ(sim::Redraws().size(), 1u);
    EXPECT_EQ(sim::Redraws()[0].window, GetConsoleWindow());
    EXPECT_EQ(sim::Redraws()[0].flags, FLAGS);
    // No Take Command answers: the conversation ends after "HWND".
    EXPECT_EQ(IpcSince(mark), u"COLOR\nHWND\n");
}

TEST_F(RepaintTest, BelowVersion28NothingReachesTakeCommand) {
    SetupHostFrontEnd(sim::FrontEnd::TakeCommand);
    Start(u"27.5");
    std::u16string mark = HostIpcLog();
    // The console window is hidden under Take Command: nothing to redraw.
    EXPECT_EQ(RepaintConsoleWindows(), 0);
    EXPECT_EQ(IpcSince(mark), u"");
    EXPECT_TRUE(sim::Redraws().empty());
}

TEST_F(RepaintTest, TakeCommandViewParentIsRedrawn) {
    sim::FrontEndWindows windows = SetupHostFrontEnd(sim::FrontEnd::TakeCommand);
    Start(u"28");
    std::u16string mark = HostIpcLog();
    ULONGLONG before = sim::Now();
    EXPECT_EQ(RepaintConsoleWindows(), 1);
    ASSERT_EQ(sim::Redraws().size(), 1u);
    EXPECT_EQ(sim::Redraws()[0].window, GetParent(windows.display));
    EXPECT_EQ(sim::Redraws()[0].flags, FLAGS);
    EXPECT_EQ(IpcSince(mark), u"COLOR\nHWND\nHVIEW\n");
    EXPECT_EQ(sim::Now(), before);  // no title search was needed
}

TEST_F(RepaintTest, WithoutAUsableViewAnswerTheViewIsFoundByTitle) {
    sim::FrontEndWindows windows = SetupHostFrontEnd(sim::FrontEnd::TakeCommand);
    Start(u"28");
    // A view whose parent is the main window itself does not count.
    HostCtlSetIpcAnswer(u"HVIEW", Decimal(windows.host).c_str(), 0);
    std::u16string title = sim::ConsoleTitle();
    ULONGLONG before = sim::Now();
    EXPECT_EQ(RepaintConsoleWindows(), 1);
    ASSERT_EQ(sim::Redraws().size(), 1u);
    EXPECT_EQ(sim::Redraws()[0].window, windows.display);
    EXPECT_EQ(sim::ConsoleTitle(), title);
    // The view copies the title after 100 ms; polling every 10 ms after a
    // 30 ms pause finds it then, not two seconds later.
    EXPECT_GE(sim::Now() - before, 100u);
    EXPECT_LT(sim::Now() - before, 200u);
}

TEST_F(RepaintTest, TitleSearchUsesAMarkerAndGivesUpAfterTwoSeconds) {
    sim::FrontEndWindows windows = SetupHostFrontEnd(sim::FrontEnd::TakeCommand);
    Start(u"28");
    std::u16string title = sim::ConsoleTitle();
    EXPECT_EQ(FindViewByTitle(windows.host, &CONSOLE_VIEW_SEARCH), windows.display);
    EXPECT_EQ(sim::ConsoleTitle(), title);
    // The view still shows the marker it was found by (the restored title
    // reaches it only after its delay): the process id and a number between
    // single angle quotation marks.
    WCHAR text[1024] = {};
    GetWindowTextW(windows.display, text, 1024);
    std::u16string marker = text;
    ASSERT_EQ(marker.size(), 15u) << Narrow(marker);
    EXPECT_EQ(marker.substr(0, 9), u"\u203900001064");
    EXPECT_EQ(marker[9], u'-');
    EXPECT_EQ(marker[14], u'\u203A');

    // A main window without that view: 30 ms, then 200 polls of 10 ms.
    sim::WindowSpec spec;
    spec.className = u"XTPMainFrame";
    HWND empty = sim::CreateSimWindow(spec);
    ULONGLONG before = sim::Now();
    EXPECT_EQ(FindViewByTitle(empty, &CONSOLE_VIEW_SEARCH), nullptr);
    EXPECT_EQ(sim::Now() - before, 2030u);
    EXPECT_EQ(sim::ConsoleTitle(), title);
}

TEST_F(RepaintTest, HiddenOrMissingMainWindowStopsTheSearch) {
    sim::FrontEndWindows windows = SetupHostFrontEnd(sim::FrontEnd::TakeCommand);
    Start(u"28");
    std::u16string mark = HostIpcLog();
    HostCtlSetIpcAnswer(u"HWND", u"not a number", 0);
    EXPECT_EQ(RepaintConsoleWindows(), 0);
    EXPECT_EQ(IpcSince(mark), u"COLOR\nHWND\n");

    HostCtlSetIpcAnswer(u"HWND", Decimal(windows.host).c_str(), 0);
    HostCtlSetIpcAnswer(u"HVIEW", u"", -1);
    sim::DestroySimWindow(windows.display);
    ULONGLONG before = sim::Now();
    EXPECT_EQ(RepaintConsoleWindows(), 0);
    EXPECT_EQ(sim::Now() - before, 2030u);
    EXPECT_TRUE(sim::Redraws().empty());
}

}  // namespace
