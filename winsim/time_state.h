// The virtual clock and the message processing that runs on it.
#pragma once

#include <windows.h>

#include <functional>

namespace winsim {

// time.cpp: the clock
void AdvanceClock(ULONGLONG ms);
ULONGLONG Now();
// time.cpp: the virtual time the next timer, posted or sent message or
// action of another program is due; false when none is pending
bool NextMessageDue(ULONGLONG *due);
// time.cpp: what a destroyed window leaves in the queue and the timers
void DropPostedMessages(HWND window);
void ForgetWindowTimers(HWND window);

// time.cpp: a message to the window's procedure, or to
// DefWindowProcW for a window that has none
LRESULT CallProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// time.cpp: a wait that ends at `when` moves the clock there (never back)
void AdvanceClockTo(ULONGLONG when);
// time.cpp: what another program does by itself `ms` from now; it runs when
// messages are taken past that time, in time order with the timers.
void RunLater(DWORD ms, std::function<void()> action);

}  // namespace winsim
