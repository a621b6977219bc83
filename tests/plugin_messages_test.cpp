#include "plugin/plugin.h"
#include "support/plugin_fixture.h"

using MessagesTest = PluginTest;

TEST_F(MessagesTest, PrefixOutsideABatchFileNamesOnlyThePlugin) {
    PrintErrorPrefix();
    EXPECT_EQ(Err(), u"Vivanta plugin: ");
    EXPECT_EQ(Out(), u"");
}

TEST_F(MessagesTest, PrefixInsideABatchFilePrintsItsNameLiterally) {
    HostCtlSetVariable(u"_batch", u"1");
    HostCtlSetVariable(u"_batchname", u"C:\\jobs\\100%done%d.btm");
    HostCtlSetVariable(u"_batchline", u"12");
    PrintErrorPrefix();
    EXPECT_EQ(Err(), u"Vivanta plugin: C:\\jobs\\100%done%d.btm [12]  ");
}

// The message is formatted once: a percent sign in what it names is text,
// and a name longer than any fixed buffer (a long path) is printed whole.
TEST_F(MessagesTest, ErrorMessageKeepsLongAndPercentNamesWhole) {
    std::u16string path = u"C:\\100%d\\" + std::u16string(40000, u'x');
    PrintError(TEXT("Error opening \"%s\" (%d)\r\n"), path.c_str(), 7);
    EXPECT_EQ(Err(), u"Vivanta plugin: Error opening \"" + path + u"\" (7)\r\n");
}

TEST_F(MessagesTest, WindowsErrorTexts) {
    WCHAR text[ERROR_TEXT_SIZE];
    EXPECT_TRUE(FormatWindowsError(0xFFFFFFFF, text));
    EXPECT_EQ(std::u16string(text), u"Unknown error");

    // The system's message comes back without the line break it ends in.
    EXPECT_TRUE(FormatWindowsError(ERROR_FILE_NOT_FOUND, text));
    EXPECT_EQ(std::u16string(text), u"The system cannot find the file specified.");

    // A code Windows cannot describe is shown as a signed number.
    EXPECT_TRUE(FormatWindowsError(0x80001234, text));
    EXPECT_EQ(std::u16string(text), u"Error -2147478988");
    EXPECT_TRUE(FormatWindowsError(77777, text));
    EXPECT_EQ(std::u16string(text), u"Error 77777");

    EXPECT_FALSE(FormatWindowsError(2, nullptr));
}

TEST_F(MessagesTest, MessageTableFailureFallsBackToTheNumber) {
    sim::FailCall("FormatMessageW", ERROR_NOT_ENOUGH_MEMORY);
    WCHAR text[ERROR_TEXT_SIZE];
    EXPECT_TRUE(FormatWindowsError(ERROR_ACCESS_DENIED, text));
    EXPECT_EQ(std::u16string(text), u"Error 5");
}

TEST_F(MessagesTest, TransientOrPipedShells) {
    EXPECT_FALSE(IsTransientOrPiped());
    HostCtlSetVariable(u"_pipe", u"1");
    EXPECT_TRUE(IsTransientOrPiped());
    HostCtlSetVariable(u"_pipe", u"0");
    HostCtlSetVariable(u"_transient", u"1");
    EXPECT_TRUE(IsTransientOrPiped());
}
