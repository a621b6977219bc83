// Closing handles, and the count of handles the program left open.
#include <unistd.h>

#include "world.h"

using namespace winsim;

// ---- CloseHandle ----
WINSIM_API BOOL WINAPI CloseHandle(HANDLE handle) {
    if (sim::ShouldFail("CloseHandle")) return FALSE;
    // The current-process pseudo handle (the same value as
    // INVALID_HANDLE_VALUE) closes without complaint.
    if (handle == GetCurrentProcess()) return TRUE;
    HandleObject *object = FindHandle(handle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (object->kind == HandleKind::File && object->fd >= 0) close(object->fd);
    W().handles.erase(reinterpret_cast<uintptr_t>(handle));
    return TRUE;
}

namespace sim {

int OpenHandleCount() {
    int count = 0;
    for (const auto &entry : W().handles) count += entry.second.counted ? 1 : 0;
    return count;
}

}  // namespace sim
