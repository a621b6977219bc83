#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "winsim_fixture.h"

namespace {

class FilesTest : public WinsimTest {
  protected:
    void SetUp() override {
        WinsimTest::SetUp();
        char pattern[] = "/tmp/winsim_files_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::string command = "rm -rf " + dir_;
        EXPECT_EQ(system(command.c_str()), 0);
    }
    // The directory in Windows spelling, with backslashes.
    std::u16string Path(const std::string &name) {
        std::string path = dir_ + "\\" + name;
        return std::u16string(path.begin(), path.end());
    }
    HANDLE Open(const std::string &name, DWORD access, DWORD disposition) {
        return CreateFileW(Path(name).c_str(), access, 0, nullptr, disposition, 0, nullptr);
    }

    std::string dir_;
};

TEST_F(FilesTest, DispositionsCreateOpenAndRefuseAsWindowsDoes) {
    EXPECT_EQ(Open("a.txt", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(Open("missing\\a.txt", GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    HANDLE file = Open("a.txt", GENERIC_WRITE, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(file, "hello", 5, &done, nullptr));
    EXPECT_EQ(done, 5u);
    EXPECT_TRUE(CloseHandle(file));

    EXPECT_EQ(Open("a.txt", GENERIC_WRITE, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    file = Open("a.txt", GENERIC_READ, OPEN_ALWAYS);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    char bytes[8] = {};
    ASSERT_TRUE(ReadFile(file, bytes, sizeof bytes, &done, nullptr));
    EXPECT_EQ(std::string(bytes, done), "hello");
    ASSERT_TRUE(ReadFile(file, bytes, sizeof bytes, &done, nullptr));
    EXPECT_EQ(done, 0u);  // end of file is a successful read of nothing
    EXPECT_FALSE(WriteFile(file, "x", 1, &done, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(file);

    file = Open("a.txt", GENERIC_WRITE, TRUNCATE_EXISTING);
    EXPECT_EQ(GetLastError(), 0u);
    CloseHandle(file);
    EXPECT_EQ(Open("a.txt", GENERIC_READ, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    std::ifstream check(dir_ + "/a.txt");
    EXPECT_EQ(check.peek(), EOF);

    EXPECT_EQ(CreateFileW(Path("").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));  // a directory
}

TEST_F(FilesTest, EveryOpenedHandleCountsUntilClosedOnce) {
    HANDLE a = CreateFileW(u"CONOUT$", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE b = CreateFileW(u"CoNiN$", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE c = Open("c.txt", GENERIC_WRITE, CREATE_ALWAYS);
    for (HANDLE h : {a, b, c}) {
        EXPECT_NE(h, nullptr);
        EXPECT_NE(h, INVALID_HANDLE_VALUE);
    }
    EXPECT_NE(a, b);
    EXPECT_EQ(sim::OpenHandleCount(), 3);
    DWORD mode = 0;
    EXPECT_TRUE(GetConsoleMode(b, &mode));
    EXPECT_TRUE(CloseHandle(a));
    EXPECT_FALSE(CloseHandle(a));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    CloseHandle(b);
    CloseHandle(c);
    EXPECT_EQ(sim::OpenHandleCount(), 0);
}

TEST_F(FilesTest, AttributesTellFilesFromDirectoriesAndMissingFromUnreachable) {
    std::ofstream(dir_ + "/f.txt") << "x";
    EXPECT_EQ(GetFileAttributesW(Path("f.txt").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesW(Path("").c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesW(Path("nope.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesW(Path("no\\nope.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(FilesTest, FullPathNamesResolveDotsAndReportTheSizeNeeded) {
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    WCHAR buffer[MAX_PATH];
    LPWSTR file = nullptr;
    DWORD length = GetFullPathNameW(u"sub\\.\\x\\..\\name.ini", MAX_PATH, buffer, &file);
    std::string expected = dir_ + "/sub/name.ini";
    EXPECT_EQ(length, expected.size());
    EXPECT_EQ(std::u16string(buffer), std::u16string(expected.begin(), expected.end()));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(std::u16string(file), u"name.ini");

    WCHAR small[4] = {u'k', 0};
    EXPECT_EQ(GetFullPathNameW(u"name.ini", 4, small, nullptr), dir_.size() + 10);  // with the terminator
    EXPECT_EQ(small[0], u'k');
    EXPECT_EQ(GetCurrentDirectoryW(0, nullptr), dir_.size() + 1);
    EXPECT_EQ(GetCurrentDirectoryW(MAX_PATH, buffer), dir_.size());
    ASSERT_EQ(chdir("/"), 0);
}

}  // namespace
