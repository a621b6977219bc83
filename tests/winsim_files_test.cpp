// Linux-only: files made, linked and inspected from the Linux side, handle
// and view counts, standard streams as the simulation redirects them, and
// injected faults. Opening, sharing, deleting, moving, replacing and
// searching are shared cases (win32/files_test.cpp, win32/find_test.cpp).
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "win32/win32_test.h"
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

// Linux-only: a relative name against the current folder, set with chdir;
// full names of full paths are a shared case.
TEST_F(FilesTest, RelativeNamesResolveAgainstTheCurrentFolder) {
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    WCHAR buffer[MAX_PATH];
    LPWSTR file = nullptr;
    DWORD length = GetFullPathNameW(u"sub\\.\\x\\..\\name.ini", MAX_PATH, buffer, &file);
    std::string expected = dir_ + "/sub/name.ini";
    EXPECT_EQ(length, expected.size());
    EXPECT_EQ(std::u16string(buffer), std::u16string(expected.begin(), expected.end()));
    EXPECT_EQ(GetCurrentDirectoryW(MAX_PATH, buffer), dir_.size());
    ASSERT_EQ(chdir("/"), 0);
}

}  // namespace

namespace {

class FileSharingTest : public WinsimTest {
  protected:
    void SetUp() override {
        WinsimTest::SetUp();
        char pattern[] = "/tmp/winsim_sharing_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        std::ofstream(dir_ + "/f.txt") << "0123456789";
    }
    void TearDown() override {
        sim::Reset();  // closes what a failed test left open
        EXPECT_EQ(system(("rm -rf " + dir_).c_str()), 0);
    }
    std::u16string Path(const std::string &name) const {
        std::string path = dir_ + "\\" + name;
        return std::u16string(path.begin(), path.end());
    }
    HANDLE Open(DWORD access, DWORD share, const std::string &name = "f.txt") {
        return CreateFileW(Path(name).c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
    }
    bool Exists(const std::string &name) const { return access((dir_ + "/" + name).c_str(), F_OK) == 0; }

    std::string dir_;
};

const DWORD kRead = FILE_SHARE_READ, kWrite = FILE_SHARE_WRITE, kDelete = FILE_SHARE_DELETE;
const DWORD kAll = kRead | kWrite | kDelete;

// Linux-only: fault injection. The rules of moving are shared cases
// (win32/files_test.cpp).
TEST_F(FileSharingTest, AFailedMoveLeavesTheFile) {
    sim::FailCall("MoveFileW", ERROR_ACCESS_DENIED);
    EXPECT_FALSE(MoveFileW(Path("f.txt").c_str(), Path("i.txt").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(Exists("f.txt"));
}

// Linux-only: fault injection; what a handle tells is a shared case
// (win32/file_handles_test.cpp).
TEST_F(FileSharingTest, AFailedSizeQuerySaysWhy) {
    HANDLE reader = Open(GENERIC_READ, kAll);
    LARGE_INTEGER size = {};
    sim::FailCall("GetFileSizeEx", ERROR_INVALID_FUNCTION);
    EXPECT_FALSE(GetFileSizeEx(reader, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    CloseHandle(reader);
}

// Linux-only: another program moves the file and plants a new one under
// its old name, from the Linux side. A rename through the handle moves the
// handle's file wherever its name has gone, never the planted one. The
// rules of renaming, deleting and attributes through a handle are shared
// cases (win32/files_test.cpp).
TEST_F(FileSharingTest, ARenameThroughAHandleFollowsTheFileNotItsOldName) {
    std::u16string target = Path("g.txt");
    size_t offset = offsetof(FILE_RENAME_INFO, FileName);
    std::vector<BYTE> buffer(offset + (target.size() + 1) * sizeof(WCHAR), 0);
    auto *info = reinterpret_cast<FILE_RENAME_INFO *>(buffer.data());
    info->FileNameLength = static_cast<DWORD>(target.size() * sizeof(WCHAR));
    memcpy(buffer.data() + offset, target.c_str(), target.size() * sizeof(WCHAR));
    HANDLE file = Open(GENERIC_READ | DELETE, 0);
    ASSERT_EQ(rename((dir_ + "/f.txt").c_str(), (dir_ + "/moved.txt").c_str()), 0);
    std::ofstream(dir_ + "/f.txt") << "planted";
    EXPECT_TRUE(SetFileInformationByHandle(file, FileRenameInfo, info, static_cast<DWORD>(buffer.size())));
    CloseHandle(file);
    EXPECT_FALSE(Exists("moved.txt"));
    EXPECT_TRUE(Exists("f.txt"));
    std::ifstream renamed(dir_ + "/g.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(renamed), {}), "0123456789");
}

}  // namespace

namespace {

class FileMappingTest : public WinsimTest {
  protected:
    void SetUp() override {
        WinsimTest::SetUp();
        char pattern[] = "/tmp/winsim_mapping_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        sim::Reset();
        EXPECT_EQ(system(("rm -rf " + dir_).c_str()), 0);
    }
    HANDLE OpenWith(const std::string &content, DWORD access) {
        std::ofstream(dir_ + "/m.bin", std::ios::binary) << content;
        std::string path = dir_ + "/m.bin";
        return CreateFileW(std::u16string(path.begin(), path.end()).c_str(), access, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    }
    std::string dir_;
};

// Linux-only: standard input as the simulation gives it, and fault
// injection; the refusals of mapping are shared cases.
TEST_F(FileMappingTest, StandardInputAndInjectedFailures) {
    EXPECT_EQ(CreateFileMappingW(GetStdHandle(STD_INPUT_HANDLE), nullptr, PAGE_READONLY, 0, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    HANDLE file = OpenWith("0123456789", GENERIC_READ);
    HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    sim::FailCall("MapViewOfFile", ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    CloseHandle(mapping);
    CloseHandle(file);
    EXPECT_EQ(sim::MappedViewCount(), 0);
}

}  // namespace

namespace {

using StreamsTest = WinsimTest;

TEST_F(StreamsTest, RedirectedStandardInput) {
    sim::SetStdInputPipe("piped");
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    EXPECT_EQ(GetFileType(input), static_cast<DWORD>(FILE_TYPE_PIPE));
    EXPECT_EQ(ReadSome(input, 64), "piped");
    BOOL ok = TRUE;
    ReadSome(input, 64, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ(sim::OpenHandleCount(), 0);  // the process was given it

    char pattern[] = "/tmp/winsim_stdin_XXXXXX";
    ASSERT_NE(mkstemp(pattern), -1);
    std::ofstream(pattern) << "from file";
    ASSERT_TRUE(sim::SetStdInputFile(pattern));
    EXPECT_EQ(GetFileType(GetStdHandle(STD_INPUT_HANDLE)), static_cast<DWORD>(FILE_TYPE_DISK));
    EXPECT_EQ(ReadSome(GetStdHandle(STD_INPUT_HANDLE), 4), "from");
    EXPECT_FALSE(sim::SetStdInputFile("/nonexistent/file"));
    sim::Reset();
    remove(pattern);
}

TEST_F(StreamsTest, TheConsoleHandsOverALineAtATimeAndCtrlZEndsIt) {
    sim::SetStdInputConsole(u"red\nbl\u00E9\n\x1A\nafter\n");
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    EXPECT_EQ(ReadSome(input, 100), "red\r\n");
    EXPECT_EQ(ReadSome(input, 100), "bl?\r\n");  // code page 437 as winsim knows it: ASCII only
    EXPECT_EQ(ReadSome(input, 100), "");         // ^Z
    EXPECT_EQ(ReadSome(input, 3), "aft");
    EXPECT_EQ(ReadSome(input, 100), "er\r\n");
    EXPECT_EQ(ReadSome(input, 100), "");  // nothing more typed

    sim::SetConsoleInputCodePage(CP_UTF8);
    sim::TypeConsoleInput(u"\u00E9t\u00E9\n");
    EXPECT_EQ(ReadSome(input, 100), "\xC3\xA9t\xC3\xA9\r\n");
    sim::TypeConsoleInput(u"wide\n");
    WCHAR text[16];
    DWORD got = 0;
    EXPECT_TRUE(ReadConsoleW(input, text, 16, &got, nullptr));
    EXPECT_EQ(std::u16string(text, got), u"wide\r\n");
    EXPECT_FALSE(ReadConsoleW(nullptr, text, 16, &got, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(StreamsTest, DuplicatesOfStandardHandles) {
    HANDLE copy = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), GetStdHandle(STD_OUTPUT_HANDLE), GetCurrentProcess(), &copy, 0,
                                FALSE, DUPLICATE_SAME_ACCESS));
    DWORD written = 0;
    WriteFile(copy, "via copy", 8, &written, nullptr);
    EXPECT_EQ(sim::CapturedBytes(STD_OUTPUT_HANDLE), "via copy");
    EXPECT_EQ(sim::OpenHandleCount(), 1);
    CloseHandle(copy);

    sim::SetStdInputConsole(u"typed\n");
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), GetStdHandle(STD_INPUT_HANDLE), GetCurrentProcess(), &copy, 0,
                                FALSE, DUPLICATE_SAME_ACCESS));
    DWORD mode = 0;
    EXPECT_TRUE(GetConsoleMode(copy, &mode));
    EXPECT_EQ(ReadSome(copy, 100), "typed\r\n");
    CloseHandle(copy);
    EXPECT_FALSE(DuplicateHandle(nullptr, GetStdHandle(STD_INPUT_HANDLE), GetCurrentProcess(), &copy, 0, FALSE,
                                 DUPLICATE_SAME_ACCESS));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    sim::FailCall("DuplicateHandle", ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_FALSE(DuplicateHandle(GetCurrentProcess(), GetStdHandle(STD_INPUT_HANDLE), GetCurrentProcess(), &copy, 0,
                                 FALSE, DUPLICATE_SAME_ACCESS));
    EXPECT_EQ(sim::OpenHandleCount(), 0);
}

// Linux-only: the world's own temporary folder and the one a test sets;
// temporary names are a shared case.
TEST_F(StreamsTest, TheWorldsTemporaryFolder) {
    std::string dir = sim::TempDirectory();
    struct stat st;
    ASSERT_EQ(stat(dir.c_str(), &st), 0);
    EXPECT_EQ(dir.rfind("/tmp/", 0), 0u);
    sim::Reset();  // the world's directory goes with it
    EXPECT_NE(stat(dir.c_str(), &st), 0);
    sim::SetTempPath(u"C:\\Temp");
    WCHAR path[MAX_PATH + 1];
    EXPECT_EQ(GetTempPathW(MAX_PATH + 1, path), 8u);
    EXPECT_EQ(std::u16string(path), u"C:\\Temp\\");
}

}  // namespace

namespace {

std::u16string Wide(const std::string &ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

// Linux-only: links are made by Linux's symlink. A link is a reparse point
// of its own; a handle tells the final name of its file, links resolved,
// under its drive or its volume's GUID name.
TEST_F(FilesTest, LinksAndFinalNames) {
    std::ofstream(dir_ + "/target.txt") << "t";
    ASSERT_EQ(symlink((dir_ + "/target.txt").c_str(), (dir_ + "/link.txt").c_str()), 0);
    EXPECT_EQ(GetFileAttributesW(Path("link.txt").c_str()),
              static_cast<DWORD>(FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(Open("link.txt", GENERIC_READ, CREATE_NEW), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    HANDLE file = Open("link.txt", GENERIC_READ, OPEN_EXISTING);
    WCHAR name[MAX_PATH];
    std::u16string final = Wide("\\\\?\\" + dir_ + "/target.txt");
    EXPECT_EQ(GetFinalPathNameByHandleW(file, name, 4, 0), final.size() + 1);
    EXPECT_EQ(GetFinalPathNameByHandleW(file, name, MAX_PATH, 0), final.size());
    EXPECT_EQ(std::u16string(name), final);
    // A volume's GUID name leads where its drive letter does.
    ASSERT_GT(GetFinalPathNameByHandleW(file, name, MAX_PATH, VOLUME_NAME_GUID), 0u);
    EXPECT_EQ(std::u16string(name).substr(0, 11), u"\\\\?\\Volume{");
    CloseHandle(file);
    file = CreateFileW(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
}

}  // namespace
