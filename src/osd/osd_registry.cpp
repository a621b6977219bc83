// The shared OSD key and this instance's subkey. Nothing here is reported:
// a key that cannot be created or deleted leaves the plugin working.
#include "../base/base.h"
#include "../plugin/plugin.h"
#include "osd.h"

namespace {

constexpr WCHAR WINPE_KEY[] = TEXT("Software\\Microsoft\\Windows NT\\CurrentVersion\\WinPE");
constexpr WCHAR WINPE_VALUE[] = TEXT("Version");

// One path buffer serves the whole descent: each level appends "\name" and
// cuts it off again, so a deep tree costs a few words of stack per level
// rather than a path buffer each.
struct TreePath {
    WCHAR text[REGISTRY_PATH_SIZE];
    size_t length;
};

bool DeleteTreeAt(HKEY root, TreePath *path);

// Deletes every subkey of the key open as `key` that can be deleted. After a
// deletion the rest have moved up, so enumeration starts again at 0; a subkey
// that resisted is passed over, so the loop ends even when one never goes.
void DeleteSubkeys(HKEY root, HKEY key, TreePath *path) {
    size_t base = path->length;
    DWORD index = 0;
    for (;;) {
        if (base + 2 >= REGISTRY_PATH_SIZE) return;
        path->text[base] = TEXT('\\');
        // The name goes straight after the separator; a name that does not
        // fit in what is left of the path is a subkey this path cannot reach.
        DWORD room = static_cast<DWORD>(REGISTRY_PATH_SIZE - base - 1);
        LONG error = RegEnumKeyExW(key, index, path->text + base + 1, &room, NULL, NULL, NULL, NULL);
        bool deleted = false;
        if (error == ERROR_SUCCESS) {
            path->length = base + 1 + room;
            deleted = DeleteTreeAt(root, path);
        } else if (error != ERROR_MORE_DATA) {
            break;
        }
        index = deleted ? 0 : index + 1;
    }
    path->length = base;
    path->text[base] = 0;
}

bool DeleteTreeAt(HKEY root, TreePath *path) {
    size_t length = path->length;
    HKEY key = NULL;
    if (RegOpenKeyExW(root, path->text, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        DeleteSubkeys(root, key, path);
        RegCloseKey(key);
    }
    path->length = length;
    path->text[length] = 0;
    return RegDeleteKeyW(root, path->text) == ERROR_SUCCESS;
}

}  // namespace

bool IsWinPE(void) {
    HKEY key = NULL;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, WINPE_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    WCHAR version[2048 / sizeof(WCHAR)];
    DWORD size = sizeof(version);
    DWORD type = REG_NONE;
    version[0] = 0;
    LONG error = RegQueryValueExW(key, WINPE_VALUE, NULL, &type, reinterpret_cast<LPBYTE>(version), &size);
    RegCloseKey(key);
    // An empty REG_SZ may hold no bytes at all: only a whole first
    // character that is not the terminator counts.
    return error == ERROR_SUCCESS && type == REG_SZ && size >= sizeof(WCHAR) && version[0] != 0;
}

void EnsureOsdKey(void) {
    HKEY key = NULL;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, OSD_SHARED_KEY, 0, NULL, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY, NULL, &key, NULL) == ERROR_SUCCESS) {
        RegCloseKey(key);
    }
}

bool DeleteRegistryTree(HKEY root, LPCWSTR path) {
    TreePath tree;
    size_t length = StrLen(path);
    // A path that does not fit would be cut to another key's name.
    if (length >= REGISTRY_PATH_SIZE) return false;
    StrCopy(tree.text, REGISTRY_PATH_SIZE, path);
    tree.length = length;
    return DeleteTreeAt(root, &tree);
}

void FormatOsdInstanceKey(DWORD processId, LPWSTR path) {
    Format(path, REGISTRY_PATH_SIZE, TEXT("%s\\#%04x %s"), OSD_SHARED_KEY, processId, PLUGIN_NAME);
}

void CleanupOsdKey(void) {
    WCHAR path[REGISTRY_PATH_SIZE];
    FormatOsdInstanceKey(GetCurrentProcessId(), path);
    DeleteRegistryTree(HKEY_CURRENT_USER, path);
}
