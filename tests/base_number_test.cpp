#include <gtest/gtest.h>

#include <string>

#include "base/base.h"

namespace {

// Both kinds of text read alike; a unit past ASCII is no digit, whatever
// its low byte.
TEST(ParseHexColor, WholeTextOfThreeOrSixDigits) {
    EXPECT_EQ(ParseHexColor("#fFa", 4), 0xffffaa);
    EXPECT_EQ(ParseHexColor(TEXT("#fFa"), 4), 0xffffaa);
    EXPECT_EQ(ParseHexColor("#12aB3c", 7), 0x12ab3c);
    EXPECT_EQ(ParseHexColor(TEXT("#12aB3c"), 7), 0x12ab3c);
    EXPECT_EQ(ParseHexColor("fffaaa", 6), -1);
    EXPECT_EQ(ParseHexColor("#fffaa", 6), -1);
    EXPECT_EQ(ParseHexColor("#fffaaa0", 8), -1);
    EXPECT_EQ(ParseHexColor("#12g456", 7), -1);
    EXPECT_EQ(ParseHexColor("#1\xb1"
                            "3456",
                            7),
              -1);
    EXPECT_EQ(ParseHexColor(TEXT("#1\u01313456"), 7), -1);
    EXPECT_EQ(ParseHexColor(TEXT("#1\u00003456"), 7), -1);
}

TEST(ScanUnsigned32, DecimalAndHex) {
    DWORD v = 1;
    LPCWSTR end = nullptr;
    LPCWSTR text = TEXT("4294967295,");
    EXPECT_EQ(ScanUnsigned32(text, 10, &v, &end), NUMBER_OK);
    EXPECT_EQ(v, 0xFFFFFFFFu);
    EXPECT_EQ(end, text + 10);

    text = TEXT("00fFa0g");
    EXPECT_EQ(ScanUnsigned32(text, 16, &v, &end), NUMBER_OK);
    EXPECT_EQ(v, 0xFFA0u);
    EXPECT_EQ(end, text + 6);

    // Prefixes are the caller's business: "0x" reads as a zero.
    text = TEXT("0x1F");
    EXPECT_EQ(ScanUnsigned32(text, 16, &v, &end), NUMBER_OK);
    EXPECT_EQ(v, 0u);
    EXPECT_EQ(end, text + 1);

    text = TEXT("12ab");
    EXPECT_EQ(ScanUnsigned32(text, 10, &v, nullptr), NUMBER_OK);
    EXPECT_EQ(v, 12u);
}

TEST(ScanUnsigned32, NoDigitsAtTheStart) {
    for (LPCWSTR text : {TEXT(""), TEXT(" 5"), TEXT("+5"), TEXT("-5"), TEXT("g"), u"\uFF15"}) {
        DWORD v = 7;
        LPCWSTR end = nullptr;
        EXPECT_EQ(ScanUnsigned32(text, 16, &v, &end), NUMBER_NO_DIGITS);
        EXPECT_EQ(v, 0u);
        EXPECT_EQ(end, text);
    }
    DWORD v = 7;
    EXPECT_EQ(ScanUnsigned32(nullptr, 10, &v, nullptr), NUMBER_NO_DIGITS);
    EXPECT_EQ(v, 0u);
}

TEST(ScanUnsigned32, OverflowConsumesEveryDigit) {
    DWORD v = 0;
    LPCWSTR end = nullptr;
    LPCWSTR text = TEXT("4294967296x");
    EXPECT_EQ(ScanUnsigned32(text, 10, &v, &end), NUMBER_OVERFLOW);
    EXPECT_EQ(v, 0xFFFFFFFFu);
    EXPECT_EQ(end, text + 10);

    text = TEXT("123456789012345678901234567890 ");
    EXPECT_EQ(ScanUnsigned32(text, 10, &v, &end), NUMBER_OVERFLOW);
    EXPECT_EQ(end, text + 30);

    text = TEXT("FFFFFFFF");
    EXPECT_EQ(ScanUnsigned32(text, 16, &v, &end), NUMBER_OK);
    text = TEXT("100000000");
    EXPECT_EQ(ScanUnsigned32(text, 16, &v, &end), NUMBER_OVERFLOW);
    EXPECT_EQ(v, 0xFFFFFFFFu);
    EXPECT_EQ(end, text + 9);
}

TEST(ScanSigned32, SignsAndLimits) {
    LONG v = 0;
    LPCWSTR end = nullptr;
    LPCWSTR text = TEXT("-2147483648]");
    EXPECT_EQ(ScanSigned32(text, &v, &end), NUMBER_OK);
    EXPECT_EQ(v, (LONG)INT32_MIN);
    EXPECT_EQ(end, text + 11);

    EXPECT_EQ(ScanSigned32(TEXT("+2147483647"), &v, nullptr), NUMBER_OK);
    EXPECT_EQ(v, 2147483647);
    EXPECT_EQ(ScanSigned32(TEXT("2147483648"), &v, nullptr), NUMBER_OVERFLOW);
    EXPECT_EQ(v, 2147483647);
    text = TEXT("-99999999999;");
    EXPECT_EQ(ScanSigned32(text, &v, &end), NUMBER_OVERFLOW);
    EXPECT_EQ(v, (LONG)INT32_MIN);
    EXPECT_EQ(end, text + 12);

    EXPECT_EQ(ScanSigned32(TEXT("-0"), &v, nullptr), NUMBER_OK);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(ScanSigned32(TEXT("12a"), &v, &end), NUMBER_OK);
    EXPECT_EQ(v, 12);
}

TEST(ScanSigned32, ASignAloneIsNoNumber) {
    for (LPCWSTR text : {TEXT("-"), TEXT("+"), TEXT("- 5"), TEXT("+-5"), TEXT(" -5"), TEXT("ff")}) {
        LONG v = 7;
        LPCWSTR end = nullptr;
        EXPECT_EQ(ScanSigned32(text, &v, &end), NUMBER_NO_DIGITS);
        EXPECT_EQ(v, 0);
        EXPECT_EQ(end, text);
    }
}

// ---- UTF-8 ----

std::string ToUtf8(const std::u16string &text) {
    size_t needed = Utf16ToUtf8(text.data(), text.size(), nullptr, 0);
    std::string out(needed, '\0');
    EXPECT_EQ(Utf16ToUtf8(text.data(), text.size(), &out[0], out.size()), needed);
    return out;
}

std::u16string ToUtf16(const std::string &bytes) {
    size_t needed = Utf8ToUtf16(bytes.data(), bytes.size(), nullptr, 0);
    std::u16string out(needed, u'\0');
    EXPECT_EQ(Utf8ToUtf16(bytes.data(), bytes.size(), &out[0], out.size()), needed);
    return out;
}

TEST(Utf8, WellFormedRoundTrip) {
    const std::u16string text(u"A\u00E9\u20AC\U0001F600\uFFFF\0z", 8);
    const std::string bytes("A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xEF\xBF\xBF\0z", 15);
    EXPECT_EQ(ToUtf8(text), bytes);
    EXPECT_EQ(ToUtf16(bytes), text);
    EXPECT_EQ(ToUtf16("\xF4\x8F\xBF\xBF"), u"\U0010FFFF");
    EXPECT_EQ(Utf16ToUtf8(nullptr, 5, nullptr, 0), 0u);
    EXPECT_EQ(Utf8ToUtf16(nullptr, 5, nullptr, 0), 0u);
}

TEST(Utf8, LoneSurrogatesBecomeReplacement) {
    EXPECT_EQ(ToUtf8(std::u16string(1, (char16_t)0xD83D)), "\xEF\xBF\xBD");
    EXPECT_EQ(ToUtf8(std::u16string(1, (char16_t)0xDE00)), "\xEF\xBF\xBD");
    const char16_t swapped[] = {0xDE00, 0xD83D, u'a'};
    EXPECT_EQ(ToUtf8(std::u16string(swapped, 3)),
              "\xEF\xBF\xBD\xEF\xBF\xBD"
              "a");
}

TEST(Utf8, IllFormedBytesGiveOneReplacementPerMaximalSubpart) {
    const std::u16string R(1, u'\uFFFD');
    EXPECT_EQ(ToUtf16("\x80"), R);
    EXPECT_EQ(ToUtf16("a\xFF"
                      "b"),
              u"a" + R + u"b");
    EXPECT_EQ(ToUtf16("\xC0\xAF"), R + R);                  // overlong lead byte
    EXPECT_EQ(ToUtf16("\xE0\x80\xAF"), R + R + R);          // overlong three bytes
    EXPECT_EQ(ToUtf16("\xED\xA0\x80"), R + R + R);          // encoded surrogate
    EXPECT_EQ(ToUtf16("\xF4\x90\x80\x80"), R + R + R + R);  // above U+10FFFF
    EXPECT_EQ(ToUtf16("\xF5\x80"), R + R);
    EXPECT_EQ(ToUtf16("\xE2\x82"), R);  // truncated at the end
    EXPECT_EQ(ToUtf16("\xE2\x82"
                      "A"),
              R + u"A");
    EXPECT_EQ(ToUtf16("\xF0\x9F\x98"), R);
    // The example the Unicode standard gives for this practice.
    EXPECT_EQ(ToUtf16("\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64"),
              u"a" + R + R + R + u"b" + R + u"c" + R + R + u"d");
}

TEST(Utf8, NeverWritesAPartialSequence) {
    const std::u16string text = u"a\u00E9b";
    char out[8];
    std::fill(out, out + 8, '#');
    EXPECT_EQ(Utf16ToUtf8(text.data(), text.size(), out, 2), 4u);
    EXPECT_EQ(std::string(out, 3), "a##");  // not half of the é, and not the b after it

    const std::u16string emoji = u"\U0001F600a";
    std::fill(out, out + 8, '#');
    EXPECT_EQ(Utf16ToUtf8(emoji.data(), emoji.size(), out, 3), 5u);
    EXPECT_EQ(out[0], '#');
}

TEST(Utf8, NeverSplitsASurrogatePair) {
    const std::string bytes =
        "a\xF0\x9F\x98\x80"
        "b";
    WCHAR out[4] = {0x2A, 0x2A, 0x2A, 0x2A};
    EXPECT_EQ(Utf8ToUtf16(bytes.data(), bytes.size(), out, 2), 4u);
    EXPECT_EQ(out[0], TEXT('a'));
    EXPECT_EQ(out[1], 0x2A);
    EXPECT_EQ(Utf8ToUtf16(bytes.data(), bytes.size(), out, 4), 4u);
    EXPECT_EQ(std::u16string(out, 4), u"a\U0001F600b");
}

}  // namespace
