// Windows' share modes over the real file system: every open file object
// claims read, write and delete sharing until its last handle, mapping or
// view is gone; deleting and renaming are opens for DELETE and so obey them.
#include <errno.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <set>
#include <vector>

#include "world.h"

namespace winsim {

FileObject::~FileObject() {
    if (fd >= 0) close(fd);
}

namespace {

// Every file object still alive: held by a handle, a mapping or a view.
std::set<const FileObject *> LiveFiles() {
    std::set<const FileObject *> files;
    for (const auto &entry : W().handles) {
        if (entry.second.file) files.insert(entry.second.file.get());
    }
    for (const auto &entry : W().io.views) {
        if (entry.second->file) files.insert(entry.second->file.get());
    }
    return files;
}

bool SameFile(const FileObject &file, dev_t device, ino_t inode) {
    return !file.characterDevice && file.device == device && file.inode == inode;
}

const DWORD kDataRead = FILE_READ_DATA | FILE_EXECUTE;
const DWORD kDataWrite = FILE_WRITE_DATA | FILE_APPEND_DATA;

}  // namespace

DWORD SpecificFileRights(DWORD access) {
    DWORD rights = access & (0x0000FFFF | DELETE | SYNCHRONIZE);
    if (access & GENERIC_READ) rights |= FILE_READ_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
    if (access & GENERIC_WRITE) rights |= FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE;
    if (access & GENERIC_EXECUTE) rights |= FILE_EXECUTE | FILE_READ_ATTRIBUTES | SYNCHRONIZE;
    if (access & GENERIC_ALL) rights |= 0x001F01FF;
    return rights;
}

// The I/O manager's rule: only opens that read, write or delete take part;
// a new one must be allowed by every earlier one's sharing, and must itself
// share whatever the earlier ones already do.
DWORD CheckShareAccess(dev_t device, ino_t inode, DWORD access, DWORD share) {
    bool reads = (access & kDataRead) != 0;
    bool writes = (access & kDataWrite) != 0;
    bool deletes = (access & DELETE) != 0;
    if (!reads && !writes && !deletes) return 0;
    for (const FileObject *file : LiveFiles()) {
        if (!SameFile(*file, device, inode)) continue;
        bool otherReads = (file->access & kDataRead) != 0;
        bool otherWrites = (file->access & kDataWrite) != 0;
        bool otherDeletes = (file->access & DELETE) != 0;
        if (!otherReads && !otherWrites && !otherDeletes) continue;
        if ((reads && !(file->share & FILE_SHARE_READ)) || (writes && !(file->share & FILE_SHARE_WRITE)) ||
            (deletes && !(file->share & FILE_SHARE_DELETE)) || (otherReads && !(share & FILE_SHARE_READ)) ||
            (otherWrites && !(share & FILE_SHARE_WRITE)) || (otherDeletes && !(share & FILE_SHARE_DELETE))) {
            return ERROR_SHARING_VIOLATION;
        }
    }
    return 0;
}

bool IsFileMapped(dev_t device, ino_t inode) {
    for (const auto &entry : W().handles) {
        const HandleObject &object = entry.second;
        if (object.kind == HandleKind::Mapping && object.file && SameFile(*object.file, device, inode)) return true;
    }
    for (const auto &entry : W().io.views) {
        if (entry.second->file && SameFile(*entry.second->file, device, inode)) return true;
    }
    return false;
}

}  // namespace winsim

using namespace winsim;

namespace {

bool IsFileOpen(dev_t device, ino_t inode) {
    for (const FileObject *file : LiveFiles()) {
        if (SameFile(*file, device, inode)) return true;
    }
    return false;
}

}  // namespace

namespace {

// What an open for DELETE of an existing file meets: 0 when it may go.
DWORD DeleteAccessError(const struct stat &st) {
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

}  // namespace

// ---- DeleteFileW ----
WINSIM_API BOOL WINAPI DeleteFileW(LPCWSTR name) {
    if (sim::ShouldFail("DeleteFileW")) return FALSE;
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string path = LinuxPath(name);
    struct stat st;
    if (path.empty() || stat(path.c_str(), &st) != 0) {
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
    if (unlink(path.c_str()) != 0) {
        SetLastError(FileErrorFromErrno(errno, path));
        return FALSE;
    }
    return TRUE;
}

namespace {

BOOL MoveFile(LPCWSTR existing, LPCWSTR target, DWORD flags) {
    if (!existing || !target || (flags & MOVEFILE_DELAY_UNTIL_REBOOT)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::string from = LinuxPath(existing);
    std::string to = LinuxPath(target);
    struct stat st;
    if (from.empty() || stat(from.c_str(), &st) != 0) {
        SetLastError(from.empty() ? ERROR_PATH_NOT_FOUND : FileErrorFromErrno(errno, from));
        return FALSE;
    }
    if (DWORD error = DeleteAccessError(st)) {
        SetLastError(error);
        return FALSE;
    }
    struct stat old;
    if (!to.empty() && stat(to.c_str(), &old) == 0) {
        if (old.st_dev == st.st_dev && old.st_ino == st.st_ino) return TRUE;  // the same file
        if (!(flags & MOVEFILE_REPLACE_EXISTING)) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return FALSE;
        }
        // An open or mapped target cannot be replaced, whatever its sharing.
        if (S_ISDIR(old.st_mode) || IsFileOpen(old.st_dev, old.st_ino)) {
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

}  // namespace

// ---- MoveFileExW ----
WINSIM_API BOOL WINAPI MoveFileExW(LPCWSTR existing, LPCWSTR target, DWORD flags) {
    if (sim::ShouldFail("MoveFileExW")) return FALSE;
    return MoveFile(existing, target, flags);
}

// ---- MoveFileW ----
WINSIM_API BOOL WINAPI MoveFileW(LPCWSTR existing, LPCWSTR target) {
    if (sim::ShouldFail("MoveFileW")) return FALSE;
    return MoveFile(existing, target, MOVEFILE_COPY_ALLOWED);
}
