// Time and the message processing: the virtual clock, the thread's message
// queue and timers. Nothing waits on the real clock.
#include <deque>
#include <utility>

#include "machine.h"
#include "process_state.h"
#include "time_state.h"
#include "windows_state.h"

using namespace winsim;

namespace winsim {

namespace {

struct Timer {
    HWND window = nullptr;
    UINT_PTR id = 0;
    UINT elapse = 0;
    TIMERPROC proc = nullptr;
    ULONGLONG due = 0;
    ULONGLONG order = 0;  // when due times tie, the earlier armed fires first
};

struct PostedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A message another program sent: it waits, with its own copy of the text
// lParam points at, until this thread processes messages.
struct IncomingMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    std::u16string text;
};

// Something another program does at a time of its own (the terminal
// reloading its colours), on this thread's clock.
struct LaterAction {
    ULONGLONG due;
    ULONGLONG order;
    std::function<void()> action;
};

struct TimeState {
    ULONGLONG now = 0;
    std::vector<LaterAction> later;

    std::deque<IncomingMessage> incoming;
    std::deque<PostedMessage> posted;
    std::vector<sim::MessageRecord> messageLog;  // SendMessageW and PostMessageW calls
    std::vector<int> quitCodes;

    std::vector<Timer> timers;
    ULONGLONG timerOrder = 0;
    UINT_PTR nextThreadTimer = 1;
};

TimeState &State() {
    return AreaState<TimeState>();
}

Timer *NextDueTimer(ULONGLONG until);

// Messages other threads sent go to their windows before anything posted,
// as GetMessage and PeekMessage take them; a window gone meanwhile never
// sees its message.
void DispatchIncomingMessages() {
    std::deque<IncomingMessage> &incoming = State().incoming;
    while (!incoming.empty()) {
        IncomingMessage message = incoming.front();
        incoming.pop_front();
        CallProcedure(message.window, message.message, message.wParam, reinterpret_cast<LPARAM>(message.text.c_str()));
    }
}

// Messages posted while dispatching are dispatched in the same pass.
void DispatchPostedMessages() {
    std::deque<PostedMessage> &posted = State().posted;
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
    TimeState &state = State();
    if (timer->due > state.now) state.now = timer->due;
    timer->due = state.now + timer->elapse;
    timer->order = ++state.timerOrder;
    HWND window = timer->window;
    UINT_PTR id = timer->id;
    TIMERPROC proc = timer->proc;
    DWORD tick = static_cast<DWORD>(state.now);
    if (proc) {
        proc(window, WM_TIMER, id, tick);
    } else if (window) {
        CallProcedure(window, WM_TIMER, id, 0);
    }
}

// Runs the earliest action of another program due by `until` if it comes
// before `timer` (null: none due); false when there is none such.
bool RunLaterActionBefore(const Timer *timer, ULONGLONG until) {
    std::vector<LaterAction> &later = State().later;
    size_t next = later.size();
    for (size_t i = 0; i < later.size(); ++i) {
        if (later[i].due > until) continue;
        if (next == later.size() || later[i].due < later[next].due ||
            (later[i].due == later[next].due && later[i].order < later[next].order)) {
            next = i;
        }
    }
    if (next == later.size() || (timer && timer->due < later[next].due)) return false;
    LaterAction action = later[next];
    later.erase(later.begin() + static_cast<long>(next));
    if (action.due > State().now) State().now = action.due;
    action.action();
    return true;
}

// What a broadcast reaches: every top-level window, hidden ones included.
std::vector<HWND> BroadcastTargets() {
    std::vector<HWND> targets;
    for (const Window *window : AllWindows()) {
        if (!window->parent) targets.push_back(window->handle);
    }
    return targets;
}

Timer *FindTimer(HWND window, UINT_PTR id) {
    for (Timer &timer : State().timers) {
        if (timer.window == window && timer.id == id) return &timer;
    }
    return nullptr;
}

// The earliest timer due by `until`; timers whose window has gone are
// dropped on the way.
Timer *NextDueTimer(ULONGLONG until) {
    std::vector<Timer> &timers = State().timers;
    Timer *next = nullptr;
    for (size_t i = 0; i < timers.size();) {
        if (timers[i].window && !LookUpWindow(timers[i].window)) {
            timers.erase(timers.begin() + static_cast<long>(i));
            next = nullptr;
            i = 0;
            continue;
        }
        Timer &timer = timers[i++];
        if (timer.due > until) continue;
        if (!next || timer.due < next->due || (timer.due == next->due && timer.order < next->order)) next = &timer;
    }
    return next;
}

}  // namespace

