// Searching a folder by pattern, as the plugin's wildcard file names are.
#include <algorithm>
#include <vector>

#include "win32_test.h"

namespace {

using FindTest = Win32FolderTest;
using Names = std::vector<std::string>;

// Patterns match without regard to case, with Windows' ".*" quirks; the
// search ends with ERROR_NO_MORE_FILES and is closed by FindClose alone.
TEST_F(FindTest, PatternsMatchAsWindowsDoes) {
    for (const WCHAR *name : {TEXT("a.json"), TEXT("B.JSON"), TEXT("c.yaml"), TEXT("d")}) Make(name);
    MakeFolder(TEXT("sub.json"));
    auto find = [&](const WString &pattern) {
        Names names;
        WIN32_FIND_DATAW data;
        HANDLE search = FRESH(FindFirstFileW(Path(pattern).c_str(), &data));
        if (search == INVALID_HANDLE_VALUE) return Names{"error " + std::to_string(GetLastError())};
        do {
            names.push_back(Narrow(data.cFileName) + (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? "/" : ""));
        } while (FRESH(FindNextFileW(search, &data)));
        EXPECT_ERROR(ERROR_NO_MORE_FILES);
        EXPECT_TRUE(FindClose(search));
        std::sort(names.begin(), names.end());
        return names;
    };
    EXPECT_EQ(find(TEXT("*.json")), (Names{"B.JSON", "a.json", "sub.json/"}));
    EXPECT_EQ(find(TEXT("?.YAML")), (Names{"c.yaml"}));
    EXPECT_EQ(find(TEXT("d.*")), (Names{"d"}));
    EXPECT_EQ(find(TEXT("*.*")), (Names{"../", "./", "B.JSON", "a.json", "c.yaml", "d", "sub.json/"}));
    EXPECT_EQ(find(TEXT("*.ini")), (Names{"error 2"}));
    EXPECT_EQ(find(TEXT("missing\\*.json")), (Names{"error 3"}));
}

// A search handle is no kernel object: only FindClose ends it.
TEST_F(FindTest, OnlyFindCloseEndsASearch) {
    Make(TEXT("a.txt"));
    WIN32_FIND_DATAW data;
    HANDLE search = FindFirstFileW(Path(TEXT("*")).c_str(), &data);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(FRESH(CloseHandle(search)));
    EXPECT_ERROR(ERROR_INVALID_HANDLE);
    EXPECT_TRUE(FindNextFileW(search, &data));
    EXPECT_TRUE(FindClose(search));
}

}  // namespace
