// Streams (pipes, the console, character devices) cannot be mapped: their
// bytes are copied to a temporary file named after the process, which is
// mapped instead and deleted at the close.
#include "../base/alloc.h"
#include "../base/format.h"
#include "../base/wstr.h"
#include "../plugin/messages.h"
#include "source_steps.h"

namespace {

// Room for "Vivanta-" with up to eight hex digits and ".tmp".
const size_t kTempNameRoom = 32;

bool EndsWithSeparator(LPCWSTR path, size_t length) {
    if (length == 0) return false;
    WCHAR last = path[length - 1];
    return last == TEXT('/') || last == TEXT('\\') || last == TEXT(':');
}

// The per-process temporary file's full name, or 0 with `error` set.
LPWSTR MakeTempPath(LONG *error) {
    WCHAR directory[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, directory);
    if (length == 0 || length > MAX_PATH) {
        *error = LastErrorOr(ERROR_BUFFER_OVERFLOW);
        return nullptr;
    }
    size_t capacity = length + 1 + kTempNameRoom;
    LPWSTR path = static_cast<LPWSTR>(MemAlloc(capacity * sizeof(WCHAR)));
    if (!path) {
        *error = ERROR_NOT_ENOUGH_MEMORY;
        return nullptr;
    }
    StrCopy(path, capacity, directory);
    if (!EndsWithSeparator(directory, length)) StrAppend(path, capacity, TEXT("\\"));
    size_t used = StrLen(path);
    Format(path + used, capacity - used, TEXT("%s-%04x.tmp"), PLUGIN_NAME, GetCurrentProcessId());
    return path;
}

// Copies until the stream ends: a failed read or one that returns nothing
// (a console does so when the user types ^Z) is the end, not an error.
LONG CopyBlocks(HANDLE stream, HANDLE copy, BYTE *block) {
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(stream, block, STREAM_COPY_BLOCK, &got, nullptr) || got == 0) return 0;
        DWORD written = 0;
        if (!WriteFile(copy, block, got, &written, nullptr)) return LastErrorOr(ERROR_WRITE_FAULT);
        if (written != got) return ERROR_WRITE_FAULT;
    }
}

}  // namespace

LONG CopyStreamToTempFile(TextSource *source, BY_HANDLE_FILE_INFORMATION *info) {
    LONG error = 0;
    LPWSTR path = MakeTempPath(&error);
    if (!path) return error;
    BYTE *block = static_cast<BYTE *>(MemAlloc(STREAM_COPY_BLOCK));
    if (!block) {
        MemFree(path);
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    HANDLE copy = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (copy == INVALID_HANDLE_VALUE || !copy) {
        // Never delete by this name here: the file may be another source's copy.
        error = LastErrorOr(ERROR_INVALID_HANDLE);
        MemFree(block);
        MemFree(path);
        return error;
    }
    error = CopyBlocks(source->file, copy, block);
    MemFree(block);
    if (error != 0) {
        CloseHandle(copy);
        DeleteFileW(path);
        MemFree(path);
        return error;
    }
    // The stream is this library's own handle (standard input is read
    // through a duplicate), so it is always closed here.
    CloseHandle(source->file);
    source->file = copy;
    source->tempPath = path;
    FlushFileBuffers(copy);
    SetFilePointer(copy, 0, nullptr, FILE_BEGIN);
    *info = BY_HANDLE_FILE_INFORMATION();
    if (!GetFileInformationByHandle(copy, info)) *info = BY_HANDLE_FILE_INFORMATION();
    return 0;
}
