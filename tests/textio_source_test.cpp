#include <unistd.h>

#include "support/textio_fixture.h"

namespace {

using TextSourceOpen = TextioTest;

TEST_F(TextSourceOpen, AFileIsMappedUnderItsFullName) {
    std::u16string name = MakeFile("scheme.ini", "[Dark]\r\nStdColors=white on black\r\n");
    TextSource source = TextSource();
    ASSERT_EQ(OpenTextSource(&source, name.c_str()), 0);
    EXPECT_EQ(std::u16string(source.name), Widen(dir_ + "/scheme.ini"));
    EXPECT_NE(source.file, nullptr);
    EXPECT_NE(source.mapping, nullptr);
    EXPECT_EQ(source.tempPath, nullptr);
    EXPECT_EQ(source.size, 34u);
    EXPECT_EQ(source.encoding, static_cast<DWORD>(Ansi));
    EXPECT_EQ(source.ansiCodePage, 1252u);
    EXPECT_EQ(source.replacement, 0xFFFD);
    EXPECT_EQ(source.lastError, 0);
    EXPECT_EQ(sim::MappedViewCount(), 1);
    EXPECT_EQ(Lines(&source), (std::vector<std::u16string>{u"[Dark]", u"StdColors=white on black"}));
    EXPECT_EQ(CloseTextSource(&source), 0);
    ExpectEmptyRecord(source);
    ExpectNothingHeld();
}

TEST_F(TextSourceOpen, TheAnsiTableFollowsTheSystemCodePage) {
    sim::SetAnsiCodePage(866);
    std::u16string name = MakeFile("cyrillic.txt", "\x81");
    TextSource source = TextSource();
    ASSERT_EQ(OpenTextSource(&source, name.c_str()), 0);
    EXPECT_EQ(source.ansiTable, 19u);
    EXPECT_EQ(ReadChar(&source), 0x0411);
    CloseTextSource(&source);
}

TEST_F(TextSourceOpen, FailureCodesLeaveNothingOpen) {
    MakeFile("empty.ini", "");
    struct Case {
        std::u16string name;
        LONG code;
    } cases[] = {
        {Path("missing.ini"), ERROR_FILE_NOT_FOUND},
        {Path("nowhere\\x.ini"), ERROR_PATH_NOT_FOUND},
        {Path("empty.ini"), TEXT_SOURCE_EMPTY},
        {Widen(dir_), ERROR_ACCESS_DENIED},
        {u"clip:x", ERROR_FILE_NOT_FOUND},  // only "clip:" itself is the clipboard
        {u"nul", TEXT_SOURCE_EMPTY},        // a device: copied, and empty
    };
    ASSERT_EQ(chdir(dir_.c_str()), 0);
    for (const Case &c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        TextSource source = TextSource();
        EXPECT_EQ(OpenTextSource(&source, c.name.c_str()), c.code);
        EXPECT_EQ(source.lastError, c.code);
        ExpectEmptyRecord(source);
        ExpectNothingHeld();
        CloseTextSource(&source);  // harmless after a failure
        EXPECT_EQ(source.lastError, c.code);
    }
    ASSERT_EQ(chdir("/"), 0);
}

TEST_F(TextSourceOpen, AFileOpenWithoutReadSharingIsASharingViolation) {
    std::u16string name = MakeFile("locked.ini", "x=1\r\n");
    HANDLE writer = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    TextSource source = TextSource();
    EXPECT_EQ(OpenTextSource(&source, name.c_str()), ERROR_SHARING_VIOLATION);
    EXPECT_EQ(source.lastError, ERROR_SHARING_VIOLATION);
    EXPECT_EQ(sim::OpenHandleCount(), 1);
    CloseHandle(writer);
    ExpectNothingHeld();
}

TEST_F(TextSourceOpen, ArgumentFailuresTouchNothing) {
    TextSource source = TextSource();
    source.lastError = 77;
    EXPECT_EQ(OpenTextSource(nullptr, u"x"), -1);
    EXPECT_EQ(OpenTextSource(&source, nullptr), -1);
    EXPECT_EQ(OpenTextSource(&source, u""), -1);
    EXPECT_EQ(source.lastError, 77);
    EXPECT_EQ(CloseTextSource(nullptr), 0);
}

TEST_F(TextSourceOpen, MappingFailuresReportTheirError) {
    std::u16string name = MakeFile("a.ini", "x=1\r\n");
    const char *calls[] = {"CreateFileMappingW", "MapViewOfFile"};
    for (const char *call : calls) {
        SCOPED_TRACE(call);
        sim::FailCall(call, ERROR_NOT_ENOUGH_MEMORY);
        TextSource source = TextSource();
        EXPECT_EQ(OpenTextSource(&source, name.c_str()), ERROR_NOT_ENOUGH_MEMORY);
        ExpectEmptyRecord(source);
        ExpectNothingHeld();
    }
}

TEST_F(TextSourceOpen, EveryAllocationFailureIsCode8AndFreesTheRest) {
    std::u16string name = MakeFile("a.ini", "x=1\r\n");
    for (long nth = 1;; ++nth) {
        SCOPED_TRACE(nth);
        MemFailAllocation(nth);
        TextSource source = TextSource();
        LONG result = OpenTextSource(&source, name.c_str());
        MemFailAllocation(0);
        if (result == 0) {
            EXPECT_GT(nth, 3);  // the name, the host's buffer, the resolved name
            CloseTextSource(&source);
            break;
        }
        EXPECT_EQ(result, ERROR_NOT_ENOUGH_MEMORY);
        ExpectNothingHeld();
    }
    ExpectNothingHeld();
}

TEST_F(TextSourceOpen, UnreadableInformationMakesTheFileAStream) {
    std::u16string name = MakeFile("a.ini", "x=1\r\n");
    sim::FailCall("GetFileInformationByHandle", ERROR_INVALID_FUNCTION);
    TextSource source = TextSource();
    ASSERT_EQ(OpenTextSource(&source, name.c_str()), 0);
    EXPECT_NE(source.tempPath, nullptr);
    EXPECT_EQ(Lines(&source), (std::vector<std::u16string>{u"x=1"}));
    CloseTextSource(&source);
    ExpectNothingHeld();
}

// The size is known before anything is mapped: a sparse file holds no data
// to read, so a refusal that came late would show as a mapped view.
TEST_F(TextSourceOpen, AFileLargerThanTheLimitIsRefusedBeforeItIsMapped) {
    std::u16string name = MakeFile("large.ini", "");
    std::string linux = dir_ + "/large.ini";
    TextSource source = TextSource();
    ASSERT_EQ(truncate(linux.c_str(), static_cast<off_t>(TEXT_SOURCE_SIZE_LIMIT)), 0);
    ASSERT_EQ(OpenTextSource(&source, name.c_str()), 0);
    EXPECT_EQ(source.size, TEXT_SOURCE_SIZE_LIMIT);
    CloseTextSource(&source);

    ASSERT_EQ(truncate(linux.c_str(), static_cast<off_t>(TEXT_SOURCE_SIZE_LIMIT + 1)), 0);
    EXPECT_EQ(OpenTextSource(&source, name.c_str()), ERROR_FILE_TOO_LARGE);
    EXPECT_EQ(source.lastError, ERROR_FILE_TOO_LARGE);
    EXPECT_EQ(sim::CallCount("CreateFileMappingW"), 1);
    ExpectEmptyRecord(source);
    ExpectNothingHeld();
}

using ClipboardSource = TextioTest;

TEST_F(ClipboardSource, TextIsCopiedInAnyLetterCase) {
    sim::SetClipboardText(u"Dark\r\nLight \u00E9\r\n");
    for (const char16_t *name : {u"clip:", u"CLIP:", u"Clip:"}) {
        TextSource source = TextSource();
        ASSERT_EQ(OpenTextSource(&source, name), 0);
        EXPECT_FALSE(sim::IsClipboardOpen());
        EXPECT_EQ(sim::GlobalLockCount(), 0);
        EXPECT_EQ(source.encoding, static_cast<DWORD>(Utf16Le));
        EXPECT_EQ(source.size, 30u);
        EXPECT_EQ(source.file, nullptr);
        EXPECT_EQ(source.mapping, nullptr);
        EXPECT_EQ(std::u16string(source.name), name);
        EXPECT_EQ(Lines(&source), (std::vector<std::u16string>{u"Dark", u"Light \u00E9"}));
        CloseTextSource(&source);
        ExpectNothingHeld();
    }
}

TEST_F(ClipboardSource, EveryFailureIsMinusOneWithNothingStored) {
    auto expectFailure = [this]() {
        TextSource source = TextSource();
        EXPECT_EQ(OpenTextSource(&source, u"clip:"), -1);
        EXPECT_EQ(source.lastError, 0);
        ExpectEmptyRecord(source);
        ExpectNothingHeld();
    };
    expectFailure();  // nothing on the clipboard
    sim::SetClipboardText(u"");
    expectFailure();
    sim::SetClipboardText(u"text");
    sim::HoldClipboard(true);
    expectFailure();
    sim::HoldClipboard(false);
    sim::FailCall("GlobalLock", ERROR_INVALID_HANDLE);
    expectFailure();
    MemFailAllocation(2);  // the copy of the text
    expectFailure();
    MemFailAllocation(0);
}

TEST_F(ClipboardSource, TextWithoutATerminatorEndsWithItsBlock) {
    sim::SetClipboardBytes(CF_UNICODETEXT, std::string("h\0i\0", 4));
    TextSource source = TextSource();
    ASSERT_EQ(OpenTextSource(&source, u"clip:"), 0);
    EXPECT_EQ(source.size, 4u);
    EXPECT_EQ(Lines(&source), (std::vector<std::u16string>{u"hi"}));
    CloseTextSource(&source);
}

TEST_F(TextSourceOpen, ConsoleHandles) {
    EXPECT_TRUE(IsConsoleHandle(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-10))));
    EXPECT_FALSE(IsConsoleHandle(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-11))));  // captured
    EXPECT_FALSE(IsConsoleHandle(nullptr));
    EXPECT_FALSE(IsConsoleHandle(INVALID_HANDLE_VALUE));
    HANDLE console =
        CreateFileW(u"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_TRUE(IsConsoleHandle(console));
    CloseHandle(console);
    sim::SetStdInputPipe("x");
    EXPECT_FALSE(IsConsoleHandle(reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-10))));
}

