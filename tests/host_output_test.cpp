// Output services with capture and the sink, and the services that only
// answer from the host's tables: IPC, the edit line, yields, processes and
// paths.
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "host_fixture.h"
#include "host_sim.h"

using HostOutputTest = HostTest;
using HostServicesTest = HostTest;

namespace {

std::u16string g_sunk[3];

void WINAPI Sink(int stream, LPCWSTR text) {
    g_sunk[stream] += text;
}

}  // namespace

TEST_F(HostOutputTest, CapturedPerStreamWithWideConversions) {
    HostCtlCapture(1);
    EXPECT_EQ(23, Printf(u"%s v%u.%u.%u loaded.", u"Vivanta", 1u, 20u, 3u));
    QPuts(u" Hotkey: ");
    Printf(u"%c", u'Z');
    CrLf();
    EXPECT_EQ(11, Qprintf(GetStdHandle(STD_ERROR_HANDLE), u"%s plugin: ", u"Vi"));
    Qprintf(GetStdHandle(STD_ERROR_HANDLE), u"%d%%\r\n", -5);
    EXPECT_EQ(u"Vivanta v1.20.3 loaded. Hotkey: Z\r\n", Output(1));
    EXPECT_EQ(u"Vi plugin: -5%\r\n", Output(2));
    HostCtlClearOutput();
    EXPECT_EQ(u"", Output(1));
    EXPECT_EQ(u"", Output(2));
}

TEST_F(HostOutputTest, LongTextIsNotCut) {
    HostCtlCapture(1);
    std::u16string text(100000, u'q');
    EXPECT_EQ(100002, Printf(u"<%s>", text.c_str()));
    EXPECT_EQ(u"<" + text + u">", Output(1));
    QPuts(text.c_str());
    EXPECT_EQ(200002u, Output(1).size());
}

TEST_F(HostOutputTest, PercentInAPlainTextIsNotAFormat) {
    HostCtlCapture(1);
    QPuts(u"run%d.btm");
    EXPECT_EQ(u"run%d.btm", Output(1));
}

TEST_F(HostOutputTest, SinkSeesEveryWriteWithItsStream) {
    g_sunk[1].clear();
    g_sunk[2].clear();
    HostCtlCapture(1);
    HostCtlSetOutputSink(Sink);
    Printf(u"out");
    Qprintf(GetStdHandle(STD_ERROR_HANDLE), u"err");
    CrLf();
    HostCtlSetOutputSink(nullptr);
    Printf(u"unseen");
    EXPECT_EQ(u"out\r\n", g_sunk[1]);
    EXPECT_EQ(u"err", g_sunk[2]);
}

TEST_F(HostOutputTest, WithoutCaptureTextReachesTheStandardHandle) {
    sim::SetStdTarget(STD_OUTPUT_HANDLE, sim::StdTarget::Capture);
    sim::SetStdTarget(STD_ERROR_HANDLE, sim::StdTarget::Capture);
    Printf(u"h\u00e9llo %s", u"\u20ac");
    Qprintf(GetStdHandle(STD_ERROR_HANDLE), u"oops");
    EXPECT_EQ("h\xc3\xa9llo \xe2\x82\xac", sim::CapturedBytes(STD_OUTPUT_HANDLE));
    EXPECT_EQ("oops", sim::CapturedBytes(STD_ERROR_HANDLE));
    EXPECT_EQ(u"", Output(1));
}

TEST_F(HostOutputTest, ConsoleHandlesAreWrittenAsWideText) {
    sim::SetStdTarget(STD_OUTPUT_HANDLE, sim::StdTarget::Console);
    Printf(u"Cr\u00e8me");
    EXPECT_EQ(u"Cr\u00e8me", sim::RowText(0));
}

