// What a handle tells about its file: information, type, size and pointer;
// and flushing. Pipes and character devices have no times, no size and no
// position, as on Windows.
#include "console_state.h"
#include "files_state.h"
#include "machine.h"

#include <sys/stat.h>
#include <unistd.h>

using namespace winsim;

namespace winsim {

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

// Linux keeps no birth time in struct stat: the older of the change and
// modification times stands in for it.
const struct timespec &StandInCreation(const struct stat &st) {
    return st.st_ctim.tv_sec < st.st_mtim.tv_sec ? st.st_ctim : st.st_mtim;
}

}  // namespace winsim

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
        result.ftCreationTime = ToFileTime(StandInCreation(st));
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
