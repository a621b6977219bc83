// Open files: opening, reading and writing on the real Linux file system,
// Windows' share modes, and what a handle tells about its file.
#include "console_state.h"
#include "files_state.h"
#include "machine.h"
#include "text_conversions.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>
#include <set>
#include <vector>

using namespace winsim;

namespace {

// Snapshots, mappings and directory searches lead to no stream of bytes:
// nothing is read, written or measured through their handles.
bool HoldsNoStream(const HandleObject *object) {
    return object->kind == HandleKind::Snapshot || object->kind == HandleKind::Mapping ||
           object->kind == HandleKind::Find;
}

}  // namespace

// Files on the real Linux file system, opened, read and written with
// Windows' dispositions, share modes and error codes; "conout$" and "conin$"
// open the console, "nul" the null device.
namespace winsim {

namespace {

const DWORD kReadRights = GENERIC_READ | 0x10000000 /* GENERIC_ALL */ | 0x0001 /* FILE_READ_DATA */;
const DWORD kWriteRights = GENERIC_WRITE | 0x10000000 | 0x0002 /* FILE_WRITE_DATA */ | 0x0004 /* FILE_APPEND_DATA */;

// A file handle: the file object it and its duplicates share.
struct OpenFile : RecordOf<OpenFile> {
    std::shared_ptr<FileObject> file;
};

HandleObject FileHandle(const std::shared_ptr<FileObject> &file, DWORD access) {
    auto *record = new OpenFile;
    record->file = file;
    HandleObject object;
    object.kind = HandleKind::File;
    object.access = access;
    object.record = OwnedRecord(record);
    return object;
}

// The Linux descriptor behind a file handle.
int FileDescriptor(const HandleObject &object) {
    return object.record.As<OpenFile>()->file->fd;
}

}  // namespace

bool IsReadOnly(const struct stat &st) {
    return S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR);
}

// The descriptor's link in /proc names the file wherever it has been
// moved; a name that no longer leads to it is no name of its own.
std::string CurrentPath(const FileObject &file) {
    char link[64];
    char target[PATH_MAX];
    snprintf(link, sizeof link, "/proc/self/fd/%d", file.fd);
    ssize_t length = file.fd >= 0 ? readlink(link, target, sizeof target - 1) : -1;
    if (length <= 0) return std::string();
    target[length] = 0;
    if (file.characterDevice) return target;
    struct stat st;
    if (lstat(target, &st) != 0 || st.st_dev != file.device || st.st_ino != file.inode) return std::string();
    return target;
}

// Windows tells a missing file (2) from a missing directory on the way (3).
DWORD MissingPathError(const std::string &path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ERROR_FILE_NOT_FOUND;
    std::string parent = slash == 0 ? "/" : path.substr(0, slash);
    struct stat st;
    return stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

DWORD FileErrorFromErrno(int error, const std::string &path) {
    switch (error) {
        case ENOENT:
            return MissingPathError(path);
        case ENOTDIR:
        case ENAMETOOLONG:
            return ERROR_PATH_NOT_FOUND;
        case EEXIST:
            return ERROR_FILE_EXISTS;
        case EMFILE:
        case ENFILE:
            return ERROR_TOO_MANY_OPEN_FILES;
        case ENOSPC:
            return ERROR_DISK_FULL;
        case EINVAL:
            return ERROR_INVALID_NAME;
        default:
            return ERROR_ACCESS_DENIED;
    }
}

bool OpenablePath(LPCWSTR name, std::string *path) {
    std::u16string text = Str(name);
    size_t length = text.size();
    bool prefixed = text.compare(0, 4, u"\\\\?\\") == 0;
    if (!prefixed && !text.empty() && text[0] != u'/' && text[0] != u'\\') {
        char directory[PATH_MAX];
        if (getcwd(directory, sizeof directory)) length += strlen(directory) + 1;
    }
    if (!prefixed && length >= MAX_PATH) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    *path = LinuxPath(name);
    return true;
}

std::shared_ptr<FileObject> OpenedFile(const HandleObject &object) {
    return object.kind == HandleKind::File ? object.record.As<OpenFile>()->file : nullptr;
}

bool IsDiskFile(const HandleObject &object) {
    return object.kind == HandleKind::File && !object.record.As<OpenFile>()->file->characterDevice;
}

}  // namespace winsim

