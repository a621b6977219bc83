// The virtual clock. Nothing waits on the real one: Sleep and RunFor move
// the clock forward at once.
#include "world.h"

namespace winsim {

// Every forward step of the clock passes here; window timers that fall due
// on the way will be dispatched from this point, in time order.
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

void RunFor(DWORD ms) { AdvanceClock(ms); }

}  // namespace sim
