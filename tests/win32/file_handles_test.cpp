// What a file handle tells and does: sizes, the file pointer, the kind of
// stream behind it, duplicates, pipes, mapped views, full and temporary
// names, as the plugin's readers and writers use them.
#include <cstring>

#include "win32_test.h"

namespace {

using FileHandlesTest = Win32FolderTest;

const DWORD kAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

TEST_F(FileHandlesTest, InformationSizeAndPointer) {
    Make(TEXT("f.txt"), "0123456789");
    HANDLE file = Open(TEXT("f.txt"), GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING, FILE_SHARE_READ);
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
    EXPECT_EQ(ReadSome(file, 8), "789");
    EXPECT_EQ(FRESH(SetFilePointer(file, -20, nullptr, FILE_CURRENT)), INVALID_SET_FILE_POINTER);
    EXPECT_ERROR(ERROR_NEGATIVE_SEEK);
    LARGE_INTEGER to = {}, now = {};
    to.QuadPart = 2;
    EXPECT_TRUE(SetFilePointerEx(file, to, &now, FILE_BEGIN));
    EXPECT_EQ(now.QuadPart, 2);
    EXPECT_TRUE(FlushFileBuffers(file));
    CloseHandle(file);

    HANDLE reader = Open(TEXT("f.txt"), GENERIC_READ, OPEN_EXISTING, kAll);
    EXPECT_FALSE(FRESH(FlushFileBuffers(reader)));
    EXPECT_ERROR(ERROR_ACCESS_DENIED);
    CloseHandle(reader);
}

// Pipes and the null device are no disk files; the console is no file at
// all. Nothing settles what GetFileInformationByHandle tells of a pipe or
// the null device: winsim gives information with no times and no size,
// Wine refuses (ERROR_INVALID_FUNCTION for the pipe, ERROR_INVALID_PARAMETER
// for the null device).
TEST_F(FileHandlesTest, StreamsHaveNoTimesAndConsolesNoFileInformation) {
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
    HANDLE nul = CreateFileW(TEXT("NUL"), GENERIC_READ, kAll, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(nul, INVALID_HANDLE_VALUE);
    for (HANDLE stream : {readEnd, nul}) {
        BY_HANDLE_FILE_INFORMATION info;
        memset(&info, 0xAB, sizeof info);
        BOOL got = FRESH(GetFileInformationByHandle(stream, &info));
        if (kOnWine) {
            EXPECT_FALSE(got);
            EXPECT_ERROR(stream == nul ? ERROR_INVALID_PARAMETER : ERROR_INVALID_FUNCTION);
            continue;
        }
        ASSERT_TRUE(got);
        EXPECT_EQ(info.ftCreationTime.dwLowDateTime | info.ftLastAccessTime.dwLowDateTime |
                      info.ftLastWriteTime.dwLowDateTime | info.ftLastWriteTime.dwHighDateTime,
                  0u);
        EXPECT_EQ(info.nFileSizeLow, 0u);
    }
    EXPECT_EQ(GetFileType(readEnd), static_cast<DWORD>(FILE_TYPE_PIPE));
    EXPECT_EQ(GetFileType(nul), static_cast<DWORD>(FILE_TYPE_CHAR));
    // A pipe has no file pointer; nothing settles the error: winsim says
    // invalid function, Wine ERROR_BAD_DEV_TYPE.
    EXPECT_EQ(FRESH(SetFilePointer(readEnd, 0, nullptr, FILE_BEGIN)), INVALID_SET_FILE_POINTER);
    EXPECT_ERROR(kOnWine ? ERROR_BAD_DEV_TYPE : ERROR_INVALID_FUNCTION);
    HANDLE console = CreateFileW(TEXT("CONIN$"), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info = {};
    EXPECT_FALSE(FRESH(GetFileInformationByHandle(console, &info)));
    EXPECT_ERROR(ERROR_INVALID_FUNCTION);
    EXPECT_EQ(GetFileType(console), static_cast<DWORD>(FILE_TYPE_CHAR));
    for (HANDLE h : {readEnd, writeEnd, nul, console}) CloseHandle(h);
}

TEST_F(FileHandlesTest, DuplicatesShareTheFileAndItsClaim) {
    Make(TEXT("f.txt"), "0123456789");
    HANDLE file = Open(TEXT("f.txt"), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ);
    HANDLE copy = nullptr;
    ASSERT_TRUE(
        DuplicateHandle(GetCurrentProcess(), file, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS));
    EXPECT_EQ(ReadSome(file, 1), "0");
    EXPECT_EQ(ReadSome(copy, 1), "1");  // one file position
    CloseHandle(file);
    EXPECT_TRUE(Refused(FRESH(Open(TEXT("f.txt"), GENERIC_WRITE, OPEN_EXISTING, kAll))));  // the copy still claims it
    EXPECT_ERROR(ERROR_SHARING_VIOLATION);
    CloseHandle(copy);
    HANDLE writer = Open(TEXT("f.txt"), GENERIC_WRITE, OPEN_EXISTING, kAll);
    EXPECT_FALSE(Refused(writer));
}

TEST_F(FileHandlesTest, PipesDeliverInOrderAndBreakWhenAnEndCloses) {
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(writeEnd, "hello", 5, &written, nullptr));
    EXPECT_EQ(ReadSome(readEnd, 3), "hel");
    EXPECT_EQ(ReadSome(readEnd, 9), "lo");
    EXPECT_FALSE(FRESH(WriteFile(readEnd, "x", 1, &written, nullptr)));
    EXPECT_ERROR(ERROR_ACCESS_DENIED);
    WriteFile(writeEnd, "!", 1, &written, nullptr);
    CloseHandle(writeEnd);
    EXPECT_EQ(ReadSome(readEnd, 9), "!");
    BOOL ok = TRUE;
    SetLastError(kSentinel);
    EXPECT_EQ(ReadSome(readEnd, 9, &ok), "");
    EXPECT_FALSE(ok);
    EXPECT_ERROR(ERROR_BROKEN_PIPE);
    CloseHandle(readEnd);

    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
    CloseHandle(readEnd);
    EXPECT_FALSE(FRESH(WriteFile(writeEnd, "x", 1, &written, nullptr)));
    EXPECT_ERROR(ERROR_NO_DATA);
    CloseHandle(writeEnd);
}

TEST_F(FileHandlesTest, AViewOutlivesItsHandlesAndAnyAddressInsideNamesIt) {
    Make(TEXT("m.bin"), "mapped bytes");
    HANDLE file = Open(TEXT("m.bin"), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ);
    HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    ASSERT_NE(mapping, nullptr);
    const char *view = static_cast<const char *>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(std::string(view, 12), "mapped bytes");
    CloseHandle(mapping);
    CloseHandle(file);
    EXPECT_EQ(view[0], 'm');
    EXPECT_TRUE(UnmapViewOfFile(view + 3));
    EXPECT_FALSE(FRESH(UnmapViewOfFile(view)));
    EXPECT_ERROR(ERROR_INVALID_ADDRESS);
}

TEST_F(FileHandlesTest, MappingRefusals) {
    Make(TEXT("empty.bin"));
    HANDLE empty = Open(TEXT("empty.bin"), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ);
    EXPECT_EQ(FRESH(CreateFileMappingW(empty, nullptr, PAGE_READONLY, 0, 0, nullptr)), nullptr);
    EXPECT_ERROR(ERROR_FILE_INVALID);
    CloseHandle(empty);

    Make(TEXT("m.bin"), "0123456789");
    HANDLE file = Open(TEXT("m.bin"), GENERIC_READ, OPEN_EXISTING, FILE_SHARE_READ);
    EXPECT_EQ(FRESH(CreateFileMappingW(file, nullptr, PAGE_READWRITE, 0, 0, nullptr)), nullptr);
    EXPECT_ERROR(ERROR_ACCESS_DENIED);
    EXPECT_EQ(FRESH(CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 100, nullptr)), nullptr);
    EXPECT_ERROR(ERROR_NOT_ENOUGH_MEMORY);  // cannot grow the file

    HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    ASSERT_NE(mapping, nullptr);
    EXPECT_EQ(FRESH(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0)), nullptr);
    EXPECT_ERROR(ERROR_ACCESS_DENIED);
    EXPECT_EQ(FRESH(MapViewOfFile(mapping, FILE_MAP_READ, 0, 4096, 0)), nullptr);
    EXPECT_ERROR(ERROR_MAPPED_ALIGNMENT);
    EXPECT_EQ(FRESH(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 11)), nullptr);
    EXPECT_ERROR(ERROR_ACCESS_DENIED);
    CloseHandle(mapping);
    CloseHandle(file);
}

