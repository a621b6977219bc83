// Standard handles and where they lead: the console, an in-memory pipe, or
// a real descriptor of this Linux process.
#include <errno.h>
#include <unistd.h>

#include "world.h"

namespace winsim {

namespace {

DWORD WriteError(int error) {
    if (error == EPIPE) return ERROR_NO_DATA;
    if (error == EBADF) return ERROR_INVALID_HANDLE;
    if (error == ENOSPC) return ERROR_DISK_FULL;
    return ERROR_WRITE_FAULT;
}

}  // namespace

// Byte writes to the console are read as UTF-8; a character split between
// two writes is completed by the second.
void WriteConsoleBytes(HandleObject &object, const std::string &bytes, bool logged) {
    WriteToScreen(FromUtf8(bytes, &object.pendingUtf8), logged);
}

BOOL WriteStandardStream(HandleObject &object, const char *bytes, DWORD count) {
    std::string data(bytes, bytes + count);
    switch (object.target) {
    case sim::StdTarget::Console:
        WriteConsoleBytes(object, data, true);
        return TRUE;
    case sim::StdTarget::Capture: {
        HandleObject *original = object.aliasOf ? FindHandle(reinterpret_cast<HANDLE>(object.aliasOf)) : nullptr;
        bool same = original && original->kind == HandleKind::Standard && original->target == sim::StdTarget::Capture;
        (same ? original : &object)->captured += data;
        return TRUE;
    }
    case sim::StdTarget::Fd:
        break;
    }
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = write(object.fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            SetLastError(WriteError(errno));
            return FALSE;
        }
        done += static_cast<size_t>(n);
    }
    if (object.mirror) WriteConsoleBytes(object, data, false);
    return TRUE;
}

BOOL ReadStandardStream(HandleObject &object, void *buffer, DWORD size, DWORD *read) {
    switch (object.target) {
    case sim::StdTarget::Console:  // answered by ReadFile itself
    case sim::StdTarget::Capture:
        // The writing end of the pipe is gone, as in a finished pipeline.
        *read = 0;
        SetLastError(ERROR_BROKEN_PIPE);
        return FALSE;
    case sim::StdTarget::Fd:
        break;
    }
    ssize_t n;
    do {
        n = ::read(object.fd, buffer, size);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        *read = 0;
        SetLastError(errno == EBADF ? ERROR_INVALID_HANDLE : ERROR_READ_FAULT);
        return FALSE;
    }
    *read = static_cast<DWORD>(n);
    return TRUE;
}

}  // namespace winsim

using namespace winsim;

// ---- GetStdHandle ----
WINSIM_API HANDLE WINAPI GetStdHandle(DWORD which) {
    if (sim::ShouldFail("GetStdHandle")) return INVALID_HANDLE_VALUE;
    int index = StandardIndex(which);
    if (index < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_HANDLE_VALUE;
    }
    return W().standard[index];
}

// ---- SetStdHandle ----
WINSIM_API BOOL WINAPI SetStdHandle(DWORD which, HANDLE handle) {
    if (sim::ShouldFail("SetStdHandle")) return FALSE;
    int index = StandardIndex(which);
    if (index < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    W().standard[index] = handle;
    return TRUE;
}

namespace sim {

void SetStdTarget(DWORD which, StdTarget target, int fd, bool mirror) {
    int index = StandardIndex(which);
    if (index < 0) return;
    HandleObject object;
    object.kind = HandleKind::Standard;
    object.counted = false;
    object.which = which;
    object.target = target;
    object.fd = target == StdTarget::Fd ? fd : -1;
    object.mirror = target == StdTarget::Fd && mirror;
    HANDLE value = StandardHandleValue(which);
    W().handles[reinterpret_cast<uintptr_t>(value)] = object;
    W().standard[index] = value;
}

std::string CapturedBytes(DWORD which) {
    HandleObject *object = FindHandle(StandardHandleValue(which));
    if (!object || object->kind != HandleKind::Standard || object->target != StdTarget::Capture) return std::string();
    return object->captured;
}

}  // namespace sim