TEST_F(HostServicesTest, IpcAnswersComeFromTheTableAndEveryQueryIsLogged) {
    HostCtlSetIpcAnswer(u"HWND", u"4660", 0);
    std::vector<WCHAR> reply(1024, u'#');
    EXPECT_EQ(0, TakeCommandIPC(u"HWND", reply.data()));
    EXPECT_EQ(u"4660", std::u16string(reply.data()));
    EXPECT_EQ(-1, TakeCommandIPC(u"HVIEW", reply.data()));
    EXPECT_EQ(u"", std::u16string(reply.data()));
    HostCtlSetIpcAnswer(u"COLOR", u"", 1);
    EXPECT_EQ(1, TakeCommandIPC(u"COLOR", reply.data()));
    EXPECT_EQ(u"HWND\nHVIEW\nCOLOR\n", ReadBack(HostCtlGetIpcLog));
    HostCtlReset();
    EXPECT_EQ(-1, TakeCommandIPC(u"HWND", reply.data()));
}

TEST_F(HostServicesTest, EditLineAndYieldAreRecorded) {
    WCHAR line[] = u"dir /s";
    ClearEditLine(line);
    ClearEditLine(nullptr);
    tty_yield(0);
    tty_yield(0);
    EXPECT_EQ(u"dir /s\n\n", ReadBack(HostCtlGetEditLineLog));
    EXPECT_EQ(2, HostCtlYieldCount());
}

TEST_F(HostServicesTest, ParentProcessComesFromTheSnapshot) {
    sim::AddProcess(500, 400, u"tcc.exe");
    EXPECT_EQ(400, GetParentPID(500));
    EXPECT_EQ(4000, GetParentPID(static_cast<int>(GetCurrentProcessId())));
    EXPECT_EQ(0, GetParentPID(999999));
    EXPECT_EQ(0, sim::OpenHandleCount());
}

TEST_F(HostServicesTest, FilesDirectoriesAndTrueNames) {
    char dir[] = "/tmp/vhost_host_XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(dir));
    std::string file = std::string(dir) + "/a.ini";
    std::ofstream(file) << "x";
    std::u16string wdir(dir, dir + std::string(dir).size());
    std::u16string wfile = wdir + u"/a.ini";
    EXPECT_TRUE(QueryIsFile(wfile.c_str()));
    EXPECT_FALSE(QueryIsDirectory(wfile.c_str()));
    EXPECT_TRUE(QueryIsDirectory(wdir.c_str()));
    EXPECT_FALSE(QueryIsFile(wdir.c_str()));
    EXPECT_FALSE(QueryIsFile((wdir + u"/none").c_str()));

    std::vector<WCHAR> buffer(32768, 0);
    std::u16string messy = wdir + u"/sub/../a.ini";
    messy.copy(buffer.data(), messy.size());
    EXPECT_EQ(0, QueryTrueName(buffer.data(), buffer.data()));
    EXPECT_EQ(wfile, std::u16string(buffer.data()));
    std::remove(file.c_str());
    rmdir(dir);
}

TEST_F(HostServicesTest, TakeCommandFrontEndAnswersWindowQueries) {
    sim::FrontEndWindows windows = SetupHostFrontEnd(sim::FrontEnd::TakeCommand);
    std::vector<WCHAR> reply(1024, 0);
    EXPECT_EQ(0, TakeCommandIPC(u"HWND", reply.data()));
    // The plugin reads the digits as a 32-bit number, as window handles are.
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(windows.host), std::stoull(Narrow(reply.data())));
    EXPECT_LT(std::stoull(Narrow(reply.data())), 0x100000000ull);
    EXPECT_EQ(0, TakeCommandIPC(u"HVIEW", reply.data()));
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(windows.display), std::stoull(Narrow(reply.data())));
    EXPECT_TRUE(IsWindow(windows.display));

    sim::Reset();
    HostCtlReset();
    SetupHostFrontEnd(sim::FrontEnd::ClassicConsole);
    EXPECT_EQ(-1, TakeCommandIPC(u"HWND", reply.data()));
}
