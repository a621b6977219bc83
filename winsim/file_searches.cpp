// Directory searches: FindFirstFileW, FindNextFileW and FindClose, with
// Windows' wildcard matching and its quirks.
#include "files_state.h"
#include "machine.h"
#include "text_conversions.h"

#include <dirent.h>
#include <errno.h>
#include <sys/stat.h>

using namespace winsim;

namespace winsim {

namespace {

struct DirectorySearch : RecordOf<DirectorySearch> {
    std::vector<WIN32_FIND_DATAW> entries;
    size_t next = 0;
};

char16_t FoldForMatch(char16_t c) {
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
}

// "*" any run of characters, "?" one. Two quirks of Windows' matching are
// kept: a pattern ending in ".*" also matches a name without that dot
// ("name.*" finds "name"), and "*.*" matches every name.
bool MatchesPattern(const char16_t *pattern, const char16_t *name) {
    if (pattern[0] == u'.' && pattern[1] == u'*' && pattern[2] == 0 && name[0] == 0) return true;
    if (pattern[0] == 0) return name[0] == 0;
    if (pattern[0] == u'*') {
        for (const char16_t *rest = name;; ++rest) {
            if (MatchesPattern(pattern + 1, rest)) return true;
            if (*rest == 0) return false;
        }
    }
    if (name[0] == 0) return false;
    if (pattern[0] != u'?' && FoldForMatch(pattern[0]) != FoldForMatch(name[0])) return false;
    return MatchesPattern(pattern + 1, name + 1);
}

// Seconds since 1970 as a FILETIME (100 ns units since 1601).
FILETIME FileTimeOf(time_t seconds) {
    ULONGLONG ticks = (static_cast<ULONGLONG>(seconds) + 11644473600ull) * 10000000ull;
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

WIN32_FIND_DATAW FindDataOf(const std::string &path, const std::u16string &name) {
    WIN32_FIND_DATAW data = {};
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        data.dwFileAttributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
        if (S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR)) data.dwFileAttributes |= FILE_ATTRIBUTE_READONLY;
        data.ftCreationTime = data.ftLastAccessTime = data.ftLastWriteTime = FileTimeOf(st.st_mtime);
        ULONGLONG size = S_ISDIR(st.st_mode) ? 0 : static_cast<ULONGLONG>(st.st_size);
        data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
        data.nFileSizeLow = static_cast<DWORD>(size);
    }
    CopyTruncated(name, data.cFileName, MAX_PATH);
    return data;
}

}  // namespace

}  // namespace winsim

// ---- directory searches ----
// FindFirstFileW's pattern is a directory and a last part that may hold
// wildcards, matched without regard to case. Entries come in the order the
// directory gives them, as on Windows, where only NTFS happens to sort them:
// a caller that wants an order sorts.

WINSIM_API HANDLE WINAPI FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW data) {
    if (sim::ShouldFail("FindFirstFileW")) return INVALID_HANDLE_VALUE;
    std::string path;
    if (!pattern || !data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (!pattern[0]) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (!OpenablePath(pattern, &path)) return INVALID_HANDLE_VALUE;
    size_t slash = path.find_last_of('/');
    std::string directory = slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
    std::u16string last = FromUtf8(slash == std::string::npos ? path : path.substr(slash + 1));
    // A trailing separator leaves nothing to match.
    if (last.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (last == u"*.*") last = u"*";
    DIR *folder = opendir(directory.c_str());
    if (!folder) {
        SetLastError(errno == ENOTDIR || errno == ENOENT ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    auto *search = new DirectorySearch;
    bool root = directory == "/";
    while (dirent *entry = readdir(folder)) {
        std::u16string name = FromUtf8(entry->d_name);
        // A root directory has no "." or ".." on Windows.
        if (root && (name == u"." || name == u"..")) continue;
        if (!MatchesPattern(last.c_str(), name.c_str())) continue;
        search->entries.push_back(FindDataOf(directory + "/" + entry->d_name, name));
    }
    closedir(folder);
    if (search->entries.empty()) {
        delete search;
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    *data = search->entries[0];
    search->next = 1;
    return AddHandle(HandleKind::Find, search);
}

WINSIM_API BOOL WINAPI FindNextFileW(HANDLE find, LPWIN32_FIND_DATAW data) {
    if (sim::ShouldFail("FindNextFileW")) return FALSE;
    HandleObject *object = FindHandle(find);
    if (!object || object->kind != HandleKind::Find || !data) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    DirectorySearch &search = *object->record.As<DirectorySearch>();
    if (search.next >= search.entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *data = search.entries[search.next++];
    return TRUE;
}

WINSIM_API BOOL WINAPI FindClose(HANDLE find) {
    if (sim::ShouldFail("FindClose")) return FALSE;
    HandleObject *object = FindHandle(find);
    if (!object || object->kind != HandleKind::Find) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    RemoveHandle(find);
    return TRUE;
}
