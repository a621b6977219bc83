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
// Dispatches posted messages and fires due timers until the clock reads `until`.
void ProcessMessagesUntil(ULONGLONG until);
// time.cpp: what another program does by itself `ms` from now; it runs when
// the message processing passes that time, in time order with the timers.
void RunLater(DWORD ms, std::function<void()> action);

}  // namespace winsim
