#include <string.h>
#include <sys/mman.h>

#include "support/textio_fixture.h"
#include "textio/char_decoder.h"

using namespace std::string_literals;

namespace {

// ---- encoding detection ----

struct Detected {
    DWORD encoding;
    ULONGLONG textStart;
};

Detected Detect(const std::string &bytes, UINT codePage = 1252) {
    TextSource source = TextSource();
    source.data = reinterpret_cast<const BYTE *>(bytes.data());
    source.size = bytes.size();
    source.ansiCodePage = codePage;
    DetectEncoding(&source);
    EXPECT_EQ(source.position, source.textStart);
    return {source.encoding, source.textStart};
}

std::string Utf32LeBytes(const std::u16string &text) {
    std::string bytes;
    for (char16_t c : text) bytes += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8), 0, 0};
    return bytes;
}

void ExpectDetected(const std::string &bytes, DWORD encoding, ULONGLONG textStart, UINT codePage = 1252) {
    Detected got = Detect(bytes, codePage);
    EXPECT_EQ(got.encoding, encoding);
    EXPECT_EQ(got.textStart, textStart);
}

TEST(TextioDetection, ByteOrderMarks) {
    ExpectDetected("\xFF\xFE" + Utf16LeBytes(u"plain ascii"), Utf16Le, 2);
    ExpectDetected("\xFE\xFF\0a\0b"s, Utf16Be, 2);
    ExpectDetected("\xEF\xBB\xBFname=value\r\n", Utf8, 3);
    // The UTF-32 mark with mostly ASCII content.
    ExpectDetected(std::string("\xFF\xFE\0\0", 4) + Utf32LeBytes(u"[Scheme]\r\nColor=red\r\n"), Utf32Le, 4);
    ExpectDetected(std::string("\0\0\xFE\xFF\0\0\0a\0\0\0b\0\0\0\r\0\0\0\n", 20), Utf32Be, 4);
}

TEST(TextioDetection, Utf32WithoutAMarkByItsZeros) {
    ExpectDetected(Utf32LeBytes(u"hello, world\r\n"), Utf32Le, 0);
    // A UTF-32 mark on content that is not UTF-32-like is only UTF-16's mark.
    ExpectDetected(std::string("\xFF\xFE\0\0", 4) + "abcdefghijkl", Utf16Le, 2);
}

TEST(TextioDetection, Utf16StatisticsAndTheShortSampleRule) {
    // 20 bytes: too short for the space statistics; the zeros decide alone.
    ExpectDetected(Utf16LeBytes(u"Short_text"), Utf16Le, 0);
    std::string big;
    for (char c : std::string("ShortText")) big += std::string{0, c};
    ExpectDetected(big, Utf16Be, 0);
    // Longer text needs spaces on the same side as the zeros.
    std::u16string sentence;
    for (int i = 0; i < 20; ++i) sentence += u"the quick brown fox ";
    ExpectDetected(Utf16LeBytes(sentence), Utf16Le, 0);
    std::u16string noSpaces(200, u'x');
    ExpectDetected(Utf16LeBytes(noSpaces), Ansi, 0);
}

TEST(TextioDetection, Utf8NeedsOneWellFormedSequenceAndNothingStray) {
    std::string text = "name=Caf\xC3\xA9\r\nother=plain\r\n";
    ExpectDetected(text, Utf8, 0);
    std::string stray = text + std::string(1000, 'x') + "\x80" + "tail";
    ExpectDetected(stray, Ansi, 0);
    // A stray byte beyond the 256 KiB sample is not seen.
    std::string late = text + std::string(DETECT_UTF8_SAMPLE, 'x') + "\x80";
    ExpectDetected(late, Utf8, 0);
    // A sequence cut off by the end of the sample is accepted.
    ExpectDetected("abc\xE2\x82", Utf8, 0);
    ExpectDetected("abc\xF8\x88\x80\x80", Ansi, 0);
}

