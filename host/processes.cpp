// GetParentPID: the parent of a process, from a process snapshot.
#include "host_state.h"
#include "plugin/host.h"

int WINAPI GetParentPID(int pid) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE || snapshot == NULL) return 0;
    PROCESSENTRY32W entry;
    entry.dwSize = sizeof entry;
    int parent = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID == static_cast<DWORD>(pid)) {
            parent = static_cast<int>(entry.th32ParentProcessID);
            break;
        }
    }
    CloseHandle(snapshot);
    return parent;
}
