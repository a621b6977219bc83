// Windows the program makes itself, as the plugin's announcement and picker
// do: classes, a window's life, its data words, posted messages and timers.
// Under Wine timers fire in real time: the cases check the calls' results
// and errors and what a timer's message carries, never when timers fire.
#include <vector>

#include "win32_test.h"

namespace {

std::vector<UINT> g_seen;

LRESULT CALLBACK Recording(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCCREATE:
        case WM_CREATE:
        case WM_CLOSE:
        case WM_DESTROY:
        case WM_NCDESTROY:
        case WM_TIMER:
        case WM_USER + 1:
            g_seen.push_back(message);
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

class WindowsTest : public Win32Test {
  protected:
    void SetUp() override {
        Win32Test::SetUp();
        g_seen.clear();
        module_ = GetModuleHandleW(nullptr);
    }
    void TearDown() override { UnregisterClassW(kClass, module_); }

    ATOM Register(const WCHAR *name = kClass) const {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Recording;
        wc.cbWndExtra = 8;
        wc.hInstance = module_;
        wc.lpszClassName = name;
        return RegisterClassExW(&wc);
    }
    HWND Make(DWORD exStyle = 0) const {
        return CreateWindowExW(exStyle, kClass, TEXT("Title"), WS_POPUP, 10, 20, 50, 50, nullptr, nullptr, module_,
                               nullptr);
    }

    static constexpr const WCHAR *kClass = TEXT("Vivanta Test Class");
    HINSTANCE module_ = nullptr;
};

TEST_F(WindowsTest, ClassesAreUniquePerModuleAndStayWhileWindowsOfThemExist) {
    ATOM atom = Register();
    EXPECT_GE(atom, 0xC000);
    EXPECT_EQ(FRESH(Register(TEXT("VIVANTA TEST CLASS"))), 0);  // names compare without case
    EXPECT_ERROR(ERROR_CLASS_ALREADY_EXISTS);

    HWND window = Make();
    ASSERT_NE(window, nullptr);
    WCHAR name[64];
    UINT length = RealGetWindowClassW(window, name, 64);
    EXPECT_EQ(WString(name, length), kClass);
    EXPECT_FALSE(IsWindowVisible(window));  // no WS_VISIBLE
    EXPECT_FALSE(FRESH(UnregisterClassW(kClass, module_)));
    EXPECT_ERROR(ERROR_CLASS_HAS_WINDOWS);
    EXPECT_TRUE(DestroyWindow(window));
    // A window that is gone is an invalid window handle; Wine answers
    // ERROR_ACCESS_DENIED for any window not of this thread, a destroyed
    // one included (DestroyWindow in its win32u/window.c).
    EXPECT_FALSE(FRESH(DestroyWindow(window)));
    EXPECT_ERROR(kOnWine ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
    EXPECT_TRUE(UnregisterClassW(TEXT("vivanta test class"), module_));
    // Wine's own tests expect ERROR_CANNOT_FIND_WND_CLASS for a class that
    // is not there, as todo_wine (user32/tests/dialog.c); Wine answers
    // ERROR_CLASS_DOES_NOT_EXIST.
    EXPECT_EQ(FRESH(Make()), nullptr);
    EXPECT_ERROR(kOnWine ? ERROR_CLASS_DOES_NOT_EXIST : ERROR_CANNOT_FIND_WND_CLASS);
}

TEST_F(WindowsTest, AWindowsLifeIsToldToItsProcedure) {
    Register();
    HWND window = Make();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SendMessageW(window, WM_CLOSE, 0, 0), 0);  // DefWindowProcW destroys it
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(g_seen, (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_CLOSE, WM_DESTROY, WM_NCDESTROY}));
}

TEST_F(WindowsTest, WindowDataWordsAnswerTheirPreviousValue) {
    Register();
    HWND window = Make(WS_EX_LAYERED);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SetWindowLongPtrW(window, GWLP_USERDATA, 0x1234), 0);
    EXPECT_EQ(SetWindowLongPtrW(window, GWLP_USERDATA, 7), 0x1234);
    EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), 7);
    EXPECT_EQ(SetWindowLongPtrW(window, 0, 9), 0);  // the class's 8 extra bytes
    EXPECT_EQ(GetWindowLongPtrW(window, 0), 9);
    EXPECT_EQ(FRESH(GetWindowLongPtrW(window, 1)), 0);
    EXPECT_ERROR(ERROR_INVALID_INDEX);
    EXPECT_EQ(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED, WS_EX_LAYERED);
    DestroyWindow(window);
}

