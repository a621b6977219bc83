#include "support/textio_fixture.h"
#include "textio/textio.h"

namespace {

class OutputFileTest : public TextioTest {
  protected:
    OutputFile *Create(const std::string &name) { return CreateOutputFile(Path(name).c_str()); }
    static int Writes() { return sim::CallCount("WriteFile"); }
};

TEST_F(OutputFileTest, CreationFailuresSetTheLastError) {
    EXPECT_EQ(CreateOutputFile(u""), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    EXPECT_EQ(CreateOutputFile(nullptr), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    EXPECT_EQ(Create("no\\such\\dir.ini"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    std::u16string name = MakeFile("busy.ini", "keep");
    HANDLE reader = CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(CreateOutputFile(name.c_str()), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(reader);
    EXPECT_EQ(Contents("busy.ini"), "keep");

    for (long nth = 1; nth <= 3; ++nth) {
        MemFailAllocation(nth);
        EXPECT_EQ(Create("a.ini"), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    }
    MemFailAllocation(0);
    ExpectNothingHeld();
}

TEST_F(OutputFileTest, TextBecomesUtf8WithAnOptionalMark) {
    MakeFile("plain.ini", "old content that must go");
    OutputFile *output = Create("plain.ini");
    ASSERT_NE(output, nullptr);
    EXPECT_EQ(Contents("plain.ini"), "");  // emptied at creation
    EXPECT_EQ(WriteText(output, u"Caf\u00E9 \U0001F600\r\n"), 0);
    EXPECT_EQ(WriteText(output, u"lone \xD800!"), 0);
    EXPECT_EQ(CloseOutputFile(output), 0);
    EXPECT_EQ(Contents("plain.ini"), "Caf\xC3\xA9 \xF0\x9F\x98\x80\r\nlone \xEF\xBF\xBD!");

    output = Create("marked.ini");
    EXPECT_EQ(WriteBom(output), 0);
    EXPECT_EQ(WriteText(output, u"[x]"), 0);
    EXPECT_EQ(CloseOutputFile(output), 0);
    EXPECT_EQ(Contents("marked.ini"), "\xEF\xBB\xBF[x]");
    ExpectNothingHeld();
}

TEST_F(OutputFileTest, StandardOutputIsWrittenButNeverClosed) {
    sim::SetStdTarget(STD_OUTPUT_HANDLE, sim::StdTarget::Capture);
    OutputFile *output = CreateOutputFile(u"-");
    ASSERT_NE(output, nullptr);
    EXPECT_TRUE(output->isStdOut);
    WriteText(output, u"to the pipe\r\n");
    EXPECT_EQ(CloseOutputFile(output), 0);
    EXPECT_EQ(sim::CapturedBytes(STD_OUTPUT_HANDLE), "to the pipe\r\n");
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "!", 1, &written, nullptr));
    ExpectNothingHeld();
}

TEST_F(OutputFileTest, AFullBufferIsHeldUntilTheNextUnit) {
    OutputFile *output = Create("a.ini");
    int before = Writes();
    EXPECT_EQ(WriteText(output, std::u16string(8191, u'a').c_str()), 0);
    EXPECT_EQ(output->count, 8191u);
    EXPECT_EQ(Writes(), before);
    EXPECT_EQ(WriteText(output, u"b"), 0);
    EXPECT_EQ(Writes(), before + 1);
    EXPECT_TRUE(Contents("a.ini") == std::string(8191, 'a'));
    EXPECT_EQ(output->count, 1u);
    EXPECT_EQ(CloseOutputFile(output), 0);
    EXPECT_EQ(Contents("a.ini").size(), 8192u);
}

TEST_F(OutputFileTest, LongTextGoesOutInChunksThatKeepSurrogatePairsWhole) {
    OutputFile *output = Create("a.ini");
    int before = Writes();
    EXPECT_EQ(WriteText(output, std::u16string(8192, u'x').c_str()), 0);
    EXPECT_EQ(Writes(), before + 1);
    EXPECT_EQ(Contents("a.ini").size(), 7168u);
    EXPECT_EQ(output->count, 1024u);
    CloseOutputFile(output);

    // Units 7167 and 7168 form a pair: the first chunk ends before it.
    std::u16string text = std::u16string(7167, u'a') + u"\U0001F600" + std::u16string(2000, u'b');
    output = Create("b.ini");
    EXPECT_EQ(WriteText(output, text.c_str()), 0);
    EXPECT_TRUE(Contents("b.ini") == std::string(7167, 'a'));
    EXPECT_EQ(output->count, 2002u);
    EXPECT_EQ(CloseOutputFile(output), 0);
    EXPECT_TRUE(Contents("b.ini") == std::string(7167, 'a') + "\xF0\x9F\x98\x80" + std::string(2000, 'b'));

    output = Create("c.ini");
    before = Writes();
    EXPECT_EQ(WriteText(output, std::u16string(20000, u'z').c_str()), 0);
    EXPECT_EQ(Writes(), before + 2);
    EXPECT_EQ(output->count, 20000u - 2 * 7168u);
    CloseOutputFile(output);
    EXPECT_TRUE(Contents("c.ini") == std::string(20000, 'z'));
    ExpectNothingHeld();
}

TEST_F(OutputFileTest, AFailedWriteKeepsTheTextAndTheCloseStillFrees) {
    OutputFile *output = Create("a.ini");
    WriteText(output, std::u16string(8000, u'q').c_str());
    sim::FailCall("WriteFile", ERROR_DISK_FULL);
    EXPECT_EQ(WriteText(output, std::u16string(500, u'r').c_str()), ERROR_DISK_FULL);
    EXPECT_EQ(output->count, 8000u);
    EXPECT_EQ(FlushOutput(output), 0);  // the retry succeeds
    EXPECT_TRUE(Contents("a.ini") == std::string(8000, 'q'));

    WriteText(output, u"tail");
    sim::FailCall("WriteFile", ERROR_WRITE_FAULT);
    EXPECT_EQ(CloseOutputFile(output), ERROR_WRITE_FAULT);
    ExpectNothingHeld();
}

TEST_F(OutputFileTest, MarksAndNullArguments) {
    EXPECT_EQ(WriteText(nullptr, u"x"), -1);
    EXPECT_EQ(WriteBom(nullptr), -1);
    EXPECT_EQ(FlushOutput(nullptr), -1);
    EXPECT_EQ(CloseOutputFile(nullptr), -1);
    OutputFile *output = Create("a.ini");
    EXPECT_EQ(WriteText(output, nullptr), -1);
    EXPECT_EQ(FlushOutput(output), 0);  // nothing to write
    WriteText(output, std::u16string(8191, u'm').c_str());
    EXPECT_EQ(WriteBom(output), 0);  // a full buffer is flushed first
    EXPECT_EQ(output->count, 1u);
    EXPECT_EQ(output->pending[0], 0xFEFF);
    CloseOutputFile(output);
    EXPECT_TRUE(Contents("a.ini") == std::string(8191, 'm') + "\xEF\xBB\xBF");
}

}  // namespace
