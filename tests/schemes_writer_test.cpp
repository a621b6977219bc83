// Writing the scheme in effect: the section's text, the checks of the /W
// argument, new files, rewrites of existing ones, and every failure on the
// way, after which the user's file must be exactly as it was.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <regex>

#include "support/scheme_file_fixture.h"

namespace {

const std::string BOM = "\xEF\xBB\xBF";

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

class WriterTest : public SchemeFileTest {
  protected:
    void SetUp() override {
        SchemeFileTest::SetUp();
        Start();
        COLORREF table[16];
        for (int i = 0; i < 16; ++i) table[i] = static_cast<COLORREF>(i * 16 | 0x8000 | (0xFF - i) << 16);
        table[3] |= 0xFF000000u;  // flags in the top byte are no colour
        sim::SetConsoleColorTable(table);
        sim::SetConsoleAttribute(0x1F);
        HostCtlClearOutput();
        live_ = MemLiveCount();
    }

    // What the writer makes of the console set up above, with no host
    // options and no ColorDir.
    static std::string SectionText(const std::string &name) {
        std::string text = "[" + name + "]\r\n";
        const char *names[9] = {"StdColors",    "InputColors",         "ErrorColors",
                                "ListColors",   "ListStatBarColors",   "ListInverseColors",
                                "SelectColors", "SelectStatBarColors", "SelectedColors"};
        for (int i = 0; i < 9; ++i) {
            bool inverse = i == 4 || i == 5 || i == 7 || i == 8;
            text += std::string(names[i]) + (inverse ? "=Blue on Bright White\r\n" : "=Bright White on Blue\r\n");
        }
        text += "ColorDir=\r\n";
        for (int i = 0; i < 16; ++i) {
            char line[32];
            snprintf(line, sizeof line, "Color %d=#%02x80%02x\r\n", i, i * 16, 0xFF - i);
            text += line;
        }
        return text + "\r\n";
    }

    // The error output with the temporary file's generated number masked.
    std::string MaskedErr() const {
        return std::regex_replace(Narrow(Err()), std::regex("VT_[0-9A-F]+\\.TMP"), "VT_#.TMP");
    }
    std::string Linux(const std::string &name) const { return dir_ + "/" + name; }
    std::string Windows(const std::string &name) const { return dir_ + "\\" + name; }

    // After a failure: the file as it was, no temporary file, nothing held.
    void ExpectUntouched(const std::string &name, const std::string &bytes) {
        EXPECT_EQ(Contents(name), bytes);
        EXPECT_EQ(Entries(), std::vector<std::string>{name});
        EXPECT_EQ(sim::OpenHandleCount(), 1);  // the console handle
        EXPECT_EQ(sim::MappedViewCount(), 0);
        EXPECT_EQ(MemLiveCount(), live_);
    }

