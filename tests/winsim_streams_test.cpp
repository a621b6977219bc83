#include <stdlib.h>
#include <sys/stat.h>

#include <fstream>

#include "winsim_fixture.h"

namespace {

using StreamsTest = WinsimTest;

std::string ReadSome(HANDLE handle, DWORD size, BOOL *ok = nullptr) {
    std::string bytes(size, '\0');
    DWORD got = 0;
    BOOL result = ReadFile(handle, &bytes[0], size, &got, nullptr);
    if (ok) *ok = result;
    bytes.resize(got);
    return bytes;
}

TEST_F(StreamsTest, PipesDeliverInOrderAndBreakWhenAnEndCloses) {
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(writeEnd, "hello", 5, &written, nullptr));
    EXPECT_EQ(ReadSome(readEnd, 3), "hel");
    EXPECT_EQ(ReadSome(readEnd, 9), "lo");
    BOOL ok = FALSE;
    EXPECT_EQ(ReadSome(readEnd, 9, &ok), "");  // empty, writer alive: nothing, at once
    EXPECT_TRUE(ok);
    EXPECT_FALSE(WriteFile(readEnd, "x", 1, &written, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    WriteFile(writeEnd, "!", 1, &written, nullptr);
    CloseHandle(writeEnd);
    EXPECT_EQ(ReadSome(readEnd, 9), "!");
    EXPECT_EQ(ReadSome(readEnd, 9, &ok), "");
    EXPECT_FALSE(ok);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BROKEN_PIPE));
    CloseHandle(readEnd);

    ASSERT_TRUE(CreatePipe(&readEnd, &writeEnd, nullptr, 0));
    CloseHandle(readEnd);
    EXPECT_FALSE(WriteFile(writeEnd, "x", 1, &written, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_DATA));
    CloseHandle(writeEnd);
    EXPECT_EQ(sim::OpenHandleCount(), 0);
}

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
    EXPECT_EQ(ReadSome(input, 100), "");          // ^Z
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

TEST_F(StreamsTest, TemporaryPathAndNames) {
    WCHAR path[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, path);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(path[length - 1], u'\\');
    EXPECT_EQ(GetTempPathW(0, nullptr), length + 1);
    std::string dir = sim::TempDirectory();
    struct stat st;
    ASSERT_EQ(stat(dir.c_str(), &st), 0);
    EXPECT_EQ(dir.rfind("/tmp/", 0), 0u);

    WCHAR name[MAX_PATH];
    UINT first = GetTempFileNameW(path, u"vivXYZ", 0, name);
    UINT second = GetTempFileNameW(path, u"viv", 0, name);
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    std::u16string made(name);
    EXPECT_NE(made.find(u"viv"), std::u16string::npos);
    EXPECT_EQ(made.substr(made.size() - 4), u".TMP");
    EXPECT_EQ(GetTempFileNameW(path, u"viv", 0x1AB, name), 0x1ABu);
    EXPECT_EQ(std::u16string(name).substr(std::u16string(name).size() - 10), u"viv1AB.TMP");
    EXPECT_EQ(GetTempFileNameW(u"/nonexistent", u"viv", 0, name), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));

    sim::Reset();  // the world's directory goes with it
    EXPECT_NE(stat(dir.c_str(), &st), 0);
    sim::SetTempPath(u"C:\\Temp");
    EXPECT_EQ(GetTempPathW(MAX_PATH + 1, path), 8u);
    EXPECT_EQ(std::u16string(path), u"C:\\Temp\\");
}

}  // namespace
