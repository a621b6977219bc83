// Replacing a file by a new one written beside it: which file a name leads
// to, the new file made unshared, and the last step (attributes, rename,
// removal) taken through its handle; ReplaceFileW by name only where the
// file system cannot rename a handle's file.
#include "../base/base.h"
#include "textio.h"

namespace {

constexpr WCHAR TEMP_PREFIX[] = TEXT("VT_");
constexpr WCHAR TEMP_SUFFIX[] = TEXT(".TMP");

// A file held open (a virus scanner, an indexer, a backup) is usually let
// go within moments: the rename is tried again at this interval for about
// half a second before it fails.
constexpr DWORD RENAME_RETRY_INTERVAL = 50;  // milliseconds
constexpr DWORD RENAME_RETRY_SPAN = 500;

// What the new file takes of the old one's attributes: the user's choices.
// Read-only is refused before; archive is always set, as the content is
// new and wants backing up; the rest belong to the file system.
constexpr DWORD CARRIED_ATTRIBUTES =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// What file systems answer when they cannot do through a handle what was
// asked (some network file systems, exFAT; Wine's stubs).
bool IsUnsupported(DWORD code) {
    return code == ERROR_INVALID_FUNCTION || code == ERROR_NOT_SUPPORTED || code == ERROR_INVALID_PARAMETER ||
           code == ERROR_CALL_NOT_IMPLEMENTED;
}

// The final name of the open file `file` with the volume named as `volume`
// asks (VOLUME_NAME_DOS or VOLUME_NAME_GUID), into `*name`; 0 or the error.
DWORD FinalName(HANDLE file, DWORD volume, LPWSTR *name) {
    *name = nullptr;
    DWORD flags = FILE_NAME_NORMALIZED | volume;
    DWORD size = GetFinalPathNameByHandleW(file, nullptr, 0, flags);
    if (size == 0) return LastErrorOr(ERROR_INVALID_HANDLE);
    *name = static_cast<LPWSTR>(MemAlloc(size * sizeof(WCHAR)));
    if (!*name) return ERROR_NOT_ENOUGH_MEMORY;
    DWORD length = GetFinalPathNameByHandleW(file, *name, size, flags);
    if (length != 0 && length < size) return 0;
    MemFree(*name);
    *name = nullptr;
    return LastErrorOr(ERROR_INVALID_HANDLE);
}

// `path` in openable form, as the target. Where `refusal` is given, only
// when it leads straight to a file (a link there would be replaced rather
// than written through); else that is the result.
DWORD NameAsGiven(FileReplacement *replacement, LPCWSTR path, DWORD refusal) {
    LPWSTR copy = nullptr;
    LPCWSTR openable = OpenableName(path, &copy);
    if (!openable) return ERROR_NOT_ENOUGH_MEMORY;
    DWORD attributes = refusal != 0 ? GetFileAttributesW(openable) : 0;
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        MemFree(copy);
        return refusal;
    }
    replacement->target = copy ? copy : StrDuplicate(openable);
    return replacement->target ? 0 : ERROR_NOT_ENOUGH_MEMORY;
}

DWORD MarkForDeletion(HANDLE file) {
    FILE_DISPOSITION_INFO info = {TRUE};
    return SetFileInformationByHandle(file, FileDispositionInfo, &info, sizeof info) ? 0
                                                                                     : LastErrorOr(ERROR_ACCESS_DENIED);
}

// The old file's creation time and attributes, given to the new one.
DWORD CarryAttributes(const FileReplacement *replacement) {
    if (!replacement->knowOld) return 0;
    const BY_HANDLE_FILE_INFORMATION &old = replacement->old;
    FILE_BASIC_INFO info = {};
    info.CreationTime.QuadPart = static_cast<LONGLONG>(
        (static_cast<ULONGLONG>(old.ftCreationTime.dwHighDateTime) << 32) | old.ftCreationTime.dwLowDateTime);
    info.FileAttributes = (old.dwFileAttributes & CARRIED_ATTRIBUTES) | FILE_ATTRIBUTE_ARCHIVE;
    if (SetFileInformationByHandle(replacement->output->file, FileBasicInfo, &info, sizeof info)) return 0;
    return LastErrorOr(ERROR_ACCESS_DENIED);
}

// The new file renamed over the target through its handle, the attempt
// repeated while the target is held open; 0 or the last error.
DWORD RenameOverTarget(const FileReplacement *replacement) {
    size_t length = StrLen(replacement->target);
    size_t offset = offsetof(FILE_RENAME_INFO, FileName);
    size_t size = offset + (length + 1) * sizeof(WCHAR);
    if (size < sizeof(FILE_RENAME_INFO)) size = sizeof(FILE_RENAME_INFO);
    FILE_RENAME_INFO *info = static_cast<FILE_RENAME_INFO *>(MemCalloc(1, size));
    if (!info) return ERROR_NOT_ENOUGH_MEMORY;
    info->ReplaceIfExists = TRUE;
    info->RootDirectory = nullptr;
    info->FileNameLength = static_cast<DWORD>(length * sizeof(WCHAR));
    StrCopy(reinterpret_cast<LPWSTR>(reinterpret_cast<BYTE *>(info) + offset), length + 1, replacement->target);
    DWORD code = 0;
    for (DWORD waited = 0;; waited += RENAME_RETRY_INTERVAL) {
        if (SetFileInformationByHandle(replacement->output->file, FileRenameInfo, info, static_cast<DWORD>(size))) {
            code = 0;
            break;
        }
        code = LastErrorOr(ERROR_ACCESS_DENIED);
        if ((code != ERROR_ACCESS_DENIED && code != ERROR_SHARING_VIOLATION) || waited >= RENAME_RETRY_SPAN) break;
        Sleep(RENAME_RETRY_INTERVAL);
    }
    MemFree(info);
    return code;
}

