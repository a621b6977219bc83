#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <fstream>

#include "winsim_fixture.h"

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

TEST_F(FileMappingTest, AReadOnlyViewOfTheWholeFile) {
    HANDLE file = OpenWith("mapped bytes", GENERIC_READ);
    HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    ASSERT_NE(mapping, nullptr);
    const char *view = static_cast<const char *>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(std::string(view, 12), "mapped bytes");
    EXPECT_EQ(sim::MappedViewCount(), 1);
    CloseHandle(mapping);
    CloseHandle(file);
    EXPECT_EQ(view[0], 'm');  // the view outlives both handles
    EXPECT_TRUE(UnmapViewOfFile(view + 3));  // any address inside names the view
    EXPECT_FALSE(UnmapViewOfFile(view));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ADDRESS));
    EXPECT_EQ(sim::MappedViewCount(), 0);
    EXPECT_EQ(sim::OpenHandleCount(), 0);
}

TEST_F(FileMappingTest, WindowsRefusals) {
    HANDLE empty = OpenWith("", GENERIC_READ);
    EXPECT_EQ(CreateFileMappingW(empty, nullptr, PAGE_READONLY, 0, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_INVALID));
    CloseHandle(empty);

    HANDLE file = OpenWith("0123456789", GENERIC_READ);
    EXPECT_EQ(CreateFileMappingW(file, nullptr, PAGE_READWRITE, 0, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 100, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));  // cannot grow the file
    EXPECT_EQ(CreateFileMappingW(GetStdHandle(STD_INPUT_HANDLE), nullptr, PAGE_READONLY, 0, 0, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_READ, 0, 4096, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MAPPED_ALIGNMENT));
    EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 11), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    sim::FailCall("MapViewOfFile", ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    CloseHandle(mapping);
    CloseHandle(file);
    EXPECT_EQ(sim::MappedViewCount(), 0);
}

TEST_F(FileMappingTest, WritableSectionsGrowTheFileAndWriteThrough) {
    HANDLE file = OpenWith("ab", GENERIC_READ | GENERIC_WRITE);
    HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READWRITE, 0, 8, nullptr);
    ASSERT_NE(mapping, nullptr);
    char *view = static_cast<char *>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(view, nullptr);
    memcpy(view + 2, "cdefgh", 6);
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    CloseHandle(file);
    std::ifstream in(dir_ + "/m.bin", std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "abcdefgh");

    HANDLE paged = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, nullptr);
    char *a = static_cast<char *>(MapViewOfFile(paged, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    char *b = static_cast<char *>(MapViewOfFile(paged, FILE_MAP_READ, 0, 0, 0));
    a[0] = 'z';
    EXPECT_EQ(b[0], 'z');  // two views of one section
    UnmapViewOfFile(a);
    UnmapViewOfFile(b);
    CloseHandle(paged);
}

}  // namespace
