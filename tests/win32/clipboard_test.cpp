// The clipboard's opening rules and the global memory blocks its data
// comes in, as the plugin reads scheme text from it.
#include "win32_test.h"

namespace {

using ClipboardTest = Win32Test;

TEST_F(ClipboardTest, DataIsReadOnlyWhileTheClipboardIsOpen) {
    EXPECT_EQ(FRESH(GetClipboardData(CF_UNICODETEXT)), nullptr);
    EXPECT_ERROR(ERROR_CLIPBOARD_NOT_OPEN);
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_TRUE(CloseClipboard());
    EXPECT_FALSE(FRESH(CloseClipboard()));
    EXPECT_ERROR(ERROR_CLIPBOARD_NOT_OPEN);
}

// A block is locked as often as it is unlocked; the last unlock answers
// FALSE with NO_ERROR, one more ERROR_NOT_LOCKED.
TEST_F(ClipboardTest, GlobalBlocksCountTheirLocks) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 16);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(GlobalSize(block), 16u);
    EXPECT_NE(GlobalLock(block), nullptr);
    EXPECT_NE(GlobalLock(block), nullptr);
    EXPECT_TRUE(GlobalUnlock(block));  // still locked once
    EXPECT_FALSE(FRESH(GlobalUnlock(block)));
    EXPECT_ERROR(NO_ERROR);
    EXPECT_FALSE(FRESH(GlobalUnlock(block)));
    EXPECT_ERROR(ERROR_NOT_LOCKED);
    EXPECT_EQ(GlobalFree(block), nullptr);
}

}  // namespace