TEST_F(FileHandlesTest, WritableSectionsGrowTheFileAndWriteThrough) {
    Make(TEXT("m.bin"), "ab");
    HANDLE file = Open(TEXT("m.bin"), GENERIC_READ | GENERIC_WRITE, OPEN_EXISTING, FILE_SHARE_READ);
    HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READWRITE, 0, 8, nullptr);
    ASSERT_NE(mapping, nullptr);
    char *view = static_cast<char *>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    ASSERT_NE(view, nullptr);
    memcpy(view + 2, "cdefgh", 6);
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    CloseHandle(file);
    EXPECT_EQ(Content(TEXT("m.bin")), "abcdefgh");

    HANDLE paged = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, nullptr);
    char *a = static_cast<char *>(MapViewOfFile(paged, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    char *b = static_cast<char *>(MapViewOfFile(paged, FILE_MAP_READ, 0, 0, 0));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    a[0] = 'z';
    EXPECT_EQ(b[0], 'z');  // two views of one section
    UnmapViewOfFile(a);
    UnmapViewOfFile(b);
    CloseHandle(paged);
}

TEST_F(FileHandlesTest, FullPathNamesResolveDotsAndReportTheSizeNeeded) {
    WCHAR buffer[MAX_PATH];
    LPWSTR file = nullptr;
    WString expected = Path(TEXT("sub\\name.ini"));
    DWORD length = GetFullPathNameW(Path(TEXT("sub\\.\\x\\..\\name.ini")).c_str(), MAX_PATH, buffer, &file);
    EXPECT_EQ(length, expected.size());
    // winsim's full names are Linux names, with "/" between the parts.
    auto backslashed = [](WString name) {
        for (WCHAR &c : name) c = c == '/' ? '\\' : c;
        return name;
    };
    EXPECT_EQ(backslashed(buffer), backslashed(expected));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(WString(file), TEXT("name.ini"));

    WCHAR small[4] = {'k', 0};
    EXPECT_EQ(GetFullPathNameW(expected.c_str(), 4, small, nullptr), expected.size() + 1);  // with the terminator
    EXPECT_EQ(small[0], 'k');
    DWORD current = GetCurrentDirectoryW(0, nullptr);
    EXPECT_GT(current, 1u);
    EXPECT_EQ(GetCurrentDirectoryW(MAX_PATH, buffer), current - 1);
    // A relative name is taken in the current folder.
    WString here(buffer);
    if (here.back() != '\\' && here.back() != '/') here += TEXT("\\");
    length = GetFullPathNameW(TEXT("sub\\..\\name.ini"), MAX_PATH, buffer, &file);
    EXPECT_EQ(length, here.size() + 8);
    EXPECT_EQ(backslashed(buffer), backslashed(here + TEXT("name.ini")));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(WString(file), TEXT("name.ini"));
}

// Temporary names end in a separator and in ".TMP"; a unique number of
// its own is used as given, and a folder that is not there is refused.
TEST_F(FileHandlesTest, TemporaryPathAndNames) {
    WCHAR path[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, path);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(path[length - 1], '\\');
    EXPECT_EQ(GetTempPathW(0, nullptr), length + 1);

    WCHAR name[MAX_PATH];
    UINT first = GetTempFileNameW(folder_.c_str(), TEXT("vivXYZ"), 0, name);
    UINT second = GetTempFileNameW(folder_.c_str(), TEXT("viv"), 0, name);
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    WString made(name);
    EXPECT_NE(made.find(TEXT("viv")), WString::npos);
    EXPECT_EQ(GetTempFileNameW(folder_.c_str(), TEXT("viv"), 0x1AB, name), 0x1ABu);
    // GetTempFileNameW's documentation: the name ends in the prefix, the
    // number in hexadecimal and ".TMP". Wine writes both in lower case:
    // checked on winsim alone.
    if (!kOnWine) {
        EXPECT_EQ(made.substr(made.size() - 4), TEXT(".TMP"));
        EXPECT_EQ(WString(name).substr(WString(name).size() - 10), TEXT("viv1AB.TMP"));
    }
    EXPECT_EQ(FRESH(GetTempFileNameW(Path(TEXT("nonexistent")).c_str(), TEXT("viv"), 0, name)), 0u);
    EXPECT_ERROR(ERROR_DIRECTORY);
}

}  // namespace
