// The simulated machine's I/O objects beyond console and window state: open
// files with their share modes, pipes, mapped views, the temporary
// directory, typed console input, the clipboard, global memory blocks and
// the code pages. Part of the World, so that sim::Reset empties it; the
// objects that hold real resources (descriptors, mappings, directories)
// release them when the last reference goes.
#pragma once

#include <sys/types.h>
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

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

    FileObject() = default;
    FileObject(const FileObject &) = delete;
    FileObject &operator=(const FileObject &) = delete;
    ~FileObject();
};

// An anonymous pipe: the bytes written and not yet read.
struct PipeObject {
    std::string data;
    size_t next = 0;
};

struct MappedView {
    void *address = nullptr;
    size_t length = 0;
    std::shared_ptr<FileObject> file;

    MappedView() = default;
    MappedView(const MappedView &) = delete;
    MappedView &operator=(const MappedView &) = delete;
    ~MappedView();
};

// The default temporary directory, made at first need and removed with
// everything in it when the world is reset or the process ends.
struct TempDirectory {
    std::string path;  // Linux form, no trailing slash

    TempDirectory() = default;
    TempDirectory(const TempDirectory &) = delete;
    TempDirectory &operator=(const TempDirectory &) = delete;
    ~TempDirectory();
};

struct GlobalBlock {
    std::vector<char> bytes;
    int locks = 0;
};

struct IoState {
    std::map<uintptr_t, std::shared_ptr<MappedView>> views;  // by address

    std::shared_ptr<TempDirectory> tempDirectory;
    std::u16string tempPath;  // set by a test; empty: tempDirectory
    UINT tempFilesMade = 0;

    // What the user types at the console, "\x1A" being ^Z; consumed by reads.
    std::u16string typed;
    size_t typedNext = 0;
    UINT consoleInputCodePage = 437;

    bool clipboardOpen = false;
    bool clipboardHeldElsewhere = false;
    std::map<UINT, HGLOBAL> clipboard;  // format -> block owned by the clipboard

    std::map<uintptr_t, GlobalBlock> globals;
    uintptr_t nextGlobal = 0x7A0000;

    UINT ansiCodePage = 1252;
    UINT oemCodePage = 437;
};

// file_sharing.cpp: Windows' share-mode check for a new open of `path`
// asking for the specific rights `access`; 0 or ERROR_SHARING_VIOLATION.
DWORD CheckShareAccess(dev_t device, ino_t inode, DWORD access, DWORD share);
// True while a mapping object or a view holds the file.
bool IsFileMapped(dev_t device, ino_t inode);
// GENERIC_* rights turned into the specific rights of a file.
DWORD SpecificFileRights(DWORD access);

}  // namespace winsim