namespace {

int OpenFlags(DWORD access, DWORD disposition) {
    bool reads = (access & kReadRights) != 0;
    bool writes = (access & kWriteRights) != 0;
    int flags = O_CLOEXEC | (reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY);
    switch (disposition) {
        case CREATE_NEW:
            return flags | O_CREAT | O_EXCL;
        case CREATE_ALWAYS:
            return flags | O_CREAT | O_TRUNC;
        case OPEN_ALWAYS:
            return flags | O_CREAT;
        case TRUNCATE_EXISTING:
            return flags | O_TRUNC;
        default:
            return flags;
    }
}

}  // namespace

WINSIM_API HANDLE WINAPI CreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                                     DWORD disposition, DWORD flags, HANDLE templateFile) {
    (void)sa;
    (void)templateFile;
    if (sim::ShouldFail("CreateFileW")) return INVALID_HANDLE_VALUE;
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (EqualNoCase(name, u"conout$")) return OpenConsole(HandleKind::ConsoleOutput, access, ShownBufferId());
    if (EqualNoCase(name, u"conin$")) return OpenConsole(HandleKind::ConsoleInput, access);
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING ||
        (disposition == TRUNCATE_EXISTING && !(access & kWriteRights))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    bool nul = EqualNoCase(name, u"nul") || EqualNoCase(name, u"\\\\.\\nul");
    std::string path = "/dev/null";
    if (!nul && !OpenablePath(name, &path)) return INVALID_HANDLE_VALUE;
    if (path.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    struct stat st;
    bool exists = stat(path.c_str(), &st) == 0;
    if (exists && S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);  // directories need backup semantics
        return INVALID_HANDLE_VALUE;
    }
    bool device = exists && !S_ISREG(st.st_mode);
    if (exists && disposition == CREATE_NEW && !device) {
        SetLastError(ERROR_FILE_EXISTS);
        return INVALID_HANDLE_VALUE;
    }
    if (!exists && (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING)) {
        SetLastError(FileErrorFromErrno(errno, path));
        return INVALID_HANDLE_VALUE;
    }
    // The share check comes before anything touches the file, so that a
    // refused CREATE_ALWAYS leaves the other opener's content alone.
    bool deleteOnClose = (flags & FILE_FLAG_DELETE_ON_CLOSE) != 0;
    DWORD rights = SpecificFileRights(access) | (deleteOnClose ? DELETE : 0);
    if (exists && !device && IsDeletePending(st.st_dev, st.st_ino)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    if (exists && !device && CheckShareAccess(st.st_dev, st.st_ino, rights, share) != 0) {
        SetLastError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
    }
    // A read-only file can be neither written, emptied nor marked for deletion.
    bool changes = (rights & (FILE_WRITE_DATA | FILE_APPEND_DATA)) != 0 || disposition == CREATE_ALWAYS ||
                   disposition == TRUNCATE_EXISTING || deleteOnClose;
    if (exists && !device && changes && IsReadOnly(st)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    int openFlags = OpenFlags(access, disposition);
    if (device) openFlags &= ~(O_CREAT | O_EXCL | O_TRUNC);
    int fd = open(path.c_str(), openFlags | O_NONBLOCK, 0666);
    if (fd < 0) {
        SetLastError(FileErrorFromErrno(errno, path));
        return INVALID_HANDLE_VALUE;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);  // only the open of a FIFO must not wait
    struct stat opened;
    fstat(fd, &opened);
    auto file = std::make_shared<FileObject>();
    file->fd = fd;
    file->path = path;
    file->device = opened.st_dev;
    file->inode = opened.st_ino;
    file->access = rights;
    file->share = share;
    file->characterDevice = !S_ISREG(opened.st_mode);
    file->deleteOnClose = deleteOnClose && !file->characterDevice;
    HandleObject object = FileHandle(file, access);
    bool reopened = exists && !device && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS);
    SetLastError(reopened ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return AddHandle(object);
}

WINSIM_API BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED ov) {
    if (sim::ShouldFail("ReadFile")) return FALSE;
    HandleObject *object = FindHandle(file);
    if (!object || HoldsNoStream(object) || IsConsoleOutput(object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (ov || !read || (!buffer && toRead > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *read = 0;
    if (IsConsoleInput(object)) return ReadConsoleBytes(*object, buffer, toRead, read);
    if (object->kind == HandleKind::Pipe) return ReadPipe(*object, buffer, toRead, read);
    if (object->kind == HandleKind::Standard) return ReadStandardStream(*object, buffer, toRead, read);
    if (!(object->access & kReadRights)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    ssize_t n;
    do {
        n = ::read(FileDescriptor(*object), buffer, toRead);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        SetLastError(ERROR_READ_FAULT);
        return FALSE;
    }
    *read = static_cast<DWORD>(n);
    return TRUE;
}

WINSIM_API BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED ov) {
    if (sim::ShouldFail("WriteFile")) return FALSE;
    HandleObject *object = FindHandle(file);
    if (!object || HoldsNoStream(object) || IsConsoleInput(object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (ov || !written || (!buffer && toWrite > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *written = 0;
    const char *bytes = static_cast<const char *>(buffer);
    if (IsConsoleOutput(object)) {
        WriteConsoleBytes(*object, std::string(bytes, bytes + toWrite), true);
    } else if (object->kind == HandleKind::Pipe) {
        if (!WritePipe(*object, bytes, toWrite)) return FALSE;
    } else if (object->kind == HandleKind::Standard) {
        if (!WriteStandardStream(*object, bytes, toWrite)) return FALSE;
    } else {
        if (!(object->access & kWriteRights)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        DWORD done = 0;
        while (done < toWrite) {
            ssize_t n = ::write(FileDescriptor(*object), bytes + done, toWrite - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                *written = done;
                SetLastError(errno == ENOSPC ? ERROR_DISK_FULL : ERROR_WRITE_FAULT);
                return FALSE;
            }
            done += static_cast<DWORD>(n);
        }
    }
    *written = toWrite;
    return TRUE;
}

// Windows' share modes over the real file system: every open file object
// claims read, write and delete sharing until its last handle, mapping or
// view is gone; deleting and renaming are opens for DELETE and so obey them.
namespace winsim {

FileObject::~FileObject() {
    // Only the file this object opened loses its name, wherever it has
    // gone, not whatever has taken its first name since.
    if (deleteOnClose || deletePending) {
        std::string name = CurrentPath(*this);
        if (!name.empty()) unlink(name.c_str());
    }
    if (fd >= 0) close(fd);
}

namespace {

// Every file object still alive: held by a handle, a mapping or a view.
std::set<const FileObject *> LiveFiles() {
    std::set<const FileObject *> files;
    for (const HandleObject *object : AllHandles()) {
        if (object->kind == HandleKind::File) files.insert(object->record.As<OpenFile>()->file.get());
    }
    for (const FileObject *file : FilesHeldByMappings()) files.insert(file);
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
    for (const FileObject *file : FilesHeldByMappings()) {
        if (SameFile(*file, device, inode)) return true;
    }
    return false;
}

bool IsFileOpen(dev_t device, ino_t inode) {
    for (const FileObject *file : LiveFiles()) {
        if (SameFile(*file, device, inode)) return true;
    }
    return false;
}

bool IsDeletePending(dev_t device, ino_t inode) {
    for (const FileObject *file : LiveFiles()) {
        if (SameFile(*file, device, inode) && file->deletePending) return true;
    }
    return false;
}

}  // namespace winsim

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

}  // namespace

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

namespace {

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

}  // namespace

WINSIM_API BOOL WINAPI MoveFileExW(LPCWSTR existing, LPCWSTR target, DWORD flags) {
    if (sim::ShouldFail("MoveFileExW")) return FALSE;
    return MoveFile(existing, target, flags);
}

WINSIM_API BOOL WINAPI MoveFileW(LPCWSTR existing, LPCWSTR target) {
    if (sim::ShouldFail("MoveFileW")) return FALSE;
    return MoveFile(existing, target, MOVEFILE_COPY_ALLOWED);
}

namespace {

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

// ---- ReplaceFileW ----
// The replacement takes the replaced file's name and keeps its own file ID,
// after taking on the replaced file's attributes and permissions. Both
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

// What a handle tells about its file: information, type, size and pointer;
// and flushing. Pipes and character devices have no times, no size and no
// position, as on Windows.

namespace {

// 100-nanosecond intervals from 1601 to 1970.
const ULONGLONG kEpochDifference = 116444736000000000ull;

FILETIME ToFileTime(const struct timespec &time) {
    ULONGLONG value = kEpochDifference + static_cast<ULONGLONG>(time.tv_sec) * 10000000ull +
                      static_cast<ULONGLONG>(time.tv_nsec) / 100;
    return {static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

bool IsConsoleHandle(const HandleObject *object) {
    return IsConsoleInput(object) || IsConsoleOutput(object);
}

// The handle of a seekable disk file, or null with the last error set.
HandleObject *DiskFile(HANDLE handle, DWORD pipeError) {
    HandleObject *object = FindHandle(handle);
    if (!object || IsConsoleHandle(object) || HoldsNoStream(object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (!IsDiskFile(*object)) {
        SetLastError(pipeError);
        return nullptr;
    }
    return object;
}

// Size of a file, pipe or device handle (the last two always 0).
bool HandleSize(HANDLE handle, ULONGLONG *size) {
    HandleObject *object = FindHandle(handle);
    if (!object || IsConsoleHandle(object) || HoldsNoStream(object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    *size = 0;
    if (!IsDiskFile(*object)) return true;
    struct stat st;
    if (fstat(FileDescriptor(*object), &st) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    *size = static_cast<ULONGLONG>(st.st_size);
    return true;
}

bool MovePointer(HANDLE handle, LONGLONG distance, DWORD method, LONGLONG *position) {
    HandleObject *object = DiskFile(handle, ERROR_INVALID_FUNCTION);
    if (!object) return false;
    if (method > FILE_END) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    int fd = FileDescriptor(*object);
    LONGLONG base = 0;
    if (method == FILE_CURRENT) base = lseek(fd, 0, SEEK_CUR);
    if (method == FILE_END) {
        struct stat st;
        base = fstat(fd, &st) == 0 ? st.st_size : 0;
    }
    if (base + distance < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return false;
    }
    *position = lseek(fd, base + distance, SEEK_SET);
    return true;
}

}  // namespace

WINSIM_API BOOL WINAPI GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION info) {
    if (sim::ShouldFail("GetFileInformationByHandle")) return FALSE;
    HandleObject *object = FindHandle(file);
    if (!object || HoldsNoStream(object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (IsConsoleHandle(object)) {
        SetLastError(ERROR_INVALID_FUNCTION);  // the console driver answers no file queries
        return FALSE;
    }
    if (!info) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    BY_HANDLE_FILE_INFORMATION result = {};
    result.dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
    result.nNumberOfLinks = 1;
    if (IsDiskFile(*object)) {
        struct stat st;
        if (fstat(FileDescriptor(*object), &st) != 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        result.dwFileAttributes =
            (st.st_mode & S_IWUSR) ? FILE_ATTRIBUTE_ARCHIVE : FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY;
        // Linux keeps no birth time in struct stat: the older of the change
        // and modification times stands in for it.
        const struct timespec &created = st.st_ctim.tv_sec < st.st_mtim.tv_sec ? st.st_ctim : st.st_mtim;
        result.ftCreationTime = ToFileTime(created);
        result.ftLastAccessTime = ToFileTime(st.st_atim);
        result.ftLastWriteTime = ToFileTime(st.st_mtim);
        result.dwVolumeSerialNumber = static_cast<DWORD>(st.st_dev);
        result.nFileSizeHigh = static_cast<DWORD>(static_cast<ULONGLONG>(st.st_size) >> 32);
        result.nFileSizeLow = static_cast<DWORD>(st.st_size);
        result.nNumberOfLinks = static_cast<DWORD>(st.st_nlink);
        result.nFileIndexHigh = static_cast<DWORD>(static_cast<ULONGLONG>(st.st_ino) >> 32);
        result.nFileIndexLow = static_cast<DWORD>(st.st_ino);
        AddKeptInformation(FileDescriptor(*object), &result);
    }
    *info = result;
    return TRUE;
}

WINSIM_API DWORD WINAPI GetFileType(HANDLE file) {
    if (sim::ShouldFail("GetFileType")) return FILE_TYPE_UNKNOWN;
    HandleObject *object = FindHandle(file);
    if (!object || HoldsNoStream(object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FILE_TYPE_UNKNOWN;
    }
    SetLastError(ERROR_SUCCESS);
    if (IsConsoleHandle(object)) return FILE_TYPE_CHAR;
    if (IsPipeHandle(*object)) return FILE_TYPE_PIPE;
    return IsDiskFile(*object) ? FILE_TYPE_DISK : FILE_TYPE_CHAR;
}

WINSIM_API DWORD WINAPI GetFileSize(HANDLE file, LPDWORD high) {
    if (sim::ShouldFail("GetFileSize")) return INVALID_FILE_SIZE;
    ULONGLONG size = 0;
    if (!HandleSize(file, &size)) return INVALID_FILE_SIZE;
    if (high) *high = static_cast<DWORD>(size >> 32);
    // A low half of 0xFFFFFFFF is told from a failure by the last error.
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size);
}

WINSIM_API BOOL WINAPI GetFileSizeEx(HANDLE file, PLARGE_INTEGER size) {
    if (sim::ShouldFail("GetFileSizeEx")) return FALSE;
    ULONGLONG value = 0;
    if (!HandleSize(file, &value)) return FALSE;
    if (!size) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    size->QuadPart = static_cast<LONGLONG>(value);
    return TRUE;
}

WINSIM_API DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method) {
    if (sim::ShouldFail("SetFilePointer")) return INVALID_SET_FILE_POINTER;
    // Without a high half the distance is a signed 32-bit value.
    LONGLONG move = distanceHigh
                        ? static_cast<LONGLONG>((static_cast<ULONGLONG>(static_cast<DWORD>(*distanceHigh)) << 32) |
                                                static_cast<DWORD>(distance))
                        : distance;
    LONGLONG position = 0;
    if (!MovePointer(file, move, method, &position)) return INVALID_SET_FILE_POINTER;
    if (distanceHigh) *distanceHigh = static_cast<LONG>(position >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(position);
}

WINSIM_API BOOL WINAPI SetFilePointerEx(HANDLE file, LARGE_INTEGER distance, PLARGE_INTEGER newPosition, DWORD method) {
    if (sim::ShouldFail("SetFilePointerEx")) return FALSE;
    LONGLONG position = 0;
    if (!MovePointer(file, distance.QuadPart, method, &position)) return FALSE;
    if (newPosition) newPosition->QuadPart = position;
    return TRUE;
}

WINSIM_API BOOL WINAPI FlushFileBuffers(HANDLE file) {
    if (sim::ShouldFail("FlushFileBuffers")) return FALSE;
    HandleObject *object = FindHandle(file);
    if (!object || HoldsNoStream(object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (object->kind == HandleKind::File &&
        !(SpecificFileRights(object->access) & (FILE_WRITE_DATA | FILE_APPEND_DATA))) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    // The bytes are already with the Linux kernel, which is all a test can see.
    return TRUE;
}

// Standard input redirected from a file: a file handle at the standard
// input's fixed value, opened as a shell opens a redirection.
namespace sim {

bool SetStdInputFile(const std::string &path) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || fstat(fd, &st) != 0) {
        if (fd >= 0) close(fd);
        return false;
    }
    auto file = std::make_shared<FileObject>();
    file->fd = fd;
    file->path = path;
    file->device = st.st_dev;
    file->inode = st.st_ino;
    file->access = SpecificFileRights(GENERIC_READ);
    file->share = FILE_SHARE_READ | FILE_SHARE_WRITE;  // as a shell opens a redirection
    file->characterDevice = !S_ISREG(st.st_mode);
    HandleObject object = FileHandle(file, GENERIC_READ);
    object.counted = false;
    HANDLE value = StandardHandleValue(STD_INPUT_HANDLE);
    PutHandle(value, object);
    SetStandardHandle(STD_INPUT_HANDLE, value);
    return true;
}

}  // namespace sim
