// Process snapshots: a copy of the process table taken when the snapshot
// is made, walked with Process32FirstW and Process32NextW.
#include "world.h"

using namespace winsim;

namespace {

PROCESSENTRY32W EntryFor(const Process &process) {
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    entry.th32ProcessID = process.pid;
    entry.cntThreads = 1;
    entry.th32ParentProcessID = process.parent;
    entry.pcPriClassBase = 8;  // normal priority
    CopyTruncated(process.exeName, entry.szExeFile, MAX_PATH);
    return entry;
}

// The next entry into the caller's record, whose dwSize must hold the whole
// record, as Windows insists.
BOOL NextEntry(HANDLE snapshot, LPPROCESSENTRY32W entry, bool first) {
    HandleObject *object = FindHandle(snapshot);
    if (!object || object->kind != HandleKind::Snapshot) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!entry || entry->dwSize < sizeof(PROCESSENTRY32W)) {
        SetLastError(ERROR_BAD_LENGTH);
        return FALSE;
    }
    if (first) object->next = 0;
    if (object->next >= object->entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    DWORD size = entry->dwSize;
    *entry = object->entries[object->next++];
    entry->dwSize = size;
    return TRUE;
}

}  // namespace

// ---- CreateToolhelp32Snapshot ----
WINSIM_API HANDLE WINAPI CreateToolhelp32Snapshot(DWORD flags, DWORD processId) {
    (void)processId;
    if (sim::ShouldFail("CreateToolhelp32Snapshot")) return INVALID_HANDLE_VALUE;
    HandleObject object;
    object.kind = HandleKind::Snapshot;
    if (flags & TH32CS_SNAPPROCESS) {
        for (const Process &process : W().processes) object.entries.push_back(EntryFor(process));
    }
    return AddHandle(object);
}

// ---- Process32FirstW ----
WINSIM_API BOOL WINAPI Process32FirstW(HANDLE snapshot, LPPROCESSENTRY32W entry) {
    if (sim::ShouldFail("Process32FirstW")) return FALSE;
    return NextEntry(snapshot, entry, true);
}

// ---- Process32NextW ----
WINSIM_API BOOL WINAPI Process32NextW(HANDLE snapshot, LPPROCESSENTRY32W entry) {
    if (sim::ShouldFail("Process32NextW")) return FALSE;
    return NextEntry(snapshot, entry, false);
}
