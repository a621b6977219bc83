#include "winsim_fixture.h"

namespace {

using ProcessTest = WinsimTest;

std::vector<PROCESSENTRY32W> Snapshot() {
    std::vector<PROCESSENTRY32W> entries;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        entries.push_back(entry);
    }
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    CloseHandle(snapshot);
    return entries;
}

TEST_F(ProcessTest, SnapshotListsTheProcessTreeAndCountsAsAnOpenHandle) {
    EXPECT_EQ(GetCurrentProcessId(), 4196u);
    sim::AddProcess(4000, 3000, u"cmd.exe");  // replaces the default parent's entry
    sim::AddProcess(3000, 0, u"Console.exe");
    bool sawShell = false;
    for (const PROCESSENTRY32W &entry : Snapshot()) {
        if (entry.th32ProcessID == 4196) {
            EXPECT_EQ(entry.th32ParentProcessID, 4000u);
        }
        if (entry.th32ProcessID == 4000) {
            sawShell = true;
            EXPECT_EQ(entry.th32ParentProcessID, 3000u);
            EXPECT_EQ(std::u16string(entry.szExeFile), u"cmd.exe");
        }
    }
    EXPECT_TRUE(sawShell);

    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    EXPECT_EQ(sim::OpenHandleCount(), 1);
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof entry - 2;  // the caller must give the whole record's size
    EXPECT_FALSE(Process32FirstW(snapshot, &entry));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_LENGTH));
    EXPECT_TRUE(CloseHandle(snapshot));
    EXPECT_FALSE(CloseHandle(snapshot));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(sim::OpenHandleCount(), 0);
}

TEST_F(ProcessTest, EnvironmentNamesIgnoreCaseAndValuesFollowTheSizeRules) {
    WCHAR buffer[8];
    EXPECT_EQ(GetEnvironmentVariableW(u"ColorDir", buffer, 8), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));

    ASSERT_TRUE(SetEnvironmentVariableW(u"ColorDir", u"exe:red"));
    EXPECT_EQ(GetEnvironmentVariableW(u"COLORDIR", buffer, 8), 7u);  // fits: length alone
    EXPECT_EQ(std::u16string(buffer), u"exe:red");
    EXPECT_EQ(GetEnvironmentVariableW(u"colordir", buffer, 7), 8u);  // no room: size with terminator
    EXPECT_EQ(GetEnvironmentVariableW(u"colordir", nullptr, 0), 8u);

    ASSERT_TRUE(SetEnvironmentVariableW(u"COLORDIR", nullptr));
    EXPECT_EQ(sim::Environment(u"ColorDir"), u"");
    EXPECT_EQ(GetEnvironmentVariableW(u"ColorDir", buffer, 8), 0u);
    EXPECT_FALSE(SetEnvironmentVariableW(u"A=B", u"x"));
}

TEST_F(ProcessTest, SystemMessagesEndInALineBreakOrWithAWidthLimitInABlank) {
    WCHAR text[128];
    DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    WORD language = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);
    EXPECT_EQ(FormatMessageW(flags, nullptr, ERROR_ACCESS_DENIED, language, text, 128, nullptr), 19u);
    EXPECT_EQ(std::u16string(text), u"Access is denied.\r\n");
    EXPECT_GT(FormatMessageW(flags | FORMAT_MESSAGE_MAX_WIDTH_MASK, nullptr, 2, language, text, 128, nullptr), 0u);
    EXPECT_EQ(std::u16string(text), u"The system cannot find the file specified. ");

    EXPECT_EQ(FormatMessageW(flags, nullptr, ERROR_ACCESS_DENIED, language, text, 19, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(FormatMessageW(flags, nullptr, 0xE0001234, language, text, 128, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));

    sim::SetSystemMessage(0xE0001234, u"Custom.\r\n");
    EXPECT_EQ(FormatMessageW(flags, nullptr, 0xE0001234, language, text, 128, nullptr), 9u);
}

TEST_F(ProcessTest, FaultsHitTheChosenCallsAndResetForgetsThem) {
    sim::FailCall("GetEnvironmentVariableW", ERROR_NOT_ENOUGH_MEMORY, 2, 2);
    SetEnvironmentVariableW(u"X", u"1");
    WCHAR buffer[4];
    EXPECT_EQ(GetEnvironmentVariableW(u"X", buffer, 4), 1u);
    EXPECT_EQ(GetEnvironmentVariableW(u"X", buffer, 4), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(GetEnvironmentVariableW(u"X", buffer, 4), 0u);
    EXPECT_EQ(GetEnvironmentVariableW(u"X", buffer, 4), 1u);
    EXPECT_EQ(sim::CallCount("GetEnvironmentVariableW"), 4);

    // "From now": counted from the calls already made.
    sim::FailCall("GetEnvironmentVariableW", ERROR_OUTOFMEMORY);
    EXPECT_EQ(GetEnvironmentVariableW(u"X", buffer, 4), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OUTOFMEMORY));

    sim::FailCall("CreateFileW", ERROR_ACCESS_DENIED);
    sim::ClearFaults();
    HANDLE console = OpenConsoleOutput();
    EXPECT_NE(console, INVALID_HANDLE_VALUE);
    CloseHandle(console);

    sim::FailCall("CreateFileW", ERROR_ACCESS_DENIED);
    sim::Reset();
    EXPECT_EQ(sim::CallCount("CreateFileW"), 0);
    console = OpenConsoleOutput();
    EXPECT_NE(console, INVALID_HANDLE_VALUE);
    CloseHandle(console);
}

TEST_F(ProcessTest, SleepMovesTheVirtualClockAtOnce) {
    EXPECT_EQ(GetTickCount64(), 0u);
    Sleep(50);
    sim::RunFor(25);
    EXPECT_EQ(sim::Now(), 75u);
    EXPECT_EQ(GetTickCount(), 75u);
}

}  // namespace
