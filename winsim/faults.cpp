// Injected failures: a test names a Win32 function and the error it should
// report, and the chosen calls of that function fail as Windows would.
#include "world.h"

namespace {

// Every call of every function passes here, so the counter is found by the
// address of the caller's name literal first; the name map (which CallCount
// reads) is searched only the first time a literal is seen. Map nodes stay
// put, and Reset clears the cache with the map.
int *CallCounter(winsim::World &world, const char *function) {
    uintptr_t key = reinterpret_cast<uintptr_t>(function);
    size_t slot = (key ^ (key >> 10)) % winsim::CALL_CACHE_SIZE;
    for (size_t probe = 0; probe < 8; ++probe) {
        winsim::CallSlot &entry = world.callCache[(slot + probe) % winsim::CALL_CACHE_SIZE];
        if (entry.name == function) return entry.count;
        if (!entry.name) {
            entry.name = function;
            entry.count = &world.calls[function];
            return entry.count;
        }
    }
    return &world.calls[function];
}

}  // namespace

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

int TotalCallCount() {
    int total = 0;
    for (const auto &entry : winsim::W().calls) total += entry.second;
    return total;
}

bool ShouldFail(const char *function) {
    winsim::World &world = winsim::W();
    int call = ++*CallCounter(world, function);
    if (world.faults.empty()) return false;
    for (const winsim::Fault &fault : world.faults) {
        if (fault.function == function && call >= fault.first && call <= fault.last) {
            SetLastError(fault.error);
            return true;
        }
    }
    return false;
}

}  // namespace sim
