// Output files: gathering text and writing it out as UTF-8, one WriteFile
// per full buffer; creating and closing them; new files under names nobody
// can foresee, and names in the form Windows opens whatever their length.
#define _CRT_RAND_S  // rand_s is declared only on request
#include <stdlib.h>

#include "../base/base.h"
#include "textio.h"

namespace {

constexpr int UNIQUE_NAME_TRIES = 8;
constexpr size_t UNIQUE_FILE_NAME_SIZE = 64;  // a prefix and suffix of our own around 16 digits
constexpr WCHAR LONG_PATH_PREFIX[] = TEXT("\\\\?\\");
constexpr WCHAR LONG_UNC_PREFIX[] = TEXT("\\\\?\\UNC\\");

void FreeOutput(OutputFile *output) {
    MemFree(output->pending);
    MemFree(output->bytes);
    MemFree(output);
}

bool IsHighSurrogate(WCHAR c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(WCHAR c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

void Append(OutputFile *output, LPCWSTR text, size_t length) {
    LPWSTR end = output->pending + output->count;
    for (size_t i = 0; i < length; ++i) end[i] = text[i];
    end[length] = 0;
    output->count += static_cast<DWORD>(length);
}

// The output's buffers, its file still to be set; null when memory runs out.
OutputFile *AllocateOutput() {
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
    return output;
}

// The directory (its first `directoryLength` characters) with `prefix`, 16
// random hexadecimal digits and `suffix`: a new name from the allocator, or
// null with the last error set.
LPWSTR MakeUniqueName(LPCWSTR directory, size_t directoryLength, LPCWSTR prefix, LPCWSTR suffix) {
    unsigned high = 0;
    unsigned low = 0;
    if (rand_s(&high) != 0 || rand_s(&low) != 0) {
        // No name is better than one that could be foreseen.
        SetLastError(ERROR_GEN_FAILURE);
        return nullptr;
    }
    WCHAR fileName[UNIQUE_FILE_NAME_SIZE];
    Format(fileName, UNIQUE_FILE_NAME_SIZE, TEXT("%s%08X%08X%s"), prefix, high, low, suffix);
    size_t capacity = directoryLength + 1 + StrLen(fileName) + 1;
    LPWSTR name = static_cast<LPWSTR>(MemAlloc(capacity * sizeof(WCHAR)));
    if (!name) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    StrCopy(name, directoryLength + 1, directory);
    if (!AppendPathName(name, capacity, fileName)) StrCopy(name, capacity, fileName);
    return name;
}

}  // namespace

HANDLE CreateUniqueFile(LPCWSTR directory, size_t directoryLength, LPCWSTR prefix, LPCWSTR suffix, DWORD share,
                        DWORD flags, LPWSTR *name) {
    *name = nullptr;
    for (int tries = 0; tries < UNIQUE_NAME_TRIES; ++tries) {
        MemFree(*name);
        *name = MakeUniqueName(directory, directoryLength, prefix, suffix);
        if (!*name) return INVALID_HANDLE_VALUE;
        HANDLE file =
            CreateFileW(*name, GENERIC_READ | GENERIC_WRITE | DELETE, share, nullptr, CREATE_NEW, flags, nullptr);
        if (file != INVALID_HANDLE_VALUE && file) return file;
        DWORD error = LastErrorOr(ERROR_INVALID_HANDLE);
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return INVALID_HANDLE_VALUE;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return INVALID_HANDLE_VALUE;
}

LPCWSTR OpenableName(LPCWSTR path, LPWSTR *copy) {
    *copy = nullptr;
    if (StrCompareN(path, LONG_PATH_PREFIX, 4) == 0 || StrCompareN(path, TEXT("\\\\.\\"), 4) == 0) return path;
    // What counts is the full name Windows makes of it: a short relative
    // name in a deep current directory is as long. Should that fail, the
    // name goes as it is, for the open to report why.
    DWORD needed = GetFullPathNameW(path, 0, nullptr, nullptr);
    if (needed <= MAX_PATH) return path;
    auto *full = static_cast<LPWSTR>(MemAlloc(needed * sizeof(WCHAR)));
    if (!full) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    DWORD length = GetFullPathNameW(path, needed, full, nullptr);
    if (length == 0 || length >= needed) {
        MemFree(full);
        return path;
    }
    // "\\?\" names are taken as they stand: only the full name will do.
    bool unc = StrCompareN(full, TEXT("\\\\"), 2) == 0;
    LPCWSTR prefix = unc ? LONG_UNC_PREFIX : LONG_PATH_PREFIX;
    size_t capacity = StrLen(prefix) + length + 1;
    *copy = static_cast<LPWSTR>(MemAlloc(capacity * sizeof(WCHAR)));
    if (*copy) {
        StrCopy(*copy, capacity, prefix);
        StrAppend(*copy, capacity, unc ? full + 2 : full);
    }
    MemFree(full);
    if (!*copy) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return *copy;
}

LPCWSTR DisplayName(LPCWSTR path) {
    return path && StrCompareN(path, LONG_PATH_PREFIX, 4) == 0 ? path + 4 : path;
}

OutputFile *CreateOutputOnHandle(HANDLE file) {
    OutputFile *output = AllocateOutput();
    if (output) output->file = file;
    return output;
}

OutputFile *CreateOutputFile(LPCWSTR name) {
    if (!name || !name[0]) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    OutputFile *output = AllocateOutput();
    if (!output) return nullptr;
    if (StrCompare(name, TEXT("-")) == 0) {
        output->file = GetStdHandle(STD_OUTPUT_HANDLE);
        output->isStdOut = true;
    } else {
        LPWSTR copy = nullptr;
        LPCWSTR openable = OpenableName(name, &copy);
        output->file = openable ? CreateFileW(openable, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr)
                                : INVALID_HANDLE_VALUE;
        MemFree(copy);
    }
    if (!output->file || output->file == INVALID_HANDLE_VALUE) {
        // A process without standard output has no error to report.
        DWORD error = LastErrorOr(ERROR_INVALID_HANDLE);
        FreeOutput(output);
        SetLastError(error);
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

LONG FlushOutput(OutputFile *output) {
    if (!output) return -1;
    if (output->count == 0) return 0;
    // The terminator goes through too, so the conversion says where it ends.
    int converted = WideCharToMultiByte(output->codePage, 0, output->pending, static_cast<int>(output->count + 1),
                                        reinterpret_cast<LPSTR>(output->bytes), static_cast<int>(output->bytesSize),
                                        nullptr, nullptr);
    if (converted <= 0) return LastErrorOr(ERROR_INVALID_DATA);
    DWORD total = static_cast<DWORD>(converted - 1);
    DWORD done = 0;
    while (done < total) {
        DWORD written = 0;
        if (!WriteFile(output->file, output->bytes + done, total - done, &written, nullptr)) {
            return LastErrorOr(ERROR_WRITE_FAULT);
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
        // A high half waits for the next flush, so that a pair written in
        // two calls is still converted as one character.
        WCHAR held = 0;
        if (output->count > 0 && IsHighSurrogate(output->pending[output->count - 1])) {
            held = output->pending[--output->count];
            output->pending[output->count] = 0;
        }
        LONG error = FlushOutput(output);
        if (held != 0) Append(output, &held, 1);
        if (error != 0) return error;
    }
    // Too long for the buffer: handed over in chunks of seven eighths of it,
    // one unit shorter where a chunk would end between the halves of a
    // surrogate pair.
    while (output->count + length >= output->capacity) {
        size_t chunk = output->capacity / 8 * 7;
        if (IsHighSurrogate(text[chunk - 1]) && IsLowSurrogate(text[chunk])) --chunk;
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
    static const WCHAR MARK[] = {0xFEFF, 0};
    Append(output, MARK, 1);
    return 0;
}
