// What /F reads: one file, or every matching file of a folder or wildcard,
// each of our own format or of another tool's, recognised by its content.
// Every file's schemes are gathered on their own first, so that a file that
// fails halfway adds nothing; the files that were read join the list in one
// step at the end, a name an earlier file gave keeping its first scheme.
#include <stdlib.h>

#include "../base/base.h"
#include "../plugin/host.h"
#include "../plugin/plugin.h"
#include "../textio/textio.h"
#include "import.h"

namespace {

enum FileOutcome {
    FILE_READ,        // schemes added
    FILE_NOT_OPENED,  // `error` says why
    FILE_NO_SCHEMES,  // no complete scheme of any format we read
    FILE_BAD,         // of another tool's format, but wrong: `reason` says what
    FILE_TOO_LARGE,   // none of ours, and too large for another tool's
    FILE_NO_MEMORY,
};

struct FileRead {
    FileOutcome outcome;
    DWORD error;
    WCHAR reason[IMPORT_ERROR_SIZE];
};

// ---- names ----

// The file name of `path` without its extension, for a scheme that names
// itself nowhere else; the whole text when that leaves nothing.
void NameFromPath(LPCWSTR path, LPWSTR stem) {
    LPCWSTR name = path + PathDirectoryLength(path);
    size_t length = StrLen(name);
    size_t dot = length;
    while (dot > 0 && name[dot - 1] != TEXT('.')) --dot;
    if (dot > 1) length = dot - 1;
    if (length == 0) {
        StrCopy(stem, SETTING_TEXT_SIZE, path);
        return;
    }
    StrCopy(stem, length + 1 < SETTING_TEXT_SIZE ? length + 1 : SETTING_TEXT_SIZE, name);
}

// A name from another tool's file made fit for ours: a line break would
// split the section it is written to, and brackets end a section's name
// there and are refused in the names users type.
void CleanImportedName(LPCWSTR name, LPCWSTR stem, LPWSTR clean) {
    StrCopy(clean, SETTING_TEXT_SIZE, name);
    for (LPWSTR c = clean; *c; ++c) {
        if (*c < 0x20 || *c == 0x7F) *c = TEXT(' ');
        if (*c == TEXT('[')) *c = TEXT('(');
        if (*c == TEXT(']')) *c = TEXT(')');
    }
    if (TrimBlanks(clean) == 0) StrCopy(clean, SETTING_TEXT_SIZE, stem);
}

// ---- one file ----

struct Importing {
    SchemeBatch *batch;
    LPCWSTR stem;
    bool noMemory;
};

bool TakeImported(void *context, const TerminalScheme *source, LPCWSTR name) {
    auto *importing = static_cast<Importing *>(context);
    WCHAR clean[SETTING_TEXT_SIZE];
    CleanImportedName(name, importing->stem, clean);
    ColorScheme scheme;
    WCHAR colorDir[IMPORTED_COLOR_DIR_SIZE];
    SlotPlacement placement;
    BuildTerminalScheme(source, &scheme, colorDir, &placement);
    if (AddToBatch(importing->batch, &scheme, clean, colorDir) == BATCH_NOT_ADDED) {
        importing->noMemory = true;
        return false;
    }
    return true;
}

// Reads `path` into `batch`: our own format first, as every file was read
// before other tools' formats were known, then theirs.
void ReadOneFile(LPCWSTR path, SchemeBatch *batch, FileRead *read) {
    read->reason[0] = 0;
    read->error = 0;
    TextSource source = TextSource();
    LONG opened = OpenTextSource(&source, path);
    if (opened != 0) {
        read->outcome = opened > 0 ? FILE_NOT_OPENED : FILE_NO_SCHEMES;
        read->error = opened > 0 ? static_cast<DWORD>(opened) : 0;
        return;
    }
    SchemeBatch own;
    InitSchemeBatch(&own);
    read->outcome = FILE_READ;
    // The size is known only now that the source is open (a stream's once
    // it is copied), and that the file is not ours, only once ours gave
    // nothing.
    int ours = ReadSchemeSource(&source, &own);
    if (ours == 0 && source.size > IMPORT_SIZE_LIMIT) {
        read->outcome = FILE_TOO_LARGE;
    } else if (ours == 0) {
        size_t size = 0;
        char *copy = nullptr;
        const char *text = Utf8Text(&source, &size, &copy);
        WCHAR stem[SETTING_TEXT_SIZE];
        NameFromPath(path, stem);
        Importing importing = {&own, stem, false};
        const SchemeSink sink = {TakeImported, &importing};
        ImportResult result = text ? ReadOtherToolSchemes(text, size, stem, &sink, read->reason) : IMPORT_NO_MEMORY;
        MemFree(copy);
        if (importing.noMemory) result = IMPORT_NO_MEMORY;
        read->outcome = result == IMPORT_BAD_FILE    ? FILE_BAD
                        : result == IMPORT_NO_MEMORY ? FILE_NO_MEMORY
                        : own.count == 0             ? FILE_NO_SCHEMES
                                                     : FILE_READ;
    }
    CloseTextSource(&source);
    if (read->outcome == FILE_READ) {
        MoveSchemeBatch(&own, batch);
    } else {
        FreeSchemeBatch(&own);
    }
}

// ---- messages ----

void PrintFileFailure(LPCWSTR path) {
    // Named in upper case, as every scheme file that could not be read is.
    size_t length = StrLen(path);
    auto *upper = static_cast<LPWSTR>(MemAlloc((length + 1) * sizeof(WCHAR)));
    if (upper) {
        StrCopy(upper, length + 1, path);
        StrUpperAscii(upper);
    }
    PrintError(TEXT("Couldn\u2019t read color schemes from file \"%s\"\r\n"), upper ? upper : path);
    MemFree(upper);
}

// Why a file of a folder was not read. A single file says so only where
// the file itself cannot show it: a size over a limit, another tool's file
// that is wrong, memory. A limit is named: Windows' own text for the error
// speaks of saving.
void PrintFileReason(const FileRead *read, bool always) {
    WCHAR text[IMPORT_ERROR_SIZE];
    switch (read->outcome) {
        case FILE_READ:
            break;
        case FILE_NOT_OPENED:
            if (always || read->error == ERROR_FILE_TOO_LARGE) PrintTextSourceError(static_cast<LONG>(read->error));
            break;
        case FILE_TOO_LARGE:
            Format(text, IMPORT_ERROR_SIZE,
                   TEXT("no complete color scheme in %s\u2019s own format, and larger than %u MiB, the limit for ")
                       TEXT("other tools\u2019 scheme files"),
                   PLUGIN_NAME, static_cast<unsigned>(IMPORT_SIZE_LIMIT >> 20));
            PrintErrorDetail(text);
            break;
        case FILE_NO_SCHEMES:
            if (always) {
                Format(text, IMPORT_ERROR_SIZE, TEXT("no complete color scheme of a format %s reads"), PLUGIN_NAME);
                PrintErrorDetail(text);
            }
            break;
        case FILE_BAD:
            PrintErrorDetail(read->reason);
            break;
        case FILE_NO_MEMORY:
            PrintErrorText(ERROR_NOT_ENOUGH_MEMORY);
            break;
    }
}

LPCWSTR Plural(int count, LPCWSTR one, LPCWSTR more) {
    return count == 1 ? one : more;
}

// ---- folders and wildcards ----

struct FoundFiles {
    LPWSTR *names;
    size_t count;
    size_t capacity;
};

bool KeepFound(FoundFiles *found, LPCWSTR name) {
    if (found->count == found->capacity) {
        size_t capacity = found->capacity ? found->capacity * 2 : 64;
        auto *names = static_cast<LPWSTR *>(MemAlloc(capacity * sizeof(LPWSTR)));
        if (!names) return false;
        for (size_t i = 0; i < found->count; ++i) names[i] = found->names[i];
        MemFree(found->names);
        found->names = names;
        found->capacity = capacity;
    }
    size_t length = StrLen(name) + 1;
    auto *copy = static_cast<LPWSTR>(MemAlloc(length * sizeof(WCHAR)));
    if (!copy) return false;
    StrCopy(copy, length, name);
    found->names[found->count++] = copy;
    return true;
}

void FreeFound(FoundFiles *found) {
    for (size_t i = 0; i < found->count; ++i) MemFree(found->names[i]);
    MemFree(found->names);
}

// Name order as a directory listing shows it: letter case ignored, and
// only names that differ in case alone ordered by it.
int CompareFoundNames(const void *a, const void *b) {
    LPCWSTR left = *static_cast<const LPCWSTR *>(a);
    LPCWSTR right = *static_cast<const LPCWSTR *>(b);
    int order = StrCompareI(left, right);
    return order != 0 ? order : StrCompare(left, right);
}

// The files `pattern` finds (folders left out; for a folder's own pattern,
// only files of the known extensions), sorted. 0, or the Windows error.
DWORD FindFiles(LPCWSTR pattern, bool folder, FoundFiles *found) {
    LPWSTR openable = nullptr;
    LPCWSTR name = OpenableName(pattern, &openable);
    if (!name) return ERROR_NOT_ENOUGH_MEMORY;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(name, &data);
    DWORD error = find == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    MemFree(openable);
    if (error != 0) return error;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (folder && !IsSchemeFileName(data.cFileName)) continue;
        if (!KeepFound(found, data.cFileName)) {
            error = ERROR_NOT_ENOUGH_MEMORY;
            break;
        }
    } while (FindNextFileW(find, &data));
    if (error == 0 && GetLastError() != ERROR_NO_MORE_FILES) error = GetLastError();
    FindClose(find);
    if (error == 0 && found->count == 0) error = ERROR_FILE_NOT_FOUND;
    if (error == 0) qsort(found->names, found->count, sizeof(LPWSTR), CompareFoundNames);
    return error;
}

