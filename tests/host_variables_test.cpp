// ExpandVariables: the reference forms plugins use, and the texts that
// must survive untouched.
#include "host_fixture.h"

using HostVariablesTest = HostTest;

TEST_F(HostVariablesTest, InternalVariablesHaveTheirDefaults) {
    EXPECT_EQ(u"28.01", Expand(u"%_4ver"));
    EXPECT_EQ(u"00", Expand(u"%[_transient]%[_pipe]"));
    EXPECT_EQ(u"0", Expand(u"%_batch"));
    EXPECT_EQ(u" [0]  ", Expand(u"%_batchname [%_batchline]  "));
}

TEST_F(HostVariablesTest, InternalNameEndsAtTheFirstNonNameCharacter) {
    HostCtlSetVariable(u"_batchname", u"C:\\jobs\\run%d.btm");
    HostCtlSetVariable(u"_batchline", u"12");
    EXPECT_EQ(u"C:\\jobs\\run%d.btm [12]  ", Expand(u"%_batchname [%_batchline]  "));
    EXPECT_EQ(u"28.01-x", Expand(u"%_4VER%_nosuch-x"));
}

TEST_F(HostVariablesTest, EnvironmentVariablesInBothForms) {
    SetEnvironmentVariableW(u"noloadmsg", u"1");
    SetEnvironmentVariableW(u"ColorDir", u"DIRS:Bright Blue");
    EXPECT_EQ(u"001", Expand(u"%[_transient]%[_pipe]%[noloadmsg]"));
    EXPECT_EQ(u"<DIRS:Bright Blue>", Expand(u"<%ColorDir%>"));
    EXPECT_EQ(u"[]", Expand(u"[%nosuch%]"));
}

TEST_F(HostVariablesTest, SettingAnInternalVariableToNullRemovesIt) {
    HostCtlSetVariable(u"_pipe", u"1");
    EXPECT_EQ(u"01", Expand(u"%[_transient]%[_pipe]"));
    HostCtlSetVariable(u"_pipe", nullptr);
    EXPECT_EQ(u"0", Expand(u"%[_transient]%[_pipe]"));
}

TEST_F(HostVariablesTest, PathFunctionGivesTheDirectoryWithItsSeparator) {
    HostCtlSetVariable(u"_cmdspec", u"C:\\Program Files\\Host\\tcc.exe");
    EXPECT_EQ(u"C:\\Program Files\\Host\\", Expand(u"%@path[%_cmdspec]"));
    EXPECT_EQ(u"/opt/host/", Expand(u"%@PATH[/opt/host/tcc]"));
    EXPECT_EQ(u"D:", Expand(u"%@path[D:tcc.exe]"));
    EXPECT_EQ(u"", Expand(u"%@path[tcc.exe]"));
    EXPECT_EQ(u"a\\[b]\\", Expand(u"%@path[a\\[b]\\c]"));
    EXPECT_EQ(u"", Expand(u"%@nosuch[x]"));
}

TEST_F(HostVariablesTest, CmdspecDefaultsToTheRunningProgram) {
    std::vector<WCHAR> path(32768, 0);
    GetModuleFileNameW(NULL, path.data(), 32768);
    EXPECT_EQ(std::u16string(path.data()), Expand(u"%_cmdspec"));
}

TEST_F(HostVariablesTest, PercentSignsThatStartNoReferenceStay) {
    EXPECT_EQ(u"100%", Expand(u"100%%"));
    EXPECT_EQ(u"50% off", Expand(u"50% off"));
    EXPECT_EQ(u"a % b % c", Expand(u"a % b % c"));
    EXPECT_EQ(u"%", Expand(u"%"));
    EXPECT_EQ(u"%[open", Expand(u"%[open"));
    EXPECT_EQ(u"%@path[open", Expand(u"%@path[open"));
}

TEST_F(HostVariablesTest, ValuesAreNotExpandedAgain) {
    SetEnvironmentVariableW(u"Loop", u"%Loop%");
    EXPECT_EQ(u"%Loop%", Expand(u"%Loop%"));
}

TEST_F(HostVariablesTest, ResultIsCutToTheSmallestBuffer) {
    std::u16string long_value(5000, u'x');
    SetEnvironmentVariableW(u"Long", long_value.c_str());
    std::vector<WCHAR> buffer(2048, u'#');
    std::u16string text = u"%Long%";
    text.copy(buffer.data(), text.size());
    buffer[text.size()] = 0;
    EXPECT_EQ(0, ExpandVariables(buffer.data(), 1));
    EXPECT_EQ(std::u16string(1023, u'x'), std::u16string(buffer.data()));
    EXPECT_EQ(u'#', buffer[1024]);
}

TEST_F(HostVariablesTest, DeepNestingEndsWithoutExhaustingTheStack) {
    std::u16string text;
    for (int i = 0; i < 300; ++i) text += u"%@path[";
    text += u"a\\b";
    text += std::u16string(300, u']');
    std::vector<WCHAR> buffer(text.begin(), text.end());
    buffer.push_back(0);
    EXPECT_EQ(0, ExpandVariables(buffer.data(), 1));
    EXPECT_EQ(u"", std::u16string(buffer.data()));
}
