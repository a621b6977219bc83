#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "winsim_fixture.h"

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

TEST_F(FileSharingTest, ANewOpenMustFitEveryEarlierOne) {
    HANDLE reader = Open(GENERIC_READ, kRead);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    HANDLE second = Open(GENERIC_READ, kRead | kWrite);
    EXPECT_NE(second, INVALID_HANDLE_VALUE);  // reading is shared both ways
    EXPECT_EQ(Open(GENERIC_WRITE, kAll), INVALID_HANDLE_VALUE);  // the reader does not share writing
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(Open(GENERIC_READ, kWrite), INVALID_HANDLE_VALUE);  // must share the readers' reading
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    HANDLE attributes = Open(0, 0);  // no data access: no sharing check
    EXPECT_NE(attributes, INVALID_HANDLE_VALUE);
    // A refused CREATE_ALWAYS leaves the content alone.
    EXPECT_EQ(CreateFileW(Path("f.txt").c_str(), GENERIC_WRITE, kAll, nullptr, CREATE_ALWAYS, 0, nullptr),
              INVALID_HANDLE_VALUE);
    struct stat st;
    ASSERT_EQ(stat((dir_ + "/f.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_size, 10);
    for (HANDLE h : {reader, second, attributes}) CloseHandle(h);
    HANDLE writer = Open(GENERIC_WRITE, 0);
    EXPECT_NE(writer, INVALID_HANDLE_VALUE);
    CloseHandle(writer);
}

TEST_F(FileSharingTest, DeletingNeedsDeleteSharingAndNoMapping) {
    HANDLE file = Open(GENERIC_READ, kRead);
    EXPECT_FALSE(DeleteFileW(Path("f.txt").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(file);

    file = Open(GENERIC_READ, kRead | kDelete);
    HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    const void *view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
    CloseHandle(mapping);
    CloseHandle(file);
    EXPECT_FALSE(DeleteFileW(Path("f.txt").c_str()));  // the view still holds the file
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    UnmapViewOfFile(view);
    EXPECT_TRUE(DeleteFileW(Path("f.txt").c_str()));
    EXPECT_FALSE(Exists("f.txt"));
    EXPECT_FALSE(DeleteFileW(Path("f.txt").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(DeleteFileW(Path("").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));  // a directory
}

TEST_F(FileSharingTest, MovingObeysTheSameRules) {
    std::ofstream(dir_ + "/g.txt") << "g";
    EXPECT_FALSE(MoveFileW(Path("f.txt").c_str(), Path("g.txt").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    HANDLE target = Open(GENERIC_READ, kAll, "g.txt");
    EXPECT_FALSE(MoveFileExW(Path("f.txt").c_str(), Path("g.txt").c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));  // an open target
    CloseHandle(target);
    HANDLE source = Open(GENERIC_READ, kRead);
    EXPECT_FALSE(MoveFileExW(Path("f.txt").c_str(), Path("g.txt").c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(source);
    EXPECT_TRUE(MoveFileExW(Path("f.txt").c_str(), Path("g.txt").c_str(), MOVEFILE_REPLACE_EXISTING));
    EXPECT_FALSE(Exists("f.txt"));
    EXPECT_TRUE(MoveFileW(Path("g.txt").c_str(), Path("h.txt").c_str()));
    EXPECT_FALSE(MoveFileW(Path("g.txt").c_str(), Path("i.txt").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    sim::FailCall("MoveFileW", ERROR_ACCESS_DENIED);
    EXPECT_FALSE(MoveFileW(Path("h.txt").c_str(), Path("i.txt").c_str()));
    EXPECT_TRUE(Exists("h.txt"));
}

TEST_F(FileSharingTest, InformationSizeAndPointer) {
    HANDLE file = Open(GENERIC_READ | GENERIC_WRITE, kRead);
    BY_HANDLE_FILE_INFORMATION info = {};
    ASSERT_TRUE(GetFileInformationByHandle(file, &info));
    EXPECT_NE(info.ftLastWriteTime.dwHighDateTime, 0u);
    EXPECT_NE(info.ftCreationTime.dwHighDateTime, 0u);
    EXPECT_EQ(info.nFileSizeLow, 10u);
    EXPECT_EQ(GetFileType(file), static_cast<DWORD>(FILE_TYPE_DISK));
    DWORD high = 7;
    EXPECT_EQ(GetFileSize(file, &high), 10u);
    EXPECT_EQ(high, 0u);
    LARGE_INTEGER size = {};
    EXPECT_TRUE(GetFileSizeEx(file, &size));
    EXPECT_EQ(size.QuadPart, 10);

    EXPECT_EQ(SetFilePointer(file, -3, nullptr, FILE_END), 7u);
    char bytes[8];
    DWORD got = 0;
    ReadFile(file, bytes, sizeof bytes, &got, nullptr);
    EXPECT_EQ(std::string(bytes, got), "789");
    EXPECT_EQ(SetFilePointer(file, -20, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    LARGE_INTEGER to = {}, now = {};
    to.QuadPart = 2;
    EXPECT_TRUE(SetFilePointerEx(file, to, &now, FILE_BEGIN));
    EXPECT_EQ(now.QuadPart, 2);
    EXPECT_TRUE(FlushFileBuffers(file));
    CloseHandle(file);

    HANDLE reader = Open(GENERIC_READ, kAll);
    EXPECT_FALSE(FlushFileBuffers(reader));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    sim::FailCall("GetFileSizeEx", ERROR_INVALID_FUNCTION);
    EXPECT_FALSE(GetFileSizeEx(reader, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    CloseHandle(reader);
}

TEST_F(FileSharingTest, StreamsHaveNoTimesAndConsolesNoFileInformation) {
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
    HANDLE nul = CreateFileW(u"NUL", GENERIC_READ, kAll, nullptr, OPEN_EXISTING, 0, nullptr);
    for (HANDLE stream : {readEnd, nul}) {
        BY_HANDLE_FILE_INFORMATION info;
        memset(&info, 0xAB, sizeof info);
        ASSERT_TRUE(GetFileInformationByHandle(stream, &info));
        EXPECT_EQ(info.ftCreationTime.dwLowDateTime | info.ftLastAccessTime.dwLowDateTime |
                      info.ftLastWriteTime.dwLowDateTime | info.ftLastWriteTime.dwHighDateTime,
                  0u);
        EXPECT_EQ(info.nFileSizeLow, 0u);
    }
    EXPECT_EQ(GetFileType(readEnd), static_cast<DWORD>(FILE_TYPE_PIPE));
    EXPECT_EQ(GetFileType(nul), static_cast<DWORD>(FILE_TYPE_CHAR));
    EXPECT_EQ(SetFilePointer(readEnd, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    BY_HANDLE_FILE_INFORMATION info = {};
    EXPECT_FALSE(GetFileInformationByHandle(GetStdHandle(STD_INPUT_HANDLE), &info));
    EXPECT_EQ(GetFileType(GetStdHandle(STD_INPUT_HANDLE)), static_cast<DWORD>(FILE_TYPE_CHAR));
    for (HANDLE h : {readEnd, writeEnd, nul}) CloseHandle(h);
    EXPECT_EQ(sim::OpenHandleCount(), 0);
}

TEST_F(FileSharingTest, DuplicatesShareTheFileAndItsClaim) {
    HANDLE file = Open(GENERIC_READ, kRead);
    HANDLE copy = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), file, GetCurrentProcess(), &copy, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    EXPECT_EQ(sim::OpenHandleCount(), 2);
    char byte;
    DWORD got = 0;
    ReadFile(file, &byte, 1, &got, nullptr);
    ReadFile(copy, &byte, 1, &got, nullptr);
    EXPECT_EQ(byte, '1');  // one file position
    CloseHandle(file);
    EXPECT_EQ(Open(GENERIC_WRITE, kAll), INVALID_HANDLE_VALUE);  // the copy still claims it
    CloseHandle(copy);
    EXPECT_FALSE(DuplicateHandle(GetCurrentProcess(), file, GetCurrentProcess(), &copy, 0, FALSE,
                                 DUPLICATE_SAME_ACCESS));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(sim::OpenHandleCount(), 0);
}

}  // namespace