// The virtual clock. Nothing waits on the real one: Sleep and RunFor move
// the clock forward at once.
void ResetTime() {
    State() = TimeState();
}

ULONGLONG Now() {
    return State().now;
}

// Moves the clock without dispatching anything, as a thread that sleeps or
// works without pumping messages; the timers that fell due meanwhile fire
// (once each) at the next sim::RunFor, which lives with the message queue.
void AdvanceClock(ULONGLONG ms) {
    State().now += ms;
}

LRESULT CallProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window *found = LookUpWindow(window);
    if (!found) return 0;
    WNDPROC procedure = found->procedure;
    return procedure ? procedure(window, message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

void RunLater(DWORD ms, std::function<void()> action) {
    TimeState &state = State();
    state.later.push_back({state.now + ms, ++state.timerOrder, std::move(action)});
}

bool NextMessageDue(ULONGLONG *due) {
    TimeState &state = State();
    if (!state.incoming.empty() || !state.posted.empty()) {
        *due = state.now;
        return true;
    }
    bool found = false;
    ULONGLONG next = 0;
    if (Timer *timer = NextDueTimer(~0ULL)) {
        next = timer->due;
        found = true;
    }
    for (const LaterAction &action : state.later) {
        if (!found || action.due < next) next = action.due;
        found = true;
    }
    if (found) *due = next < state.now ? state.now : next;
    return found;
}

void ProcessMessagesUntil(ULONGLONG until) {
    for (;;) {
        DispatchIncomingMessages();
        DispatchPostedMessages();
        Timer *timer = NextDueTimer(until);
        if (RunLaterActionBefore(timer, until)) continue;
        if (!timer) break;
        FireTimer(timer);
    }
    if (State().now < until) State().now = until;
}

void DropPostedMessages(HWND window) {
    std::deque<PostedMessage> &posted = State().posted;
    for (auto it = posted.begin(); it != posted.end();) {
        it = it->window == window ? posted.erase(it) : it + 1;
    }
    std::deque<IncomingMessage> &incoming = State().incoming;
    for (auto it = incoming.begin(); it != incoming.end();) {
        it = it->window == window ? incoming.erase(it) : it + 1;
    }
}

void ForgetWindowTimers(HWND window) {
    std::vector<Timer> &timers = State().timers;
    for (size_t i = timers.size(); i > 0; --i) {
        if (timers[i - 1].window == window) timers.erase(timers.begin() + static_cast<long>(i - 1));
    }
}

}  // namespace winsim

WINSIM_API void WINAPI Sleep(DWORD ms) {
    if (sim::ShouldFail("Sleep")) return;
    AdvanceClock(ms);
}

WINSIM_API DWORD WINAPI GetTickCount(void) {
    if (sim::ShouldFail("GetTickCount")) return 0;
    return static_cast<DWORD>(State().now);
}

WINSIM_API ULONGLONG WINAPI GetTickCount64(void) {
    if (sim::ShouldFail("GetTickCount64")) return 0;
    return State().now;
}

// Messages: sent ones run the window procedure at once; posted ones wait in
// the thread's queue until the message processing (sim::RunFor) dispatches
// them, before the timers that fall due.

WINSIM_API LRESULT WINAPI SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (sim::ShouldFail("SendMessageW")) return 0;
    if (!LookUpWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    State().messageLog.push_back({window, message, wParam, lParam, false});
    return CallProcedure(window, message, wParam, lParam);
}

