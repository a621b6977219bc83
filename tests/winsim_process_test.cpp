// Linux-only: the process tree, environment, system messages, code pages
// and faults as the simulation sets them up, modules it names and loads from
// Linux, and the clipboard as another program fills it. Module look-ups and
// the clipboard's rules are shared cases (win32/modules_test.cpp,
// win32/clipboard_test.cpp), and so are the conversions between code pages
// (win32/code_pages_test.cpp).
#include <dlfcn.h>

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

namespace {

using ModulesTest = WinsimTest;

// A real shared object to load: the library these functions live in.
std::u16string WinsimLibraryPath() {
    Dl_info info = {};
    dladdr(reinterpret_cast<void *>(&GetTickCount), &info);
    std::string path = info.dli_fname ? info.dli_fname : "";
    return std::u16string(path.begin(), path.end());
}

// Linux-only: modules named by the test (sim::FakeModule); the cut of a
// short buffer is a shared case (win32/modules_test.cpp).
TEST_F(ModulesTest, NamedModulesTellTheirNames) {
    HMODULE plugin = sim::FakeModule(u"/opt/vivanta/Vivanta.so");
    EXPECT_EQ(sim::FakeModule(u"/opt/vivanta/Vivanta.so"), plugin);
    WCHAR name[MAX_PATH];
    EXPECT_EQ(GetModuleFileNameW(plugin, name, MAX_PATH), 23u);
    EXPECT_EQ(std::u16string(name), u"/opt/vivanta/Vivanta.so");

    sim::SetModuleFileName(plugin, u"C:\\Plugins\\Vivanta.dll");
    EXPECT_EQ(GetModuleFileNameW(plugin, name, MAX_PATH), 22u);
    EXPECT_GT(GetModuleFileNameW(nullptr, name, MAX_PATH), 0u);
}

TEST_F(ModulesTest, LoadingAModuleThatNamedItselfGivesItsOwnHandle) {
    std::u16string path = WinsimLibraryPath();
    ASSERT_FALSE(path.empty());
    // A module named beforehand, as tests name a statically linked plugin.
    HMODULE announced = sim::FakeModule(path);
    HMODULE loaded = LoadLibraryW(path.c_str());
    EXPECT_EQ(loaded, announced);
    // It has no DllMain: loaded all the same, as Windows loads such a DLL.
    EXPECT_FALSE(sim::HasEntryPoint(loaded));
    FARPROC tick = GetProcAddress(loaded, "GetTickCount");
    EXPECT_EQ(reinterpret_cast<void *>(tick), reinterpret_cast<void *>(&GetTickCount));
    EXPECT_EQ(GetProcAddress(loaded, "NoSuchSymbol"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_TRUE(FreeLibrary(loaded));

    EXPECT_EQ(LoadLibraryW(u"\\no\\such\\module.so"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

}  // namespace

namespace {

using ClipboardTest = WinsimTest;
using CodePagesTest = WinsimTest;

// Linux-only: data put there by another program (sim::SetClipboardText),
// a clipboard held open elsewhere, and the counts of blocks and locks. The
// opening rules and the lock counting are shared cases
// (win32/clipboard_test.cpp).
TEST_F(ClipboardTest, DataIsReadWhileTheClipboardIsOpen) {
    sim::SetClipboardText(u"clip");
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
    HANDLE block = GetClipboardData(CF_UNICODETEXT);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 10u);
    const WCHAR *text = static_cast<const WCHAR *>(GlobalLock(block));
    EXPECT_EQ(std::u16string(text), u"clip");
    EXPECT_EQ(sim::GlobalLockCount(), 1);
    GlobalUnlock(block);
    EXPECT_TRUE(CloseClipboard());

    sim::HoldClipboard(true);
    EXPECT_FALSE(OpenClipboard(nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    sim::HoldClipboard(false);
    sim::ClearClipboard();
    EXPECT_EQ(sim::GlobalBlockCount(), 0);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
}

// Linux-only: a freed block's handle is known to be gone.
TEST_F(ClipboardTest, AFreedBlockIsAnInvalidHandle) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 16);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalFree(block), nullptr);
    EXPECT_EQ(GlobalLock(block), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GlobalFree(block), block);
}

TEST_F(CodePagesTest, TheSystemCodePages) {
    EXPECT_EQ(GetACP(), 1252u);
    EXPECT_EQ(GetOEMCP(), 437u);
    sim::SetAnsiCodePage(65001);
    EXPECT_EQ(GetACP(), 65001u);
    char bytes[8];
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"\u00E9", 1, bytes, 8, nullptr, nullptr), 2);
}

// Linux-only: code pages winsim does not know, and fault injection. The
// conversions themselves are shared cases (win32/code_pages_test.cpp).
TEST_F(CodePagesTest, UnknownCodePagesAndInjectedFailures) {
    char out[16];
    EXPECT_EQ(WideCharToMultiByte(932, 0, u"a", 1, out, 16, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    sim::FailCall("WideCharToMultiByte", ERROR_OUTOFMEMORY);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, out, 16, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OUTOFMEMORY));
}

}  // namespace
