// GDI objects and device contexts as the announcement draws with them, the
// arithmetic of its sizes, and the attributes of layered windows.
#include "win32_test.h"

namespace {

using GdiTest = Win32Test;

TEST_F(GdiTest, MulDivRoundsHalfAwayFromZeroAndReportsOverflow) {
    EXPECT_EQ(MulDiv(24, 96, 72), 32);
    EXPECT_EQ(MulDiv(5, 1, 2), 3);
    EXPECT_EQ(MulDiv(-5, 1, 2), -3);
    EXPECT_EQ(MulDiv(5, 1, -2), -3);
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    EXPECT_EQ(MulDiv(0x7FFFFFFF, 2, 1), -1);
}

// A selected object cannot be deleted; selecting the old one back lets go.
TEST_F(GdiTest, ObjectsAreDeletedOnlyWhenNotSelected) {
    HDC dc = GetDC(nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_GT(GetDeviceCaps(dc, LOGPIXELSY), 0);
    HFONT font = CreateFontW(-32, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, TEXT("Tahoma"));
    ASSERT_NE(font, nullptr);
    HGDIOBJ stock = SelectObject(dc, font);
    ASSERT_NE(stock, nullptr);
    // DeleteObject's documentation: an object selected into a DC is not
    // deleted, and the call answers zero. Wine deletes it all the same once
    // it is selected out: checked on winsim alone.
    BOOL deleted = DeleteObject(font);
    EXPECT_EQ(SelectObject(dc, stock), font);
    if (!kOnWine) {
        EXPECT_FALSE(deleted);
        EXPECT_TRUE(DeleteObject(font));
    }
    HBRUSH brush = CreateSolidBrush(0x0000FF);
    ASSERT_NE(brush, nullptr);
    RECT rect = {0, 0, 1, 1};
    EXPECT_NE(FillRect(dc, &rect, brush), 0);
    EXPECT_EQ(ReleaseDC(nullptr, dc), 1);
    EXPECT_TRUE(DeleteObject(brush));
}

TEST_F(GdiTest, LayeredAttributesNeedALayeredWindow) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = TEXT("Vivanta Layered Test");
    ASSERT_NE(RegisterClassExW(&wc), 0);
    HWND plain =
        CreateWindowExW(0, wc.lpszClassName, TEXT(""), WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(plain, nullptr);
    // Refused; nothing settles the error: winsim says invalid parameter,
    // Wine invalid window handle.
    EXPECT_FALSE(FRESH(SetLayeredWindowAttributes(plain, 0xFF, 255, LWA_ALPHA)));
    EXPECT_ERROR(kOnWine ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
    SetWindowLongPtrW(plain, GWL_EXSTYLE, WS_EX_LAYERED);
    BYTE alpha = 0;
    // Nothing set yet: refused, with an error nothing settles (winsim:
    // invalid parameter, Wine: invalid window handle).
    EXPECT_FALSE(FRESH(GetLayeredWindowAttributes(plain, nullptr, &alpha, nullptr)));
    EXPECT_ERROR(kOnWine ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(SetLayeredWindowAttributes(plain, 0xFF, 128, LWA_COLORKEY | LWA_ALPHA));
    COLORREF key = 0;
    DWORD flags = 0;
    EXPECT_TRUE(GetLayeredWindowAttributes(plain, &key, &alpha, &flags));
    EXPECT_EQ(key, 0xFFu);
    EXPECT_EQ(alpha, 128);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY | LWA_ALPHA));
    EXPECT_TRUE(DestroyWindow(plain));
    EXPECT_TRUE(UnregisterClassW(wc.lpszClassName, wc.hInstance));
}

}  // namespace
