// Injected failures: a test names a Win32 function and the error it should
// report, and the chosen calls of that function fail as Windows would.
#include "world.h"

namespace sim {

void FailCall(const char *function, DWORD error, int nth, int times) {
    if (!function || nth < 1 || times < 1) return;
    winsim::World &world = winsim::W();
    int done = world.calls[function];
    world.faults.push_back({function, error, done + nth, done + nth + times - 1});
}

void ClearFaults() { winsim::W().faults.clear(); }

int CallCount(const char *function) {
    winsim::World &world = winsim::W();
    auto found = world.calls.find(function ? function : "");
    return found == world.calls.end() ? 0 : found->second;
}

bool ShouldFail(const char *function) {
    winsim::World &world = winsim::W();
    int call = ++world.calls[function];
    for (const winsim::Fault &fault : world.faults) {
        if (fault.function == function && call >= fault.first && call <= fault.last) {
            SetLastError(fault.error);
            return true;
        }
    }
    return false;
}

}  // namespace sim
