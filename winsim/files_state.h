// What the file areas (files, file_system, file_information) and the
// handle calls share: the file object behind file handles, sharing and
// the errors of file calls.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

#include "machine.h"

namespace winsim {

// One successful CreateFileW: what Windows calls the file object. Handles
// made by DuplicateHandle, mapping objects and their views share it, and
// its share-mode claim lasts as long as any of them does.
struct FileObject {
    int fd = -1;
    std::string path;  // Linux form
    dev_t device = 0;
    ino_t inode = 0;
    DWORD access = 0;  // specific rights: FILE_READ_DATA, FILE_WRITE_DATA, DELETE, ...
    DWORD share = 0;
    bool characterDevice = false;  // a device or FIFO: no times, no size, no seeking
    bool deleteOnClose = false;    // FILE_FLAG_DELETE_ON_CLOSE: the name goes with the last reference
    bool deletePending = false;    // FileDispositionInfo: the same, and until then no new open

    FileObject() = default;
    FileObject(const FileObject &) = delete;
    FileObject &operator=(const FileObject &) = delete;
    ~FileObject();
};

// files.cpp: Windows' share-mode check for a new open of `path`
// asking for the specific rights `access`; 0 or ERROR_SHARING_VIOLATION.
DWORD CheckShareAccess(dev_t device, ino_t inode, DWORD access, DWORD share);
// files.cpp: whether any handle, mapping or view holds the file open.
bool IsFileOpen(dev_t device, ino_t inode);
// files.cpp: whether the file is marked for deletion (FileDispositionInfo):
// it then opens no more, and goes with its last handle.
bool IsDeletePending(dev_t device, ino_t inode);
// files.cpp: what Windows reports as FILE_ATTRIBUTE_READONLY: a regular
// file nobody may write.
bool IsReadOnly(const struct stat &st);
// files.cpp: where the open file is now (Linux form), links resolved;
// empty when it has no name any more.
std::string CurrentPath(const FileObject &file);
// file_system.cpp: the file objects mapping objects and mapped views hold.
std::vector<const FileObject *> FilesHeldByMappings();
// True while a mapping object or a view holds the file.
bool IsFileMapped(dev_t device, ino_t inode);
// files.cpp: whether the handle is a snapshot, mapping or directory
// search, which lead to no stream of bytes.
bool HoldsNoStream(const HandleObject *object);
// files.cpp: the Linux descriptor behind a file handle.
int FileDescriptor(const HandleObject &object);
// GENERIC_* rights turned into the specific rights of a file.
DWORD SpecificFileRights(DWORD access);

// files.cpp: Windows' error for a failed file system call
DWORD MissingPathError(const std::string &path);
DWORD FileErrorFromErrno(int error, const std::string &path);
// files.cpp: the Linux path of a name a file call was given; false with
// the last error set when, without "\\?\", a full name of MAX_PATH or more is refused,
// as Windows refuses it when the process has not opted into long paths.
bool OpenablePath(LPCWSTR name, std::string *path);

// files.cpp: the file object a file handle opened; null for other handles.
std::shared_ptr<FileObject> OpenedFile(const HandleObject &object);
bool IsPipeHandle(const HandleObject &object);  // a pipe end, or a standard handle led to a pipe
bool IsDiskFile(const HandleObject &object);

// handles.cpp: pipes
BOOL ReadPipe(HandleObject &object, void *buffer, DWORD size, DWORD *read);
BOOL WritePipe(HandleObject &object, const char *bytes, DWORD count);

// file_system.cpp: the temporary directory in Windows form, with its
// trailing separator.
std::u16string TempPathText();

// The one volume of the Linux file system, as a volume GUID path names it
// ("\\?\Volume{...}\dir\file"); LinuxPath takes such a name back to "/dir/file".
constexpr char kVolumeGuidName[] = "Volume{2f5e0c1a-7d4b-4c3e-9a81-5b6d0e7f3c24}";

// file_information.cpp: what a file is beyond what Linux keeps, as
// SetFileInformationByHandle set it (attributes beyond read-only, the
// creation time), added to what GetFileInformationByHandle reports of the
// open file `fd`, or to the attributes of the file at `path`.
void AddKeptInformation(int fd, BY_HANDLE_FILE_INFORMATION *info);
DWORD KeptAttributes(const std::string &path);
// file_queries.cpp: the time a file without a creation time of its own
// reports as created
const struct timespec &StandInCreation(const struct stat &st);
// file_information.cpp: the file at `to` takes the creation time of the
// one at `from`, as a replacement takes the replaced file's.
void CarryCreationTime(const std::string &from, const std::string &to);
// file_information.cpp: keeps what of `attributes` Linux has no place for,
// for the file at `path`, as SetFileAttributesW sets them.
void KeepAttributes(const std::string &path, DWORD attributes);

}  // namespace winsim
