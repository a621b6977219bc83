// Linux-only: drawing with winsim's fixed text metric, its records and leak
// counts, the client area and monitors as the test sets them, and the small
// sources of outside state: the keyboard, sounds and secure random numbers.
// GDI objects' results and errors are shared cases (win32/gdi_test.cpp).
#define _CRT_RAND_S
#include <ntsecapi.h>
#include <string.h>

#include "winsim_fixture.h"

namespace {

using GdiTest = WinsimTest;

const BYTE BYTE_ZEROS[8] = {};

TEST_F(GdiTest, TextIsThreeFifthsOfTheFontHeightWidePerUnitAndOneHeightPerLine) {
    HWND window = Window(u"Canvas");
    HDC dc = GetDC(window);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(dc, PLANES) * GetDeviceCaps(dc, BITSPIXEL), 32);
    HFONT font = CreateFontW(-MulDiv(24, 96, 72), 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, u"Tahoma");
    HGDIOBJ stock = SelectObject(dc, font);
    RECT rect = {5, 5, 10, 10};
    EXPECT_EQ(DrawTextW(dc, u"Ice Palace", -1, &rect, DT_CALCRECT), 32);
    EXPECT_EQ(rect.right, 5 + 192);  // 10 units x 32 x 3/5
    EXPECT_EQ(rect.bottom, 5 + 32);
    rect = {0, 0, 0, 0};
    EXPECT_EQ(DrawTextW(dc, u"ab\r\nlonger\n", -1, &rect, DT_CALCRECT), 96);  // three lines
    EXPECT_EQ(rect.right, 115);                                               // 6 units: 115.2
    EXPECT_TRUE(sim::DrawCalls().empty());                                    // measuring draws nothing

    SetTextColor(dc, 0x00FFF0F0);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, u"Shown", 5, &rect, DT_NOPREFIX);
    ASSERT_EQ(sim::DrawCalls().size(), 1u);
    sim::DrawRecord drawn = sim::DrawCalls()[0];
    EXPECT_EQ(drawn.window, window);
    EXPECT_EQ(drawn.color, 0x00FFF0F0u);
    EXPECT_EQ(drawn.backgroundMode, TRANSPARENT);
    EXPECT_EQ(drawn.font.height, -32);
    EXPECT_EQ(drawn.font.face, u"Tahoma");
    EXPECT_EQ(drawn.font.quality, static_cast<DWORD>(NONANTIALIASED_QUALITY));
    EXPECT_EQ(sim::LastDrawnText(window), u"Shown");

    // A selected object cannot be deleted; releasing the context lets go.
    EXPECT_FALSE(DeleteObject(font));
    EXPECT_EQ(SelectObject(dc, stock), font);
    EXPECT_TRUE(DeleteObject(font));
    HBRUSH brush = CreateSolidBrush(0x0000FF);
    SelectObject(dc, brush);
    EXPECT_EQ(sim::LiveGdiObjectCount(), 1);
    EXPECT_EQ(ReleaseDC(nullptr, dc), 0);  // not this window's
    EXPECT_EQ(ReleaseDC(window, dc), 1);
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_EQ(sim::LiveGdiObjectCount(), 0);
    EXPECT_EQ(sim::LiveDeviceContextCount(), 0);
}

