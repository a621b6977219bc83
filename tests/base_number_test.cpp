#include <gtest/gtest.h>

#include "base/base.h"

namespace {

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

}  // namespace
