// Folders made and removed by name, and a file's attributes set by name, on
// the real Linux file system with Windows' errors.
#include "files_state.h"
#include "machine.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace winsim;

namespace {

// The Linux path a name stands for, or false with the error set; no name,
// or one that comes to nothing, is ERROR_PATH_NOT_FOUND.
bool PathOfName(LPCWSTR name, std::string *path) {
    if (name && !OpenablePath(name, path)) return false;
    if (!name || path->empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    return true;
}

}  // namespace

WINSIM_API BOOL WINAPI CreateDirectoryW(LPCWSTR name, LPSECURITY_ATTRIBUTES sa) {
    (void)sa;
    if (sim::ShouldFail("CreateDirectoryW")) return FALSE;
    std::string path;
    if (!PathOfName(name, &path)) return FALSE;
    if (mkdir(path.c_str(), 0777) != 0) {
        // An existing name of any kind is ERROR_ALREADY_EXISTS, not the
        // ERROR_FILE_EXISTS a file's creation gets.
        DWORD error = FileErrorFromErrno(errno, path);
        SetLastError(error == ERROR_FILE_EXISTS ? ERROR_ALREADY_EXISTS : error);
        return FALSE;
    }
    return TRUE;
}

WINSIM_API BOOL WINAPI RemoveDirectoryW(LPCWSTR name) {
    if (sim::ShouldFail("RemoveDirectoryW")) return FALSE;
    std::string path;
    if (!PathOfName(name, &path)) return FALSE;
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) {
        SetLastError(FileErrorFromErrno(errno, path));
        return FALSE;
    }
    if (!S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_DIRECTORY);
        return FALSE;
    }
    if (rmdir(path.c_str()) != 0) {
        SetLastError(errno == ENOTEMPTY || errno == EEXIST ? ERROR_DIR_NOT_EMPTY : FileErrorFromErrno(errno, path));
        return FALSE;
    }
    return TRUE;
}

// Read-only is the owner's write permission; the attributes Linux keeps no
// place for are kept beside the file. A folder has no read-only of its own
// to lose: Windows keeps the bit there for the shell alone.
WINSIM_API BOOL WINAPI SetFileAttributesW(LPCWSTR name, DWORD attributes) {
    if (sim::ShouldFail("SetFileAttributesW")) return FALSE;
    std::string path;
    if (!PathOfName(name, &path)) return FALSE;
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        SetLastError(FileErrorFromErrno(errno, path));
        return FALSE;
    }
    if (S_ISREG(st.st_mode)) {
        mode_t mode = (attributes & FILE_ATTRIBUTE_READONLY) ? st.st_mode & ~0222 : st.st_mode | S_IWUSR;
        if (chmod(path.c_str(), mode & 07777) != 0) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
    }
    KeepAttributes(path, attributes);
    return TRUE;
}
