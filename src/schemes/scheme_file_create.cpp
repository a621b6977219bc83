// A scheme file that does not exist yet, or standard output: just the one
// section, UTF-8 with a byte-order mark (standard output without one).
#include "../base/wstr.h"
#include "scheme_file.h"
#include "writer_messages.h"

int CreateSchemeFile(LPCWSTR path, LPCWSTR name) {
    if (!path || path[0] == 0 || !name || name[0] == 0) return -1;
    OutputFile *output = CreateOutputFile(path);
    if (!output) {
        ReportFileFailure(TEXT("Error opening output file \"%s\":\r\n"), path, GetLastError());
        return 2;
    }
    LONG error = 0;
    if (StrCompare(path, TEXT("-")) != 0) error = WriteBom(output);
    if (error == 0) error = WriteSchemeSection(output, name);
    bool open = true;
    if (error == 0) {
        // The close writes what is still buffered, so it can fail too; it
        // frees the output either way and is never repeated.
        open = false;
        error = CloseOutputFile(output);
        if (error == 0) return 0;
    }
    // The last error says why (for an unreadable console, why the console
    // could not be read); a step that left none has its own code.
    DWORD code = GetLastError();
    if (code == 0 && error > 0) code = static_cast<DWORD>(error);
    if (open) CloseOutputFile(output);
    ReportFileFailure(TEXT("Error writing to output file \"%s\":\r\n"), path, code);
    return 2;
}
