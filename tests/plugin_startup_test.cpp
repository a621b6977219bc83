#include "base/base.h"
#include "support/plugin_fixture.h"

namespace {

using StartupTest = PluginTest;

TEST_F(StartupTest, StartsOnAClassicConsoleAndShutsDownCleanly) {
    EXPECT_EQ(InitializePlugin(), 0);
    EXPECT_EQ(Err(), u"");
    EXPECT_EQ(Out(), Versioned(u"Vivanta v%VERSION% loaded.   Hotkey: Alt-Z\r\n"));
    EXPECT_EQ(sim::OpenHandleCount(), 1);
    EXPECT_NE(g_plugin.getBufferInfoEx, nullptr);
    EXPECT_NE(g_plugin.setBufferInfoEx, nullptr);
    EXPECT_EQ(g_plugin.hostVersion, 28u);
    EXPECT_EQ(ShutdownPlugin(), 0);
    EXPECT_EQ(sim::OpenHandleCount(), 0);
}

TEST_F(StartupTest, UnsupportedFrontEndsRefuseWithoutOpeningTheConsole) {
    struct Case {
        sim::FrontEnd frontEnd;
        const char16_t *message;
    } cases[] = {
        {sim::FrontEnd::Console2, u"Console2 is not supported.\r\nVivanta plugin not loaded.\r\n"},
        {sim::FrontEnd::ConEmu, u"ConEmu is not supported.\r\nVivanta plugin not loaded.\r\n"},
        {sim::FrontEnd::Terminal, u"Windows Terminal is not supported.\r\nVivanta plugin not loaded.\r\n"},
    };
    for (const Case &c : cases) {
        for (int quiet = 0; quiet < 2; ++quiet) {
            sim::Reset();
            HostCtlReset();
            HostCtlCapture(1);
            HostCtlSetVariable(u"_transient", quiet ? u"1" : u"0");
            sim::SetupFrontEnd(c.frontEnd);
            EXPECT_EQ(InitializePlugin(), 1);
            std::u16string expected = quiet ? u"" : std::u16string(u"Vivanta plugin: ") + c.message;
            EXPECT_EQ(Err(), expected) << Narrow(c.message);
            EXPECT_EQ(Out(), u"");
            EXPECT_EQ(sim::CallCount("CreateFileW"), 0);
            EXPECT_EQ(sim::OpenHandleCount(), 0);
        }
    }
}

TEST_F(StartupTest, UnopenableConsoleRefuses) {
    sim::FailCall("CreateFileW", ERROR_ACCESS_DENIED);
    EXPECT_EQ(InitializePlugin(), 1);
    EXPECT_EQ(Err(), u"Vivanta plugin: Can\u2019t open console handle!\r\nVivanta plugin not loaded.\r\n");
    EXPECT_EQ(sim::OpenHandleCount(), 0);
}

TEST_F(StartupTest, MissingBufferFunctionsRefuseAndCloseTheConsole) {
    const std::u16string message =
        u"Vivanta plugin: Can\u2019t get entry point for GetConsoleScreenBufferInfoEx() or\r\n"
        u"SetConsoleScreenBufferInfoEx().  Windows Vista or later is required.\r\n"
        u"Vivanta plugin not loaded.\r\n";
    struct Fault {
        const char *function;
        int nth;
    } faults[] = {{"GetModuleHandleW", 1}, {"GetProcAddress", 1}, {"GetProcAddress", 2}};
    for (const Fault &f : faults) {
        sim::Reset();
        HostCtlClearOutput();
        sim::FailCall(f.function, ERROR_PROC_NOT_FOUND, f.nth);
        EXPECT_EQ(InitializePlugin(), 1) << f.function << f.nth;
        EXPECT_EQ(Err(), message) << f.function << f.nth;
        EXPECT_EQ(sim::OpenHandleCount(), 0) << f.function << f.nth;
    }
}

TEST_F(StartupTest, RefusalsAreSilentInAPipe) {
    HostCtlSetVariable(u"_pipe", u"1");
    sim::FailCall("CreateFileW", ERROR_ACCESS_DENIED);
    EXPECT_EQ(InitializePlugin(), 1);
    sim::FailCall("GetProcAddress", ERROR_PROC_NOT_FOUND);
    EXPECT_EQ(InitializePlugin(), 1);
    EXPECT_EQ(Err(), u"");
    EXPECT_EQ(sim::OpenHandleCount(), 0);
}

TEST_F(StartupTest, HostVersionNumberIsTheLeadingNumber) {
    struct Case {
        const char16_t *text;
        DWORD version;
    } cases[] = {{u"28.01", 28}, {u"  33.00.7", 33},          {u"9", 9}, {u"v28", 0}, {u"", 0},
                 {u"-28", 0},    {u"99999999999", 0xFFFFFFFF}};
    for (const Case &c : cases) {
        HostCtlSetVariable(u"_4ver", c.text);
        ReadHostVersion();
        EXPECT_EQ(g_plugin.hostVersion, c.version) << Narrow(c.text);
    }
}

TEST_F(StartupTest, PluginInfoDescribesVersion0390) {
    PluginInfo *info = GetPluginInfo();
    ASSERT_EQ(info, GetPluginInfo());
    EXPECT_EQ(std::u16string(info->name), u"Vivanta");
    EXPECT_EQ(std::u16string(info->implements), u"vivanta,*key");
    EXPECT_EQ(std::u16string(info->description), u"Color schemes for TCC, TCC/LE, and Take Command v28+.");
    EXPECT_EQ(info->major, 0);
    EXPECT_EQ(info->minor, 39);
    EXPECT_EQ(info->build, 0);
}

TEST_F(StartupTest, UsageGivesTheSyntaxOnward) {
    WCHAR out[1024];
    out[0] = 0;
    EXPECT_EQ(Usage(u"@vivanta", out), 0);
    EXPECT_EQ(Usage(u"_vivanta", out), 0);
    EXPECT_EQ(Usage(u"colors", out), 0);
    EXPECT_EQ(out[0], 0);

    EXPECT_EQ(Usage(u"ViVaNtA", out), 1);
    std::u16string text(out);
    EXPECT_EQ(text.rfind(u"VIVANTA /D /F:file /K:key /L /O:yn /Q /R /S /W:file::name scheme  \r\n\n\t/D\t", 0), 0u)
        << Narrow(text);
    EXPECT_EQ(text, std::u16string(HELP_TEXT).substr(std::u16string(HELP_TEXT).find(u"VIVANTA /D")));
}

TEST_F(StartupTest, HelpShowsTheWholeTextInABoxOwnedByTheForegroundWindow) {
    EXPECT_EQ(Help(u"colors"), 0);
    EXPECT_TRUE(sim::MessageBoxes().empty());

    HWND foreground = GetForegroundWindow();
    EXPECT_EQ(Help(u"VIVANTA"), 1);
    std::vector<sim::MessageBoxRecord> boxes = sim::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, u"Vivanta Plugin Help");
    EXPECT_EQ(boxes[0].text, std::u16string(HELP_TEXT));
    EXPECT_EQ(boxes[0].owner, foreground);
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK));
}

}  // namespace
