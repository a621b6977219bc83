// Deleting, moving and replacing files by name, under Windows' share modes:
// each is an open for DELETE of the names it takes away.
#include "files_state.h"
#include "machine.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace winsim;

namespace winsim {

namespace {

// What an open for DELETE of an existing file meets: 0 when it may go.
DWORD DeleteAccessError(const struct stat &st) {
    if (IsDeletePending(st.st_dev, st.st_ino)) return ERROR_ACCESS_DENIED;
    if (CheckShareAccess(st.st_dev, st.st_ino, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE) != 0)
        return ERROR_SHARING_VIOLATION;
    // A file with a mapped section cannot lose its name.
    if (IsFileMapped(st.st_dev, st.st_ino)) return ERROR_ACCESS_DENIED;
    return 0;
}

bool CopyContent(const std::string &from, const std::string &to) {
    FILE *in = fopen(from.c_str(), "rb");
    if (!in) return false;
    FILE *out = fopen(to.c_str(), "wb");
    bool ok = out != nullptr;
    char block[65536];
    size_t n;
    while (ok && (n = fread(block, 1, sizeof block, in)) > 0) ok = fwrite(block, 1, n, out) == n;
    if (out && fclose(out) != 0) ok = false;
    fclose(in);
    return ok;
}

BOOL MoveFile(LPCWSTR existing, LPCWSTR target, DWORD flags) {
    if (!existing || !target || (flags & MOVEFILE_DELAY_UNTIL_REBOOT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string from;
    std::string to;
    if (!OpenablePath(existing, &from) || !OpenablePath(target, &to)) return FALSE;
    // Links are moved and replaced themselves, as files of their own.
    struct stat st;
    if (from.empty() || lstat(from.c_str(), &st) != 0) {
        SetLastError(from.empty() ? ERROR_PATH_NOT_FOUND : FileErrorFromErrno(errno, from));
        return FALSE;
    }
    if (DWORD error = DeleteAccessError(st)) {
        SetLastError(error);
        return FALSE;
    }
    struct stat old;
    if (!to.empty() && lstat(to.c_str(), &old) == 0) {
        if (old.st_dev == st.st_dev && old.st_ino == st.st_ino) return TRUE;  // the same file
        if (!(flags & MOVEFILE_REPLACE_EXISTING)) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return FALSE;
        }
        // An open or mapped target cannot be replaced, whatever its sharing.
        if (S_ISDIR(old.st_mode) || IsFileOpen(old.st_dev, old.st_ino) || IsReadOnly(old)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
    }
    if (to.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (rename(from.c_str(), to.c_str()) == 0) return TRUE;
    if (errno != EXDEV) {
        SetLastError(FileErrorFromErrno(errno, to));
        return FALSE;
    }
    if (!(flags & MOVEFILE_COPY_ALLOWED)) {
        SetLastError(ERROR_NOT_SAME_DEVICE);
        return FALSE;
    }
    if (!CopyContent(from, to) || unlink(from.c_str()) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    return TRUE;
}

// ReplaceFileW's own errors for the file to be replaced, which it opens
// for GENERIC_READ | DELETE sharing everything; 0 when it may go.
DWORD ReplacedError(const std::string &path, struct stat *st) {
    if (path.empty() || stat(path.c_str(), st) != 0) return path.empty() ? ERROR_PATH_NOT_FOUND : ERROR_FILE_NOT_FOUND;
    if (S_ISDIR(st->st_mode)) return ERROR_UNABLE_TO_REMOVE_REPLACED;
    if (IsReadOnly(*st)) return ERROR_ACCESS_DENIED;
    // Open elsewhere, even with delete sharing, it cannot lose its name.
    if (DeleteAccessError(*st) != 0 || IsFileOpen(st->st_dev, st->st_ino)) return ERROR_UNABLE_TO_REMOVE_REPLACED;
    return 0;
}

}  // namespace

}  // namespace winsim

WINSIM_API BOOL WINAPI DeleteFileW(LPCWSTR name) {
    if (sim::ShouldFail("DeleteFileW")) return FALSE;
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string path;
    if (!OpenablePath(name, &path)) return FALSE;
    // A link is deleted itself, not what it leads to.
    struct stat st;
    if (path.empty() || lstat(path.c_str(), &st) != 0) {
        SetLastError(path.empty() ? ERROR_PATH_NOT_FOUND : FileErrorFromErrno(errno, path));
        return FALSE;
    }
    if (S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (DWORD error = DeleteAccessError(st)) {
        SetLastError(error);
        return FALSE;
    }
    if (IsReadOnly(st)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (unlink(path.c_str()) != 0) {
        SetLastError(FileErrorFromErrno(errno, path));
        return FALSE;
    }
    return TRUE;
}

WINSIM_API BOOL WINAPI MoveFileExW(LPCWSTR existing, LPCWSTR target, DWORD flags) {
    if (sim::ShouldFail("MoveFileExW")) return FALSE;
    return MoveFile(existing, target, flags);
}

WINSIM_API BOOL WINAPI MoveFileW(LPCWSTR existing, LPCWSTR target) {
    if (sim::ShouldFail("MoveFileW")) return FALSE;
    return MoveFile(existing, target, MOVEFILE_COPY_ALLOWED);
}

// ---- ReplaceFileW ----
// The replacement takes the replaced file's name, creation time,
// permissions and owner, and keeps its own file ID and its other
// attributes (the documentation lists what it takes). Both
// names are opened as files: a link is followed, so a link as the
// replacement moves the file it leads to. Backup files are not modelled.
WINSIM_API BOOL WINAPI ReplaceFileW(LPCWSTR replaced, LPCWSTR replacement, LPCWSTR backup, DWORD flags, LPVOID exclude,
                                    LPVOID reserved) {
    (void)flags;  // write-through is not supported, and merge errors cannot happen here
    (void)exclude;
    (void)reserved;
    if (sim::ShouldFail("ReplaceFileW")) return FALSE;
    if (!replaced || !replacement) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (backup) {
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return FALSE;
    }
    std::string target;
    std::string source;
    if (!OpenablePath(replaced, &target) || !OpenablePath(replacement, &source)) return FALSE;
    struct stat old;
    if (DWORD error = ReplacedError(target, &old)) {
        SetLastError(error);
        return FALSE;
    }
    // The replacement is opened with no sharing at all.
    struct stat st;
    char resolved[PATH_MAX];
    if (source.empty() || stat(source.c_str(), &st) != 0 || !realpath(source.c_str(), resolved)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    if (S_ISDIR(st.st_mode) || CheckShareAccess(st.st_dev, st.st_ino, SpecificFileRights(GENERIC_READ) | DELETE, 0)) {
        SetLastError(S_ISDIR(st.st_mode) ? ERROR_ACCESS_DENIED : ERROR_SHARING_VIOLATION);
        return FALSE;
    }
    if (old.st_dev == st.st_dev && old.st_ino == st.st_ino) {
        SetLastError(ERROR_UNABLE_TO_REMOVE_REPLACED);
        return FALSE;
    }
    // Permissions and owner go with the name; an owner that cannot be
    // given is left, as Windows leaves what it may not merge.
    chmod(resolved, old.st_mode & 07777);
    CarryCreationTime(target, resolved);
    if (chown(resolved, old.st_uid, old.st_gid) != 0) errno = 0;
    if (rename(resolved, target.c_str()) == 0) return TRUE;
    if (errno == EXDEV) {
        // Without a backup name the replaced file is already gone when the
        // move fails.
        unlink(target.c_str());
        SetLastError(ERROR_UNABLE_TO_MOVE_REPLACEMENT);
        return FALSE;
    }
    SetLastError(ERROR_UNABLE_TO_REMOVE_REPLACED);
    return FALSE;
}
