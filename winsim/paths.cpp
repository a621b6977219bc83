// Path queries: attributes, full path names, the current directory.
#include <errno.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include "world.h"

using namespace winsim;

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

}  // namespace

// ---- GetFileAttributesW ----
WINSIM_API DWORD WINAPI GetFileAttributesW(LPCWSTR name) {
    if (sim::ShouldFail("GetFileAttributesW")) return INVALID_FILE_ATTRIBUTES;
    if (!name || !name[0]) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    std::string path = LinuxPath(name);
    struct stat st;
    if (stat(path.c_str(), &st) != 0) {
        SetLastError(FileErrorFromErrno(errno, path));
        return INVALID_FILE_ATTRIBUTES;
    }
    return S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

// ---- GetFullPathNameW ----
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

// ---- GetCurrentDirectoryW ----
WINSIM_API DWORD WINAPI GetCurrentDirectoryW(DWORD cch, LPWSTR buffer) {
    if (sim::ShouldFail("GetCurrentDirectoryW")) return 0;
    return CopyOrNeed(CurrentDirectory(), buffer, cch);
}
