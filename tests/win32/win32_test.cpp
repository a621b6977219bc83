#include "win32_test.h"

WString Widen(const std::string &ascii) {
    return WString(ascii.begin(), ascii.end());
}

std::string Narrow(const WString &text) {
    std::string ascii;
    for (WCHAR c : text) ascii += c < 128 ? static_cast<char>(c) : '?';
    return ascii;
}

void RemoveTree(const WString &folder) {
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW((folder + TEXT("\\*")).c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            WString name(data.cFileName);
            if (name == TEXT(".") || name == TEXT("..")) continue;
            WString path = folder + TEXT("\\") + name;
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                RemoveTree(path);
            } else {
                SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                EXPECT_TRUE(DeleteFileW(path.c_str())) << Narrow(path) << " error " << GetLastError();
            }
        } while (FindNextFileW(search, &data));
        FindClose(search);
    }
    EXPECT_TRUE(RemoveDirectoryW(folder.c_str())) << Narrow(folder) << " error " << GetLastError();
}

void Win32FolderTest::SetUp() {
    Win32Test::SetUp();
    static unsigned made = 0;
    WCHAR temp[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, temp);
    ASSERT_GT(length, 0u);
    folder_ = WString(temp, length) + TEXT("vivanta win32 ") + Widen(std::to_string(GetCurrentProcessId())) +
              TEXT("-") + Widen(std::to_string(++made));
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr)) << GetLastError();
}

void Win32FolderTest::TearDown() {
    RemoveTree(folder_);
}

void Win32FolderTest::Make(const WString &name, const std::string &bytes) const {
    HANDLE file = Open(name, GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << Narrow(name) << " error " << GetLastError();
    DWORD done = 0;
    EXPECT_TRUE(WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr));
    CloseHandle(file);
}

void Win32FolderTest::MakeFolder(const WString &name) const {
    ASSERT_TRUE(CreateDirectoryW(Path(name).c_str(), nullptr)) << Narrow(name) << " error " << GetLastError();
}

std::string Win32FolderTest::Content(const WString &name) const {
    HANDLE file = Open(name, GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (file == INVALID_HANDLE_VALUE) return "<error " + std::to_string(GetLastError()) + ">";
    std::string bytes;
    char block[4096];
    DWORD got = 0;
    while (ReadFile(file, block, sizeof block, &got, nullptr) && got > 0) bytes.append(block, got);
    CloseHandle(file);
    return bytes;
}
