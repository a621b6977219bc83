// Setting what a file is through a handle open on it, as
// SetFileInformationByHandle does: its attributes and times, its name (a
// rename that never looks the file up by its old name), and its deletion
// when the last handle goes. Also what winsim keeps of a file that Linux
// has no place for: the creation time and the attributes beyond read-only.
#include <map>

#include "console_state.h"
#include "files_state.h"
#include "machine.h"
#include "text_conversions.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using namespace winsim;

namespace winsim {

namespace {

// What Linux keeps no place for, by file. A file is known by its device,
// inode and birth time, so that a new file on a reused inode inherits
// nothing.
const DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_TEMPORARY |
                              FILE_ATTRIBUTE_OFFLINE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

struct FileKey {
    dev_t device = 0;
    ino_t inode = 0;
    long long born = 0;  // nanoseconds; 0 where the file system keeps no birth time

    bool operator<(const FileKey &other) const {
        if (device != other.device) return device < other.device;
        if (inode != other.inode) return inode < other.inode;
        return born < other.born;
    }
};

struct Kept {
    DWORD attributes = 0;
    LONGLONG created = 0;  // 0: none set
};

struct FileInformationState {
    std::map<FileKey, Kept> files;
};

FileInformationState &State() {
    return AreaState<FileInformationState>();
}

// The key of the file `path` names (relative to `directory`), or with
// AT_EMPTY_PATH of the descriptor `directory` itself.
bool KeyOf(int directory, const char *path, int flags, FileKey *key) {
    struct statx sx;
    if (statx(directory, path, flags, STATX_INO | STATX_BTIME, &sx) != 0) return false;
    key->device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    key->inode = sx.stx_ino;
    key->born = (sx.stx_mask & STATX_BTIME) ? sx.stx_btime.tv_sec * 1000000000ll + sx.stx_btime.tv_nsec : 0;
    return true;
}

const Kept *Lookup(const FileKey &key) {
    auto found = State().files.find(key);
    return found == State().files.end() ? nullptr : &found->second;
}

FILETIME ToFileTime(LONGLONG value) {
    return {static_cast<DWORD>(value), static_cast<DWORD>(static_cast<ULONGLONG>(value) >> 32)};
}

// 100-nanosecond intervals from 1601 to 1970.
const LONGLONG kEpochDifference = 116444736000000000ll;

// A time of FILE_BASIC_INFO for futimens: 0 and -1 leave it as it is.
struct timespec ToTimespec(LONGLONG value) {
    struct timespec time = {0, UTIME_OMIT};
    if (value <= 0) return time;
    LONGLONG since1970 = value - kEpochDifference;
    time.tv_sec = static_cast<time_t>(since1970 / 10000000);
    time.tv_nsec = static_cast<long>(since1970 % 10000000) * 100;
    if (time.tv_nsec < 0) {
        time.tv_sec -= 1;
        time.tv_nsec += 1000000000;
    }
    return time;
}

// Attributes and times. Read-only is the owner's write permission; the
// other attributes and the creation time are kept beside the file.
BOOL SetBasicInformation(FileObject &file, const FILE_BASIC_INFO &info) {
    if (!(file.access & FILE_WRITE_ATTRIBUTES)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        SetLastError(ERROR_INVALID_PARAMETER);  // a file cannot be made a directory
        return FALSE;
    }
    struct stat st;
    FileKey key;
    if (fstat(file.fd, &st) != 0 || !KeyOf(file.fd, "", AT_EMPTY_PATH, &key)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    struct timespec times[2] = {ToTimespec(info.LastAccessTime.QuadPart), ToTimespec(info.LastWriteTime.QuadPart)};
    if (futimens(file.fd, times) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (info.FileAttributes != 0) {
        mode_t mode = (info.FileAttributes & FILE_ATTRIBUTE_READONLY) ? st.st_mode & ~0222 : st.st_mode | S_IWUSR;
        if (fchmod(file.fd, mode & 07777) != 0) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
    }
    if (info.FileAttributes != 0 || info.CreationTime.QuadPart > 0) {
        Kept &kept = State().files[key];
        if (info.FileAttributes != 0) kept.attributes = info.FileAttributes & kKeptAttributes;
        if (info.CreationTime.QuadPart > 0) kept.created = info.CreationTime.QuadPart;
    }
    return TRUE;
}

// The file name `name` gives the renamed file: a bare name stays in the
// file's directory, anything else is a path. Empty, with the last error
// set, when it cannot be used.
std::string RenameTarget(const std::u16string &name, const std::string &current) {
    std::string path;
    if (name.find_first_of(u"\\/") == std::u16string::npos) {
        path = current.substr(0, current.find_last_of('/') + 1) + Utf8(name);
    } else if (!OpenablePath(name.c_str(), &path)) {
        return std::string();
    }
    size_t slash = path.find_last_of('/');
    std::string parent = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    struct stat st;
    if (path.empty() || stat(parent.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return std::string();
    }
    return path;
}

// The rename as the file system sees it: the file is the one the handle
// holds, wherever its name now is. An existing target, itself a link or
// not, is replaced only when asked, and never when it is a directory, read
// only, or held open by anyone (whatever their sharing), as NTFS refuses it.
BOOL Rename(FileObject &file, const FILE_RENAME_INFO &info, DWORD size) {
    if (!(file.access & DELETE)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    DWORD length = info.FileNameLength;
    if (length == 0 || length % sizeof(WCHAR) != 0 || length > size - offsetof(FILE_RENAME_INFO, FileName)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // winsim opens no directories, so no handle can be one.
    if (info.RootDirectory) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    std::string current = CurrentPath(file);
    if (current.empty() || file.deletePending) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    std::string target = RenameTarget(std::u16string(info.FileName, length / sizeof(WCHAR)), current);
    if (target.empty()) return FALSE;
    struct stat directory;
    std::string parent = target.substr(0, target.find_last_of('/') + 1);
    if (stat(parent.empty() ? "." : parent.c_str(), &directory) == 0 && directory.st_dev != file.device) {
        SetLastError(ERROR_NOT_SAME_DEVICE);
        return FALSE;
    }
    struct stat old;
    if (lstat(target.c_str(), &old) == 0) {
        if (old.st_dev == file.device && old.st_ino == file.inode) return TRUE;  // its own name
        if (!info.ReplaceIfExists) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return FALSE;
        }
        if (S_ISDIR(old.st_mode) || IsReadOnly(old) || IsFileOpen(old.st_dev, old.st_ino)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
    }
    if (rename(current.c_str(), target.c_str()) != 0) {
        SetLastError(FileErrorFromErrno(errno, target));
        return FALSE;
    }
    file.path = target;
    return TRUE;
}

// Marks the file for deletion when its last handle goes, or takes the mark
// back. A read-only or mapped file cannot be deleted.
BOOL SetDisposition(FileObject &file, const FILE_DISPOSITION_INFO &info) {
    if (!(file.access & DELETE)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    struct stat st;
    if (info.DeleteFile && (fstat(file.fd, &st) != 0 || IsReadOnly(st) || IsFileMapped(file.device, file.inode))) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    file.deletePending = info.DeleteFile != 0;
    return TRUE;
}

}  // namespace

void ResetFileInformation() {
    State() = FileInformationState();
}

void AddKeptInformation(int fd, BY_HANDLE_FILE_INFORMATION *info) {
    FileKey key;
    const Kept *kept = KeyOf(fd, "", AT_EMPTY_PATH, &key) ? Lookup(key) : nullptr;
    if (!kept) return;
    info->dwFileAttributes |= kept->attributes;
    if (kept->created != 0) info->ftCreationTime = ToFileTime(kept->created);
}

DWORD KeptAttributes(const std::string &path) {
    FileKey key;
    const Kept *kept = KeyOf(AT_FDCWD, path.c_str(), 0, &key) ? Lookup(key) : nullptr;
    return kept ? kept->attributes : 0;
}

void CarryCreationTime(const std::string &from, const std::string &to) {
    FileKey source, target;
    struct stat st;
    if (!KeyOf(AT_FDCWD, from.c_str(), 0, &source) || !KeyOf(AT_FDCWD, to.c_str(), 0, &target) ||
        stat(from.c_str(), &st) != 0) {
        return;
    }
    const Kept *kept = Lookup(source);
    LONGLONG created = kept ? kept->created : 0;
    if (created == 0) {
        const struct timespec &time = StandInCreation(st);
        created = kEpochDifference + static_cast<LONGLONG>(time.tv_sec) * 10000000 + time.tv_nsec / 100;
    }
    State().files[target].created = created;
}

void KeepAttributes(const std::string &path, DWORD attributes) {
    FileKey key;
    if (KeyOf(AT_FDCWD, path.c_str(), 0, &key)) State().files[key].attributes = attributes & kKeptAttributes;
}

}  // namespace winsim

// ---- SetFileInformationByHandle ----
// Each class checks its record's size first (too short is
// ERROR_BAD_LENGTH, as STATUS_INFO_LENGTH_MISMATCH), then the rights the
// handle was opened with.

WINSIM_API BOOL WINAPI SetFileInformationByHandle(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS type, LPVOID info,
                                                  DWORD size) {
    if (sim::ShouldFail("SetFileInformationByHandle")) return FALSE;
    HandleObject *object = FindHandle(handle);
    if (!object || object->kind != HandleKind::File) {
        SetLastError(object && (IsConsoleInput(object) || IsConsoleOutput(object)) ? ERROR_INVALID_FUNCTION
                                                                                   : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    size_t needed = type == FileBasicInfo         ? sizeof(FILE_BASIC_INFO)
                    : type == FileRenameInfo      ? sizeof(FILE_RENAME_INFO)
                    : type == FileDispositionInfo ? sizeof(FILE_DISPOSITION_INFO)
                                                  : 0;
    if (needed == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!info) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    if (size < needed) {
        SetLastError(ERROR_BAD_LENGTH);
        return FALSE;
    }
    // Pipes and devices have no attributes, names or deletion to set.
    if (!IsDiskFile(*object)) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    FileObject &file = *OpenedFile(*object);
    if (type == FileBasicInfo) return SetBasicInformation(file, *static_cast<const FILE_BASIC_INFO *>(info));
    if (type == FileRenameInfo) return Rename(file, *static_cast<const FILE_RENAME_INFO *>(info), size);
    return SetDisposition(file, *static_cast<const FILE_DISPOSITION_INFO *>(info));
}
