// Key handles: the predefined roots, handles the program opened, closing
// them, and the count a test checks for leaks.
#include "world.h"

namespace winsim {

HKEY AddKeyHandle(RegKey *key, REGSAM access) {
    World &world = W();
    uintptr_t value = world.nextHandle;
    world.nextHandle += 4;
    world.registry.handles[value] = RegHandle{SharedKey(key), access};
    return reinterpret_cast<HKEY>(value);
}

LSTATUS ResolveKey(HKEY handle, RegKey **key, REGSAM *access) {
    if (RegKey *root = RootOf(handle)) {
        *key = root;
        if (access) *access = KEY_ALL_ACCESS;
        return ERROR_SUCCESS;
    }
    auto &handles = W().registry.handles;
    auto found = handles.find(reinterpret_cast<uintptr_t>(handle));
    if (found == handles.end()) return ERROR_INVALID_HANDLE;
    if (found->second.key->deleted) return ERROR_KEY_DELETED;
    *key = found->second.key.get();
    if (access) *access = found->second.access;
    return ERROR_SUCCESS;
}

LSTATUS InjectedRegistryError(const char *function) {
    DWORD saved = GetLastError();
    if (!sim::ShouldFail(function)) return ERROR_SUCCESS;
    LSTATUS error = static_cast<LSTATUS>(GetLastError());
    SetLastError(saved);
    return error;
}

}  // namespace winsim

using namespace winsim;

// ---- RegCloseKey ----
WINSIM_API LSTATUS WINAPI RegCloseKey(HKEY key) {
    if (LSTATUS error = InjectedRegistryError("RegCloseKey")) return error;
    if (!key) return ERROR_INVALID_HANDLE;
    if (RootOf(key)) return ERROR_SUCCESS;  // the predefined handles never close
    auto &handles = W().registry.handles;
    if (handles.erase(reinterpret_cast<uintptr_t>(key)) == 0) return ERROR_INVALID_HANDLE;
    return ERROR_SUCCESS;
}

namespace sim {

int OpenKeyCount() { return static_cast<int>(W().registry.handles.size()); }

}  // namespace sim
