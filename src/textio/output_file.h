// Buffered UTF-8 output of wide-character text to a new file or to
// standard output. Text reaches the file when the buffer would overflow
// and at the close; the caller writes its own line breaks.
#pragma once

#include "../platform.h"

#define OUTPUT_CAPACITY 8192      // units of pending text, its NUL included
#define OUTPUT_BYTES_SIZE 24576   // three UTF-8 bytes for each unit of a full buffer

struct OutputFile {
    LPWSTR pending;  // accepted, not yet written; always zero-terminated
    BYTE *bytes;     // conversion buffer for one flush
    DWORD capacity;
    DWORD count;     // units in pending, at most capacity - 1
    DWORD bytesSize;
    HANDLE file;
    BOOL isStdOut;   // standard output is never closed here
    UINT codePage;
};

// Creates (or empties) the file `name`, or takes standard output for "-".
// Null with the last error set: 13 for a null or empty name, 8 when memory
// runs out, or the error of CreateFileW.
OutputFile *CreateOutputFile(LPCWSTR name);
// Appends `text` (any length); 0, the Windows error of a failed flush, or
// -1 for a null argument.
LONG WriteText(OutputFile *output, LPCWSTR text);
// Appends U+FEFF, which is written as the UTF-8 byte-order mark.
LONG WriteBom(OutputFile *output);
// Writes the pending text; 0 or the Windows error, the text then kept.
LONG FlushOutput(OutputFile *output);
// Flushes, closes the file (never standard output) and frees the output
// whatever happens; the result of the flush, or -1 for null.
LONG CloseOutputFile(OutputFile *output);
