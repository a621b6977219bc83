// DuplicateHandle within the current process: a new handle to the same
// object, which lives on until both are closed. A duplicate of a standard
// handle is an ordinary handle of what it leads to.
#include "io_calls.h"

using namespace winsim;

namespace {

HandleObject Duplicate(const HandleObject &source, HANDLE value) {
    HandleObject copy = source;
    copy.counted = true;
    if (source.kind != HandleKind::Standard) return copy;
    if (source.target == sim::StdTarget::Console) {
        copy.kind = source.which == STD_INPUT_HANDLE ? HandleKind::ConsoleInput : HandleKind::ConsoleOutput;
    } else if (source.target == sim::StdTarget::Capture) {
        // Writes through the copy land in the same capture.
        copy.aliasOf = source.aliasOf ? source.aliasOf : reinterpret_cast<uintptr_t>(value);
        copy.captured.clear();
    }
    return copy;
}

}  // namespace

// ---- DuplicateHandle ----
WINSIM_API BOOL WINAPI DuplicateHandle(HANDLE sourceProcess, HANDLE source, HANDLE targetProcess, LPHANDLE target,
                                       DWORD access, BOOL inherit, DWORD options) {
    (void)inherit;
    if (sim::ShouldFail("DuplicateHandle")) return FALSE;
    // Only the current process exists, reached through its pseudo handle.
    if (sourceProcess != GetCurrentProcess() || targetProcess != GetCurrentProcess()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    HandleObject *object = FindHandle(source);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!target && !(options & DUPLICATE_CLOSE_SOURCE)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    HandleObject copy = Duplicate(*object, source);
    if (!(options & DUPLICATE_SAME_ACCESS)) copy.access = access;
    if (options & DUPLICATE_CLOSE_SOURCE) W().handles.erase(reinterpret_cast<uintptr_t>(source));
    if (target) *target = AddHandle(copy);
    return TRUE;
}
