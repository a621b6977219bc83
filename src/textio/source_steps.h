// The steps of opening a text source, shared by the files that carry
// them out. Not for callers outside the text I/O library.
#pragma once

#include "text_source.h"

#define STREAM_COPY_BLOCK 8192

// Puts the clipboard's Unicode text into the record as an owned copy: 0, or
// -1 whatever went wrong. The clipboard is closed again either way.
LONG ReadClipboardText(TextSource *source);
// Copies the stream `source->file` to the per-process temporary file,
// which then replaces it in the record (the stream is closed); `info`
// receives the copy's information. 0 or a Windows error code; on failure
// the temporary file is gone and the stream still in the record.
LONG CopyStreamToTempFile(TextSource *source, BY_HANDLE_FILE_INFORMATION *info);
// Releases everything the record holds and empties it, keeping lastError.
void ReleaseTextSource(TextSource *source);
// A copy of `text` from the allocator, or null.
LPWSTR DuplicateText(LPCWSTR text);
// GetLastError(), or `fallback` when it is 0, so that no failure reads as
// success.
LONG LastErrorOr(DWORD fallback);
