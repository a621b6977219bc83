// Gathering text and writing it out as UTF-8, one WriteFile per full
// buffer.
#include "../base/wstr.h"
#include "output_file.h"

namespace {

bool IsHighSurrogate(WCHAR c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(WCHAR c) { return c >= 0xDC00 && c <= 0xDFFF; }

void Append(OutputFile *output, LPCWSTR text, size_t length) {
    LPWSTR end = output->pending + output->count;
    for (size_t i = 0; i < length; ++i) end[i] = text[i];
    end[length] = 0;
    output->count += static_cast<DWORD>(length);
}

LONG ErrorOf(DWORD fallback) {
    DWORD error = GetLastError();
    return static_cast<LONG>(error != 0 ? error : fallback);
}

}  // namespace

LONG FlushOutput(OutputFile *output) {
    if (!output) return -1;
    if (output->count == 0) return 0;
    // The terminator goes through too, so the conversion says where it ends.
    int converted = WideCharToMultiByte(output->codePage, 0, output->pending, static_cast<int>(output->count + 1),
                                        reinterpret_cast<LPSTR>(output->bytes), static_cast<int>(output->bytesSize),
                                        nullptr, nullptr);
    if (converted <= 0) return ErrorOf(ERROR_INVALID_DATA);
    DWORD total = static_cast<DWORD>(converted - 1);
    DWORD done = 0;
    while (done < total) {
        DWORD written = 0;
        if (!WriteFile(output->file, output->bytes + done, total - done, &written, nullptr)) {
            return ErrorOf(ERROR_WRITE_FAULT);
        }
        // A write that moves nothing would loop for ever.
        if (written == 0) return ERROR_WRITE_FAULT;
        done += written;
    }
    output->count = 0;
    output->pending[0] = 0;
    return 0;
}

LONG WriteText(OutputFile *output, LPCWSTR text) {
    if (!output || !text) return -1;
    size_t length = StrLen(text);
    if (output->count + length >= output->capacity) {
        LONG error = FlushOutput(output);
        if (error != 0) return error;
    }
    // Too long for the buffer: handed over in chunks of seven eighths of it,
    // one unit shorter where a chunk would end between the halves of a
    // surrogate pair.
    while (length >= output->capacity) {
        size_t chunk = output->capacity / 8 * 7;
        if (IsHighSurrogate(text[chunk - 1]) && IsLowSurrogate(text[chunk])) --chunk;
        output->count = 0;
        Append(output, text, chunk);
        LONG error = FlushOutput(output);
        if (error != 0) return error;
        text += chunk;
        length -= chunk;
    }
    Append(output, text, length);
    return 0;
}

LONG WriteBom(OutputFile *output) {
    if (!output) return -1;
    if (output->count + 1 >= output->capacity) {
        LONG error = FlushOutput(output);
        if (error != 0) return error;
    }
    static const WCHAR kMark[] = {0xFEFF, 0};
    Append(output, kMark, 1);
    return 0;
}
