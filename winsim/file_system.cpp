// The file system beyond open files: path queries, the temporary
// directory and temporary file names, and files mapped into memory
// (directory searches are in file_searches.cpp).
#include <map>

#include "files_state.h"
#include "machine.h"
#include "text_conversions.h"

#include <errno.h>
#include <fcntl.h>
#include <ftw.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace winsim;

namespace winsim {

namespace {

std::u16string CurrentDirectory() {
    char path[PATH_MAX];
    return getcwd(path, sizeof path) ? FromUtf8(path) : std::u16string(u"/");
}

// Joins a relative name to the current directory and resolves "." and ".."
// the way Windows does: textually, never looking at the disk.
std::u16string FullPath(std::u16string name) {
    // A DOS device name stands for the device wherever it is asked for.
    if (EqualNoCase(name, u"nul")) return u"\\\\.\\nul";
    // "\\?\" names are full already and taken as they stand.
    if (name.compare(0, 4, u"\\\\?\\") == 0) return name;
    for (char16_t &c : name) {
        if (c == u'\\') c = u'/';
    }
    if (name[0] != u'/') name = CurrentDirectory() + u"/" + name;
    bool trailingSlash = name.back() == u'/';
    std::vector<std::u16string> parts;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find(u'/', start);
        if (end == std::u16string::npos) end = name.size();
        std::u16string part = name.substr(start, end - start);
        if (part == u"..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != u".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::u16string full;
    for (const std::u16string &part : parts) full += u"/" + part;
    if (full.empty() || trailingSlash) full += u"/";
    return full;
}

// Windows' rule for a result that does not fit: the size it needs, counting
// the terminator, and the buffer left alone.
DWORD CopyOrNeed(const std::u16string &text, LPWSTR buffer, DWORD size) {
    if (!buffer || size <= text.size()) return static_cast<DWORD>(text.size() + 1);
    CopyTruncated(text, buffer, size);
    return static_cast<DWORD>(text.size());
}

// The default temporary directory, made at first need and removed with
// everything in it when the world is reset or the process ends.
struct TempDirectory {
    std::string path;  // Linux form, no trailing slash

    TempDirectory() = default;
    TempDirectory(const TempDirectory &) = delete;
    TempDirectory &operator=(const TempDirectory &) = delete;
    ~TempDirectory();
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

struct FileSystemState {
    std::map<uintptr_t, std::shared_ptr<MappedView>> views;  // by address

    std::shared_ptr<TempDirectory> tempDirectory;
    std::u16string tempPath;  // set by a test; empty: tempDirectory
    UINT tempFilesMade = 0;
};

FileSystemState &State() {
    return AreaState<FileSystemState>();
}

int RemoveEntry(const char *path, const struct stat *, int, struct FTW *) {
    return remove(path);
}

void RemoveLastDirectory() {
    // The world itself is never destroyed; its directory must still go.
    State().tempDirectory.reset();
}

std::string DefaultTempDirectory() {
    FileSystemState &state = State();
    if (!state.tempDirectory) {
        char pattern[] = "/tmp/winsim-temp-XXXXXX";
        if (!mkdtemp(pattern)) return "/tmp";
        state.tempDirectory = std::make_shared<TempDirectory>();
        state.tempDirectory->path = pattern;
        static bool registered = false;
        if (!registered) registered = atexit(RemoveLastDirectory) == 0;
    }
    return state.tempDirectory->path;
}

TempDirectory::~TempDirectory() {
    if (!path.empty()) nftw(path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

MappedView::~MappedView() {
    if (address) munmap(address, length);
}

std::u16string HexName(UINT value) {
    char text[16];
    snprintf(text, sizeof text, "%X.TMP", value);
    return Widen(text);
}

const ULONGLONG kAllocationGranularity = 65536;

bool Writable(DWORD protect) {
    return protect == PAGE_READWRITE;
}

// A section of the paging file: an anonymous memory file of the given size.
std::shared_ptr<FileObject> PagingFileSection(ULONGLONG size) {
    int fd = memfd_create("winsim-section", MFD_CLOEXEC);
    if (fd < 0) return nullptr;
    auto file = std::make_shared<FileObject>();
    file->fd = fd;
    file->characterDevice = true;  // no name, takes no part in sharing
    if (ftruncate(fd, static_cast<off_t>(size)) != 0) return nullptr;
    return file;
}

// A mapping object's file, size and page protection.
struct Section : RecordOf<Section> {
    std::shared_ptr<FileObject> file;
    ULONGLONG mappingSize = 0;
    DWORD protect = 0;
};

}  // namespace

// The temporary directory and temporary file names. Each world gets its
// own directory under /tmp at first need, removed with its content when the
// world is reset or the process ends; a test may name another instead.
void ResetFileSystem() {
    State() = FileSystemState();
}

// Windows always ends the temporary path with a separator.
std::u16string TempPathText() {
    std::u16string path = State().tempPath.empty() ? FromUtf8(DefaultTempDirectory()) : State().tempPath;
    if (path.empty() || (path.back() != u'\\' && path.back() != u'/')) path += u'\\';
    return path;
}

std::vector<const FileObject *> FilesHeldByMappings() {
    std::vector<const FileObject *> files;
    for (const HandleObject *object : AllHandles()) {
        if (object->kind == HandleKind::Mapping && object->record.As<Section>()->file) {
            files.push_back(object->record.As<Section>()->file.get());
        }
    }
    for (const auto &entry : State().views) {
        if (entry.second->file) files.push_back(entry.second->file.get());
    }
    return files;
}

}  // namespace winsim

// Path queries: attributes, full path names, the current directory.

WINSIM_API DWORD WINAPI GetFileAttributesW(LPCWSTR name) {
    if (sim::ShouldFail("GetFileAttributesW")) return INVALID_FILE_ATTRIBUTES;
    if (!name || !name[0]) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    std::string path = LinuxPath(name);
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) {
        SetLastError(FileErrorFromErrno(errno, path));
        return INVALID_FILE_ATTRIBUTES;
    }
    // A link is a reparse point of its own; the rest is what it leads to.
    DWORD attributes = 0;
    if (S_ISLNK(st.st_mode)) {
        attributes = FILE_ATTRIBUTE_REPARSE_POINT;
        if (stat(path.c_str(), &st) != 0) return attributes;
    }
    if (S_ISDIR(st.st_mode)) attributes |= FILE_ATTRIBUTE_DIRECTORY;
    // A file is marked for archiving when written, as the handle and the
    // directory search report it.
    if (S_ISREG(st.st_mode)) attributes |= FILE_ATTRIBUTE_ARCHIVE;
    if (S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
    attributes |= KeptAttributes(path);
    return attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
}

WINSIM_API DWORD WINAPI GetFullPathNameW(LPCWSTR name, DWORD cch, LPWSTR buffer, LPWSTR *filePart) {
    if (sim::ShouldFail("GetFullPathNameW")) return 0;
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!name[0]) {
        SetLastError(ERROR_INVALID_NAME);
        return 0;
    }
    std::u16string full = FullPath(name);
    DWORD result = CopyOrNeed(full, buffer, cch);
    if (result == full.size() && filePart) {
        size_t slash = full.find_last_of(u'/');
        *filePart = slash + 1 < full.size() ? buffer + slash + 1 : nullptr;
    }
    return result;
}

// ---- GetFinalPathNameByHandleW ----
// Where the open file is now, links resolved: after "\\?\" (a drive's
// name, which the Linux root needs none of) or the volume's GUID name, after
// its NT device name, or with no volume at all.
WINSIM_API DWORD WINAPI GetFinalPathNameByHandleW(HANDLE file, LPWSTR buffer, DWORD size, DWORD flags) {
    if (sim::ShouldFail("GetFinalPathNameByHandleW")) return 0;
    HandleObject *object = FindHandle(file);
    if (!object || !IsDiskFile(*object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    std::u16string volume;
    switch (flags & ~FILE_NAME_OPENED) {
        case VOLUME_NAME_DOS:
            volume = u"\\\\?\\";
            break;
        case VOLUME_NAME_GUID:
            volume = u"\\\\?\\" + FromUtf8(kVolumeGuidName);
            break;
        case VOLUME_NAME_NT:
            volume = u"\\Device\\HarddiskVolume1";
            break;
        case VOLUME_NAME_NONE:
            break;
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
    }
    std::string path = CurrentPath(*OpenedFile(*object));
    if (path.empty()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return CopyOrNeed(volume + FromUtf8(path), buffer, size);
}

WINSIM_API DWORD WINAPI GetCurrentDirectoryW(DWORD cch, LPWSTR buffer) {
    if (sim::ShouldFail("GetCurrentDirectoryW")) return 0;
    return CopyOrNeed(CurrentDirectory(), buffer, cch);
}

WINSIM_API DWORD WINAPI GetTempPathW(DWORD size, LPWSTR buffer) {
    if (sim::ShouldFail("GetTempPathW")) return 0;
    std::u16string path = TempPathText();
    if (!buffer || size <= path.size()) return static_cast<DWORD>(path.size() + 1);
    return CopyTruncated(path, buffer, size);
}

// ---- GetTempFileNameW ----
// `buffer` holds MAX_PATH characters. A unique value of 0 asks for a new
// file: numbers are tried from a counter until one can be created.
WINSIM_API UINT WINAPI GetTempFileNameW(LPCWSTR path, LPCWSTR prefix, UINT unique, LPWSTR buffer) {
    if (sim::ShouldFail("GetTempFileNameW")) return 0;
    if (!path || !buffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    struct stat st;
    if (stat(LinuxPath(path).c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_DIRECTORY);
        return 0;
    }
    std::u16string base = Str(path);
    if (base.empty() || (base.back() != u'\\' && base.back() != u'/')) base += u'\\';
    if (prefix) base += Str(prefix).substr(0, 3);
    if (base.size() + 9 > MAX_PATH - 1) {
        SetLastError(ERROR_BUFFER_OVERFLOW);
        return 0;
    }
    unique &= 0xFFFF;
    if (unique) {
        CopyTruncated(base + HexName(unique), buffer, MAX_PATH);
        return unique;
    }
    FileSystemState &state = State();
    for (int tries = 0; tries < 0x10000; ++tries) {
        UINT number = (++state.tempFilesMade & 0xFFFF);
        if (number == 0) continue;
        std::u16string name = base + HexName(number);
        std::string target = LinuxPath(name.c_str());
        int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            CopyTruncated(name, buffer, MAX_PATH);
            return number;
        }
        if (errno != EEXIST) {
            SetLastError(FileErrorFromErrno(errno, target));
            return 0;
        }
    }
    SetLastError(ERROR_FILE_EXISTS);
    return 0;
}

// File mapping over mmap: section objects hold their file, views hold
// their section's file, so the file stays claimed (and undeletable) until
// the last view is unmapped.

WINSIM_API HANDLE WINAPI CreateFileMappingW(HANDLE file, LPSECURITY_ATTRIBUTES sa, DWORD protect, DWORD sizeHigh,
                                            DWORD sizeLow, LPCWSTR name) {
    (void)sa;
    (void)name;  // named sections are not shared between simulated processes
    if (sim::ShouldFail("CreateFileMappingW")) return nullptr;
    DWORD page = protect & 0xFF;
    if (page != PAGE_READONLY && page != PAGE_READWRITE && page != PAGE_WRITECOPY) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    ULONGLONG requested = (static_cast<ULONGLONG>(sizeHigh) << 32) | sizeLow;
    auto *record = new Section;
    record->protect = page;
    HandleObject section;
    section.kind = HandleKind::Mapping;
    section.record = OwnedRecord(record);
    if (file == INVALID_HANDLE_VALUE) {
        if (requested == 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        record->file = PagingFileSection(requested);
        if (!record->file) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        record->mappingSize = requested;
        SetLastError(ERROR_SUCCESS);
        return AddHandle(section);
    }
    HandleObject *object = FindHandle(file);
    if (!object || !IsDiskFile(*object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    DWORD rights = SpecificFileRights(object->access);
    if (!(rights & FILE_READ_DATA) || (Writable(page) && !(rights & FILE_WRITE_DATA))) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    struct stat st;
    std::shared_ptr<FileObject> opened = OpenedFile(*object);
    if (fstat(opened->fd, &st) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    ULONGLONG fileSize = static_cast<ULONGLONG>(st.st_size);
    if (requested == 0) {
        if (fileSize == 0) {
            SetLastError(ERROR_FILE_INVALID);  // an empty file cannot be mapped whole
            return nullptr;
        }
        requested = fileSize;
    } else if (requested > fileSize) {
        // Only a writable section may grow its file.
        if (!Writable(page) || ftruncate(opened->fd, static_cast<off_t>(requested)) != 0) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
    }
    record->file = opened;
    record->mappingSize = requested;
    SetLastError(ERROR_SUCCESS);
    return AddHandle(section);
}

WINSIM_API LPVOID WINAPI MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes) {
    if (sim::ShouldFail("MapViewOfFile")) return nullptr;
    HandleObject *section = FindHandle(mapping);
    if (!section || section->kind != HandleKind::Mapping) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    const Section &record = *section->record.As<Section>();
    bool write = (access & FILE_MAP_WRITE) != 0;
    bool copy = (access & FILE_MAP_COPY) != 0 && !write;
    if ((write && !Writable(record.protect)) || !(access & (FILE_MAP_READ | FILE_MAP_WRITE | FILE_MAP_COPY))) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    ULONGLONG offset = (static_cast<ULONGLONG>(offsetHigh) << 32) | offsetLow;
    if (offset % kAllocationGranularity != 0) {
        SetLastError(ERROR_MAPPED_ALIGNMENT);
        return nullptr;
    }
    if (offset >= record.mappingSize || bytes > record.mappingSize - offset) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    size_t length = bytes ? bytes : static_cast<size_t>(record.mappingSize - offset);
    int protection = PROT_READ | (write || copy ? PROT_WRITE : 0);
    void *address =
        mmap(nullptr, length, protection, copy ? MAP_PRIVATE : MAP_SHARED, record.file->fd, static_cast<off_t>(offset));
    if (address == MAP_FAILED) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto view = std::make_shared<MappedView>();
    view->address = address;
    view->length = length;
    view->file = record.file;
    State().views[reinterpret_cast<uintptr_t>(address)] = view;
    return address;
}

// ---- UnmapViewOfFile ----
// Any address inside a view names it, as with NtUnmapViewOfSection.
WINSIM_API BOOL WINAPI UnmapViewOfFile(LPCVOID address) {
    if (sim::ShouldFail("UnmapViewOfFile")) return FALSE;
    auto &views = State().views;
    uintptr_t at = reinterpret_cast<uintptr_t>(address);
    auto found = views.upper_bound(at);
    if (found == views.begin() || at >= (--found)->first + found->second->length) {
        SetLastError(ERROR_INVALID_ADDRESS);
        return FALSE;
    }
    views.erase(found);
    return TRUE;
}

namespace sim {

void SetTempPath(const std::u16string &path) {
    State().tempPath = path;
}

std::string TempDirectory() {
    std::string path = LinuxPath(TempPathText().c_str());
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

int MappedViewCount() {
    return static_cast<int>(State().views.size());
}

}  // namespace sim