TEST(TextioDetection, SevenBitTextIsAnsiUnlessTheSystemCodePageIsUtf8) {
    ExpectDetected("plain 7-bit text\r\n", Ansi, 0);
    ExpectDetected("plain 7-bit text\r\n", Utf8, 0, 65001);
    ExpectDetected("\xEF\xBB\xBFx", Utf8, 3, 65001);
    ExpectDetected("x", Ansi, 0);
    ExpectDetected("x", Utf8, 0, 65001);
    // Code page 65001 does not hide a UTF-16 file.
    ExpectDetected("\xFF\xFEx\0"s, Utf16Le, 2, 65001);
}

TEST(TextioDetection, NeverLooksPastItsSamplesWhateverTheSize) {
    // 64 MiB of address space of which only the first 256 KiB may be read:
    // anything further would fault.
    const size_t total = 64u << 20;
    void *area = mmap(nullptr, total, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    ASSERT_NE(area, MAP_FAILED);
    ASSERT_EQ(mprotect(area, DETECT_UTF8_SAMPLE, PROT_READ | PROT_WRITE), 0);
    memset(area, 'a', DETECT_UTF8_SAMPLE);
    TextSource source = TextSource();
    source.data = static_cast<const BYTE *>(area);
    source.size = total;
    source.ansiCodePage = 1252;
    DetectEncoding(&source);  // pure ASCII: every test runs to its limit
    EXPECT_EQ(source.encoding, static_cast<DWORD>(Ansi));
    memcpy(area, "\xC3\xA9", 2);
    DetectEncoding(&source);
    EXPECT_EQ(source.encoding, static_cast<DWORD>(Utf8));
    munmap(area, total);
}

// ---- characters ----

// A source over `bytes` in a given encoding, as an open would leave it.
struct MemorySource {
    std::string bytes;
    TextSource source = TextSource();

    MemorySource(const std::string &content, DWORD encoding, UINT codePage = 1252, ULONGLONG textStart = 0)
        : bytes(content) {
        source.data = reinterpret_cast<const BYTE *>(bytes.data());
        source.size = bytes.size();
        source.encoding = static_cast<TextEncoding>(encoding);
        source.ansiCodePage = codePage;
        source.ansiTable = CodePageTableIndex(codePage);
        source.replacement = 0xFFFD;
        source.textStart = source.position = textStart;
    }

    std::vector<LONG> Chars() {
        std::vector<LONG> chars;
        for (LONG c; (c = ReadChar(&source)) != -1;) chars.push_back(c);
        return chars;
    }
};

using Chars = std::vector<LONG>;

TEST(TextioDecoding, MalformedUtf8GivesOneReplacementPerBadByte) {
    EXPECT_EQ(MemorySource("\xC3(", Utf8).Chars(), (Chars{0xFFFD, '('}));
    EXPECT_EQ(MemorySource("a\xE2\x82", Utf8).Chars(), (Chars{'a', 0xFFFD, 0xFFFD}));
    EXPECT_EQ(MemorySource("\x80\xBFz\xF8", Utf8).Chars(), (Chars{0xFFFD, 0xFFFD, 'z', 0xFFFD}));
}

TEST(TextioDecoding, Utf8BeyondTheBmpSurrogatesAndOverlongForms) {
    // One replacement for the whole four-byte sequence.
    EXPECT_EQ(MemorySource("\xF0\x9F\x98\x80!", Utf8).Chars(), (Chars{0xFFFD, '!'}));
    EXPECT_EQ(MemorySource("\xED\xA0\x80", Utf8).Chars(), (Chars{0xFFFD}));
    // Overlong forms give what they encode: C0 80 is a NUL.
    EXPECT_EQ(MemorySource("\xC0\x80\xC3\xA9\xE2\x82\xAC", Utf8).Chars(), (Chars{0, 0xE9, 0x20AC}));
    // A byte-order mark inside the text is an ordinary character.
    EXPECT_EQ(MemorySource("a\xEF\xBB\xBF", Utf8).Chars(), (Chars{'a', 0xFEFF}));
}

TEST(TextioDecoding, DecodeUtf8SequenceChecksContinuationsAndLength) {
    const BYTE euro[] = {0xE2, 0x82, 0xAC};
    EXPECT_EQ(DecodeUtf8Sequence(euro, 3), 0x20AC);
    EXPECT_EQ(DecodeUtf8Sequence(euro, 2), -1);  // cut off
    const BYTE bad[] = {0xE2, 0x28, 0xAC};
    EXPECT_EQ(DecodeUtf8Sequence(bad, 3), -1);
    const BYTE high[] = {0xF7, 0xBF, 0xBF, 0xBF};
    EXPECT_EQ(DecodeUtf8Sequence(high, 4), 0x1FFFFF);
    const BYTE stray[] = {0x9F};
    EXPECT_EQ(DecodeUtf8Sequence(stray, 1), -1);
}

TEST(TextioDecoding, AnsiBytesGoThroughTheSystemCodePagesTable) {
    EXPECT_EQ(MemorySource("\x81\x85\x80", Ansi, 1252).Chars(), (Chars{0xFFFD, 0x2026, 0x20AC}));
    EXPECT_EQ(MemorySource("\x81", Ansi, 866).Chars(), (Chars{0x0411}));
    EXPECT_EQ(MemorySource("\xC0", Ansi, 20866).Chars(), (Chars{0x044E}));
    // A code page without a table decodes as 1252.
    EXPECT_EQ(MemorySource("\x80", Ansi, 932).Chars(), (Chars{0x20AC}));
}

TEST(TextioDecoding, TablesFollowTheListAndHideC1Controls) {
    EXPECT_EQ(CodePageTableIndex(1252), 0u);
    EXPECT_EQ(CodePageTableIndex(437), 9u);
    EXPECT_EQ(CodePageTableIndex(10000), 21u);
    EXPECT_EQ(CodePageTableIndex(21866), 23u);
    EXPECT_EQ(CodePageTableIndex(65001), 0u);
    EXPECT_EQ(CODEPAGE_TABLES[9][0x00], 0x00C7);   // 437: 0x80 is C-cedilla
    EXPECT_EQ(CODEPAGE_TABLES[21][0x11], 0x00EB);  // Mac OS Roman 0x91
    for (const auto &table : CODEPAGE_TABLES) {
        for (WCHAR c : table) EXPECT_FALSE(c >= 0x80 && c <= 0x9F);
    }
    EXPECT_EQ(CODEPAGE_TABLES[10][0x00], 0xFFFD);  // 720 maps 0x80 to a C1 control
}

TEST(TextioDecoding, Utf16PassesSurrogatesAndDropsAnOddLastByte) {
    EXPECT_EQ(MemorySource(std::string("\x3D\xD8\x00\xDE"
                                       "a",
                                       5),
                           Utf16Le)
                  .Chars(),
              (Chars{0xD83D, 0xDE00}));
    EXPECT_EQ(MemorySource(std::string("\x00\xDE\x3D\xD8", 4), Utf16Le).Chars(), (Chars{0xDE00, 0xD83D}));
    EXPECT_EQ(MemorySource(std::string("\0a\x20\xAC", 4), Utf16Be).Chars(), (Chars{'a', 0x20AC}));
}

TEST(TextioDecoding, Utf32ReplacesWhatOneUnitCannotHold) {
    std::string le = std::string("A\0\0\0", 4) + std::string("\0\xF6\x01\0", 4) + std::string("\0\xD8\0\0", 4) +
                     std::string("\x41\0\0\x80", 4) + "xy";
    EXPECT_EQ(MemorySource(le, Utf32Le).Chars(), (Chars{'A', 0xFFFD, 0xD800, 0xFFFD}));
    EXPECT_EQ(MemorySource(std::string("\0\0\0B\0\0\x20\xAC", 8), Utf32Be).Chars(), (Chars{'B', 0x20AC}));
}

TEST(TextioDecoding, PeekDoesNotMoveAndTheMarkIsNeverDelivered) {
    MemorySource m("\xEF\xBB\xBFok", Utf8, 1252, 3);
    EXPECT_EQ(PeekChar(&m.source), 'o');
    EXPECT_EQ(PeekChar(&m.source), 'o');
    EXPECT_EQ(ReadChar(&m.source), 'o');
    EXPECT_EQ(ReadChar(&m.source), 'k');
    EXPECT_EQ(PeekChar(&m.source), -1);
    EXPECT_EQ(ReadChar(&m.source), -1);
    EXPECT_EQ(ReadChar(nullptr), -1);
    EXPECT_EQ(PeekChar(nullptr), -1);
}

// ---- lines ----

using Lines = std::vector<std::u16string>;

// Every line of `bytes` read with `flags`; the source must report its end
// for good once it has.
Lines Read(const std::string &bytes, DWORD encoding, DWORD flags = 0) {
    TextSource source = TextSource();
    source.data = reinterpret_cast<const BYTE *>(bytes.data());
    source.size = bytes.size();
    source.encoding = static_cast<TextEncoding>(encoding);
    source.ansiTable = CodePageTableIndex(1252);
    source.replacement = 0xFFFD;
    Lines lines;
    WCHAR buffer[LINE_BUFFER_SIZE];
    while (ReadLine(&source, buffer, flags)) lines.push_back(buffer);
    EXPECT_FALSE(ReadLine(&source, buffer, flags));
    EXPECT_EQ(buffer[0], 0);
    return lines;
}

TEST(TextioLines, LineBreakPairsAndSingles) {
    EXPECT_EQ(Read("A\r\nB", Ansi), (Lines{u"A", u"B"}));
    EXPECT_EQ(Read("A\n\rB", Ansi), (Lines{u"A", u"B"}));
    EXPECT_EQ(Read("A\r\rB", Ansi), (Lines{u"A", u"", u"B"}));
    EXPECT_EQ(Read("A\r\rB", Ansi, READ_LINE_SKIP_BLANK), (Lines{u"A", u"B"}));
    EXPECT_EQ(Read("A\n\nB", Ansi), (Lines{u"A", u"", u"B"}));
    EXPECT_EQ(Read("A\r\n\r\nB", Ansi), (Lines{u"A", u"", u"B"}));
    // NUL ends a line alone, like a line break.
    EXPECT_EQ(Read(std::string("ab\0cd", 5), Ansi), (Lines{u"ab", u"cd"}));
    EXPECT_EQ(Read(std::string("ab\0\ncd", 6), Ansi), (Lines{u"ab", u"", u"cd"}));
}

TEST(TextioLines, TheEndOfTheContent) {
    EXPECT_EQ(Read("A", Ansi), (Lines{u"A"}));
    EXPECT_EQ(Read("A\r\n", Ansi), (Lines{u"A"}));
    EXPECT_EQ(Read("\r\n", Ansi), (Lines{u""}));
    EXPECT_EQ(Read("", Ansi), Lines{});
    EXPECT_EQ(Read("A\r", Ansi), (Lines{u"A"}));
}

TEST(TextioLines, BlankLinesSkippedOnlyWhenAsked) {
    std::string text = "one\r\n \t \r\n\r\n\x0B\x0C\r\ntwo\r\n   ";
    EXPECT_EQ(Read(text, Ansi, READ_LINE_SKIP_BLANK), (Lines{u"one", u"two", u"   "}));
    EXPECT_EQ(Read(text, Ansi), (Lines{u"one", u" \t ", u"", u"\x0B\x0C", u"two", u"   "}));
    // A no-break space is white space too; a letter after it is not.
    EXPECT_EQ(Read("\xA0\r\n\xA0x", Ansi, READ_LINE_SKIP_BLANK), (Lines{u"\u00A0x"}));
}

TEST(TextioLines, NelEndsLinesInUnicodeButIsAnEllipsisInCodePage1252) {
    EXPECT_EQ(Read("a\xC2\x85"
                   "b",
                   Utf8),
              (Lines{u"a", u"b"}));
    EXPECT_EQ(Read(Utf16LeBytes(u"a\u0085b"), Utf16Le), (Lines{u"a", u"b"}));
    EXPECT_EQ(Read("a\x85"
                   "b",
                   Ansi),
              (Lines{u"a\u2026b"}));
}

TEST(TextioLines, OverlongLinesKeepTheirFirst8191Units) {
    std::string text(10000, 'x');
    text[8190] = 'y';
    text[8191] = 'z';
    text += "\r\nnext";
    Lines lines = Read(text, Ansi);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), 8191u);
    EXPECT_EQ(lines[0].back(), u'y');
    EXPECT_EQ(lines[1], u"next");
    // Without a terminator, the cut line is still delivered once.
    EXPECT_EQ(Read(std::string(9000, 'q'), Utf8).size(), 1u);
}

