// Path services: QueryTrueName, QueryIsFile and QueryIsDirectory.
#include <vector>

#include "host_state.h"
#include "plugin/host.h"

namespace {

const DWORD kPathCapacity = 32768;

}  // namespace

using namespace host;

// `out` may be `path` itself, so the name is copied before anything is
// written. On failure `out` keeps the name as given, so that a caller that
// goes on to open it sees the real name and the real error.
int WINAPI QueryTrueName(LPCWSTR path, LPWSTR out) {
    if (path == nullptr || out == nullptr) return ERROR_INVALID_PARAMETER;
    Text name(path);
    std::vector<WCHAR> full(kPathCapacity);
    DWORD length = GetFullPathNameW(name.c_str(), kPathCapacity, full.data(), nullptr);
    if (length == 0 || length >= kPathCapacity) {
        DWORD error = length == 0 ? GetLastError() : ERROR_INSUFFICIENT_BUFFER;
        CopyLimited(name, out, kPathCapacity);
        return error != 0 ? static_cast<int>(error) : ERROR_INVALID_NAME;
    }
    CopyLimited(Text(full.data(), length), out, kPathCapacity);
    return 0;
}

int WINAPI QueryIsFile(LPCWSTR path) {
    if (path == nullptr) return 0;
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

int WINAPI QueryIsDirectory(LPCWSTR path) {
    if (path == nullptr) return 0;
    DWORD attributes = GetFileAttributesW(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
