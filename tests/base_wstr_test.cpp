#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "base/base.h"

namespace {

TEST(WStr, LengthCopyAndAppendStayInsideTheBuffer) {
    EXPECT_EQ(StrLen(TEXT("abc")), 3u);
    EXPECT_EQ(StrLen(TEXT("")), 0u);
    EXPECT_EQ(StrLen(nullptr), 0u);

    WCHAR buf[8];
    std::fill(buf, buf + 8, (WCHAR)0xAAAA);
    EXPECT_EQ(StrCopy(buf, 4, TEXT("abcdef")), 3u);
    EXPECT_EQ(std::u16string(buf), u"abc");
    EXPECT_EQ(buf[4], (WCHAR)0xAAAA);
    EXPECT_EQ(StrCopy(buf, 0, TEXT("x")), 0u);
    EXPECT_EQ(buf[0], TEXT('a'));
    EXPECT_EQ(StrCopy(buf, 8, nullptr), 0u);
    EXPECT_EQ(buf[0], 0);

    StrCopy(buf, 8, TEXT("ab"));
    EXPECT_EQ(StrAppend(buf, 8, TEXT("cd")), 4u);
    EXPECT_EQ(StrAppend(buf, 6, TEXT("efgh")), 5u);
    EXPECT_EQ(std::u16string(buf), u"abcde");
    EXPECT_EQ(buf[6], (WCHAR)0xAAAA);
    // A buffer without a terminator inside its capacity is not written to.
    WCHAR full[3] = {TEXT('x'), TEXT('y'), TEXT('z')};
    EXPECT_EQ(StrAppend(full, 3, TEXT("q")), 3u);
    EXPECT_EQ(full[2], TEXT('z'));
}

TEST(WStr, CompareByUnitAndAsciiCaseOnly) {
    EXPECT_EQ(StrCompare(TEXT("abc"), TEXT("abc")), 0);
    EXPECT_LT(StrCompare(TEXT("ab"), TEXT("abc")), 0);
    EXPECT_GT(StrCompare(u"\xFFFF", TEXT("a")), 0);  // units compare unsigned
    EXPECT_EQ(StrCompare(nullptr, TEXT("")), 0);
    EXPECT_EQ(StrCompareN(TEXT("abcX"), TEXT("abcY"), 3), 0);
    EXPECT_NE(StrCompareN(TEXT("abcX"), TEXT("abcY"), 4), 0);
    EXPECT_EQ(StrCompareN(TEXT("ab"), TEXT("ab"), 10), 0);

    EXPECT_EQ(StrCompareI(TEXT("Vivanta.INI"), TEXT("vIVANTA.ini")), 0);
    EXPECT_NE(StrCompareI(u"\u00C9", u"\u00E9"), 0);  // no folding outside ASCII
    EXPECT_LT(StrCompareI(TEXT("_"), TEXT("A")), 0);  // folds to lower case
    EXPECT_EQ(StrCompareNI(TEXT("DEFAULTx"), TEXT("defaulty"), 7), 0);
    EXPECT_GT(StrCompareNI(TEXT("b"), TEXT("A"), 5), 0);
}

TEST(WStr, AsciiCaseAndDigits) {
    EXPECT_EQ(AsciiUpper(TEXT('q')), TEXT('Q'));
    EXPECT_EQ(AsciiUpper(u'\u00E9'), u'\u00E9');
    EXPECT_EQ(AsciiLower(TEXT('Q')), TEXT('q'));
    EXPECT_EQ(AsciiLower(TEXT('@')), TEXT('@'));
    WCHAR text[] = u"ab\u00E9z[`{";
    StrUpperAscii(text);
    EXPECT_EQ(std::u16string(text), u"AB\u00E9Z[`{");

    EXPECT_TRUE(IsAsciiDigit(TEXT('0')) && IsAsciiDigit(TEXT('9')));
    EXPECT_FALSE(IsAsciiDigit(TEXT('/')) || IsAsciiDigit(TEXT(':')) || IsAsciiDigit(u'\uFF11'));
    EXPECT_TRUE(IsHexDigit(TEXT('a')) && IsHexDigit(TEXT('F')) && IsHexDigit(TEXT('7')));
    EXPECT_FALSE(IsHexDigit(TEXT('g')) || IsHexDigit(TEXT('G')) || IsHexDigit(u'\uFF21'));
}

TEST(WStr, WhiteSpaceIsExactlyWhatWindowsReports) {
    std::set<unsigned> found;
    for (unsigned c = 0; c <= 0xFFFF; ++c)
        if (IsWhiteSpace((WCHAR)c)) found.insert(c);
    std::set<unsigned> expected = {0x09, 0x0A,   0x0B,   0x0C,   0x0D,   0x20,   0x85,
                                   0xA0, 0x1680, 0x2028, 0x2029, 0x202F, 0x205F, 0x3000};
    for (unsigned c = 0x2000; c <= 0x200A; ++c) expected.insert(c);
    EXPECT_EQ(found, expected);
}

TEST(WStr, Find) {
    LPCWSTR text = TEXT("a=b=c");
    EXPECT_EQ(StrFindChar(text, TEXT('=')), text + 1);
    EXPECT_EQ(StrFindLastChar(text, TEXT('=')), text + 3);
    EXPECT_EQ(StrFindChar(text, TEXT('x')), nullptr);
    EXPECT_EQ(StrFindLastChar(text, TEXT('x')), nullptr);
    EXPECT_EQ(StrFindChar(text, 0), text + 5);
    EXPECT_EQ(StrFindChar(nullptr, TEXT('a')), nullptr);

    LPCWSTR hay = TEXT("aababc");
    EXPECT_EQ(StrFind(hay, TEXT("abc")), hay + 3);
    EXPECT_EQ(StrFind(hay, TEXT("ab")), hay + 1);
    EXPECT_EQ(StrFind(hay, TEXT("")), hay);
    EXPECT_EQ(StrFind(hay, TEXT("abcd")), nullptr);  // runs into the end of the text
    EXPECT_EQ(StrFind(TEXT(""), TEXT("a")), nullptr);
}

// A colon ends a directory only as a drive's: after a name it opens a stream
// of that file.
TEST(WStr, DirectoryPartKeepsAStreamWithItsFile) {
    EXPECT_EQ(PathDirectoryLength(TEXT("C:\\dir\\file.ini:stream")), 7u);
    EXPECT_EQ(PathDirectoryLength(TEXT("dir/file:stream")), 4u);
    EXPECT_EQ(PathDirectoryLength(TEXT("file.ini:stream")), 0u);
    EXPECT_EQ(PathDirectoryLength(TEXT("C:file.ini")), 2u);
    EXPECT_EQ(PathDirectoryLength(TEXT("C:file.ini:stream")), 2u);
    EXPECT_EQ(PathDirectoryLength(nullptr), 0u);
}

}  // namespace
