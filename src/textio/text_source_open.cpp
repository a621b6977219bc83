// Opening a text source: the clipboard, standard input, or a file or
// device by name; streams are copied first; what ends up in a file is
// mapped read-only and its encoding detected.
#include "../base/alloc.h"
#include "../base/wstr.h"
#include "../plugin/host.h"
#include "codepage_tables.h"
#include "source_steps.h"

#define TRUE_NAME_SIZE 32768  // what the host's QueryTrueName may fill

namespace {

const WCHAR kClipboardName[] = TEXT("clip:");
const WCHAR kStandardInputName[] = TEXT("-");
const WCHAR kVolumePrefix[] = TEXT("Volume{");
const WCHAR kDevicePrefix[] = TEXT("\\\\.\\");
const WCHAR kConsolePrompt[] = TEXT("Reading text from the console: (^Z ends)\r\n");

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
    WriteConsoleW(console, kConsolePrompt, static_cast<DWORD>(StrLen(kConsolePrompt)), &written, nullptr);
    CloseHandle(console);
}

// Standard input belongs to the host, which goes on using and later closes
// it: the source reads and closes a duplicate of its own.
LONG OpenStandardInput(TextSource *source) {
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    HANDLE copy = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), input, GetCurrentProcess(), &copy, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
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
    bool volume = StrCompareN(full, kVolumePrefix, 7) == 0 && IsHexDigit(full[7]);
    size_t length = StrLen(full) + (volume ? 4 : 0);
    LPWSTR resolved = static_cast<LPWSTR>(MemAlloc((length + 1) * sizeof(WCHAR)));
    if (resolved) {
        StrCopy(resolved, length + 1, volume ? kDevicePrefix : TEXT(""));
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
    HANDLE file = CreateFileW(source->name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    source->lastError = static_cast<LONG>(GetLastError());
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
    source->name = DuplicateText(name);
    if (!source->name) return FailOpen(source, ERROR_NOT_ENOUGH_MEMORY);

    if (StrCompareI(name, kClipboardName) == 0) {
        if (ReadClipboardText(source) == 0) return 0;
        ReleaseTextSource(source);
        return TEXT_SOURCE_BAD_ARGUMENT;
    }
    LONG error = StrCompare(name, kStandardInputName) == 0 ? OpenStandardInput(source)
                                                           : OpenNamedSource(source, name);
    if (error == 0) error = OpenFileContent(source);
    if (error != 0) return FailOpen(source, error);
    return 0;
}