// ---- standard input ----

using StandardInputSource = TextioTest;

HANDLE StdIn() {
    return GetStdHandle(STD_INPUT_HANDLE);
}

TEST_F(StandardInputSource, APipeIsCopiedToATemporaryFile) {
    std::string content;
    for (int i = 0; i < 2000; ++i) content += "line " + std::to_string(i) + "\r\n";  // several copy blocks
    sim::SetStdInputPipe(content);
    sim::SetRandomValues({0xDEADBEEF, 0x00C0FFEE});
    TextSource source = TextSource();
    ASSERT_EQ(OpenTextSource(&source, u"-"), 0);
    ASSERT_NE(source.tempPath, nullptr);
    EXPECT_EQ(std::u16string(source.tempPath), Widen(sim::TempDirectory() + "\\Vivanta-DEADBEEF00C0FFEE.tmp"));
    EXPECT_EQ(source.size, content.size());
    std::vector<std::u16string> lines = Lines(&source);
    ASSERT_EQ(lines.size(), 2000u);
    EXPECT_EQ(lines[1999], u"line 1999");
    CloseTextSource(&source);
    ExpectNothingHeld();
    EXPECT_TRUE(sim::ConsoleLog().empty());  // no prompt for a pipe
}

// Links planted in the temporary directory, at the name the process id
// would give and at the first name drawn, receive nothing of what was
// piped; the copy is new, and gone with the source's close.
TEST_F(StandardInputSource, TheCopyIsNewUnderANameNobodyForesees) {
    const std::string victim = dir_ + "/victim.txt";
    std::ofstream(victim) << "keep";
    const std::string temp = sim::TempDirectory();
    ASSERT_EQ(symlink(victim.c_str(), (temp + "/Vivanta-1064.tmp").c_str()), 0);  // process 4196
    ASSERT_EQ(symlink(victim.c_str(), (temp + "/Vivanta-0000000100000002.tmp").c_str()), 0);
    sim::SetRandomValues({1, 2, 3, 4});
    sim::SetStdInputPipe("piped\r\n");
    TextSource source = TextSource();
    ASSERT_EQ(OpenTextSource(&source, u"-"), 0);
    EXPECT_EQ(std::u16string(source.tempPath), Widen(temp + "\\Vivanta-0000000300000004.tmp"));
    EXPECT_EQ(Lines(&source), std::vector<std::u16string>{u"piped"});
    EXPECT_EQ(Entries(temp).size(), 3u);
    CloseTextSource(&source);
    EXPECT_EQ(Entries(temp).size(), 2u);
    std::ifstream in(victim);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep");
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

// A stream tells its size only by ending: the copy stops at the limit and
// is removed. (A device that never ends is the one way to pass the limit
// without first making as much data.)
TEST_F(StandardInputSource, AStreamLargerThanTheLimitIsRefusedAndItsCopyRemoved) {
    ASSERT_TRUE(sim::SetStdInputFile("/dev/zero"));
    TextSource source = TextSource();
    EXPECT_EQ(OpenTextSource(&source, u"-"), ERROR_FILE_TOO_LARGE);
    EXPECT_EQ(sim::CallCount("ReadFile"), static_cast<int>(TEXT_SOURCE_SIZE_LIMIT / 8192 + 1));
    EXPECT_EQ(sim::CallCount("CreateFileMappingW"), 0);
    ExpectEmptyRecord(source);
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