// In pieces a line comes whole: a line of exactly 8191 units is one piece,
// and a piece that goes on is never followed by an empty one.
TEST(TextioLines, PiecesGiveAnOverlongLineWhole) {
    std::string text = std::string(8191, 'a') + "\r\n" + std::string(8192, 'b') + "\n" + std::string(16382, 'c');
    TextSource source = TextSource();
    source.data = reinterpret_cast<const BYTE *>(text.data());
    source.size = text.size();
    source.encoding = Utf8;
    std::vector<std::pair<size_t, LinePiece>> pieces;
    WCHAR buffer[LINE_BUFFER_SIZE];
    for (LinePiece piece; (piece = ReadLinePiece(&source, buffer)) != NO_LINE_LEFT;) {
        pieces.push_back({std::u16string(buffer).size(), piece});
    }
    EXPECT_EQ(pieces,
              (std::vector<std::pair<size_t, LinePiece>>{
                  {8191, LINE_ENDS}, {8191, LINE_GOES_ON}, {1, LINE_ENDS}, {8191, LINE_GOES_ON}, {8191, LINE_ENDS}}));
    EXPECT_EQ(ReadLinePiece(nullptr, buffer), NO_LINE_LEFT);
}

TEST(TextioLines, EveryEncodingSplitsTheSameLines) {
    std::u16string text = u"first\r\nsecond \u00E9\nthird";
    Lines expected = {u"first", u"second \u00E9", u"third"};
    EXPECT_EQ(Read(Utf16LeBytes(text), Utf16Le), expected);
    std::string be, le32, be32;
    for (char16_t c : text) {
        be += std::string{static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
        le32 += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8), 0, 0};
        be32 += std::string{0, 0, static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)};
    }
    EXPECT_EQ(Read(be, Utf16Be), expected);
    EXPECT_EQ(Read(le32, Utf32Le), expected);
    EXPECT_EQ(Read(be32, Utf32Be), expected);
    EXPECT_EQ(Read("first\r\nsecond \xC3\xA9\nthird", Utf8), expected);
    EXPECT_EQ(Read("first\r\nsecond \xE9\nthird", Ansi), expected);
    // Surrogate pairs stay the same two units.
    EXPECT_EQ(Read(Utf16LeBytes(u"\U0001F600"), Utf16Le), (Lines{u"\U0001F600"}));
}

TEST(TextioLines, NullArguments) {
    WCHAR buffer[LINE_BUFFER_SIZE];
    EXPECT_FALSE(ReadLine(nullptr, buffer, 0));
    TextSource source = TextSource();
    EXPECT_FALSE(ReadLine(&source, nullptr, 0));
    EXPECT_FALSE(ReadLine(&source, buffer, 0));  // an empty record is at its end
}

}  // namespace
