// The registry: two trees of keys with typed values, key handles, the
// program's calls on keys with Windows' access checks and error codes, and
// the control API for tests (values are in registry_values.cpp, the text
// file vhost keeps them in in registry_store.cpp).
#include "registry_tree.h"

#include <map>

#include "machine.h"
#include "text_conversions.h"

#include <algorithm>
#include <cstring>

using namespace winsim;

namespace winsim {

namespace {

// The registry's state: the two trees, the open key handles, and the keys a
// test has made refuse access.
struct RegHandle {
    std::shared_ptr<RegKey> key;
    REGSAM access = 0;
};

struct Registry {
    std::shared_ptr<RegKey> currentUser;
    std::shared_ptr<RegKey> localMachine;
    std::map<uintptr_t, RegHandle> handles;
    // Folded key path -> sim::RegistryDenial bits.
    std::map<std::u16string, unsigned> denials;
};

Registry &State() {
    return AreaState<Registry>();
}

std::shared_ptr<RegKey> MakeRoot(const char16_t *name) {
    auto root = std::make_shared<RegKey>();
    root->name = name;
    root->path = name;
    return root;
}

// The registry keeps subkeys sorted by their upper-cased names (so "_" sorts
// after the letters, unlike a lower-casing comparison); a name that is a
// prefix of another comes first.
bool SortsBefore(const std::u16string &a, const std::u16string &b) {
    return FoldName(a) < FoldName(b);
}

void MarkDeleted(RegKey *key) {
    key->deleted = true;
    for (auto &subkey : key->subkeys) MarkDeleted(subkey.get());
}

RegKey *FindSubkey(RegKey *key, const std::u16string &name, size_t *index = nullptr) {
    std::u16string folded = FoldName(name);
    auto &subkeys = key->subkeys;
    auto at = std::lower_bound(
        subkeys.begin(), subkeys.end(), folded,
        [](const std::shared_ptr<RegKey> &k, const std::u16string &f) { return FoldName(k->name) < f; });
    if (index) *index = static_cast<size_t>(at - subkeys.begin());
    if (at != subkeys.end() && FoldName((*at)->name) == folded) return at->get();
    return nullptr;
}

RegKey *AddSubkey(RegKey *parent, const std::u16string &name, bool isVolatile) {
    auto key = std::make_shared<RegKey>();
    key->name = name;
    key->path = parent->path + u"\\" + name;
    key->parent = parent;
    key->isVolatile = isVolatile;
    auto at = std::upper_bound(parent->subkeys.begin(), parent->subkeys.end(), key,
                               [](const std::shared_ptr<RegKey> &a, const std::shared_ptr<RegKey> &b) {
                                   return SortsBefore(a->name, b->name);
                               });
    return parent->subkeys.insert(at, key)->get();
}

RegKey *WalkKeys(RegKey *key, const std::vector<std::u16string> &names) {
    for (const std::u16string &name : names) {
        if (!key) return nullptr;
        key = FindSubkey(key, name);
    }
    return key;
}

RegKey *CreateKeys(RegKey *key, const std::vector<std::u16string> &names) {
    for (const std::u16string &name : names) {
        RegKey *next = FindSubkey(key, name);
        key = next ? next : AddSubkey(key, name, key->isVolatile);
    }
    return key;
}

std::shared_ptr<RegKey> SharedKey(RegKey *key) {
    Registry &registry = State();
    if (!key->parent) return key == registry.currentUser.get() ? registry.currentUser : registry.localMachine;
    size_t index = 0;
    FindSubkey(key->parent, key->name, &index);
    return key->parent->subkeys[index];
}

unsigned DenialsAt(const std::u16string &path) {
    const auto &denials = State().denials;
    auto found = denials.find(FoldName(path));
    return found == denials.end() ? 0 : found->second;
}

unsigned DenialsOf(const RegKey *key) {
    return DenialsAt(key->path);
}

// Key handles: the predefined roots, handles the program opened, closing
// them, and the count a test checks for leaks.
HKEY AddKeyHandle(RegKey *key, REGSAM access) {
    uintptr_t value = NewHandleValue();
    State().handles[value] = RegHandle{SharedKey(key), access};
    return reinterpret_cast<HKEY>(value);
}

// The key behind an open or predefined handle; `access` receives what the
// handle may do. Returns 0, ERROR_INVALID_HANDLE or ERROR_KEY_DELETED.
LSTATUS ResolveKey(HKEY handle, RegKey **key, REGSAM *access = nullptr) {
    if (RegKey *root = RootOf(handle)) {
        *key = root;
        if (access) *access = KEY_ALL_ACCESS;
        return ERROR_SUCCESS;
    }
    auto &handles = State().handles;
    auto found = handles.find(reinterpret_cast<uintptr_t>(handle));
    if (found == handles.end()) return ERROR_INVALID_HANDLE;
    if (found->second.key->deleted) return ERROR_KEY_DELETED;
    *key = found->second.key.get();
    if (access) *access = found->second.access;
    return ERROR_SUCCESS;
}

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

RegValue *FindValue(RegKey *key, const std::u16string &name) {
    std::u16string folded = FoldName(name);
    for (RegValue &value : key->values) {
        if (FoldName(value.name) == folded) return &value;
    }
    return nullptr;
}

// An injected failure of the named call: its error, or 0 for none. The last
// error is left as it was, since registry calls report through their result.
LSTATUS InjectedRegistryError(const char *function) {
    DWORD saved = GetLastError();
    if (!sim::ShouldFail(function)) return ERROR_SUCCESS;
    LSTATUS error = static_cast<LSTATUS>(GetLastError());
    SetLastError(saved);
    return error;
}

// The key behind `handle`, if the handle carries `right`.
LSTATUS KeyWithRight(HKEY handle, REGSAM right, RegKey **key) {
    REGSAM granted = 0;
    if (LSTATUS error = ResolveKey(handle, key, &granted)) return error;
    return (granted & right) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

RegKey *FindPath(HKEY root, const std::u16string &path) {
    RegKey *key = RootOf(root);
    std::vector<std::u16string> names;
    if (!key || !SplitKeyPath(path, &names)) return nullptr;
    return WalkKeys(key, names);
}

RegKey *CreatePath(HKEY root, const std::u16string &path) {
    RegKey *key = RootOf(root);
    std::vector<std::u16string> names;
    if (!key || !SplitKeyPath(path, &names)) return nullptr;
    return CreateKeys(key, names);
}

// The registry's trees: names compared as the registry compares them, paths,
// subkeys kept in the order enumeration reports them, and removal.
RegKey *RootOf(HKEY root) {
    Registry &registry = State();
    if (root == HKEY_CURRENT_USER) {
        if (!registry.currentUser) registry.currentUser = MakeRoot(u"HKEY_CURRENT_USER");
        return registry.currentUser.get();
    }
    if (root == HKEY_LOCAL_MACHINE) {
        if (!registry.localMachine) registry.localMachine = MakeRoot(u"HKEY_LOCAL_MACHINE");
        return registry.localMachine.get();
    }
    return nullptr;
}

std::u16string FoldName(const std::u16string &name) {
    std::u16string folded = name;
    for (char16_t &c : folded) {
        if (c >= u'a' && c <= u'z') {
            c = static_cast<char16_t>(c - 0x20);
        } else if (c >= 0xE0 && c <= 0xFE && c != 0xF7) {  // Latin-1 small letters
            c = static_cast<char16_t>(c - 0x20);
        } else if (c == 0xFF) {
            c = 0x178;
        }
    }
    return folded;
}

bool SplitKeyPath(const std::u16string &path, std::vector<std::u16string> *names) {
    names->clear();
    if (!path.empty() && path[0] == u'\\') return false;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find(u'\\', start);
        if (end == std::u16string::npos) end = path.size();
        if (end > start) names->push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return true;
}

void RemoveKey(RegKey *key) {
    RegKey *parent = key->parent;
    MarkDeleted(key);
    if (!parent) return;
    key->parent = nullptr;  // before the erase, which may free it
    size_t index = 0;
    if (FindSubkey(parent, key->name, &index) == key) parent->subkeys.erase(parent->subkeys.begin() + index);
}

void ResetRegistry() {
    State() = Registry();
}

}  // namespace winsim

WINSIM_API LSTATUS WINAPI RegCloseKey(HKEY key) {
    if (LSTATUS error = InjectedRegistryError("RegCloseKey")) return error;
    if (!key) return ERROR_INVALID_HANDLE;
    if (RootOf(key)) return ERROR_SUCCESS;  // the predefined handles never close
    auto &handles = State().handles;
    if (handles.erase(reinterpret_cast<uintptr_t>(key)) == 0) return ERROR_INVALID_HANDLE;
    return ERROR_SUCCESS;
}

// Registry keys: opening, creating, deleting and enumerating them, with
// Windows' access checks and error codes.

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

// The registry's control API: tests set keys and values up, read them back,
// and make keys refuse access, without going through the program's calls.

namespace sim {

int OpenKeyCount() {
    return static_cast<int>(State().handles.size());
}

void DenyRegistryKey(HKEY root, const std::u16string &path, RegistryDenial denial) {
    RegKey *rootKey = RootOf(root);
    std::vector<std::u16string> names;
    if (!rootKey || !SplitKeyPath(path, &names)) return;
    std::u16string full = rootKey->path;
    for (const std::u16string &name : names) full += u"\\" + name;
    auto &denials = State().denials;
    if (denial == RegistryDenial::None) {
        denials.erase(FoldName(full));
    } else {
        denials[FoldName(full)] = static_cast<unsigned>(denial);
    }
}

void CreateRegistryKey(HKEY root, const std::u16string &path) {
    CreatePath(root, path);
}

bool RegistryKeyExists(HKEY root, const std::u16string &path) {
    return FindPath(root, path) != nullptr;
}

std::vector<std::u16string> RegistrySubkeys(HKEY root, const std::u16string &path) {
    std::vector<std::u16string> names;
    if (RegKey *key = FindPath(root, path)) {
        for (const auto &subkey : key->subkeys) names.push_back(subkey->name);
    }
    return names;
}

}  // namespace sim
