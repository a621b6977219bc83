// Creating and closing an output file.
#include "output_file.h"

#include "../base/alloc.h"
#include "../base/wstr.h"

namespace {

void FreeOutput(OutputFile *output) {
    MemFree(output->pending);
    MemFree(output->bytes);
    MemFree(output);
}

}  // namespace

OutputFile *CreateOutputFile(LPCWSTR name) {
    if (!name || !name[0]) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    OutputFile *output = static_cast<OutputFile *>(MemCalloc(1, sizeof(OutputFile)));
    if (output) {
        output->pending = static_cast<LPWSTR>(MemAlloc(OUTPUT_CAPACITY * sizeof(WCHAR)));
        output->bytes = static_cast<BYTE *>(MemAlloc(OUTPUT_BYTES_SIZE));
    }
    if (!output || !output->pending || !output->bytes) {
        if (output) FreeOutput(output);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    output->capacity = OUTPUT_CAPACITY;
    output->bytesSize = OUTPUT_BYTES_SIZE;
    output->codePage = CP_UTF8;
    output->pending[0] = 0;
    if (StrCompare(name, TEXT("-")) == 0) {
        output->file = GetStdHandle(STD_OUTPUT_HANDLE);
        output->isStdOut = TRUE;
    } else {
        output->file = CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (!output->file || output->file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        FreeOutput(output);
        // A process without standard output has no error to report.
        SetLastError(error != 0 ? error : ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return output;
}

LONG CloseOutputFile(OutputFile *output) {
    if (!output) return -1;
    LONG result = FlushOutput(output);
    if (!output->isStdOut) CloseHandle(output->file);
    FreeOutput(output);
    return result;
}
