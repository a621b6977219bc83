// Modules found by name, their functions, and their file names, as the
// plugin finds the console calls and its own folder.
#include "win32_test.h"

namespace {

using ModulesTest = Win32Test;

TEST_F(ModulesTest, Kernel32IsFoundInAnyCaseAndLendsTheBufferFunctions) {
    HMODULE kernel32 = GetModuleHandleW(TEXT("Kernel32.dll"));
    ASSERT_NE(kernel32, nullptr);
    EXPECT_EQ(GetModuleHandleW(TEXT("KERNEL32")), kernel32);
    EXPECT_EQ(GetModuleHandleW(TEXT("kernel32.DLL")), kernel32);
    EXPECT_EQ(FRESH(GetModuleHandleW(TEXT("nosuch.dll"))), nullptr);
    EXPECT_ERROR(ERROR_MOD_NOT_FOUND);

    EXPECT_NE(GetProcAddress(kernel32, "GetConsoleScreenBufferInfoEx"), nullptr);
    EXPECT_NE(GetProcAddress(kernel32, "SetConsoleScreenBufferInfoEx"), nullptr);
    EXPECT_EQ(FRESH(GetProcAddress(kernel32, "NoSuchFunction")), nullptr);
    EXPECT_ERROR(ERROR_PROC_NOT_FOUND);
}

// A short buffer gets the name cut and terminated, the buffer's size as the
// count, and ERROR_INSUFFICIENT_BUFFER.
TEST_F(ModulesTest, ModuleFileNamesAreCutAndTerminatedWhenTheBufferIsShort) {
    WCHAR name[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, name, MAX_PATH);
    ASSERT_GT(length, 4u);
    WString full(name, length);
    WCHAR small[5];
    EXPECT_EQ(FRESH(GetModuleFileNameW(nullptr, small, 5)), 5u);
    EXPECT_ERROR(ERROR_INSUFFICIENT_BUFFER);
    // Windows since Vista terminates the cut name (GetModuleFileNameW's
    // documentation); Wine fills all five units as Windows XP did.
    if (!kOnWine) {
        EXPECT_EQ(WString(small), full.substr(0, 4));
    }
}

// The loader calls a module's entry point once, at its first load; a
// second load, by the loaded module's name in any case and without its
// extension, only counts.
TEST_F(ModulesTest, LoadingAModuleCallsItsEntryPointOnce) {
    HMODULE module = LoadLibraryW(TEXT("win32_entry_module.dll"));
    ASSERT_NE(module, nullptr) << GetLastError();
    using Count = LONG(WINAPI *)(void);
    auto attaches = reinterpret_cast<Count>(reinterpret_cast<void *>(GetProcAddress(module, "EntryModuleAttaches")));
    ASSERT_NE(attaches, nullptr);
    EXPECT_EQ(attaches(), 1);
    EXPECT_EQ(LoadLibraryW(TEXT("win32_entry_module.dll")), module);
    EXPECT_EQ(LoadLibraryW(TEXT("WIN32_ENTRY_MODULE")), module);
    EXPECT_EQ(attaches(), 1);
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_TRUE(FreeLibrary(module));
}

TEST_F(ModulesTest, LoadingAMissingModuleFails) {
    EXPECT_EQ(FRESH(LoadLibraryW(TEXT("\\no\\such\\module.dll"))), nullptr);
    EXPECT_ERROR(ERROR_MOD_NOT_FOUND);
}

}  // namespace