// A window's timer keeps the id it was given, and setting it again replaces
// it; killing one that is not there fails.
TEST_F(WindowsTest, TimersAreSetAndKilledByTheirIds) {
    Register();
    HWND window = Make();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(SetTimer(window, 1, 100, nullptr), 1u);
    EXPECT_EQ(SetTimer(window, 2, 40, nullptr), 2u);
    EXPECT_EQ(SetTimer(window, 1, 50, nullptr), 1u);
    EXPECT_TRUE(KillTimer(window, 1));
    EXPECT_FALSE(FRESH(KillTimer(window, 1)));
    EXPECT_ERROR(ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(KillTimer(window, 2));
    UINT_PTR own = SetTimer(nullptr, 0, 100, nullptr);  // no window: the system picks the id
    EXPECT_NE(own, 0u);
    EXPECT_TRUE(KillTimer(nullptr, own));
    DestroyWindow(window);
}

TEST_F(WindowsTest, MessagesArePostedOnlyToWindowsThatExist) {
    Register();
    HWND window = Make();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(PostMessageW(window, WM_USER + 1, 0, 0));
    EXPECT_FALSE(FRESH(PostMessageW(reinterpret_cast<HWND>(0x999), WM_USER, 0, 0)));
    EXPECT_ERROR(ERROR_INVALID_WINDOW_HANDLE);
    DestroyWindow(window);
}

// PeekMessageW hands a posted message back and leaves running it to the
// caller's DispatchMessageW; WM_QUIT comes through the same queue.
TEST_F(WindowsTest, PeekingTakesPostedMessagesAndTheCallerDispatchesThem) {
    Register();
    HWND window = Make();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(PostMessageW(window, WM_USER + 1, 7, 8));
    ASSERT_TRUE(PostMessageW(nullptr, WM_USER + 2, 9, 0));  // to the thread itself
    MSG message = {};
    ASSERT_TRUE(PeekMessageW(&message, window, WM_USER, WM_USER + 2, PM_NOREMOVE));
    EXPECT_EQ(message.hwnd, window);
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 1));
    ASSERT_TRUE(PeekMessageW(&message, window, WM_USER, WM_USER + 2, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7u);
    EXPECT_EQ(message.lParam, 8);
    EXPECT_TRUE(g_seen.empty() || g_seen.back() != WM_USER + 1);  // not run yet
    DispatchMessageW(&message);
    ASSERT_FALSE(g_seen.empty());
    EXPECT_EQ(g_seen.back(), static_cast<UINT>(WM_USER + 1));
    EXPECT_FALSE(PeekMessageW(&message, window, WM_USER, WM_USER + 2, PM_REMOVE));  // not the window's

    ASSERT_TRUE(PeekMessageW(&message, reinterpret_cast<HWND>(-1), WM_USER, WM_USER + 2, PM_REMOVE));
    EXPECT_EQ(message.hwnd, nullptr);
    EXPECT_EQ(message.message, static_cast<UINT>(WM_USER + 2));
    EXPECT_EQ(message.wParam, 9u);

    PostQuitMessage(3);
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(message.wParam, 3u);
    EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    DestroyWindow(window);
}

std::vector<UINT_PTR> g_timerCalls;

void CALLBACK CountTimer(HWND, UINT message, UINT_PTR id, DWORD) {
    if (message == WM_TIMER) g_timerCalls.push_back(id);
}

// A timer set with a procedure comes as WM_TIMER with the procedure in
// lParam; DispatchMessageW calls that procedure, not the window's.
TEST_F(WindowsTest, ATimersMessageCarriesItsProcedureForDispatchToCall) {
    Register();
    HWND window = Make();
    ASSERT_NE(window, nullptr);
    g_timerCalls.clear();
    ASSERT_EQ(SetTimer(window, 5, USER_TIMER_MINIMUM, CountTimer), 5u);
    MSG message = {};
    bool taken = false;
    for (int wait = 0; wait < 50 && !taken; ++wait) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 200, QS_TIMER);
        taken = PeekMessageW(&message, window, WM_TIMER, WM_TIMER, PM_REMOVE) != FALSE;
    }
    ASSERT_TRUE(taken);
    EXPECT_EQ(message.hwnd, window);
    EXPECT_EQ(message.wParam, 5u);
    EXPECT_NE(message.lParam, 0);
    // WM_TIMER's documentation gives the procedure SetTimer was passed;
    // Wine gives a handle of its own for it: checked on winsim alone.
    if (!kOnWine) {
        EXPECT_EQ(message.lParam, reinterpret_cast<LPARAM>(CountTimer));
    }
    EXPECT_TRUE(g_timerCalls.empty());
    DispatchMessageW(&message);
    EXPECT_EQ(g_timerCalls, std::vector<UINT_PTR>{5});
    EXPECT_TRUE(g_seen.empty() || g_seen.back() != WM_TIMER);
    EXPECT_TRUE(KillTimer(window, 5));
    DestroyWindow(window);
}

}  // namespace
