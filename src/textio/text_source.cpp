// Text sources: opening the clipboard, standard input, or a file or device
// by name; streams are copied first; what ends up in a file is mapped
// read-only and its encoding detected. Closing, and the clean-up every
// failed open shares with it.
#include "../base/base.h"
#include "../plugin/host.h"
#include "../plugin/plugin.h"
#include "char_decoder.h"

namespace {

constexpr DWORD TRUE_NAME_SIZE = 32768;  // what the host's QueryTrueName may fill
constexpr DWORD STREAM_COPY_BLOCK = 8192;

constexpr WCHAR CLIPBOARD_NAME[] = TEXT("clip:");
constexpr WCHAR STANDARD_INPUT_NAME[] = TEXT("-");
constexpr WCHAR VOLUME_PREFIX[] = TEXT("Volume{");
constexpr WCHAR DEVICE_PREFIX[] = TEXT("\\\\.\\");
constexpr WCHAR CONSOLE_PROMPT[] = TEXT("Reading text from the console: (^Z ends)\r\n");

// ---- closing ----

// The view goes before the mapping and the mapping before the file; a
// temporary copy goes with the last of them, as it was opened to.
void ReleaseTextSource(TextSource *source) {
    if (source->file || source->mapping) {
        if (source->data) UnmapViewOfFile(source->data);
    } else {
        MemFree(const_cast<BYTE *>(source->data));
    }
    if (source->mapping) CloseHandle(source->mapping);
    if (source->file) CloseHandle(source->file);
    MemFree(source->tempPath);
    MemFree(source->name);
    LONG lastError = source->lastError;
    *source = TextSource();
    source->lastError = lastError;
}

// ---- the clipboard ----
// Its Unicode text, copied so that the clipboard is held only while the
// copy is made.

// Units of text before the terminator, never looking past the block:
// another program may have left text without one.
size_t MeasureText(const WCHAR *text, SIZE_T blockBytes) {
    size_t limit = blockBytes / sizeof(WCHAR);
    size_t length = 0;
    while (length < limit && text[length] != 0) ++length;
    return length;
}

bool CopyLockedText(TextSource *source, const WCHAR *text, SIZE_T blockBytes) {
    size_t length = MeasureText(text, blockBytes);
    if (length == 0) return false;
    WCHAR *copy = static_cast<WCHAR *>(MemAlloc((length + 1) * sizeof(WCHAR)));
    if (!copy) return false;
    for (size_t i = 0; i < length; ++i) copy[i] = text[i];
    copy[length] = 0;
    source->data = reinterpret_cast<const BYTE *>(copy);
    source->size = static_cast<ULONGLONG>(length) * sizeof(WCHAR);
    source->encoding = Utf16Le;
    source->textStart = 0;
    source->position = 0;
    return true;
}

// Puts the clipboard's Unicode text into the record as an owned copy; false
// whatever went wrong. The clipboard is closed again either way.
bool ReadClipboardText(TextSource *source) {
    if (!OpenClipboard(GetConsoleWindow())) return false;
    bool result = false;
    HANDLE block = GetClipboardData(CF_UNICODETEXT);
    if (block) {
        const WCHAR *text = static_cast<const WCHAR *>(GlobalLock(block));
        if (text) {
            result = CopyLockedText(source, text, GlobalSize(block));
            GlobalUnlock(block);
        }
    }
    CloseClipboard();
    return result;
}

// ---- streams ----
// Streams (pipes, the console, character devices) cannot be mapped: their
// bytes are copied to a temporary file, which is mapped instead. The copy
// is made new under a name nobody can foresee, so that nothing planted in
// the temporary directory receives what was piped, and it is opened to be
// deleted when the last handle, mapping or view of it goes.

// The new temporary file, its name in `*path`; INVALID_HANDLE_VALUE with
// `error` set.
HANDLE CreateTempCopy(LPWSTR *path, LONG *error) {
    *path = nullptr;
    WCHAR directory[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, directory);
    if (length == 0 || length > MAX_PATH) {
        *error = LastErrorOr(ERROR_BUFFER_OVERFLOW);
        return INVALID_HANDLE_VALUE;
    }
    WCHAR prefix[16];
    Format(prefix, 16, TEXT("%s-"), PLUGIN_NAME);
    HANDLE copy = CreateUniqueFile(directory, length, prefix, TEXT(".tmp"), 0,
                                   FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, path);
    if (copy == INVALID_HANDLE_VALUE || !copy) {
        *error = LastErrorOr(ERROR_INVALID_HANDLE);
        MemFree(*path);
        *path = nullptr;
        return INVALID_HANDLE_VALUE;
    }
    return copy;
}

// Copies until the stream ends: a failed read or one that returns nothing
// (a console does so when the user types ^Z) is the end, not an error. A
// stream has no size to check first, so the copy stops as soon as it would
// pass the limit rather than filling the disk.
LONG CopyBlocks(HANDLE stream, HANDLE copy, BYTE *block) {
    ULONGLONG total = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(stream, block, STREAM_COPY_BLOCK, &got, nullptr) || got == 0) return 0;
        total += got;
        if (total > TEXT_SOURCE_SIZE_LIMIT) return ERROR_FILE_TOO_LARGE;
        DWORD written = 0;
        if (!WriteFile(copy, block, got, &written, nullptr)) return LastErrorOr(ERROR_WRITE_FAULT);
        if (written != got) return ERROR_WRITE_FAULT;
    }
}

