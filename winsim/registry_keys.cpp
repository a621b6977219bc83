// Registry keys: opening, creating, deleting and enumerating them, with
// Windows' access checks and error codes.
#include <cstring>

#include "world.h"

using namespace winsim;

namespace {

const unsigned kDenyOpen = static_cast<unsigned>(sim::RegistryDenial::Open);
const unsigned kDenyWrite = static_cast<unsigned>(sim::RegistryDenial::Write);
const unsigned kDenyDelete = static_cast<unsigned>(sim::RegistryDenial::Delete);
const size_t kMaxKeyName = 255;

// The rights a handle gets for what was asked, generic rights mapped as the
// registry maps them.
REGSAM GrantedAccess(REGSAM asked, unsigned denials) {
    REGSAM granted = asked & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL | MAXIMUM_ALLOWED);
    if (asked & (GENERIC_READ | GENERIC_EXECUTE)) granted |= KEY_READ;
    if (asked & GENERIC_WRITE) granted |= KEY_WRITE;
    if (asked & (GENERIC_ALL | MAXIMUM_ALLOWED)) granted |= KEY_ALL_ACCESS;
    if (asked & MAXIMUM_ALLOWED) {
        // Asking for the most there is drops what is refused instead of failing.
        if (denials & kDenyWrite) granted &= ~static_cast<REGSAM>(KEY_SET_VALUE | KEY_CREATE_SUB_KEY);
        if (denials & kDenyDelete) granted &= ~static_cast<REGSAM>(DELETE);
    }
    return granted;
}

// As the access check of an open: the key's denials against the rights asked.
LSTATUS CheckAccess(unsigned denials, REGSAM granted) {
    if (denials & kDenyOpen) return ERROR_ACCESS_DENIED;
    if ((denials & kDenyWrite) && (granted & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY))) return ERROR_ACCESS_DENIED;
    if ((denials & kDenyDelete) && (granted & DELETE)) return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

// Resolves `handle` and splits `subKey` (null reads as empty).
LSTATUS Start(HKEY handle, LPCWSTR subKey, RegKey **base, std::vector<std::u16string> *names) {
    if (LSTATUS error = ResolveKey(handle, base)) return error;
    if (!SplitKeyPath(subKey ? Str(subKey) : std::u16string(), names)) return ERROR_BAD_PATHNAME;
    return ERROR_SUCCESS;
}

// Whether the keys `names[from..]` may be made below `key`: each parent must
// accept new subkeys and each new key must not refuse opening.
LSTATUS CheckCreation(const RegKey *key, const std::vector<std::u16string> &names, size_t from) {
    std::u16string parentPath = key->path;
    for (size_t i = from; i < names.size(); ++i) {
        if (names[i].size() > kMaxKeyName) return ERROR_INVALID_PARAMETER;
        std::u16string path = parentPath + u"\\" + names[i];
        if (DenialsAt(parentPath) & kDenyWrite) return ERROR_ACCESS_DENIED;
        if (DenialsAt(path) & kDenyOpen) return ERROR_ACCESS_DENIED;
        parentPath = path;
    }
    return ERROR_SUCCESS;
}

}  // namespace

// ---- RegOpenKeyExW ----
WINSIM_API LSTATUS WINAPI RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD, REGSAM access, PHKEY result) {
    if (result) *result = NULL;
    if (LSTATUS error = InjectedRegistryError("RegOpenKeyExW")) return error;
    if (!result) return ERROR_INVALID_PARAMETER;
    RegKey *base = nullptr;
    std::vector<std::u16string> names;
    if (LSTATUS error = Start(key, subKey, &base, &names)) return error;
    RegKey *target = WalkKeys(base, names);
    if (!target) return ERROR_FILE_NOT_FOUND;
    REGSAM granted = GrantedAccess(access, DenialsOf(target));
    if (LSTATUS error = CheckAccess(DenialsOf(target), granted)) return error;
    *result = AddKeyHandle(target, granted);
    return ERROR_SUCCESS;
}

