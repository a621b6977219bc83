// Writing the scheme in effect: the section's text, the checks of the /W
// argument, new files, rewrites of existing ones, and every failure on the
// way, after which the user's file must be exactly as it was.
#include <sys/stat.h>

#include <regex>

#include "support/scheme_file_fixture.h"

namespace {

const std::string BOM = "\xEF\xBB\xBF";

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
    EXPECT_EQ(ReadSchemeFile(Path("sub/Vivanta.ini").c_str(), false), 3);
    EXPECT_NE(FindSchemeByName(g_schemes, Widen16(longest).c_str()), nullptr);
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
    std::u16string text =
        u"\uFEFF  ; top  \r\n[A]\r\nStdColors=Red on Black\r\n\r\n [B] \r\n  key = v  \r\n\t\r\n"
        u"[a]\r\nold=1\r\n\r\n[Cr\u00e8me Br\u00fbl\u00e9e] ; x\r\nold=2\r\n[ Night ]\r\nold=3\r\n";
    MakeFile("a.ini", [&] {
        std::string bytes;
        for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        return bytes;
    }());
    ASSERT_EQ(RewriteSchemeFile(Path("a.ini").c_str(), u"A"), 0);
    ASSERT_EQ(RewriteSchemeFile(Path("a.ini").c_str(), u"Creme Brulee"), 0);
    ASSERT_EQ(RewriteSchemeFile(Path("a.ini").c_str(), u"Night"), 0);
    EXPECT_EQ(Contents("a.ini"), BOM + "; top\r\n" + SectionText("A") + "[B]\r\nkey = v\r\n\r\n" +
                                     SectionText("Cr\xC3\xA8me Br\xC3\xBBl\xC3\xA9"
                                                 "e") +
                                     SectionText(" Night "));
    EXPECT_EQ(Entries(), std::vector<std::string>{"a.ini"});
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
    EXPECT_EQ(Contents("long.ini"), BOM + longLine.substr(0, 8191) + "\r\n\r\n" + SectionText("New"));
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
    const std::string temp = Windows("VT_#.TMP");

    struct Case {
        const char *function;
        DWORD error;
        int nth;
        std::string err;
    };
    std::vector<Case> cases = {
        {"GetTempFileNameW", ERROR_ACCESS_DENIED, 1,
         "Error opening output file \"" + Windows("") + "\":\r\n   Access is denied.\r\n"},
        {"CreateFileW", ERROR_SHARING_VIOLATION, 1,
         "Error opening input file \"" + Windows("a.ini") +
             "\":\r\n   The process cannot access the file because it is being used by another process.\r\n"},
        {"CreateFileW", ERROR_ACCESS_DENIED, 2,
         "Error opening output file \"" + temp + "\":\r\n   Access is denied.\r\n"},
        {"GetConsoleScreenBufferInfoEx", ERROR_INVALID_HANDLE, 1,
         "Error writing to output file \"" + temp + "\"\r\n   Error 42\r\n"},
        {"FlushFileBuffers", ERROR_WRITE_FAULT, 1,
         "Error closing output file \"" + temp + "\"\r\n   The system cannot write to the specified device.\r\n"},
        {"MoveFileExW", ERROR_ACCESS_DENIED, 1,
         "Can\\u2019t rename output file \"" + temp + "\" to \"" + Windows("a.ini") +
             "\":\r\n   Access is denied.\r\n"},
    };
    for (int n = 1; n <= writes; ++n) {
        std::string message = n < writes ? "Error writing to output file \"" + temp + "\"\r\n"
                                         : "Error closing output file \"" + temp + "\"\r\n";
        cases.push_back({"WriteFile", ERROR_DISK_FULL, n, message + "   There is not enough space on the disk.\r\n"});
    }
    for (const Case &c : cases) {
        HostCtlClearOutput();
        sim::FailCall(c.function, c.error, c.nth);
        EXPECT_EQ(RewriteSchemeFile(path.c_str(), u"S7"), 2) << c.function << " " << c.nth;
        sim::ClearFaults();
        EXPECT_EQ(MaskedErr(), prefix + c.err) << c.function << " " << c.nth;
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

// A scanner or indexer holding the file open keeps it from being replaced;
// the rewrite then fails and the file keeps its content.
TEST_F(WriterTest, AFileHeldOpenIsNotReplaced) {
    MakeFile("a.ini", "[Old]\r\n");
    for (DWORD share : {static_cast<DWORD>(FILE_SHARE_READ), static_cast<DWORD>(FILE_SHARE_READ | FILE_SHARE_DELETE)}) {
        HostCtlClearOutput();
        HANDLE scanner = CreateFileW(Path("a.ini").c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(scanner, INVALID_HANDLE_VALUE);
        EXPECT_EQ(WriteCurrentScheme((Path("a.ini") + u"::Mine").c_str(), false, IdentifyCurrentScheme), 2);
        CloseHandle(scanner);
        EXPECT_EQ(MaskedErr(), "Vivanta plugin: Can\\u2019t rename output file \"" + Linux("VT_#.TMP") + "\" to \"" +
                                   Linux("a.ini") + "\":\r\n   Access is denied.\r\n");
        EXPECT_EQ(Out(), u"");
        ExpectUntouched("a.ini", "[Old]\r\n");
    }
    EXPECT_EQ(WriteCurrentScheme((Path("a.ini") + u"::Mine").c_str(), true, IdentifyCurrentScheme), 0);
    EXPECT_EQ(Contents("a.ini"), BOM + "[Old]\r\n\r\n" + SectionText("Mine"));
}

}  // namespace
