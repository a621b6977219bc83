// Messages: sent ones run the window procedure at once; posted ones wait in
// the thread's queue until the message processing (sim::RunFor) dispatches
// them, before the timers that fall due.
#include "world.h"

using namespace winsim;

namespace winsim {

LRESULT CallProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window *found = LookUpWindow(window);
    if (!found) return 0;
    WNDPROC procedure = found->procedure;
    return procedure ? procedure(window, message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

namespace {

// Messages posted while dispatching are dispatched in the same pass.
void DispatchPostedMessages() {
    std::deque<PostedMessage> &posted = W().ui.posted;
    while (!posted.empty()) {
        PostedMessage message = posted.front();
        posted.pop_front();
        // A message for the thread itself has no window procedure to go to.
        if (message.window) CallProcedure(message.window, message.message, message.wParam, message.lParam);
    }
}

// Fires a timer that is due, re-arming it first so that the handler may
// change or kill it.
void FireTimer(Timer *timer) {
    World &world = W();
    if (timer->due > world.now) world.now = timer->due;
    timer->due = world.now + timer->elapse;
    timer->order = ++world.ui.timerOrder;
    HWND window = timer->window;
    UINT_PTR id = timer->id;
    TIMERPROC proc = timer->proc;
    DWORD tick = static_cast<DWORD>(world.now);
    if (proc) {
        proc(window, WM_TIMER, id, tick);
    } else if (window) {
        CallProcedure(window, WM_TIMER, id, 0);
    }
}

}  // namespace

void ProcessMessagesUntil(ULONGLONG until) {
    for (;;) {
        DispatchPostedMessages();
        Timer *timer = NextDueTimer(until);
        if (!timer) break;
        FireTimer(timer);
    }
    if (W().now < until) W().now = until;
}

}  // namespace winsim

// ---- SendMessageW ----
WINSIM_API LRESULT WINAPI SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (sim::ShouldFail("SendMessageW")) return 0;
    if (!LookUpWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    W().ui.messageLog.push_back({window, message, wParam, lParam, false});
    return CallProcedure(window, message, wParam, lParam);
}

// ---- PostMessageW ----
// A null window posts to the thread; WM_QUIT is never posted this way.
WINSIM_API BOOL WINAPI PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (sim::ShouldFail("PostMessageW")) return FALSE;
    if (window && !LookUpWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    W().ui.messageLog.push_back({window, message, wParam, lParam, true});
    W().ui.posted.push_back({window, message, wParam, lParam});
    return TRUE;
}

// ---- PostQuitMessage ----
// Would end the thread's message loop: recorded, since the loop is the
// program's (or its host's) and winsim runs none of its own.
WINSIM_API VOID WINAPI PostQuitMessage(int exitCode) {
    if (sim::ShouldFail("PostQuitMessage")) return;
    W().ui.quitCodes.push_back(exitCode);
}

namespace sim {

void RunFor(DWORD ms) { ProcessMessagesUntil(W().now + ms); }

std::vector<int> QuitMessages() { return W().ui.quitCodes; }

std::vector<MessageRecord> Messages() { return W().ui.messageLog; }

}  // namespace sim