TEST_F(GdiTest, ClientAreaMapsToTheScreenAndOnlyFailureTouchesTheLastError) {
    HWND window = Window(u"Framed", nullptr, true, {100, 50, 500, 350});
    sim::SetClientInset(window, {8, 31, 8, 8});
    RECT client;
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.right, 384);
    EXPECT_EQ(client.bottom, 261);
    POINT corners[2] = {{0, 0}, {client.right, client.bottom}};
    SetLastError(1234);
    EXPECT_EQ(MapWindowPoints(window, nullptr, corners, 2), MAKELONG(108, 81));
    EXPECT_EQ(GetLastError(), 1234u);
    EXPECT_EQ(corners[1].x, 492);
    EXPECT_EQ(corners[1].y, 342);
    EXPECT_EQ(MapWindowPoints(reinterpret_cast<HWND>(0x4242), nullptr, corners, 2), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));

    RECT work;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
    EXPECT_EQ(work.bottom, 1040);
    EXPECT_NE(MonitorFromWindow(GetDesktopWindow(), MONITOR_DEFAULTTOPRIMARY), nullptr);

    EXPECT_TRUE(SetWindowPos(window, HWND_TOPMOST, -20, -30, 40, 50, SWP_SHOWWINDOW));
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, -20);
    EXPECT_EQ(rect.bottom, 20);
    EXPECT_TRUE(SetWindowPos(window, nullptr, 7, 8, 0, 0, SWP_NOSIZE | SWP_HIDEWINDOW));
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right, 47);
    EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(GdiTest, ScrollBarsAreInvisibleUntilSetAndTheQueryIsFoundInUser32) {
    HWND view = Window(u"View");
    HMODULE user32 = GetModuleHandleW(u"USER32");
    ASSERT_NE(user32, nullptr);
    EXPECT_EQ(reinterpret_cast<void *>(GetProcAddress(user32, "GetScrollBarInfo")),
              reinterpret_cast<void *>(&GetScrollBarInfo));
    SCROLLBARINFO info = {};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetScrollBarInfo(view, OBJID_VSCROLL, &info));
    EXPECT_EQ(info.rgstate[0], static_cast<DWORD>(STATE_SYSTEM_INVISIBLE));
    sim::SetScrollBar(view, OBJID_VSCROLL, true, 17);
    ASSERT_TRUE(GetScrollBarInfo(view, OBJID_VSCROLL, &info));
    EXPECT_EQ(info.rgstate[0], 0u);
    EXPECT_EQ(info.dxyLineButton, 17);
    info.cbSize = 4;
    EXPECT_FALSE(GetScrollBarInfo(view, OBJID_HSCROLL, &info));
}

TEST_F(GdiTest, KeyboardSoundsAndRandomNumbersAreWhatTheTestSet) {
    EXPECT_EQ(GetAsyncKeyState(VK_MENU), 0);
    sim::SetKeyHeld(VK_MENU, true);
    EXPECT_TRUE(GetAsyncKeyState(VK_MENU) & 0x8000);
    sim::ReleaseAllKeys();
    EXPECT_EQ(GetAsyncKeyState(VK_MENU), 0);

    PlaySoundW(reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(SND_ALIAS_SYSTEMHAND)), nullptr,
               SND_ALIAS_ID | SND_ASYNC);
    ASSERT_EQ(sim::Sounds().size(), 1u);
    EXPECT_EQ(sim::Sounds()[0].sound, static_cast<ULONG_PTR>(0x4853));  // 'S', 'H'
    EXPECT_EQ(sim::Sounds()[0].flags, static_cast<DWORD>(0x00110001));

    unsigned first = 0, second = 0, value = 0;
    rand_s(&first);
    rand_s(&second);
    sim::Reset();
    sim::SetRandomValues({7, 0xFFFFFFFF});
    rand_s(&value);
    EXPECT_EQ(value, 7u);
    rand_s(&value);
    EXPECT_EQ(value, 0xFFFFFFFFu);
    rand_s(&value);
    EXPECT_EQ(value, first);  // then the seeded sequence, the same in every run
    EXPECT_EQ(rand_s(nullptr), EINVAL);

    // The system's source has a sequence of its own, which values given to
    // rand_s do not touch; any length is filled.
    BYTE bytes[7] = {}, again[7] = {};
    sim::Reset();
    ASSERT_TRUE(RtlGenRandom(bytes, sizeof bytes));
    sim::Reset();
    sim::SetRandomValues({7});
    ASSERT_TRUE(RtlGenRandom(again, sizeof again));
    EXPECT_EQ(memcmp(bytes, again, sizeof bytes), 0);
    EXPECT_NE(memcmp(bytes, BYTE_ZEROS, sizeof bytes), 0);
    sim::FailCall("SystemFunction036", ERROR_GEN_FAILURE);
    EXPECT_FALSE(RtlGenRandom(bytes, sizeof bytes));
    rand_s(&value);
    EXPECT_EQ(value, 7u);
}

TEST_F(GdiTest, CallsAreCountedOnceEachWithOrWithoutFaults) {
    GetAsyncKeyState(VK_SHIFT);
    GetAsyncKeyState(VK_SHIFT);
    int before = sim::TotalCallCount();
    sim::FailCall("GetAsyncKeyState", ERROR_ACCESS_DENIED, 2);
    sim::SetKeyHeld(VK_SHIFT, true);
    EXPECT_NE(GetAsyncKeyState(VK_SHIFT), 0);
    EXPECT_EQ(GetAsyncKeyState(VK_SHIFT), 0);
    EXPECT_EQ(sim::CallCount("GetAsyncKeyState"), 4);
    EXPECT_EQ(sim::TotalCallCount(), before + 2);
}

}  // namespace
