// Files on the real Linux file system, opened, read and written with
// Windows' dispositions, share modes and error codes; "conout$" and "conin$"
// open the console, "nul" the null device.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "io_calls.h"

namespace winsim {

namespace {

const DWORD kReadRights = GENERIC_READ | 0x10000000 /* GENERIC_ALL */ | 0x0001 /* FILE_READ_DATA */;
const DWORD kWriteRights = GENERIC_WRITE | 0x10000000 | 0x0002 /* FILE_WRITE_DATA */ | 0x0004 /* FILE_APPEND_DATA */;

}  // namespace

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

int FileDescriptor(const HandleObject &object) { return object.file ? object.file->fd : object.fd; }

bool IsPipeHandle(const HandleObject &object) {
    if (object.kind == HandleKind::Pipe) return true;
    return object.kind == HandleKind::Standard && object.target != sim::StdTarget::Console;
}

bool IsDiskFile(const HandleObject &object) {
    return object.kind == HandleKind::File && object.file && !object.file->characterDevice;
}

}  // namespace winsim

using namespace winsim;

namespace {

HANDLE OpenConsole(HandleKind kind, DWORD access) {
    HandleObject object;
    object.kind = kind;
    object.access = access;
    SetLastError(ERROR_SUCCESS);
    return AddHandle(object);
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

}  // namespace

// ---- CreateFileW ----
WINSIM_API HANDLE WINAPI CreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                                     DWORD disposition, DWORD flags, HANDLE templateFile) {
    (void)sa;
    (void)flags;
    (void)templateFile;
    if (sim::ShouldFail("CreateFileW")) return INVALID_HANDLE_VALUE;
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (EqualNoCase(name, u"conout$")) return OpenConsole(HandleKind::ConsoleOutput, access);
    if (EqualNoCase(name, u"conin$")) return OpenConsole(HandleKind::ConsoleInput, access);
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING ||
        (disposition == TRUNCATE_EXISTING && !(access & kWriteRights))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    bool nul = EqualNoCase(name, u"nul") || EqualNoCase(name, u"\\\\.\\nul");
    std::string path = nul ? std::string("/dev/null") : LinuxPath(name);
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
    DWORD rights = SpecificFileRights(access);
    if (exists && !device && CheckShareAccess(st.st_dev, st.st_ino, rights, share) != 0) {
        SetLastError(ERROR_SHARING_VIOLATION);
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
    HandleObject object;
    object.kind = HandleKind::File;
    object.access = access;
    object.path = path;
    object.file = file;
    bool reopened = exists && !device && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS);
    SetLastError(reopened ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return AddHandle(object);
}

// ---- ReadFile ----
WINSIM_API BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED ov) {
    if (sim::ShouldFail("ReadFile")) return FALSE;
    HandleObject *object = FindHandle(file);
    if (!object || object->kind == HandleKind::Snapshot || object->kind == HandleKind::Mapping ||
        IsConsoleOutput(object)) {
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

// ---- WriteFile ----
WINSIM_API BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED ov) {
    if (sim::ShouldFail("WriteFile")) return FALSE;
    HandleObject *object = FindHandle(file);
    if (!object || object->kind == HandleKind::Snapshot || object->kind == HandleKind::Mapping ||
        IsConsoleInput(object)) {
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
