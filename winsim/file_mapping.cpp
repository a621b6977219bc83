// File mapping over mmap: section objects hold their file, views hold
// their section's file, so the file stays claimed (and undeletable) until
// the last view is unmapped.
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "io_calls.h"

namespace winsim {

MappedView::~MappedView() {
    if (address) munmap(address, length);
}

}  // namespace winsim

using namespace winsim;

namespace {

const ULONGLONG kAllocationGranularity = 65536;

bool Writable(DWORD protect) { return protect == PAGE_READWRITE; }

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

}  // namespace

// ---- CreateFileMappingW ----
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
    HandleObject section;
    section.kind = HandleKind::Mapping;
    section.protect = page;
    if (file == INVALID_HANDLE_VALUE) {
        if (requested == 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        section.file = PagingFileSection(requested);
        if (!section.file) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
        section.mappingSize = requested;
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
    if (fstat(object->file->fd, &st) != 0) {
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
        if (!Writable(page) || ftruncate(object->file->fd, static_cast<off_t>(requested)) != 0) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
    }
    section.file = object->file;
    section.mappingSize = requested;
    SetLastError(ERROR_SUCCESS);
    return AddHandle(section);
}

// ---- MapViewOfFile ----
WINSIM_API LPVOID WINAPI MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow,
                                       SIZE_T bytes) {
    if (sim::ShouldFail("MapViewOfFile")) return nullptr;
    HandleObject *section = FindHandle(mapping);
    if (!section || section->kind != HandleKind::Mapping) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    bool write = (access & FILE_MAP_WRITE) != 0;
    bool copy = (access & FILE_MAP_COPY) != 0 && !write;
    if ((write && !Writable(section->protect)) || !(access & (FILE_MAP_READ | FILE_MAP_WRITE | FILE_MAP_COPY))) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    ULONGLONG offset = (static_cast<ULONGLONG>(offsetHigh) << 32) | offsetLow;
    if (offset % kAllocationGranularity != 0) {
        SetLastError(ERROR_MAPPED_ALIGNMENT);
        return nullptr;
    }
    if (offset >= section->mappingSize || bytes > section->mappingSize - offset) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    size_t length = bytes ? bytes : static_cast<size_t>(section->mappingSize - offset);
    int protection = PROT_READ | (write || copy ? PROT_WRITE : 0);
    void *address = mmap(nullptr, length, protection, copy ? MAP_PRIVATE : MAP_SHARED, section->file->fd,
                         static_cast<off_t>(offset));
    if (address == MAP_FAILED) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto view = std::make_shared<MappedView>();
    view->address = address;
    view->length = length;
    view->file = section->file;
    W().io.views[reinterpret_cast<uintptr_t>(address)] = view;
    return address;
}

// ---- UnmapViewOfFile ----
// Any address inside a view names it, as with NtUnmapViewOfSection.
WINSIM_API BOOL WINAPI UnmapViewOfFile(LPCVOID address) {
    if (sim::ShouldFail("UnmapViewOfFile")) return FALSE;
    auto &views = W().io.views;
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

int MappedViewCount() { return static_cast<int>(winsim::W().io.views.size()); }

}  // namespace sim
