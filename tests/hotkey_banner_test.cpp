#include <string>

#include "hotkey/hotkey.h"
#include "support/plugin_fixture.h"

namespace {

using LoadingBannerTest = PluginTest;

const std::u16string BANNER = Versioned(u"Vivanta v%VERSION% loaded.   Hotkey: Alt-Z\r\n");

TEST_F(LoadingBannerTest, StartUpAnnouncesTheVersionAndHotkey) {
    ASSERT_EQ(InitializePlugin(), 0);
    started_ = true;
    EXPECT_EQ(Out(), BANNER);
    EXPECT_EQ(Err(), u"");
}

TEST_F(LoadingBannerTest, SilentWhenAskedOrWhenTheShellIsTransientOrPiped) {
    struct Case {
        const char16_t *transient, *pipe, *noloadmsg;
    } cases[] = {
        {u"1", u"0", nullptr}, {u"0", u"1", nullptr}, {u"0", u"0", u"1"}, {u"0", u"0", u"anything"}, {u"0", u"0", u"0"},
    };
    for (const Case &c : cases) {
        HostCtlSetVariable(u"_transient", c.transient);
        HostCtlSetVariable(u"_pipe", c.pipe);
        SetEnvironmentVariableW(u"noloadmsg", c.noloadmsg);
        HostCtlClearOutput();
        EXPECT_EQ(InitializePlugin(), 0);
        EXPECT_EQ(Out(), u"") << Narrow(c.transient) << Narrow(c.pipe);
        EXPECT_EQ(ShutdownPlugin(), 0);
    }
}

TEST_F(LoadingBannerTest, TheBannerNamesTheHotkeyOfTheTableInForce) {
    g_settings.hotkey = 0x7005E;
    HostCtlSetVariable(u"_4ver", u"24.01");
    ASSERT_EQ(InitializePlugin(), 0);
    EXPECT_EQ(Out(), Versioned(u"Vivanta v%VERSION% loaded.   Hotkey: Ctrl-Alt-Shift-F1\r\n"));
    EXPECT_EQ(g_plugin.hostMajorVersion, 24u);
    ShutdownPlugin();

    HostCtlClearOutput();
    HostCtlSetVariable(u"_4ver", u"23.01");
    ASSERT_EQ(InitializePlugin(), 0);
    started_ = true;
    EXPECT_EQ(Out(), Versioned(u"Vivanta v%VERSION% loaded.   Hotkey: (unknown)\r\n"));

    ShutdownPlugin();
    HostCtlClearOutput();
    g_settings.hotkey = 0;
    ASSERT_EQ(InitializePlugin(), 0);
    EXPECT_EQ(Out(), Versioned(u"Vivanta v%VERSION% loaded.   Hotkey: None\r\n"));
}

}  // namespace
