#include <gtest/gtest.h>

#include <string>

#include "base/base.h"

namespace {

// Formats into a roomy buffer and checks that the returned length matches
// what was written.
std::u16string F(const char16_t *format, ...) {
    WCHAR buf[256];
    va_list args;
    va_start(args, format);
    size_t len = FormatV(buf, 256, format, args);
    va_end(args);
    std::u16string result(buf);
    EXPECT_EQ(len, result.size()) << "for format of length " << std::u16string(format).size();
    return result;
}

TEST(Format, TextPercentAndUnknownConversions) {
    EXPECT_EQ(F(TEXT("plain")), u"plain");
    EXPECT_EQ(F(TEXT("100%%")), u"100%");
    EXPECT_EQ(F(TEXT("%q|%5k")), u"%q|%5k");
    EXPECT_EQ(F(TEXT("end %")), u"end %");
    EXPECT_EQ(F(TEXT("end %-5")), u"end %-5");
    EXPECT_EQ(F(TEXT("%d%q%d"), 1, 2), u"1%q2");
}

TEST(Format, WideStringsAndCharacters) {
    EXPECT_EQ(F(TEXT("[%s]"), TEXT("abc")), u"[abc]");
    EXPECT_EQ(F(TEXT("[%s]"), (LPCWSTR) nullptr), u"[(null)]");
    EXPECT_EQ(F(TEXT("[%ls|%ws]"), TEXT("l"), TEXT("w")), u"[l|w]");
    EXPECT_EQ(F(TEXT("[%5s|%-5s]"), TEXT("ab"), TEXT("cd")), u"[   ab|cd   ]");
    EXPECT_EQ(F(TEXT("[%.2s|%.0s|%.9s]"), TEXT("abcdef"), TEXT("x"), TEXT("xyz")), u"[ab||xyz]");
    // The Microsoft runtime pads strings with zeros too.
    EXPECT_EQ(F(TEXT("[%05s]"), TEXT("ab")), u"[000ab]");
    EXPECT_EQ(F(TEXT("[%hs]"), "narrow"), u"[narrow]");
    EXPECT_EQ(F(TEXT("[%c%c|%3c|%-3c]"), (int)TEXT('x'), 0x263A, (int)TEXT('y'), (int)TEXT('z')), u"[x\u263A|  y|z  ]");
}

TEST(Format, PrecisionNeverReadsPastTheLimit) {
    const WCHAR unterminated[3] = {TEXT('a'), TEXT('b'), TEXT('c')};
    EXPECT_EQ(F(TEXT("%.3s"), unterminated), u"abc");
    EXPECT_EQ(F(TEXT("%.*s"), 2, unterminated), u"ab");
}

TEST(Format, SignedIntegers) {
    EXPECT_EQ(F(TEXT("%d %i %d"), 0, -7, 2147483647), u"0 -7 2147483647");
    EXPECT_EQ(F(TEXT("%d"), (int)0x80000000), u"-2147483648");
    EXPECT_EQ(F(TEXT("[%+d|% d|%+d|% d]"), 5, 5, -5, -5), u"[+5| 5|-5|-5]");
    EXPECT_EQ(F(TEXT("[%5d|%-5d|%05d|%+05d]"), -42, -42, -42, 42), u"[  -42|-42  |-0042|+0042]");
    // Precision is a minimum digit count, and it turns off zero padding.
    EXPECT_EQ(F(TEXT("[%.3d|%6.3d|%06.3d|%.0d|%5.0d]"), 7, -7, 7, 0, 0), u"[007|  -007|   007||     ]");
    EXPECT_EQ(F(TEXT("%hd"), 70000), u"4464");
    EXPECT_EQ(F(TEXT("%ld"), (LONG)-1), u"-1");
}

TEST(Format, UnsignedAndHex) {
    EXPECT_EQ(F(TEXT("%u %x %X"), 0xFFFFFFFFu, 0xBEEFu, 0xBEEFu), u"4294967295 beef BEEF");
    EXPECT_EQ(F(TEXT("[%08X|%-6x|%#x|%#X|%#x]"), 0x1Au, 0xFFu, 0xFFu, 0xFFu, 0u), u"[0000001A|ff    |0xff|0XFF|0]");
    EXPECT_EQ(F(TEXT("%lu %lx"), (DWORD)0xFFFFFFFF, (DWORD)0x10), u"4294967295 10");
    EXPECT_EQ(F(TEXT("%hu %hx"), 0x12345u, 0x12345u), u"9029 2345");
    EXPECT_EQ(F(TEXT("%o|%#o|%#.0o|%.0o"), 8u, 8u, 0u, 0u), u"10|010|0|");
}

TEST(Format, SixtyFourBitSizes) {
    EXPECT_EQ(F(TEXT("%lld|%I64d"), -9223372036854775807LL - 1, 1234567890123LL),
              u"-9223372036854775808|1234567890123");
    EXPECT_EQ(F(TEXT("%llu|%I64X|%I32u"), 18446744073709551615ULL, 0xABCDEF0123ULL, 5u),
              u"18446744073709551615|ABCDEF0123|5");
    // The argument after a 64-bit one is still read from the right place.
    EXPECT_EQ(F(TEXT("%I64x %d"), 0x100000000ULL, 9), u"100000000 9");
}

TEST(Format, StarWidthAndPrecision) {
    EXPECT_EQ(F(TEXT("[%*d|%-*d|%*d]"), 4, 1, 3, 2, -3, 3), u"[   1|2  |3  ]");
    EXPECT_EQ(F(TEXT("[%.*d|%.*d]"), 3, 5, -1, 5), u"[005|5]");
}

TEST(Format, CutsAtCapacityAndReportsTheFullLength) {
    WCHAR buf[16];
    std::fill(buf, buf + 16, (WCHAR)0xAAAA);
    EXPECT_EQ(Format(buf, 5, TEXT("hello %s"), TEXT("world")), 11u);
    EXPECT_EQ(std::u16string(buf), u"hell");
    EXPECT_EQ(buf[5], (WCHAR)0xAAAA);

    std::fill(buf, buf + 16, (WCHAR)0xAAAA);
    EXPECT_EQ(Format(buf, 4, TEXT("%10d|%-10s"), 1, TEXT("x")), 21u);
    EXPECT_EQ(std::u16string(buf), u"   ");
    EXPECT_EQ(buf[4], (WCHAR)0xAAAA);

    std::fill(buf, buf + 16, (WCHAR)0xAAAA);
    EXPECT_EQ(Format(buf, 1, TEXT("abc")), 3u);
    EXPECT_EQ(buf[0], 0);
    EXPECT_EQ(buf[1], (WCHAR)0xAAAA);

    std::fill(buf, buf + 16, (WCHAR)0xAAAA);
    EXPECT_EQ(Format(buf, 0, TEXT("abc")), 3u);
    EXPECT_EQ(buf[0], (WCHAR)0xAAAA);
    EXPECT_EQ(Format(nullptr, 10, TEXT("%d"), 12345), 5u);
}

}  // namespace
