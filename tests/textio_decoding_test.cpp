#include "support/textio_fixture.h"
#include "textio/char_decoder.h"

namespace {

// A source over `bytes` in a given encoding, as an open would leave it.
struct MemorySource {
    std::string bytes;
    TextSource source = TextSource();

    MemorySource(const std::string &content, DWORD encoding, UINT codePage = 1252, ULONGLONG textStart = 0)
        : bytes(content) {
        source.data = reinterpret_cast<const BYTE *>(bytes.data());
        source.size = bytes.size();
        source.encoding = encoding;
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
    EXPECT_EQ(CODEPAGE_TABLES[9][0x00], 0x00C7);  // 437: 0x80 is C-cedilla
    EXPECT_EQ(CODEPAGE_TABLES[21][0x11], 0x00EB);  // Mac OS Roman 0x91
    for (const auto &table : CODEPAGE_TABLES) {
        for (WCHAR c : table) EXPECT_FALSE(c >= 0x80 && c <= 0x9F);
    }
    EXPECT_EQ(CODEPAGE_TABLES[10][0x00], 0xFFFD);  // 720 maps 0x80 to a C1 control
}

TEST(TextioDecoding, Utf16PassesSurrogatesAndDropsAnOddLastByte) {
    EXPECT_EQ(MemorySource(std::string("\x3D\xD8\x00\xDE" "a", 5), Utf16Le).Chars(), (Chars{0xD83D, 0xDE00}));
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

}  // namespace
