// The process table: this process, its ancestors and whatever else a test
// adds, which process snapshots and parent lookups read.
#include "world.h"

namespace winsim {

Process *FindProcess(DWORD pid) {
    for (Process &process : W().processes) {
        if (process.pid == pid) return &process;
    }
    return nullptr;
}

DWORD ParentOf(DWORD pid) {
    Process *process = FindProcess(pid);
    return process ? process->parent : 0;
}

}  // namespace winsim

using namespace winsim;

// ---- GetCurrentProcessId ----
WINSIM_API DWORD WINAPI GetCurrentProcessId(void) {
    if (sim::ShouldFail("GetCurrentProcessId")) return 0;
    return W().processId;
}

// ---- GetCurrentProcess ----
// The pseudo handle, the same value as INVALID_HANDLE_VALUE on Windows.
WINSIM_API HANDLE WINAPI GetCurrentProcess(void) {
    if (sim::ShouldFail("GetCurrentProcess")) return nullptr;
    return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
}

namespace sim {

void AddProcess(DWORD pid, DWORD parentPid, const std::u16string &exeName) {
    if (Process *existing = FindProcess(pid)) {
        existing->parent = parentPid;
        existing->exeName = exeName;
        return;
    }
    W().processes.push_back({pid, parentPid, exeName});
}

void SetCurrentProcess(DWORD pid, DWORD parentPid) {
    if (Process *existing = FindProcess(pid)) {
        existing->parent = parentPid;
    } else {
        W().processes.push_back({pid, parentPid, u"tcc.exe"});
    }
    W().processId = pid;
}

}  // namespace sim
