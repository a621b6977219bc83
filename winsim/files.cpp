// Open files: opening, reading and writing on the real Linux file system,
// and Windows' share modes. Deleting, moving and replacing by name are in
// file_moves.cpp; what a handle tells about its file in file_queries.cpp.
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

using namespace winsim;

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

// Snapshots, mappings and directory searches lead to no stream of bytes:
// nothing is read, written or measured through their handles.
bool HoldsNoStream(const HandleObject *object) {
    return object->kind == HandleKind::Snapshot || object->kind == HandleKind::Mapping ||
           object->kind == HandleKind::Find;
}

// The Linux descriptor behind a file handle.
int FileDescriptor(const HandleObject &object) {
    return object.record.As<OpenFile>()->file->fd;
}

// Files on the real Linux file system, opened, read and written with
// Windows' dispositions, share modes and error codes; "conout$" and "conin$"
// open the console, "nul" the null device.
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

// Windows' share modes over the real file system: every open file object
// claims read, write and delete sharing until its last handle, mapping or
// view is gone; deleting and renaming are opens for DELETE and so obey them.
FileObject::~FileObject() {
    // Only the file this object opened loses its name, wherever it has
    // gone, not whatever has taken its first name since.
    if (deleteOnClose || deletePending) {
        std::string name = CurrentPath(*this);
        if (!name.empty()) unlink(name.c_str());
    }
    if (fd >= 0) close(fd);
}

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

namespace sim {

// Standard input redirected from a file: a file handle at the standard
// input's fixed value, opened as a shell opens a redirection.
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
