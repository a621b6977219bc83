#include "winsim_fixture.h"

namespace {

using ClipboardTest = WinsimTest;
using CodePagesTest = WinsimTest;

TEST_F(ClipboardTest, DataIsReadWhileTheClipboardIsOpen) {
    sim::SetClipboardText(u"clip");
    EXPECT_EQ(GetClipboardData(CF_UNICODETEXT), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN));
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);
    HANDLE block = GetClipboardData(CF_UNICODETEXT);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 10u);
    const WCHAR *text = static_cast<const WCHAR *>(GlobalLock(block));
    EXPECT_EQ(std::u16string(text), u"clip");
    EXPECT_EQ(sim::GlobalLockCount(), 1);
    EXPECT_FALSE(GlobalUnlock(block));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR));
    EXPECT_FALSE(GlobalUnlock(block));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));
    EXPECT_TRUE(CloseClipboard());
    EXPECT_FALSE(CloseClipboard());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN));

    sim::HoldClipboard(true);
    EXPECT_FALSE(OpenClipboard(nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    sim::HoldClipboard(false);
    sim::ClearClipboard();
    EXPECT_EQ(sim::GlobalBlockCount(), 0);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
}

TEST_F(ClipboardTest, GlobalBlocks) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 16);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 16u);
    EXPECT_NE(GlobalLock(block), nullptr);
    EXPECT_NE(GlobalLock(block), nullptr);
    EXPECT_TRUE(GlobalUnlock(block));  // still locked once
    EXPECT_EQ(GlobalFree(block), nullptr);
    EXPECT_EQ(GlobalLock(block), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(GlobalFree(block), block);
}

TEST_F(CodePagesTest, TheSystemCodePages) {
    EXPECT_EQ(GetACP(), 1252u);
    EXPECT_EQ(GetOEMCP(), 437u);
    sim::SetAnsiCodePage(65001);
    EXPECT_EQ(GetACP(), 65001u);
    char bytes[8];
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"\u00E9", 1, bytes, 8, nullptr, nullptr), 2);
}

TEST_F(CodePagesTest, WideToUtf8FollowsWindowsRules) {
    char out[16];
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"h\u00E9", -1, nullptr, 0, nullptr, nullptr), 4);  // with the NUL
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"h\u00E9", -1, out, 16, nullptr, nullptr), 4);
    EXPECT_EQ(std::string(out), "h\xC3\xA9");
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\U0001F600\xDC00", 3, out, 16, nullptr, nullptr), 7);
    EXPECT_EQ(std::string(out, 7), "\xF0\x9F\x98\x80\xEF\xBF\xBD");
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"abc", 3, out, 2, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, u"\xD800", 1, out, 16, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_NO_BEST_FIT_CHARS, u"a", 1, out, 16, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
    BOOL used = FALSE;
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, out, 16, nullptr, &used), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 0, out, 16, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(WideCharToMultiByte(932, 0, u"a", 1, out, 16, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(WideCharToMultiByte(1252, 0, u"\u20AC\u0101", 2, out, 16, nullptr, &used), 2);
    EXPECT_EQ(std::string(out, 2), "\x80?");
    EXPECT_TRUE(used);
    sim::FailCall("WideCharToMultiByte", ERROR_OUTOFMEMORY);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, out, 16, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_OUTOFMEMORY));
}

TEST_F(CodePagesTest, Utf8ToWideReplacesEachMaximalBadPart) {
    WCHAR out[16];
    int n = MultiByteToWideChar(CP_UTF8, 0, "a\xE2\x82" "b\xF0\x9F\x98\x80\xC0", -1, out, 16);
    EXPECT_EQ(std::u16string(out, n), std::u16string(u"a\xFFFD" u"b\U0001F600\xFFFD") + u'\0');
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xED\xA0\x80", 3, out, 16), 3);  // a surrogate: each byte
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xC3", 1, out, 16), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "a", 1, out, 16), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "abc", 3, nullptr, 0), 3);
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "\x80\x81\xE9", 3, out, 16), 3);
    EXPECT_EQ(std::u16string(out, 3), u"\u20AC\u0081\u00E9");
}

}  // namespace
