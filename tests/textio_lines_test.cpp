#include "support/textio_fixture.h"
#include "textio/char_decoder.h"

namespace {

using Lines = std::vector<std::u16string>;

// Every line of `bytes` read with `flags`; the source must report its end
// for good once it has.
Lines Read(const std::string &bytes, DWORD encoding, DWORD flags = 0) {
    TextSource source = TextSource();
    source.data = reinterpret_cast<const BYTE *>(bytes.data());
    source.size = bytes.size();
    source.encoding = encoding;
    source.ansiTable = CodePageTableIndex(1252);
    source.replacement = 0xFFFD;
    Lines lines;
    WCHAR buffer[LINE_BUFFER_SIZE];
    while (ReadLine(&source, buffer, flags) == 0) lines.push_back(buffer);
    EXPECT_EQ(ReadLine(&source, buffer, flags), -1);
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
    EXPECT_EQ(Read("a\xC2\x85" "b", Utf8), (Lines{u"a", u"b"}));
    EXPECT_EQ(Read(Utf16LeBytes(u"a\u0085b"), Utf16Le), (Lines{u"a", u"b"}));
    EXPECT_EQ(Read("a\x85" "b", Ansi), (Lines{u"a\u2026b"}));
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
    EXPECT_EQ(ReadLine(nullptr, buffer, 0), -1);
    TextSource source = TextSource();
    EXPECT_EQ(ReadLine(&source, nullptr, 0), -1);
    EXPECT_EQ(ReadLine(&source, buffer, 0), -1);  // an empty record is at its end
}

}  // namespace
