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
    bool quitPending = false;  // WM_QUIT waits behind the posted messages
    int quitCode = 0;

    std::vector<Timer> timers;
    ULONGLONG timerOrder = 0;
    UINT_PTR nextThreadTimer = 1;
};

TimeState &State() {
    return AreaState<TimeState>();
}

// Messages other threads sent go to their windows before anything posted,
// whatever the filter, as GetMessage and PeekMessage take them; a window
// gone meanwhile never sees its message.
void DispatchIncomingMessages() {
    std::deque<IncomingMessage> &incoming = State().incoming;
    while (!incoming.empty()) {
        IncomingMessage message = incoming.front();
        incoming.pop_front();
        CallProcedure(message.window, message.message, message.wParam, reinterpret_cast<LPARAM>(message.text.c_str()));
    }
}

// What PeekMessageW's window and range ask for: no window, every message of
// the thread; -1, those posted to the thread itself; a window, its own and
// its children's. A range of 0 to 0 takes every message.
struct Filter {
    HWND window;
    UINT first;
    UINT last;
};

bool Matches(const Filter &filter, HWND window, UINT message) {
    if ((filter.first || filter.last) && (message < filter.first || message > filter.last)) return false;
    if (!filter.window) return true;
    if (filter.window == reinterpret_cast<HWND>(-1)) return !window;
    for (const Window *found = window ? LookUpWindow(window) : nullptr; found;
         found = found->parent ? LookUpWindow(found->parent) : nullptr) {
        if (found->handle == filter.window) return true;
    }
    return false;
}

// The earliest timer due by `until` (and, given one, that the filter takes);
// timers whose window has gone are dropped on the way.
Timer *NextDueTimer(ULONGLONG until, const Filter *filter = nullptr) {
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
        if (timer.due > until || (filter && !Matches(*filter, timer.window, WM_TIMER))) continue;
        if (!next || timer.due < next->due || (timer.due == next->due && timer.order < next->order)) next = &timer;
    }
    return next;
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

MSG MakeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG made = {};
    made.hwnd = window;
    made.message = message;
    made.wParam = wParam;
    made.lParam = lParam;
    made.time = static_cast<DWORD>(State().now);
    return made;
}

// The next message the filter takes, in Windows' order: sent messages are
// dispatched on the way, then posted ones come first, WM_QUIT once the
// posted ones are gone, then a due timer's WM_TIMER (its procedure in
// lParam). Taking a timer's message re-arms it, so that the handler may
// change or kill it. What other programs do by now happens on the way.
bool TakeMessage(MSG *taken, const Filter &filter, bool remove) {
    TimeState &state = State();
    for (;;) {
        DispatchIncomingMessages();
        for (auto it = state.posted.begin(); it != state.posted.end(); ++it) {
            if (!Matches(filter, it->window, it->message)) continue;
            *taken = MakeMessage(it->window, it->message, it->wParam, it->lParam);
            if (remove) state.posted.erase(it);
            return true;
        }
        if (state.quitPending && Matches(filter, nullptr, WM_QUIT)) {
            *taken = MakeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(state.quitCode), 0);
            if (remove) state.quitPending = false;
            return true;
        }
        if (RunLaterActionBefore(NextDueTimer(state.now), state.now)) continue;
        Timer *timer = NextDueTimer(state.now, &filter);
        if (!timer) return false;
        *taken = MakeMessage(timer->window, WM_TIMER, timer->id, reinterpret_cast<LPARAM>(timer->proc));
        if (remove) {
            timer->due = state.now + timer->elapse;
            timer->order = ++state.timerOrder;
        }
        return true;
    }
}

// DispatchMessageW: a timer's message goes to the procedure it was set with,
// but only to one a timer of this thread really has; anything else to the
// window's procedure.
LRESULT Dispatch(const MSG &message) {
    if (message.message == WM_TIMER && message.lParam) {
        TIMERPROC proc = reinterpret_cast<TIMERPROC>(message.lParam);
        for (const Timer &timer : State().timers) {
            if (timer.proc != proc) continue;
            proc(message.hwnd, WM_TIMER, message.wParam, static_cast<DWORD>(State().now));
            break;
        }
        return 0;
    }
    if (!message.hwnd) return 0;
    if (!LookUpWindow(message.hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return CallProcedure(message.hwnd, message.message, message.wParam, message.lParam);
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
// (once each) when messages are next taken.
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
    if (!state.incoming.empty() || !state.posted.empty() || state.quitPending) {
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

void AdvanceClockTo(ULONGLONG when) {
    if (State().now < when) State().now = when;
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
// the thread's queue until the program's message loop (or sim::RunFor, the
// host's) takes them, before the timers that fall due.

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
// WM_QUIT comes once the posted messages are taken; the code is recorded
// too, since the loop that would end is the program's (or its host's).
WINSIM_API VOID WINAPI PostQuitMessage(int exitCode) {
    if (sim::ShouldFail("PostQuitMessage")) return;
    State().quitCodes.push_back(exitCode);
    State().quitPending = true;
    State().quitCode = exitCode;
}

// ---- PeekMessageW ----
// Nothing waits here: what is due on the clock now is handed back, and
// the caller's DispatchMessageW runs it.
WINSIM_API BOOL WINAPI PeekMessageW(LPMSG message, HWND window, UINT first, UINT last, UINT remove) {
    if (sim::ShouldFail("PeekMessageW")) return FALSE;
    if (!message) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TakeMessage(message, {window, first, last}, (remove & PM_REMOVE) != 0) ? TRUE : FALSE;
}

WINSIM_API BOOL WINAPI TranslateMessage(const MSG *message) {
    (void)message;
    return FALSE;
}

WINSIM_API LRESULT WINAPI DispatchMessageW(const MSG *message) {
    return message ? Dispatch(*message) : 0;
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

// The host's message loop over virtual time: whatever is due is taken and
// dispatched as PeekMessageW and DispatchMessageW would, then the clock
// moves to the next thing due, until `ms` have passed.
void RunFor(DWORD ms) {
    ULONGLONG until = State().now + ms;
    for (;;) {
        MSG message;
        while (TakeMessage(&message, {nullptr, 0, 0}, true)) Dispatch(message);
        ULONGLONG due = 0;
        // Nothing is left that is due now, so the clock only moves on.
        if (!NextMessageDue(&due) || due > until || due <= State().now) break;
        State().now = due;
    }
    AdvanceClockTo(until);
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