    long live_ = 0;
};

TEST_F(WriterTest, TheSectionHoldsTheHostsDirectivesColorDirAndThePalette) {
    ASSERT_EQ(CreateSchemeFile(Path("new.ini").c_str(), u"Mine"), 0);
    EXPECT_EQ(Contents("new.ini"), BOM + SectionText("Mine"));

    // Host numbers win over the defaults; one that overflows or that no
    // colours name leaves its line empty; an attribute byte of 0 reads as 7.
    sim::SetConsoleAttribute(0x100);
    HostCtlSetOption(u"StdColors", u"0x1E");
    HostCtlSetOption(u"InputColors", u"abc");
    HostCtlSetOption(u"ErrorColors", u"99999999999");
    HostCtlSetOption(u"SelectedColors", u"300");
    HostCtlSetOption(u"ColorDir", u"dirs:9;");
    ASSERT_EQ(CreateSchemeFile(Path("new.ini").c_str(), u"Mine"), 0);
    std::string text = Contents("new.ini");
    EXPECT_NE(text.find("[Mine]\r\nStdColors=Bright Yellow on Blue\r\nInputColors=White on Black\r\nErrorColors=\r\n"
                        "ListColors=White on Black\r\nListStatBarColors=Black on White\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("SelectedColors=\r\nColorDir=dirs:9;\r\nColor 0=#0080ff\r\n"), std::string::npos);
    EXPECT_NE(text.find("Color 3=#3080fc\r\n"), std::string::npos);

    // The variable wins over the option when it holds something.
    SetEnvironmentVariableW(u"ColorDir", u"env:1;");
    ASSERT_EQ(CreateSchemeFile(Path("new.ini").c_str(), u"Mine"), 0);
    EXPECT_NE(Contents("new.ini").find("ColorDir=env:1;\r\n"), std::string::npos);
    EXPECT_EQ(CreateSchemeFile(u"", u"Mine"), -1);
    EXPECT_EQ(CreateSchemeFile(Path("new.ini").c_str(), u""), -1);
    EXPECT_EQ(RewriteSchemeFile(nullptr, u"Mine"), -1);
    EXPECT_EQ(Err(), u"");
}

TEST_F(WriterTest, ArgumentsAreCheckedBeforeAnythingIsWritten) {
    struct Case {
        std::u16string argument;
        std::string err;
    } cases[] = {
        {u"", "Missing filename\r\n"},
        {u"::Mine", "Missing filename\r\n"},
        {u"\"\"::Mine", "Bad filename: \"\"\"::Mine\"\r\n"},
        {Path("a*.ini::Mine"), "Wildcards not allowed: \"" + Linux("a*.ini") + "\"\r\n"},
        {Path("new.ini"), "Missing scheme name\r\n"},
        {Path("new.ini::a[b]"), "Bad characters in scheme name: \"a[b]\"\r\n"},
        {Path("new.ini::what?"), "Bad characters in scheme name: \"what?\"\r\n"},
        {Path("new.ini::" + std::string(40, 'w')),
         "Scheme name longer than 39 characters: \"" + std::string(40, 'w') + "\"\r\n"},
        // Names the reader would not give back: trimmed, switched off, the
        // header split, or UTF-8 beyond the BMP read as U+FFFD.
        {Path("new.ini::\" Mine\""), "Scheme name begins or ends with white space: \" Mine\"\r\n"},
        {Path("new.ini::") + u"Mine\u3000", "Scheme name begins or ends with white space: \"Mine\\u3000\"\r\n"},
        {Path("new.ini::!Mine"), "Scheme name begins with \"!\", which switches a scheme off: \"!Mine\"\r\n"},
        {Path("new.ini::a\rb"), "Bad characters in scheme name: \"a\rb\"\r\n"},
        {Path("new.ini::") + u"Sun \U0001F305", "Bad characters in scheme name: \"Sun \\uD83C\\uDF05\"\r\n"},
        // One colon where two were meant names a hidden stream; only a
        // drive's colon passes, and UNC names have none.
        {Path("x.ini:Evening"),
         "Colon not allowed in file name (a scheme name follows \"::\"): \"" + Linux("x.ini:Evening") + "\"\r\n"},
        {u"\\\\?\\C:\\x.ini:Evening::Mine",
         "Colon not allowed in file name (a scheme name follows \"::\"): \"\\\\?\\C:\\x.ini:Evening\"\r\n"},
        {u"\\\\?\\UNC\\server\\share\\x.ini:Evening::Mine",
         "Colon not allowed in file name (a scheme name follows \"::\"): "
         "\"\\\\?\\UNC\\server\\share\\x.ini:Evening\"\r\n"},
    };
    for (const Case &c : cases) {
        HostCtlClearOutput();
        EXPECT_EQ(WriteCurrentScheme(c.argument.c_str(), false, IdentifyCurrentScheme), 1) << Narrow(c.argument);
        EXPECT_EQ(Narrow(Err()), "Vivanta plugin: " + c.err) << Narrow(c.argument);
        EXPECT_EQ(Out(), u"");
    }
    EXPECT_EQ(WriteCurrentScheme(nullptr, false, IdentifyCurrentScheme), -1);
    EXPECT_TRUE(Entries().empty());

    // Quotes anywhere are dropped; a directory gets Vivanta.ini; without a
    // name the scheme in effect gives its own.
    ASSERT_EQ(mkdir(Linux("sub").c_str(), 0755), 0);
    ASSERT_EQ(ApplyScheme(FindSchemeByName(g_schemes, u"Ice Palace"), nullptr), APPLY_DONE);
    HostCtlClearOutput();
    std::u16string quoted = u"\"" + Path("sub") + u"\"";
    EXPECT_EQ(WriteCurrentScheme(quoted.c_str(), false, IdentifyCurrentScheme), 0);
    EXPECT_EQ(Narrow(Out()), "Wrote current scheme to [Ice Palace] in \"" + Linux("sub") + "\\Vivanta.ini\".\r\n");
    EXPECT_EQ(Contents("sub/Vivanta.ini").substr(0, 17), BOM + "[Ice Palace]\r\n");
    HostCtlClearOutput();
    EXPECT_EQ(WriteCurrentScheme((quoted + u"::\"Two Words\"").c_str(), true, IdentifyCurrentScheme), 0);
    EXPECT_EQ(Out(), u"");
    EXPECT_NE(Contents("sub/Vivanta.ini").find("\r\n\r\n[Two Words]\r\n"), std::string::npos);

    // The longest name the reader keeps whole is found again under it.
    std::string longest(39, 'w');
    EXPECT_EQ(WriteCurrentScheme((quoted + u"::" + Widen16(longest)).c_str(), true, IdentifyCurrentScheme), 0);
    // So is one with white space and "!" inside; the "?" of a "\\?\" name
    // is no wildcard.
    EXPECT_EQ(WriteCurrentScheme((u"\\\\?\\" + Path("sub") + u"::A !b").c_str(), true, IdentifyCurrentScheme), 0);
    EXPECT_EQ(ReadSchemeFile(Path("sub/Vivanta.ini").c_str(), false), 4);
    EXPECT_NE(FindSchemeByName(g_schemes, Widen16(longest).c_str()), nullptr);
    EXPECT_NE(FindSchemeByName(g_schemes, u"A !b"), nullptr);
    EXPECT_EQ(Err(), u"");
}

TEST_F(WriterTest, AMinusWritesToStandardOutputWithoutAMark) {
    sim::SetStdTarget(STD_OUTPUT_HANDLE, sim::StdTarget::Capture);
    EXPECT_EQ(WriteCurrentScheme(u"-::Mine", false, IdentifyCurrentScheme), 0);
    EXPECT_EQ(sim::CapturedBytes(STD_OUTPUT_HANDLE), SectionText("Mine"));
    EXPECT_EQ(Out(), u"Wrote current scheme to [Mine] in \"-\".\r\n");
    EXPECT_TRUE(Entries().empty());
}

TEST_F(WriterTest, RewritingReplacesTheFirstSectionOfTheNameAndDropsTheOthers) {
    const std::string LONG_NAME_UTF8 = "A name of exactly thirty-nine letters!!";
    const std::u16string LONG_NAME(LONG_NAME_UTF8.begin(), LONG_NAME_UTF8.end());
    std::u16string text =
        u"\uFEFF  ; top  \r\n[A]\r\nStdColors=Red on Black\r\n\r\n [B] \r\n  key = v  \r\n\t\r\n"
        u"[a]\r\nold=1\r\n\r\n[Cr\u00e8me Br\u00fbl\u00e9e] ; x\r\nold=2\r\n[ Night ]\r\nold=3\r\n"
        u"[" +
        LONG_NAME + u" and more]\r\nold=4\r\n";
    MakeFile("a.ini", [&] {
        std::string bytes;
        for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        return bytes;
    }());
    ASSERT_EQ(RewriteSchemeFile(Path("a.ini").c_str(), u"A"), 0);
    ASSERT_EQ(RewriteSchemeFile(Path("a.ini").c_str(), u"Creme Brulee"), 0);
    ASSERT_EQ(RewriteSchemeFile(Path("a.ini").c_str(), u"Night"), 0);
    // The reader knows a longer header by its first 39 characters.
    ASSERT_EQ(RewriteSchemeFile(Path("a.ini").c_str(), LONG_NAME.c_str()), 0);
    EXPECT_EQ(Contents("a.ini"), BOM + "; top\r\n" + SectionText("A") + "[B]\r\nkey = v\r\n\r\n" +
                                     SectionText("Cr\xC3\xA8me Br\xC3\xBBl\xC3\xA9"
                                                 "e") +
                                     SectionText(" Night ") + SectionText(LONG_NAME_UTF8 + " and more"));
    EXPECT_EQ(Entries(), std::vector<std::string>{"a.ini"});
    EXPECT_EQ(Err(), u"");
}

// The reader lists [Crème Brûlée] and [Creme Brulee] as two schemes: the
// one spelled as requested is replaced, whatever comes first, and the
// other stays. Only a file without that spelling has its first folded
// match replaced, and then that one alone.
TEST_F(WriterTest, TheSectionSpelledAsRequestedIsTheOneReplaced) {
    const std::string accented = "Cr\u00e8me Br\u00fbl\u00e9e";
    const std::string kept = "[" + accented + "]\r\nold=1\r\n";
    const std::string alsoFolded = "[Cr\u00eame Br\u00fbl\u00e9e]\r\nold=2\r\n";
    // A long line whose second piece looks like a header is no header.
    const std::string longLine = std::string(8191, ';') + "[Creme Brulee]\r\n";
    MakeFile("both.ini", kept + longLine + "[CREME BRULEE]\r\nold=3\r\n" + alsoFolded + "[creme brulee]\r\nold=4\r\n");
    MakeFile("folded.ini", kept + longLine + alsoFolded);
    ASSERT_EQ(RewriteSchemeFile(Path("both.ini").c_str(), u"Creme Brulee"), 0);
    ASSERT_EQ(RewriteSchemeFile(Path("folded.ini").c_str(), u"Creme Brulee"), 0);
    EXPECT_EQ(Contents("both.ini"), BOM + kept + longLine + SectionText("CREME BRULEE") + alsoFolded);
    EXPECT_EQ(Contents("folded.ini"), BOM + SectionText(accented) + alsoFolded);
    EXPECT_EQ(Err(), u"");
}

TEST_F(WriterTest, AnAppendedSectionFollowsOneEmptyLine) {
    MakeFile("open.ini", "[X]\r\nk=v");
    MakeFile("closed.ini", "[X]\r\nk=v\r\n\r\n");
    MakeFile("mark.ini", "\xEF\xBB\xBF");
    std::string longLine(9000, 'x');
    MakeFile("long.ini", longLine + "\n");
    for (const char *name : {"open.ini", "closed.ini", "mark.ini", "long.ini"}) {
        ASSERT_EQ(RewriteSchemeFile(Path(name).c_str(), u"New"), 0) << name;
    }
    EXPECT_EQ(Contents("open.ini"), BOM + "[X]\r\nk=v\r\n\r\n" + SectionText("New"));
    EXPECT_EQ(Contents("closed.ini"), BOM + "[X]\r\nk=v\r\n\r\n" + SectionText("New"));
    EXPECT_EQ(Contents("mark.ini"), BOM + "\r\n" + SectionText("New"));
    EXPECT_EQ(Contents("long.ini"), BOM + longLine + "\r\n\r\n" + SectionText("New"));
}

// Lines longer than the 8191 units the reader reads come through whole,
// from another encoding: trimmed at their real start and end, white space
// inside kept, a surrogate pair across a piece boundary one character.
// Text that runs on past what the reader reads keeps the white space
// before it, so that the reader sees what it saw (here no header).
TEST_F(WriterTest, LongLinesAreCopiedWhole) {
    const std::string setting = "ColorDir=" + std::string(9000, 'v');
    const std::string inside = "k=" + std::string(8189, 'w') + std::string(5000, ' ') + "x";
    const std::string notAHeader = "  [" + std::string(8189, 'n') + "]";
    const std::u16string text =
        u"\uFEFF[Keep]\r\n" +
        Widen16(setting + " \t \r\n" + inside + std::string(9000, ' ') + "\r\n" + std::string(10000, ' ') + "\r\n  y" +
                std::string(9000, ' ') + "\r\n" + std::string(8190, 'a')) +
        u"\U0001F600b\r\n" + Widen16(notAHeader + "\r\nk=v");
    std::string bytes;
    for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    MakeFile("long.ini", bytes);
    ASSERT_EQ(RewriteSchemeFile(Path("long.ini").c_str(), u"New"), 0);
    EXPECT_EQ(Contents("long.ini"), BOM + "[Keep]\r\n" + setting + "\r\n" + inside + "\r\n\r\ny\r\n" +
                                        std::string(8190, 'a') +
                                        "\xF0\x9F\x98\x80"
                                        "b\r\n" +
                                        notAHeader + "\r\nk=v\r\n\r\n" + SectionText("New"));
    EXPECT_EQ(Err(), u"");
}

TEST_F(WriterTest, AnEmptyFileCannotBeRewrittenAndStaysEmpty) {
    MakeFile("empty.ini", "");
    EXPECT_EQ(WriteCurrentScheme((Path("empty.ini") + u"::Mine").c_str(), false, IdentifyCurrentScheme), 2);
    EXPECT_EQ(Narrow(Err()),
              "Vivanta plugin: Error opening input file \"" + Linux("empty.ini") + "\":\r\n   Error -100\r\n");
    EXPECT_EQ(Out(), u"");
    ExpectUntouched("empty.ini", "");
}

// A new file: each failing call is reported with the error that caused it.
TEST_F(WriterTest, CreationFailures) {
    sim::FailCall("CreateFileW", ERROR_ACCESS_DENIED);
    EXPECT_EQ(CreateSchemeFile(Path("new.ini").c_str(), u"Mine"), 2);
    sim::FailCall("WriteFile", ERROR_DISK_FULL);
    EXPECT_EQ(CreateSchemeFile(Path("full.ini").c_str(), u"Mine"), 2);
    sim::FailCall("GetConsoleScreenBufferInfoEx", ERROR_INVALID_HANDLE);
    EXPECT_EQ(CreateSchemeFile(Path("console.ini").c_str(), u"Mine"), 2);
    EXPECT_EQ(Narrow(Err()), "Vivanta plugin: Error opening output file \"" + Windows("new.ini") +
                                 "\":\r\n   Access is denied.\r\n"
                                 "Vivanta plugin: Error writing to output file \"" +
                                 Windows("full.ini") +
                                 "\":\r\n   There is not enough space on the disk.\r\n"
                                 "Vivanta plugin: Error writing to output file \"" +
                                 Windows("console.ini") + "\":\r\n   The handle is invalid.\r\n");
    EXPECT_EQ(sim::OpenHandleCount(), 1);
    EXPECT_EQ(MemLiveCount(), live_);
}

// The rewrite fails at each call in turn; the user's file must come through
// byte for byte, with no temporary file beside it.
TEST_F(WriterTest, EveryRewriteFailureLeavesTheFileAsItWas) {
    std::string original;
    for (int i = 0; i < 80; ++i) original += Section("S" + std::to_string(i));
    MakeFile("a.ini", original);
    std::u16string path = Path("a.ini");
    int before = sim::CallCount("WriteFile");
    ASSERT_EQ(RewriteSchemeFile(path.c_str(), u"S7"), 0);
    int writes = sim::CallCount("WriteFile") - before;
    ASSERT_GE(writes, 3);
    MakeFile("a.ini", original);
    const std::string prefix = "Vivanta plugin: ";
    const std::string temp = Linux("VT_#.TMP");  // beside the file the name leads to

    const std::string rename =
        "Can\\u2019t rename output file \"" + temp + "\" to \"" + Windows("a.ini") + "\":\r\n   ";
    struct Fault {
        const char *function;
        DWORD error;
        int nth;
        int times;
    };
    struct Case {
        std::vector<Fault> faults;
        std::string err;
    };
    // SetFileInformationByHandle is called for the attributes, then for the
    // rename, which a file held open (5 or 32) makes try ten times more.
    std::vector<Case> cases = {
        {{{"rand_s", 0, 1, 1}},
         "Error opening output file \"" + Linux("") +
             "\":\r\n   A device attached to the system is not functioning.\r\n"},
        {{{"CreateFileW", ERROR_SHARING_VIOLATION, 1, 1}},
         "Error opening input file \"" + Windows("a.ini") +
             "\":\r\n   The process cannot access the file because it is being used by another process.\r\n"},
        {{{"GetFileInformationByHandle", ERROR_INVALID_FUNCTION, 2, 1}},
         "Error opening input file \"" + Windows("a.ini") + "\":\r\n   Incorrect function.\r\n"},
        {{{"CreateFileW", ERROR_ACCESS_DENIED, 2, 1}},
         "Error opening output file \"" + temp + "\":\r\n   Access is denied.\r\n"},
        {{{"GetConsoleScreenBufferInfoEx", ERROR_INVALID_HANDLE, 1, 1}},
         "Error writing to output file \"" + temp + "\"\r\n   Error 42\r\n"},
        {{{"FlushFileBuffers", ERROR_WRITE_FAULT, 1, 1}},
         "Error closing output file \"" + temp + "\"\r\n   The system cannot write to the specified device.\r\n"},
        {{{"SetFileInformationByHandle", ERROR_ACCESS_DENIED, 1, 1}}, rename + "Access is denied.\r\n"},
        {{{"SetFileInformationByHandle", ERROR_NOT_SAME_DEVICE, 2, 1}},
         rename + "The system cannot move the file to a different disk drive.\r\n"},
        {{{"SetFileInformationByHandle", ERROR_SHARING_VIOLATION, 2, 11}},
         rename + "The process cannot access the file because it is being used by another process.\r\n"},
        // Where a handle cannot rename, ReplaceFileW is tried by name, and
        // a temporary file left to it is removed by name.
        {{{"SetFileInformationByHandle", ERROR_NOT_SUPPORTED, 2, 1},
          {"ReplaceFileW", ERROR_UNABLE_TO_REMOVE_REPLACED, 1, 1}},
         rename + "Unable to remove the file to be replaced.\r\n"},
        {{{"SetFileInformationByHandle", ERROR_INVALID_PARAMETER, 1, 1},
          {"ReplaceFileW", ERROR_INVALID_FUNCTION, 1, 1},
          {"MoveFileExW", ERROR_ACCESS_DENIED, 1, 1}},
         rename + "Access is denied.\r\n"},
    };
    for (int n = 1; n <= writes; ++n) {
        std::string message = n < writes ? "Error writing to output file \"" + temp + "\"\r\n"
                                         : "Error closing output file \"" + temp + "\"\r\n";
        cases.push_back(
            {{{"WriteFile", ERROR_DISK_FULL, n, 1}}, message + "   There is not enough space on the disk.\r\n"});
    }
    for (const Case &c : cases) {
        HostCtlClearOutput();
        for (const Fault &f : c.faults) sim::FailCall(f.function, f.error, f.nth, f.times);
        std::string where = std::string(c.faults[0].function) + " " + std::to_string(c.faults[0].nth);
        EXPECT_EQ(RewriteSchemeFile(path.c_str(), u"S7"), 2) << where;
        sim::ClearFaults();
        EXPECT_EQ(MaskedErr(), prefix + c.err) << where;
        ExpectUntouched("a.ini", original);
    }
    // And every allocation on the way.
    MemFailAllocation(0);
    ASSERT_EQ(RewriteSchemeFile(MakeFile("b.ini", original).c_str(), u"S7"), 0);
    long allocations = MemAllocationCount();
    ASSERT_EQ(remove(Linux("b.ini").c_str()), 0);
    ASSERT_GE(allocations, 5);
    for (long n = 1; n <= allocations; ++n) {
        MemFailAllocation(n);
        EXPECT_EQ(RewriteSchemeFile(path.c_str(), u"S7"), 2) << n;
        MemFailAllocation(0);
        EXPECT_NE(Err().find(u"Not enough memory"), std::u16string::npos) << n;
        ExpectUntouched("a.ini", original);
    }
}

// A scanner or indexer holding the file open keeps it from being replaced,
// whatever it shares: the rewrite waits half a second for it to let go,
// then fails and the file keeps its content. One that lets go in time is
// waited for.
TEST_F(WriterTest, AFileHeldOpenIsWaitedForThenNotReplaced) {
    MakeFile("a.ini", "[Old]\r\n");
    for (DWORD share : {static_cast<DWORD>(FILE_SHARE_READ), static_cast<DWORD>(FILE_SHARE_READ | FILE_SHARE_DELETE)}) {
        HostCtlClearOutput();
        HANDLE scanner = CreateFileW(Path("a.ini").c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(scanner, INVALID_HANDLE_VALUE);
        ULONGLONG start = sim::Now();
        EXPECT_EQ(WriteCurrentScheme((Path("a.ini") + u"::Mine").c_str(), false, IdentifyCurrentScheme), 2);
        EXPECT_EQ(sim::Now() - start, 500u);
        CloseHandle(scanner);
        EXPECT_EQ(MaskedErr(), "Vivanta plugin: Can\\u2019t rename output file \"" + Linux("VT_#.TMP") + "\" to \"" +
                                   Linux("a.ini") + "\":\r\n   Access is denied.\r\n");
        EXPECT_EQ(Out(), u"");
        ExpectUntouched("a.ini", "[Old]\r\n");
    }
    HANDLE scanner =
        CreateFileW(Path("a.ini").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    sim::BeforeCall("Sleep", 4, [&] { CloseHandle(scanner); });
    EXPECT_EQ(WriteCurrentScheme((Path("a.ini") + u"::Mine").c_str(), true, IdentifyCurrentScheme), 0);
    EXPECT_EQ(Contents("a.ini"), BOM + "[Old]\r\n\r\n" + SectionText("Mine"));
    EXPECT_EQ(Entries(), std::vector<std::string>{"a.ini"});
}

// Every call a rewrite makes, as the call log lists them, fails in turn,
// on each of its ways: the file's final name, its volume GUID name where
// it has no drive letter, the name as given where it has neither, and
// ReplaceFileW where the file system cannot rename a handle's file. The
// file comes through as it was or fully rewritten, success is silent, and
// a temporary file left behind is one that a message names.
TEST_F(WriterTest, AFailureAtAnyCallOfARewriteLosesNothing) {
    const std::string original = Section("A") + Section("B");
    MakeFile("a.ini", original);
    std::u16string path = Path("a.ini");
    struct Way {
        const char *function;
        DWORD error;
        int nth;
        int times;
    };
    const Way ways[] = {{"", 0, 0, 0},
                        {"GetFinalPathNameByHandleW", ERROR_PATH_NOT_FOUND, 1, 1},
                        {"GetFinalPathNameByHandleW", ERROR_PATH_NOT_FOUND, 1, 2},
                        {"SetFileInformationByHandle", ERROR_INVALID_FUNCTION, 2, 1}};
    // A new file each time: a handle that a failed CloseHandle left open
    // holds only the one before.
    auto makeOriginal = [&] {
        remove(Linux("a.ini").c_str());
        MakeFile("a.ini", original);
    };
    for (const Way &way : ways) {
        auto takeWay = [&] {
            if (way.nth > 0) sim::FailCall(way.function, way.error, way.nth, way.times);
        };
        makeOriginal();
        takeWay();
        sim::RecordCalls(true);
        ASSERT_EQ(RewriteSchemeFile(path.c_str(), u"B"), 0) << way.function << " " << way.times;
        sim::RecordCalls(false);
        sim::ClearFaults();
        const std::string rewritten = Contents("a.ini");
        std::vector<std::string> log = sim::CallLog();
        ASSERT_GE(log.size(), 10u);
        std::map<std::string, int> seen;
        for (const std::string &function : log) {
            int nth = ++seen[function];
            std::string where = std::string(way.function) + " " + function + " " + std::to_string(nth);
            makeOriginal();
            HostCtlClearOutput();
            takeWay();
            sim::FailCall(function.c_str(), ERROR_ACCESS_DENIED, nth);
            int result = RewriteSchemeFile(path.c_str(), u"B");
            sim::ClearFaults();
            std::string err = Narrow(Err());
            EXPECT_EQ(Contents("a.ini"), result == 0 ? rewritten : original) << where;
            EXPECT_EQ(result == 0, err.empty()) << where << ": " << err;
            for (const std::string &entry : Entries()) {
                if (entry == "a.ini") continue;
                EXPECT_NE(err.find(entry), std::string::npos) << where << ": " << entry;
                remove(Linux(entry).c_str());
            }
        }
    }
    // The clean-up failing too: the temporary file stays, named.
    MakeFile("a.ini", original);
    HostCtlClearOutput();
    sim::FailCall("SetFileInformationByHandle", ERROR_NOT_SAME_DEVICE, 2);
    sim::FailCall("SetFileInformationByHandle", ERROR_ACCESS_DENIED, 3);
    EXPECT_EQ(RewriteSchemeFile(path.c_str(), u"B"), 2);
    const std::string temp = Linux("VT_#.TMP");
    EXPECT_EQ(MaskedErr(), "Vivanta plugin: Can\\u2019t rename output file \"" + temp + "\" to \"" + Windows("a.ini") +
                               "\":\r\n   The system cannot move the file to a different disk drive.\r\n"
                               "Vivanta plugin: Can\\u2019t remove temporary file \"" +
                               temp + "\":\r\n   Access is denied.\r\n");
    EXPECT_EQ(Contents("a.ini"), original);
    EXPECT_EQ(Entries().size(), 2u);
}

// Someone who may rename and delete files in the directory plants links
// where the temporary file goes: at the first name drawn, and in its place
// before every call the rewrite makes, up to the last moment before it
// takes the file's place. The file open unshared cannot be deleted or
// moved; and even a name swapped behind Windows' back is never followed.
// Nothing outside the directory changes, and the file stays a file with
// the new content.
TEST_F(WriterTest, ALinkPlantedAtTheTemporaryNameReceivesNothing) {
    ASSERT_EQ(mkdir(Linux("schemes").c_str(), 0755), 0);
    ASSERT_EQ(mkdir(Linux("elsewhere").c_str(), 0755), 0);
    MakeFile("elsewhere/victim.txt", "keep");
    const std::string victim = Linux("elsewhere/victim.txt");
    const std::string planted = "VT_123456789ABCDEF0.TMP";
    ASSERT_EQ(symlink(victim.c_str(), Linux("schemes/" + planted).c_str()), 0);
    auto temporaries = [&] {
        std::vector<std::string> names;
        for (const std::string &entry : Entries(Linux("schemes"))) {
            if (entry.compare(0, 3, "VT_") == 0 && entry != planted) names.push_back(entry);
        }
        return names;
    };
    int swaps = 0;
    auto swapForLink = [&] {
        for (const std::string &entry : temporaries()) {
            std::u16string name = Widen16(Linux("schemes/" + entry));
            if (DeleteFileW(name.c_str()) && symlink(victim.c_str(), Linux("schemes/" + entry).c_str()) == 0) ++swaps;
        }
    };
    MakeFile("schemes/a.ini", "[Old]\r\n");
    sim::SetRandomValues({0x12345678, 0x9ABCDEF0});
    sim::RecordCalls(true);
    ASSERT_EQ(RewriteSchemeFile(Path("schemes/a.ini").c_str(), u"Mine"), 0);
    sim::RecordCalls(false);
    std::map<std::string, int> seen;
    for (const std::string &function : sim::CallLog()) sim::BeforeCall(function.c_str(), ++seen[function], swapForLink);
    MakeFile("schemes/a.ini", "[Old]\r\n");
    sim::SetRandomValues({0x12345678, 0x9ABCDEF0});
    ASSERT_EQ(RewriteSchemeFile(Path("schemes/a.ini").c_str(), u"Mine"), 0);
    EXPECT_EQ(swaps, 0);  // the open temporary file can be neither deleted nor moved
    EXPECT_EQ(Contents("schemes/a.ini"), BOM + "[Old]\r\n\r\n" + SectionText("Mine"));

    // The name swapped as the rename begins, as no program may under
    // Windows: the file written is still the one that takes the place.
    MakeFile("schemes/a.ini", "[Old]\r\n");
    sim::BeforeCall("SetFileInformationByHandle", 2, [&] {
        for (const std::string &entry : temporaries()) {
            const std::string name = Linux("schemes/" + entry);
            if (rename(name.c_str(), (name + ".moved").c_str()) == 0 && symlink(victim.c_str(), name.c_str()) == 0) {
                ++swaps;
            }
        }
    });
    ASSERT_EQ(RewriteSchemeFile(Path("schemes/a.ini").c_str(), u"Mine"), 0);
    EXPECT_EQ(swaps, 1);
    EXPECT_EQ(Contents("elsewhere/victim.txt"), "keep");
    struct stat st;
    ASSERT_EQ(lstat(Linux("schemes/a.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(Contents("schemes/a.ini"), BOM + "[Old]\r\n\r\n" + SectionText("Mine"));
    EXPECT_EQ(Entries(Linux("elsewhere")), std::vector<std::string>{"victim.txt"});
    EXPECT_EQ(Err(), u"");
}

// What the file was survives: a link stays a link with the file it leads
// to rewritten (and where that file has no final name, the link is not
// replaced), attributes and creation time are kept, and a read-only file
// is refused as Windows refuses to replace it, whole and with nothing left
// beside it. Permissions are what the folder gives new files.
TEST_F(WriterTest, ARewriteKeepsWhatTheFileWas) {
    ASSERT_EQ(mkdir(Linux("real").c_str(), 0755), 0);
    MakeFile("real/target.ini", "[Old]\r\n");
    ASSERT_EQ(symlink(Linux("real/target.ini").c_str(), Linux("link.ini").c_str()), 0);
    ASSERT_EQ(WriteCurrentScheme((Path("link.ini") + u"::Mine").c_str(), true, IdentifyCurrentScheme), 0);
    struct stat st;
    ASSERT_EQ(lstat(Linux("link.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    const std::string rewritten = BOM + "[Old]\r\n\r\n" + SectionText("Mine");
    EXPECT_EQ(Contents("real/target.ini"), rewritten);
    EXPECT_EQ(Entries(Linux("real")), std::vector<std::string>{"target.ini"});
    sim::FailCall("GetFinalPathNameByHandleW", ERROR_PATH_NOT_FOUND, 1, 2);  // no drive letter, no GUID name
    EXPECT_EQ(WriteCurrentScheme((Path("link.ini") + u"::Other").c_str(), true, IdentifyCurrentScheme), 2);
    EXPECT_EQ(Narrow(Err()), "Vivanta plugin: Error opening input file \"" + Linux("link.ini") +
                                 "\":\r\n   The system cannot find the path specified.\r\n");
    EXPECT_EQ(Contents("real/target.ini"), rewritten);

    MakeFile("hidden.ini", "[Old]\r\n");
    FILE_BASIC_INFO basic = {};
    basic.CreationTime.QuadPart = 130000000000000000ll;  // in 2012
    basic.FileAttributes = FILE_ATTRIBUTE_HIDDEN;
    HANDLE file = CreateFileW(Path("hidden.ini").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_TRUE(SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic));
    CloseHandle(file);
    ASSERT_EQ(RewriteSchemeFile(Path("hidden.ini").c_str(), u"Mine"), 0);
    EXPECT_EQ(Contents("hidden.ini"), rewritten);
    file = CreateFileW(Path("hidden.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    BY_HANDLE_FILE_INFORMATION info = {};
    ASSERT_TRUE(GetFileInformationByHandle(file, &info));
    CloseHandle(file);
    EXPECT_EQ(info.dwFileAttributes, static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(static_cast<LONGLONG>(info.ftCreationTime.dwHighDateTime) << 32 | info.ftCreationTime.dwLowDateTime,
              basic.CreationTime.QuadPart);

    MakeFile("private.ini", "[Old]\r\n");
    ASSERT_EQ(chmod(Linux("private.ini").c_str(), 0600), 0);
    ASSERT_EQ(RewriteSchemeFile(Path("private.ini").c_str(), u"Mine"), 0);
    struct stat fresh;
    MakeFile("fresh.ini", "");
    ASSERT_EQ(stat(Linux("fresh.ini").c_str(), &fresh), 0);
    ASSERT_EQ(stat(Linux("private.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, fresh.st_mode & 0777);
    ASSERT_EQ(remove(Linux("fresh.ini").c_str()), 0);

    MakeFile("ro.ini", "[Old]\r\n");
    ASSERT_EQ(chmod(Linux("ro.ini").c_str(), 0444), 0);
    HostCtlClearOutput();
    EXPECT_EQ(WriteCurrentScheme((Path("ro.ini") + u"::Mine").c_str(), false, IdentifyCurrentScheme), 2);
    EXPECT_EQ(MaskedErr(), "Vivanta plugin: Can\\u2019t rename output file \"" + Linux("VT_#.TMP") + "\" to \"" +
                               Linux("ro.ini") + "\":\r\n   Access is denied.\r\n");
    EXPECT_EQ(Contents("ro.ini"), "[Old]\r\n");
    EXPECT_EQ(Sorted(Entries()), (std::vector<std::string>{"hidden.ini", "link.ini", "private.ini", "real", "ro.ini"}));
}

// A directory path of MAX_PATH or more: the file is created and then
// rewritten through "\\?\" names.
TEST_F(WriterTest, ALongPathIsRewrittenAsItIsCreated) {
    std::string directory = "";
    while (dir_.size() + directory.size() < MAX_PATH) {
        directory += (directory.empty() ? "" : "/") + std::string(40, 'd');
        ASSERT_EQ(mkdir(Linux(directory).c_str(), 0755), 0);
    }
    std::u16string argument = Path(directory + "/s.ini");
    ASSERT_EQ(WriteCurrentScheme((argument + u"::One").c_str(), true, IdentifyCurrentScheme), 0);
    ASSERT_EQ(WriteCurrentScheme((argument + u"::Two").c_str(), true, IdentifyCurrentScheme), 0);
    EXPECT_EQ(Contents(directory + "/s.ini"), BOM + SectionText("One") + SectionText("Two"));
    EXPECT_EQ(Entries(Linux(directory)), std::vector<std::string>{"s.ini"});
    EXPECT_EQ(Err(), u"");
}

}  // namespace
