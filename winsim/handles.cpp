// The handle table and what works on any handle: closing, duplicating and
// the count of handles the program left open; and anonymous pipes, whose
// two ends are handles of one buffer.
#include "console_state.h"
#include "files_state.h"
#include "machine.h"

using namespace winsim;

namespace winsim {

namespace {

HandleObject Duplicate(const HandleObject &source, HANDLE value) {
    HandleObject copy = source.kind == HandleKind::Standard ? DuplicateStandardHandle(source, value) : source;
    copy.counted = true;
    return copy;
}

// An anonymous pipe: the bytes written and not yet read.
struct PipeObject {
    std::string data;
    size_t next = 0;
};

// A pipe handle: the buffer both ends share, and which end this is.
struct PipeEnd : RecordOf<PipeEnd> {
    std::shared_ptr<PipeObject> pipe;
    bool writer = false;
};

PipeEnd &EndOf(const HandleObject &object) {
    return *object.record.As<PipeEnd>();
}

// Handles still open on the given end of a pipe.
int OpenEnds(const PipeObject *pipe, bool writer) {
    int count = 0;
    for (const HandleObject *object : AllHandles()) {
        if (object->kind == HandleKind::Pipe && EndOf(*object).pipe.get() == pipe && EndOf(*object).writer == writer) {
            ++count;
        }
    }
    return count;
}

HandleObject PipeHandle(const std::shared_ptr<PipeObject> &pipe, bool writer) {
    auto *end = new PipeEnd;
    end->pipe = pipe;
    end->writer = writer;
    HandleObject object;
    object.kind = HandleKind::Pipe;
    object.record = OwnedRecord(end);
    return object;
}

}  // namespace

// Anonymous pipes in memory, and standard input redirected from a pipe.
// Nothing here can block: a read of an empty pipe whose writing end is
// still open returns no bytes at once instead of waiting.
BOOL ReadPipe(HandleObject &object, void *buffer, DWORD size, DWORD *read) {
    *read = 0;
    if (EndOf(object).writer) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    PipeObject &pipe = *EndOf(object).pipe;
    size_t available = pipe.data.size() - pipe.next;
    if (available == 0) {
        if (OpenEnds(&pipe, true) > 0) return TRUE;
        SetLastError(ERROR_BROKEN_PIPE);
        return FALSE;
    }
    size_t count = available < size ? available : size;
    pipe.data.copy(static_cast<char *>(buffer), count, pipe.next);
    pipe.next += count;
    if (pipe.next == pipe.data.size()) {
        pipe.data.clear();
        pipe.next = 0;
    }
    *read = static_cast<DWORD>(count);
    return TRUE;
}

BOOL WritePipe(HandleObject &object, const char *bytes, DWORD count) {
    PipeEnd &end = EndOf(object);
    if (!end.writer) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (OpenEnds(end.pipe.get(), false) == 0) {
        SetLastError(ERROR_NO_DATA);  // the reading end is closed
        return FALSE;
    }
    end.pipe->data.append(bytes, count);
    return TRUE;
}

}  // namespace winsim

// Closing handles, and the count of handles the program left open.

WINSIM_API BOOL WINAPI CloseHandle(HANDLE handle) {
    if (sim::ShouldFail("CloseHandle")) return FALSE;
    // The current-process pseudo handle (the same value as
    // INVALID_HANDLE_VALUE) closes without complaint.
    if (handle == GetCurrentProcess()) return TRUE;
    HandleObject *object = FindHandle(handle);
    // A directory search is no kernel object: only FindClose ends it.
    if (!object || object->kind == HandleKind::Find) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    bool screenBuffer = object->kind == HandleKind::ConsoleOutput;
    RemoveHandle(handle);
    if (screenBuffer) DropUnheldScreenBuffers();
    return TRUE;
}

// DuplicateHandle within the current process: a new handle to the same
// object, which lives on until both are closed. A duplicate of a standard
// handle is an ordinary handle of what it leads to.

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
    if (options & DUPLICATE_CLOSE_SOURCE) RemoveHandle(source);
    if (target) *target = AddHandle(copy);
    return TRUE;
}

WINSIM_API BOOL WINAPI CreatePipe(PHANDLE readPipe, PHANDLE writePipe, LPSECURITY_ATTRIBUTES sa, DWORD size) {
    (void)sa;
    (void)size;
    if (sim::ShouldFail("CreatePipe")) return FALSE;
    if (!readPipe || !writePipe) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    auto pipe = std::make_shared<PipeObject>();
    HandleObject reader = PipeHandle(pipe, false);
    reader.access = GENERIC_READ;
    *readPipe = AddHandle(reader);
    HandleObject writer = PipeHandle(pipe, true);
    writer.access = GENERIC_WRITE;
    *writePipe = AddHandle(writer);
    return TRUE;
}

namespace sim {

int OpenHandleCount() {
    int count = 0;
    for (const HandleObject *object : AllHandles()) count += object->counted ? 1 : 0;
    return count;
}

void SetStdInputPipe(const std::string &bytes) {
    auto pipe = std::make_shared<PipeObject>();
    pipe->data = bytes;
    HandleObject object = PipeHandle(pipe, false);
    object.counted = false;
    object.access = GENERIC_READ;
    HANDLE value = StandardHandleValue(STD_INPUT_HANDLE);
    PutHandle(value, object);
    SetStandardHandle(STD_INPUT_HANDLE, value);
}

}  // namespace sim
