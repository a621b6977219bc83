#include <dlfcn.h>

#include "winsim_fixture.h"

namespace {

using ModulesTest = WinsimTest;

typedef BOOL(WINAPI *GetInfoEx)(HANDLE, PCONSOLE_SCREEN_BUFFER_INFOEX);

// A real shared object to load: the library these functions live in.
std::u16string WinsimLibraryPath() {
    Dl_info info = {};
    dladdr(reinterpret_cast<void *>(&GetTickCount), &info);
    std::string path = info.dli_fname ? info.dli_fname : "";
    return std::u16string(path.begin(), path.end());
}

TEST_F(ModulesTest, Kernel32IsFoundInAnyCaseAndLendsTheBufferFunctions) {
    HMODULE kernel32 = GetModuleHandleW(u"Kernel32.dll");
    ASSERT_NE(kernel32, nullptr);
    EXPECT_EQ(GetModuleHandleW(u"KERNEL32"), kernel32);
    EXPECT_EQ(GetModuleHandleW(u"kernel32.DLL"), kernel32);
    EXPECT_EQ(GetModuleHandleW(u"nosuch.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));

    GetInfoEx get = reinterpret_cast<GetInfoEx>(
        reinterpret_cast<void (*)(void)>(GetProcAddress(kernel32, "GetConsoleScreenBufferInfoEx")));
    ASSERT_NE(get, nullptr);
    EXPECT_NE(GetProcAddress(kernel32, "SetConsoleScreenBufferInfoEx"), nullptr);
    HANDLE console = OpenConsoleOutput();
    CONSOLE_SCREEN_BUFFER_INFOEX info = {};
    info.cbSize = sizeof info;
    EXPECT_TRUE(get(console, &info));
    EXPECT_EQ(info.dwSize.X, 120);
    CloseHandle(console);

    EXPECT_EQ(GetProcAddress(kernel32, "NoSuchFunction"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
}

TEST_F(ModulesTest, ModuleFileNamesAreCutAndTerminatedWhenTheBufferIsShort) {
    HMODULE plugin = sim::FakeModule(u"/opt/vivanta/Vivanta.so");
    EXPECT_EQ(sim::FakeModule(u"/opt/vivanta/Vivanta.so"), plugin);
    WCHAR name[MAX_PATH];
    EXPECT_EQ(GetModuleFileNameW(plugin, name, MAX_PATH), 23u);
    EXPECT_EQ(std::u16string(name), u"/opt/vivanta/Vivanta.so");

    WCHAR small[5];
    SetLastError(0);
    EXPECT_EQ(GetModuleFileNameW(plugin, small, 5), 5u);
    EXPECT_EQ(std::u16string(small), u"/opt");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

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
    FARPROC tick = GetProcAddress(loaded, "GetTickCount");
    EXPECT_EQ(reinterpret_cast<void *>(tick), reinterpret_cast<void *>(&GetTickCount));
    EXPECT_EQ(GetProcAddress(loaded, "NoSuchSymbol"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_TRUE(FreeLibrary(loaded));

    EXPECT_EQ(LoadLibraryW(u"\\no\\such\\module.so"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

}  // namespace
