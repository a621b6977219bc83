#include <string.h>
#include <sys/mman.h>

#include "support/textio_fixture.h"

using namespace std::string_literals;

namespace {

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

}  // namespace