bool HasWildcard(LPCWSTR path) {
    for (LPCWSTR c = path + PathDirectoryLength(path); *c; ++c) {
        if (*c == TEXT('*') || *c == TEXT('?')) return true;
    }
    return false;
}

bool IsFolder(LPCWSTR path) {
    LPWSTR openable = nullptr;
    LPCWSTR name = OpenableName(path, &openable);
    DWORD attributes = name ? GetFileAttributesW(name) : INVALID_FILE_ATTRIBUTES;
    MemFree(openable);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The first `directoryLength` characters of `directory` and `name` in one
// new text, with a separator between them where the directory has none;
// null when memory ran out.
LPWSTR JoinPath(LPCWSTR directory, size_t directoryLength, LPCWSTR name) {
    size_t size = directoryLength + 1 + StrLen(name) + 1;
    auto *path = static_cast<LPWSTR>(MemAlloc(size * sizeof(WCHAR)));
    if (!path) return nullptr;
    StrCopy(path, directoryLength + 1, directory);
    if (!AppendPathName(path, size, name)) StrCopy(path, size, name);
    return path;
}

SchemeSourcesResult ReadMatchingFiles(LPCWSTR argument, bool folder, bool merge, bool quiet) {
    size_t directoryLength = folder ? StrLen(argument) : PathDirectoryLength(argument);
    FoundFiles found = {nullptr, 0, 0};
    LPWSTR pattern = folder ? JoinPath(argument, directoryLength, TEXT("*")) : nullptr;
    DWORD error = folder && !pattern ? ERROR_NOT_ENOUGH_MEMORY : FindFiles(folder ? pattern : argument, folder, &found);
    MemFree(pattern);
    if (error != 0) {
        FreeFound(&found);
        PrintFileFailure(argument);
        PrintErrorText(error);
        return SOURCES_NOT_READ;
    }

    SchemeBatch batch;
    InitSchemeBatch(&batch);
    int filesRead = 0;
    size_t failed = 0;
    for (size_t i = 0; i < found.count; ++i) {
        FileRead read;
        LPWSTR path = JoinPath(argument, directoryLength, found.names[i]);
        if (path) {
            ReadOneFile(path, &batch, &read);
        } else {
            read.outcome = FILE_NO_MEMORY;
        }
        if (read.outcome == FILE_READ) {
            ++filesRead;
        } else {
            ++failed;
            PrintFileFailure(path ? path : found.names[i]);
            PrintFileReason(&read, true);
        }
        MemFree(path);
    }
    FreeFound(&found);
    if (filesRead == 0) {
        FreeSchemeBatch(&batch);
        return SOURCES_NOT_READ;
    }
    int count = batch.count;
    TakeOverSchemes(&batch, merge);
    if (!quiet) {
        Printf(TEXT("Read %d %s from %d %s matching \"%s\".\r\n"), count,
               Plural(count, TEXT("scheme"), TEXT("schemes")), filesRead,
               Plural(filesRead, TEXT("file"), TEXT("files")), argument);
    }
    return failed ? SOURCES_PARTLY_READ : SOURCES_READ;
}

}  // namespace

SchemeSourcesResult ReadSchemeSources(LPCWSTR argument, bool merge, bool quiet) {
    if (!argument || argument[0] == 0) return SOURCES_NOT_READ;
    bool wildcard = HasWildcard(argument);
    if (wildcard || IsFolder(argument)) return ReadMatchingFiles(argument, !wildcard, merge, quiet);

    SchemeBatch batch;
    InitSchemeBatch(&batch);
    FileRead read;
    ReadOneFile(argument, &batch, &read);
    if (read.outcome != FILE_READ) {
        FreeSchemeBatch(&batch);
        PrintFileFailure(argument);
        PrintFileReason(&read, false);
        return SOURCES_NOT_READ;
    }
    int count = batch.count;
    TakeOverSchemes(&batch, merge);
    if (!quiet) {
        Printf(TEXT("Read %d %s from file \"%s\".\r\n"), count, Plural(count, TEXT("scheme"), TEXT("schemes")),
               argument);
    }
    return SOURCES_READ;
}