// ---- SendMessageTimeoutW ----
// Every window here belongs to this thread or to a program that answers at
// once, so the procedure is called directly and the time-out never runs
// out. HWND_BROADCAST reaches each top-level window; its answers are not
// reported.
WINSIM_API LRESULT WINAPI SendMessageTimeoutW(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT, UINT,
                                              PDWORD_PTR result) {
    if (sim::ShouldFail("SendMessageTimeoutW")) return 0;
    if (window != HWND_BROADCAST && !LookUpWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    State().messageLog.push_back({window, message, wParam, lParam, false});
    LRESULT answer = 0;
    if (window == HWND_BROADCAST) {
        for (HWND target : BroadcastTargets()) {
            if (LookUpWindow(target)) CallProcedure(target, message, wParam, lParam);
        }
    } else {
        answer = CallProcedure(window, message, wParam, lParam);
    }
    if (result) *result = static_cast<DWORD_PTR>(answer);
    return 1;
}

// ---- PostMessageW ----
// A null window posts to the thread; WM_QUIT is never posted this way.
WINSIM_API BOOL WINAPI PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (sim::ShouldFail("PostMessageW")) return FALSE;
    if (window && !LookUpWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    State().messageLog.push_back({window, message, wParam, lParam, true});
    State().posted.push_back({window, message, wParam, lParam});
    return TRUE;
}

// ---- PostQuitMessage ----
// Would end the thread's message loop: recorded, since the loop is the
// program's (or its host's) and winsim runs none of its own.
WINSIM_API VOID WINAPI PostQuitMessage(int exitCode) {
    if (sim::ShouldFail("PostQuitMessage")) return;
    State().quitCodes.push_back(exitCode);
}

// ---- PeekMessageW ----
// What is due now is dispatched here, to window procedures and timer
// procedures alike, so nothing is left to hand back: PM_REMOVE answers
// FALSE once it has run. PM_NOREMOVE only tells whether something is due.
WINSIM_API BOOL WINAPI PeekMessageW(LPMSG message, HWND window, UINT first, UINT last, UINT remove) {
    (void)window;
    (void)first;
    (void)last;
    if (sim::ShouldFail("PeekMessageW")) return FALSE;
    if (!message) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!(remove & PM_REMOVE)) {
        ULONGLONG due = 0;
        if (!NextMessageDue(&due) || due > State().now) return FALSE;
        *message = MSG{};
        return TRUE;
    }
    ProcessMessagesUntil(State().now);
    return FALSE;
}

WINSIM_API BOOL WINAPI TranslateMessage(const MSG *message) {
    (void)message;
    return FALSE;
}

WINSIM_API LRESULT WINAPI DispatchMessageW(const MSG *message) {
    if (!message || !message->hwnd) return 0;
    return CallProcedure(message->hwnd, message->message, message->wParam, message->lParam);
}

// Timers on the virtual clock. A timer is due `elapse` ms after it was set
// or last fired; SetTimer on a timer that exists restarts it with the new
// period. A timer due while nothing pumps fires once when pumping resumes.

WINSIM_API UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    if (sim::ShouldFail("SetTimer")) return 0;
    TimeState &state = State();
    if (window) {
        Window *found = LookUpWindow(window);
        if (!found) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (found->processId != CurrentProcessId()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return 0;
        }
    }
    if (elapse < USER_TIMER_MINIMUM) elapse = USER_TIMER_MINIMUM;
    if (elapse > USER_TIMER_MAXIMUM) elapse = USER_TIMER_MAXIMUM;
    Timer *timer = window || id ? FindTimer(window, id) : nullptr;
    if (!timer) {
        Timer fresh;
        fresh.window = window;
        fresh.id = window ? id : state.nextThreadTimer++;
        state.timers.push_back(fresh);
        timer = &state.timers.back();
    }
    timer->elapse = elapse;
    timer->proc = proc;
    timer->due = state.now + elapse;
    timer->order = ++state.timerOrder;
    return window ? (timer->id ? timer->id : 1) : timer->id;
}

// ---- KillTimer ----
// WM_TIMER messages are made when a timer fires, never queued ahead, so
// nothing is left to fire after this.
WINSIM_API BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
    if (sim::ShouldFail("KillTimer")) return FALSE;
    std::vector<Timer> &timers = State().timers;
    for (auto it = timers.begin(); it != timers.end(); ++it) {
        if (it->window == window && it->id == id) {
            timers.erase(it);
            return TRUE;
        }
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

namespace sim {

ULONGLONG Now() {
    return State().now;
}

void RunFor(DWORD ms) {
    ProcessMessagesUntil(State().now + ms);
}

void BroadcastFromAnotherProgram(UINT message, WPARAM wParam, const std::u16string &text) {
    for (HWND target : BroadcastTargets()) State().incoming.push_back({target, message, wParam, text});
}

std::vector<int> QuitMessages() {
    return State().quitCodes;
}

std::vector<MessageRecord> Messages() {
    return State().messageLog;
}

int TimerCount() {
    NextDueTimer(0);  // drops the timers of windows that are gone
    return static_cast<int>(State().timers.size());
}

UINT TimerPeriod(HWND window, UINT_PTR id) {
    Timer *timer = FindTimer(window, id);
    return timer && (!window || LookUpWindow(window)) ? timer->elapse : 0;
}

}  // namespace sim