// Where the file system cannot rename through a handle: ReplaceFileW, which
// keeps what the old file was, and where that cannot be used either a
// plain move. Both open the new file by its name, so its handle is closed
// first.
DWORD ReplaceByName(FileReplacement *replacement) {
    CloseOutputFile(replacement->output);
    replacement->output = nullptr;
    replacement->byName = true;
    if (ReplaceFileW(replacement->target, replacement->temp, nullptr, 0, nullptr, nullptr)) {
        replacement->made = false;
        return 0;
    }
    DWORD code = LastErrorOr(ERROR_ACCESS_DENIED);
    // Without a backup name these two leave the old file gone and the new
    // one under its temporary name.
    bool targetGone = code == ERROR_UNABLE_TO_MOVE_REPLACEMENT || code == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;
    if (!targetGone && !IsUnsupported(code)) return code;
    if (MoveFileExW(replacement->temp, replacement->target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        replacement->made = false;
        return 0;
    }
    replacement->onlyCopy = targetGone;
    return LastErrorOr(ERROR_ACCESS_DENIED);
}

}  // namespace

DWORD FindFileToReplace(FileReplacement *replacement, HANDLE opened, LPCWSTR path) {
    if (!opened) return NameAsGiven(replacement, path, 0);
    if (!GetFileInformationByHandle(opened, &replacement->old)) return LastErrorOr(ERROR_INVALID_HANDLE);
    replacement->knowOld = true;
    DWORD code = FinalName(opened, VOLUME_NAME_DOS, &replacement->target);
    if (code == 0 || code == ERROR_NOT_ENOUGH_MEMORY) return code;
    // A volume without a drive letter (a RAM disk, one mounted in a folder)
    // is still named by its GUID.
    DWORD guid = FinalName(opened, VOLUME_NAME_GUID, &replacement->target);
    if (guid == 0 || guid == ERROR_NOT_ENOUGH_MEMORY) return guid;
    return NameAsGiven(replacement, path, code);
}

DWORD CreateReplacement(FileReplacement *replacement) {
    size_t length = PathDirectoryLength(replacement->target);
    // Unshared, so that nobody can rename, delete or swap it while it is
    // ours; with DELETE, so that it can be renamed and removed through the
    // handle.
    HANDLE file = CreateUniqueFile(replacement->target, length, TEMP_PREFIX, TEMP_SUFFIX, 0, FILE_ATTRIBUTE_NORMAL,
                                   &replacement->temp);
    if (file == INVALID_HANDLE_VALUE || !file) return LastErrorOr(ERROR_INVALID_HANDLE);
    replacement->made = true;
    replacement->output = CreateOutputOnHandle(file);
    if (replacement->output) return 0;
    replacement->file = file;
    return ERROR_NOT_ENOUGH_MEMORY;
}

DWORD FlushReplacement(FileReplacement *replacement) {
    if (FlushOutput(replacement->output) != 0 || !FlushFileBuffers(replacement->output->file)) {
        return LastErrorOr(ERROR_WRITE_FAULT);
    }
    return 0;
}

DWORD PutReplacementInPlace(FileReplacement *replacement) {
    // Windows refuses to rename over a read-only file, but not every file
    // system does (Wine's does not): the attribute decides.
    if (replacement->knowOld && (replacement->old.dwFileAttributes & FILE_ATTRIBUTE_READONLY)) {
        return ERROR_ACCESS_DENIED;
    }
    DWORD code = CarryAttributes(replacement);
    if (code == 0) code = RenameOverTarget(replacement);
    if (IsUnsupported(code)) return ReplaceByName(replacement);
    if (code != 0) return code;
    replacement->made = false;
    CloseOutputFile(replacement->output);
    replacement->output = nullptr;
    return 0;
}

DWORD EndReplacement(FileReplacement *replacement) {
    DWORD code = 0;
    HANDLE file = replacement->output ? replacement->output->file : replacement->file;
    if (file && replacement->made) code = MarkForDeletion(file);
    if (replacement->output) CloseOutputFile(replacement->output);
    if (replacement->file) CloseHandle(replacement->file);
    replacement->output = nullptr;
    replacement->file = nullptr;
    // Only after ReplaceFileW has the new file lost its handle: its name
    // is all that is left to remove it by.
    if (replacement->made && replacement->byName && !replacement->onlyCopy && !DeleteFileW(replacement->temp)) {
        code = LastErrorOr(ERROR_ACCESS_DENIED);
        if (code == ERROR_FILE_NOT_FOUND) code = 0;
    }
    if (code == 0 && !replacement->onlyCopy) replacement->made = false;
    return code;
}

void FreeReplacement(FileReplacement *replacement) {
    EndReplacement(replacement);
    MemFree(replacement->target);
    MemFree(replacement->temp);
    replacement->target = nullptr;
    replacement->temp = nullptr;
}
