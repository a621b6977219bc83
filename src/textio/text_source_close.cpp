// Closing a text source, and the clean-up every failed open shares with it.
#include "../base/alloc.h"
#include "../base/wstr.h"
#include "source_steps.h"

LPWSTR DuplicateText(LPCWSTR text) {
    size_t length = StrLen(text);
    LPWSTR copy = static_cast<LPWSTR>(MemAlloc((length + 1) * sizeof(WCHAR)));
    if (copy) StrCopy(copy, length + 1, text);
    return copy;
}

LONG LastErrorOr(DWORD fallback) {
    DWORD error = GetLastError();
    return static_cast<LONG>(error != 0 ? error : fallback);
}

// The view goes before the mapping, the mapping before the file, and the
// file before the temporary copy is deleted by name: Windows refuses to
// delete a file that is still open or mapped.
void ReleaseTextSource(TextSource *source) {
    if (source->file || source->mapping) {
        if (source->data) UnmapViewOfFile(source->data);
    } else {
        MemFree(const_cast<BYTE *>(source->data));
    }
    if (source->mapping) CloseHandle(source->mapping);
    if (source->file) CloseHandle(source->file);
    if (source->tempPath) {
        DeleteFileW(source->tempPath);
        MemFree(source->tempPath);
    }
    MemFree(source->name);
    LONG lastError = source->lastError;
    *source = TextSource();
    source->lastError = lastError;
}

LONG CloseTextSource(TextSource *source) {
    if (source) ReleaseTextSource(source);
    return 0;
}
