// The scheme file read at start-up: Vivanta.ini beside the plugin, or else
// beside the host's command processor.
#include "../base/wstr.h"
#include "../plugin/host.h"
#include "../plugin/state.h"
#include "scheme_file.h"

namespace {

// The directory part of `path` in place: up to and including the last "\"
// or "/", or else the last ":"; empty when there is none.
void KeepDirectory(LPWSTR path) {
    LPCWSTR back = StrFindLastChar(path, TEXT('\\'));
    LPCWSTR slash = StrFindLastChar(path, TEXT('/'));
    LPCWSTR cut = back > slash ? back : slash;
    if (!cut) cut = StrFindLastChar(path, TEXT(':'));
    path[cut ? (cut - path) + 1 : 0] = 0;
}

// Appends the file name to the directory in `path` (MODULE_PATH_SIZE); false
// when there is no directory or the whole name would not fit.
bool AppendFileName(LPWSTR path) {
    size_t length = StrLen(path);
    if (length == 0) return false;
    WCHAR last = path[length - 1];
    if (last != TEXT('\\') && last != TEXT('/') && last != TEXT(':')) {
        if (StrAppend(path, MODULE_PATH_SIZE, TEXT("\\")) != length + 1) return false;
        ++length;
    }
    return StrAppend(path, MODULE_PATH_SIZE, DEFAULT_SCHEME_FILE) == length + StrLen(DEFAULT_SCHEME_FILE);
}

}  // namespace

int LoadDefaultSchemeFile(void) {
    WCHAR path[MODULE_PATH_SIZE];
    DWORD length = GetModuleFileNameW(g_plugin.module, path, MODULE_PATH_SIZE);
    // A cut-off name would lead to some other directory.
    if (length == 0 || length >= MODULE_PATH_SIZE) return 0;
    path[length] = 0;
    KeepDirectory(path);
    if (AppendFileName(path) && QueryIsFile(path)) return ReadSchemeFile(path, 0);

    // The host's directory. Without one there is nothing to look at: a bare
    // file name would be read from whatever the current directory is.
    StrCopy(path, MODULE_PATH_SIZE, TEXT("%@path[%_cmdspec]"));
    ExpandVariables(path, 1);
    if (AppendFileName(path) && QueryIsFile(path)) return ReadSchemeFile(path, 0);
    return 0;
}