// ---- RegCreateKeyExW ----
WINSIM_API LSTATUS WINAPI RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD, LPWSTR, DWORD options, REGSAM access,
                                          LPSECURITY_ATTRIBUTES, PHKEY result, LPDWORD disposition) {
    if (result) *result = NULL;
    if (LSTATUS error = InjectedRegistryError("RegCreateKeyExW")) return error;
    if (!result) return ERROR_INVALID_PARAMETER;
    RegKey *base = nullptr;
    std::vector<std::u16string> names;
    if (LSTATUS error = Start(key, subKey, &base, &names)) return error;

    // The part of the path that exists already.
    RegKey *existing = base;
    size_t found = 0;
    while (found < names.size()) {
        RegKey *next = FindSubkey(existing, names[found]);
        if (!next) break;
        existing = next;
        ++found;
    }
    std::u16string finalPath = existing->path;
    for (size_t i = found; i < names.size(); ++i) finalPath += u"\\" + names[i];
    REGSAM granted = GrantedAccess(access, DenialsAt(finalPath));
    if (LSTATUS error = CheckAccess(DenialsAt(finalPath), granted)) return error;
    if (found == names.size()) {
        *result = AddKeyHandle(existing, granted);
        if (disposition) *disposition = REG_OPENED_EXISTING_KEY;
        return ERROR_SUCCESS;
    }

    bool isVolatile = (options & REG_OPTION_VOLATILE) != 0;
    if (existing->isVolatile && !isVolatile) return ERROR_CHILD_MUST_BE_VOLATILE;
    if (LSTATUS error = CheckCreation(existing, names, found)) return error;
    RegKey *created = existing;
    for (size_t i = found; i < names.size(); ++i) created = AddSubkey(created, names[i], isVolatile);
    *result = AddKeyHandle(created, granted);
    if (disposition) *disposition = REG_CREATED_NEW_KEY;
    return ERROR_SUCCESS;
}

// ---- RegDeleteKeyW ----
WINSIM_API LSTATUS WINAPI RegDeleteKeyW(HKEY key, LPCWSTR subKey) {
    if (LSTATUS error = InjectedRegistryError("RegDeleteKeyW")) return error;
    if (!subKey) return ERROR_INVALID_PARAMETER;
    RegKey *base = nullptr;
    std::vector<std::u16string> names;
    if (LSTATUS error = Start(key, subKey, &base, &names)) return error;
    RegKey *target = WalkKeys(base, names);
    if (!target) return ERROR_FILE_NOT_FOUND;
    // The key is opened for DELETE first; a key with subkeys, or a root,
    // refuses the deletion itself with the same code.
    if (DenialsOf(target) & (kDenyOpen | kDenyDelete)) return ERROR_ACCESS_DENIED;
    if (!target->parent || !target->subkeys.empty()) return ERROR_ACCESS_DENIED;
    RemoveKey(target);
    return ERROR_SUCCESS;
}

// ---- RegEnumKeyExW ----
WINSIM_API LSTATUS WINAPI RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLength, LPDWORD reserved,
                                        LPWSTR keyClass, LPDWORD classLength, struct _FILETIME *lastWriteTime) {
    if (LSTATUS error = InjectedRegistryError("RegEnumKeyExW")) return error;
    if (reserved || !name || !nameLength) return ERROR_INVALID_PARAMETER;
    RegKey *parent = nullptr;
    REGSAM granted = 0;
    if (LSTATUS error = ResolveKey(key, &parent, &granted)) return error;
    if (!(granted & KEY_ENUMERATE_SUB_KEYS)) return ERROR_ACCESS_DENIED;
    if (index >= parent->subkeys.size()) return ERROR_NO_MORE_ITEMS;
    const std::u16string &found = parent->subkeys[index]->name;
    // The length in is the buffer's, terminator included; the length out is
    // the name's. Too small a buffer leaves both untouched.
    if (found.size() >= *nameLength) return ERROR_MORE_DATA;
    if (keyClass && classLength && *classLength < 1) return ERROR_MORE_DATA;
    std::memcpy(name, found.data(), found.size() * sizeof(WCHAR));
    name[found.size()] = 0;
    *nameLength = static_cast<DWORD>(found.size());
    if (classLength) {
        if (keyClass) keyClass[0] = 0;
        *classLength = 0;
    }
    if (lastWriteTime) std::memset(lastWriteTime, 0, 2 * sizeof(DWORD));  // no write times are kept
    return ERROR_SUCCESS;
}
