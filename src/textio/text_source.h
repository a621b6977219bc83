// A named source of text presented as one read-only byte range with its
// encoding: a disk file (mapped as it stands), a device or pipe reached by
// name or standard input (copied to a temporary file first, then mapped),
// or the clipboard's text (copied into memory). Read it with the decoders
// of line_reader.h.
#pragma once

#include "../platform.h"

// Encoding kinds.
enum TextEncoding {
    Ansi = 0,      // the system ANSI code page, one byte per character
    Utf16Le = 1,
    Utf16Be = 2,
    Utf8 = 3,
    Utf32Le = 32,
    Utf32Be = 33,
};

// Results of OpenTextSource besides 0 and the Windows error codes.
#define TEXT_SOURCE_BAD_ARGUMENT (-1)  // also every clipboard failure
#define TEXT_SOURCE_EMPTY (-100)       // the source holds no bytes

// Detection looks no further than these into the content.
#define DETECT_UTF16_SAMPLE 131072  // UTF-16 and UTF-32 statistics
#define DETECT_UTF8_SAMPLE 262144

// One open source, owned by the caller. All fields zero is the empty record.
struct TextSource {
    const BYTE *data;     // the mapped view, or the clipboard text's copy
    LPWSTR name;          // the name given, or for files the name opened
    LPWSTR tempPath;      // the temporary copy of a stream source, or null
    HANDLE file;          // null for clipboard text
    HANDLE mapping;       // null for clipboard text
    LONG lastError;       // kept across the close
    DWORD encoding;       // a TextEncoding
    ULONGLONG size;       // content bytes
    ULONGLONG position;   // next byte to decode
    ULONGLONG textStart;  // length of the byte-order mark
    UINT ansiCodePage;
    DWORD ansiTable;      // index into the single-byte tables
    WCHAR replacement;    // delivered for undecodable input
};

// Opens `name`: "clip:" (any case) for the clipboard, "-" for standard
// input, anything else a file or device. 0 when open; -1 for a null record
// or name, an empty name or any clipboard failure; otherwise the failure
// code, also left in lastError. A failed open leaves nothing held.
LONG OpenTextSource(TextSource *source, LPCWSTR name);
// Releases what the record holds and empties it, keeping lastError. Safe on
// an empty record. Always 0.
LONG CloseTextSource(TextSource *source);
// Sets encoding and textStart from the content, and moves position up to
// textStart.
void DetectEncoding(TextSource *source);
// True for a console handle; the standard-handle values -10, -11 and -12
// stand for the process's standard handles.
bool IsConsoleHandle(HANDLE handle);