// Copies the stream `source->file` to a new temporary file, which then
// replaces it in the record (the stream is closed); `info` receives the
// copy's information. 0 or a Windows error code; on failure the temporary
// file is gone and the stream still in the record.
LONG CopyStreamToTempFile(TextSource *source, BY_HANDLE_FILE_INFORMATION *info) {
    BYTE *block = static_cast<BYTE *>(MemAlloc(STREAM_COPY_BLOCK));
    if (!block) return ERROR_NOT_ENOUGH_MEMORY;
    LONG error = 0;
    LPWSTR path = nullptr;
    HANDLE copy = CreateTempCopy(&path, &error);
    if (copy == INVALID_HANDLE_VALUE) {
        MemFree(block);
        return error;
    }
    error = CopyBlocks(source->file, copy, block);
    MemFree(block);
    if (error != 0) {
        CloseHandle(copy);
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

// ---- opening ----

LONG FailOpen(TextSource *source, LONG code) {
    ReleaseTextSource(source);
    source->lastError = code;
    return code;
}

// Straight to the console device, so that redirected output cannot hide it.
void PromptAtConsole() {
    HANDLE console = CreateFileW(TEXT("CONOUT$"), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteConsoleW(console, CONSOLE_PROMPT, static_cast<DWORD>(StrLen(CONSOLE_PROMPT)), &written, nullptr);
    CloseHandle(console);
}

// Standard input belongs to the host, which goes on using and later closes
// it: the source reads and closes a duplicate of its own.
LONG OpenStandardInput(TextSource *source) {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), input, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        return LastErrorOr(ERROR_INVALID_HANDLE);
    }
    source->file = copy;
    if (IsConsoleHandle(copy)) PromptAtConsole();
    return 0;
}

// The host's full name for `name`, with a volume GUID name turned into a
// device path; stored as the source's name.
LONG ResolveName(TextSource *source, LPCWSTR name) {
    LPWSTR full = static_cast<LPWSTR>(MemAlloc(TRUE_NAME_SIZE * sizeof(WCHAR)));
    if (!full) return ERROR_NOT_ENOUGH_MEMORY;
    // Should the host fail, the name as given is what gets opened.
    StrCopy(full, TRUE_NAME_SIZE, name);
    QueryTrueName(name, full);
    full[TRUE_NAME_SIZE - 1] = 0;
    bool volume = StrCompareN(full, VOLUME_PREFIX, 7) == 0 && IsHexDigit(full[7]);
    size_t length = StrLen(full) + (volume ? 4 : 0);
    LPWSTR resolved = static_cast<LPWSTR>(MemAlloc((length + 1) * sizeof(WCHAR)));
    if (resolved) {
        StrCopy(resolved, length + 1, volume ? DEVICE_PREFIX : TEXT(""));
        StrAppend(resolved, length + 1, full);
    }
    MemFree(full);
    if (!resolved) return ERROR_NOT_ENOUGH_MEMORY;
    MemFree(source->name);
    source->name = resolved;
    return 0;
}

LONG OpenNamedSource(TextSource *source, LPCWSTR name) {
    LONG error = ResolveName(source, name);
    if (error != 0) return error;
    LPWSTR copy = nullptr;
    LPCWSTR openable = OpenableName(source->name, &copy);
    if (!openable) return ERROR_NOT_ENOUGH_MEMORY;
    HANDLE file = CreateFileW(openable, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    source->lastError = static_cast<LONG>(GetLastError());
    MemFree(copy);
    if (file == INVALID_HANDLE_VALUE || !file) return LastErrorOr(ERROR_INVALID_HANDLE);
    source->file = file;
    return 0;
}

bool HasNoTimes(const BY_HANDLE_FILE_INFORMATION &info) {
    const FILETIME *times[] = {&info.ftCreationTime, &info.ftLastAccessTime, &info.ftLastWriteTime};
    for (const FILETIME *time : times) {
        if (time->dwLowDateTime != 0 || time->dwHighDateTime != 0) return false;
    }
    return true;
}

LONG MapContent(TextSource *source) {
    source->mapping = CreateFileMappingW(source->file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!source->mapping) return LastErrorOr(ERROR_INVALID_HANDLE);
    source->data = static_cast<const BYTE *>(MapViewOfFile(source->mapping, FILE_MAP_READ, 0, 0, 0));
    if (!source->data) return LastErrorOr(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
}

// A file or stream in the record becomes mapped content.
LONG OpenFileContent(TextSource *source) {
    BY_HANDLE_FILE_INFORMATION info = BY_HANDLE_FILE_INFORMATION();
    if (!GetFileInformationByHandle(source->file, &info)) info = BY_HANDLE_FILE_INFORMATION();
    if (HasNoTimes(info)) {
        LONG error = CopyStreamToTempFile(source, &info);
        if (error != 0) return error;
    }
    source->size = (static_cast<ULONGLONG>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (source->size == 0) return TEXT_SOURCE_EMPTY;
    // Known before a byte is mapped: the information already holds the size.
    if (source->size > TEXT_SOURCE_SIZE_LIMIT) return ERROR_FILE_TOO_LARGE;
    LONG error = MapContent(source);
    if (error != 0) return error;
    DetectEncoding(source);
    return 0;
}

}  // namespace

LONG OpenTextSource(TextSource *source, LPCWSTR name) {
    if (!source || !name || !name[0]) return TEXT_SOURCE_BAD_ARGUMENT;
    *source = TextSource();
    source->ansiCodePage = GetACP();
    source->ansiTable = CodePageTableIndex(source->ansiCodePage);
    source->replacement = 0xFFFD;
    source->name = StrDuplicate(name);
    if (!source->name) return FailOpen(source, ERROR_NOT_ENOUGH_MEMORY);

    if (StrCompareI(name, CLIPBOARD_NAME) == 0) {
        if (ReadClipboardText(source)) return 0;
        ReleaseTextSource(source);
        return TEXT_SOURCE_BAD_ARGUMENT;
    }
    LONG error = StrCompare(name, STANDARD_INPUT_NAME) == 0 ? OpenStandardInput(source) : OpenNamedSource(source, name);
    if (error == 0) error = OpenFileContent(source);
    if (error != 0) return FailOpen(source, error);
    return 0;
}

void PrintTextSourceError(LONG code) {
    if (code != ERROR_FILE_TOO_LARGE) {
        PrintErrorText(static_cast<DWORD>(code));
        return;
    }
    WCHAR text[ERROR_TEXT_SIZE];
    Format(text, ERROR_TEXT_SIZE, TEXT("larger than %u MiB, the limit for scheme files"),
           static_cast<unsigned>(TEXT_SOURCE_SIZE_LIMIT >> 20));
    PrintErrorDetail(text);
}

LONG CloseTextSource(TextSource *source) {
    if (source) ReleaseTextSource(source);
    return 0;
}

bool IsConsoleHandle(HANDLE handle) {
    // The standard-handle numbers are not handles themselves.
    LONG_PTR value = reinterpret_cast<LONG_PTR>(handle);
    if (value == static_cast<LONG>(STD_INPUT_HANDLE) || value == static_cast<LONG>(STD_OUTPUT_HANDLE) ||
        value == static_cast<LONG>(STD_ERROR_HANDLE)) {
        handle = GetStdHandle(static_cast<DWORD>(value));
    }
    if (!handle) return false;
    DWORD mode = 0xFFFFFFFF;
    return GetConsoleMode(handle, &mode) && mode != 0xFFFFFFFF;
}
