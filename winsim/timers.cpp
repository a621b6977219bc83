// Timers on the virtual clock. A timer is due `elapse` ms after it was set
// or last fired; SetTimer on a timer that exists restarts it with the new
// period. A timer due while nothing pumps fires once when pumping resumes.
#include "world.h"

using namespace winsim;

namespace {

Timer *FindTimer(HWND window, UINT_PTR id) {
    for (Timer &timer : W().ui.timers) {
        if (timer.window == window && timer.id == id) return &timer;
    }
    return nullptr;
}

}  // namespace

namespace winsim {

// The earliest timer due by `until`; timers whose window has gone are
// dropped on the way.
Timer *NextDueTimer(ULONGLONG until) {
    std::vector<Timer> &timers = W().ui.timers;
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

void ForgetWindowTimers(HWND window) {
    std::vector<Timer> &timers = W().ui.timers;
    for (size_t i = timers.size(); i > 0; --i) {
        if (timers[i - 1].window == window) timers.erase(timers.begin() + static_cast<long>(i - 1));
    }
}

}  // namespace winsim

// ---- SetTimer ----
WINSIM_API UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    if (sim::ShouldFail("SetTimer")) return 0;
    World &world = W();
    if (window) {
        Window *found = LookUpWindow(window);
        if (!found) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        if (found->processId != world.processId) {
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
        fresh.id = window ? id : world.ui.nextThreadTimer++;
        world.ui.timers.push_back(fresh);
        timer = &world.ui.timers.back();
    }
    timer->elapse = elapse;
    timer->proc = proc;
    timer->due = world.now + elapse;
    timer->order = ++world.ui.timerOrder;
    return window ? (timer->id ? timer->id : 1) : timer->id;
}

// ---- KillTimer ----
// WM_TIMER messages are made when a timer fires, never queued ahead, so
// nothing is left to fire after this.
WINSIM_API BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
    if (sim::ShouldFail("KillTimer")) return FALSE;
    std::vector<Timer> &timers = W().ui.timers;
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

int TimerCount() {
    NextDueTimer(0);  // drops the timers of windows that are gone
    return static_cast<int>(W().ui.timers.size());
}

UINT TimerPeriod(HWND window, UINT_PTR id) {
    Timer *timer = FindTimer(window, id);
    return timer && (!window || LookUpWindow(window)) ? timer->elapse : 0;
}

}  // namespace sim
