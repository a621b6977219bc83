#include <unistd.h>

#include "support/textio_fixture.h"

namespace {

using StandardInputSource = TextioTest;

HANDLE StdIn() { return GetStdHandle(STD_INPUT_HANDLE); }

TEST_F(StandardInputSource, APipeIsCopiedToTheProcessTemporaryFile) {
    std::string content;
    for (int i = 0; i < 2000; ++i) content += "line " + std::to_string(i) + "\r\n";  // several copy blocks
    sim::SetStdInputPipe(content);
    TextSource source = TextSource();
    ASSERT_EQ(OpenTextSource(&source, u"-"), 0);
    ASSERT_NE(source.tempPath, nullptr);
    std::string temp = sim::TempDirectory() + "/Vivanta-1064.tmp";  // process 4196
    EXPECT_EQ(std::u16string(source.tempPath), Widen(sim::TempDirectory() + "\\Vivanta-1064.tmp"));
    EXPECT_EQ(Entries(sim::TempDirectory()), std::vector<std::string>{"Vivanta-1064.tmp"});
    EXPECT_EQ(source.size, content.size());
    std::vector<std::u16string> lines = Lines(&source);
    ASSERT_EQ(lines.size(), 2000u);
    EXPECT_EQ(lines[1999], u"line 1999");
    CloseTextSource(&source);
    ExpectNothingHeld();
    EXPECT_TRUE(sim::ConsoleLog().empty());  // no prompt for a pipe
}

TEST_F(StandardInputSource, TheTemporaryNameCarriesTheProcessIdInHex) {
    sim::SetCurrentProcess(8000, 4000);
    sim::SetStdInputPipe("x");
    TextSource source = TextSource();
    ASSERT_EQ(OpenTextSource(&source, u"-"), 0);
    EXPECT_EQ(Entries(sim::TempDirectory()), std::vector<std::string>{"Vivanta-1f40.tmp"});
    CloseTextSource(&source);
}

// The host owns standard input and goes on using it: the source must read
// and close a handle of its own.
TEST_F(StandardInputSource, StandardInputStaysOpenForTheHost) {
    sim::SetStdInputPipe("first\r\n");
    TextSource source = TextSource();
    ASSERT_EQ(OpenTextSource(&source, u"-"), 0);
    CloseTextSource(&source);
    EXPECT_EQ(GetFileType(StdIn()), static_cast<DWORD>(FILE_TYPE_PIPE));
    EXPECT_TRUE(CloseHandle(StdIn()));  // the host's own close still succeeds

    std::string path = dir_ + "/input.txt";
    std::ofstream(path) << "from a file\r\n";
    ASSERT_TRUE(sim::SetStdInputFile(path));
    ASSERT_EQ(OpenTextSource(&source, u"-"), 0);
    EXPECT_EQ(source.tempPath, nullptr);  // a disk file is mapped as it stands
    EXPECT_EQ(Lines(&source), std::vector<std::u16string>{u"from a file"});
    CloseTextSource(&source);
    ExpectNothingHeld();
    char bytes[4];
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(StdIn(), bytes, 4, &got, nullptr));
    EXPECT_EQ(std::string(bytes, got), "from");
}

TEST_F(StandardInputSource, TheConsolePromptsAndReadsUntilCtrlZ) {
    sim::SetStdTarget(STD_OUTPUT_HANDLE, sim::StdTarget::Capture);
    sim::SetStdInputConsole(u"Dark\nLight\n\x1A\nnot read\n");
    TextSource source = TextSource();
    ASSERT_EQ(OpenTextSource(&source, u"-"), 0);
    EXPECT_EQ(sim::ConsoleLog(), u"Reading text from the console: (^Z ends)\r\n");
    EXPECT_EQ(sim::CapturedBytes(STD_OUTPUT_HANDLE), "");
    EXPECT_EQ(Lines(&source), (std::vector<std::u16string>{u"Dark", u"Light"}));
    CloseTextSource(&source);
    ExpectNothingHeld();
    DWORD mode = 0;
    EXPECT_TRUE(GetConsoleMode(StdIn(), &mode));

    sim::SetStdInputConsole(u"\x1A\n");
    EXPECT_EQ(OpenTextSource(&source, u"-"), TEXT_SOURCE_EMPTY);
    ExpectNothingHeld();
}

TEST_F(StandardInputSource, AFailedCopyRemovesTheTemporaryFile) {
    sim::SetStdInputPipe(std::string(20000, 'x'));
    sim::FailCall("WriteFile", ERROR_DISK_FULL, 2);
    TextSource source = TextSource();
    EXPECT_EQ(OpenTextSource(&source, u"-"), ERROR_DISK_FULL);
    EXPECT_EQ(source.lastError, ERROR_DISK_FULL);
    ExpectEmptyRecord(source);
    ExpectNothingHeld();

    sim::SetStdInputPipe("x");
    sim::FailCall("CreateFileW", ERROR_ACCESS_DENIED);
    EXPECT_EQ(OpenTextSource(&source, u"-"), ERROR_ACCESS_DENIED);
    ExpectNothingHeld();
}

TEST_F(StandardInputSource, AnEmptyOrBrokenStreamIsEmpty) {
    sim::SetStdInputPipe("");
    TextSource source = TextSource();
    EXPECT_EQ(OpenTextSource(&source, u"-"), TEXT_SOURCE_EMPTY);
    ExpectNothingHeld();
    // A failed read ends the copy; what came before it is the content.
    sim::SetStdInputPipe(std::string(10000, 'y'));
    sim::FailCall("ReadFile", ERROR_BROKEN_PIPE, 2);
    ASSERT_EQ(OpenTextSource(&source, u"-"), 0);
    EXPECT_EQ(source.size, 8192u);
    CloseTextSource(&source);
    ExpectNothingHeld();
}

TEST_F(StandardInputSource, NoStandardInputAtAll) {
    SetStdHandle(STD_INPUT_HANDLE, nullptr);
    TextSource source = TextSource();
    EXPECT_EQ(OpenTextSource(&source, u"-"), ERROR_INVALID_HANDLE);
    ExpectNothingHeld();
}

TEST_F(StandardInputSource, AllocationFailuresOnTheStreamPath) {
    for (long nth = 1;; ++nth) {
        SCOPED_TRACE(nth);
        sim::SetStdInputPipe("a\r\nb\r\n");
        MemFailAllocation(nth);
        TextSource source = TextSource();
        LONG result = OpenTextSource(&source, u"-");
        MemFailAllocation(0);
        if (result == 0) {
            EXPECT_EQ(nth, 4);  // the name, the temporary path, the copy buffer
            CloseTextSource(&source);
            break;
        }
        EXPECT_EQ(result, ERROR_NOT_ENOUGH_MEMORY);
        ExpectNothingHeld();
    }
}

}  // namespace
