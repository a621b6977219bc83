// Conversions between UTF-16 and UTF-8 or Windows-1252, as the plugin reads
// and writes scheme files: sizes, replacements of bad parts, and refusals.
#include <string>

#include "win32_test.h"

namespace {

using CodePagesTest = Win32Test;

TEST_F(CodePagesTest, WideToUtf8FollowsWindowsRules) {
    char out[16];
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, TEXT("h\u00E9"), -1, nullptr, 0, nullptr, nullptr), 4);  // with the NUL
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, TEXT("h\u00E9"), -1, out, 16, nullptr, nullptr), 4);
    EXPECT_EQ(std::string(out), "h\xC3\xA9");
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, TEXT("\U0001F600\xDC00"), 3, out, 16, nullptr, nullptr), 7);
    EXPECT_EQ(std::string(out, 7), "\xF0\x9F\x98\x80\xEF\xBF\xBD");
    EXPECT_EQ(FRESH(WideCharToMultiByte(CP_UTF8, 0, TEXT("abc"), 3, out, 2, nullptr, nullptr)), 0);
    EXPECT_ERROR(ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(FRESH(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, TEXT("\xD800"), 1, out, 16, nullptr, nullptr)),
              0);
    EXPECT_ERROR(ERROR_NO_UNICODE_TRANSLATION);
    // For UTF-8 the flags may only be WC_ERR_INVALID_CHARS and the default
    // character's arguments must be null (WideCharToMultiByte's
    // documentation); Wine converts all the same: checked on winsim alone.
    BOOL used = FALSE;
    if (!kOnWine) {
        EXPECT_EQ(FRESH(WideCharToMultiByte(CP_UTF8, WC_NO_BEST_FIT_CHARS, TEXT("a"), 1, out, 16, nullptr, nullptr)),
                  0);
        EXPECT_ERROR(ERROR_INVALID_FLAGS);
        EXPECT_EQ(FRESH(WideCharToMultiByte(CP_UTF8, 0, TEXT("a"), 1, out, 16, nullptr, &used)), 0);
        EXPECT_ERROR(ERROR_INVALID_PARAMETER);
    }
    EXPECT_EQ(FRESH(WideCharToMultiByte(CP_UTF8, 0, TEXT("a"), 0, out, 16, nullptr, nullptr)), 0);
    EXPECT_ERROR(ERROR_INVALID_PARAMETER);
    EXPECT_EQ(WideCharToMultiByte(1252, 0, TEXT("\u20AC"), 1, out, 16, nullptr, &used), 1);
    EXPECT_EQ(out[0], '\x80');
    EXPECT_FALSE(used);
}

// Without WC_NO_BEST_FIT_CHARS a letter 1252 lacks becomes its nearest,
// which is no use of the default character.
TEST_F(CodePagesTest, WideTo1252FitsLettersItLacksUnlessTold) {
    char out[16];
    BOOL used = TRUE;
    EXPECT_EQ(WideCharToMultiByte(1252, 0, TEXT("\u0101\u0110\u0142"), 3, out, 16, nullptr, &used), 3);
    EXPECT_EQ(std::string(out, 3), "a\xD0l");
    EXPECT_FALSE(used);
    EXPECT_EQ(WideCharToMultiByte(1252, 0, TEXT("\u0149"), 1, out, 16, nullptr, &used), 1);  // none fits
    EXPECT_EQ(out[0], '?');
    EXPECT_TRUE(used);
    used = FALSE;
    EXPECT_EQ(WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, TEXT("\u0101"), 1, out, 16, "*", &used), 1);
    EXPECT_EQ(out[0], '*');
    EXPECT_TRUE(used);
    // Past Latin Extended-A winsim fits nothing, where Windows' table (and
    // Wine's) goes on: each side's result is recorded.
    EXPECT_EQ(WideCharToMultiByte(1252, 0, TEXT("\uFF21"), 1, out, 16, nullptr, nullptr), 1);
    EXPECT_EQ(out[0], kOnWine ? 'A' : '?');
}

TEST_F(CodePagesTest, Utf8ToWideReplacesEachMaximalBadPart) {
    WCHAR out[16];
    int n = MultiByteToWideChar(CP_UTF8, 0,
                                "a\xE2\x82"
                                "b\xF0\x9F\x98\x80\xC0",
                                -1, out, 16);
    EXPECT_EQ(WString(out, n), WString(TEXT("a\xFFFD"
                                            "b\U0001F600\xFFFD")) +
                                   WCHAR(0));
    // An encoded surrogate: nothing settles how many replacements it
    // makes; winsim one a byte, Wine two.
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xED\xA0\x80", 3, out, 16), kOnWine ? 2 : 3);
    EXPECT_EQ(FRESH(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xC3", 1, out, 16)), 0);
    EXPECT_ERROR(ERROR_NO_UNICODE_TRANSLATION);
    // For UTF-8 the flags may only be MB_ERR_INVALID_CHARS
    // (MultiByteToWideChar's documentation); Wine converts all the same:
    // checked on winsim alone.
    if (!kOnWine) {
        EXPECT_EQ(FRESH(MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "a", 1, out, 16)), 0);
        EXPECT_ERROR(ERROR_INVALID_FLAGS);
    }
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 3, nullptr, 0), 3);
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "\x80\x81\xE9", 3, out, 16), 3);
    EXPECT_EQ(WString(out, 3), TEXT("\u20AC\u0081\u00E9"));
}

}  // namespace
