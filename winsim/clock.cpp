// The virtual clock. Nothing waits on the real one: Sleep and RunFor move
// the clock forward at once.
#include "world.h"

namespace winsim {

// Moves the clock without dispatching anything, as a thread that sleeps or
// works without pumping messages; the timers that fell due meanwhile fire
// (once each) at the next sim::RunFor, which lives with the message queue.
void AdvanceClock(ULONGLONG ms) { W().now += ms; }

}  // namespace winsim

using namespace winsim;

// ---- Sleep ----
WINSIM_API void WINAPI Sleep(DWORD ms) {
    if (sim::ShouldFail("Sleep")) return;
    AdvanceClock(ms);
}

// ---- GetTickCount ----
WINSIM_API DWORD WINAPI GetTickCount(void) {
    if (sim::ShouldFail("GetTickCount")) return 0;
    return static_cast<DWORD>(W().now);
}

// ---- GetTickCount64 ----
WINSIM_API ULONGLONG WINAPI GetTickCount64(void) {
    if (sim::ShouldFail("GetTickCount64")) return 0;
    return W().now;
}

namespace sim {

ULONGLONG Now() { return W().now; }

}  // namespace sim
