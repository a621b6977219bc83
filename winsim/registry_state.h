// The simulated registry's state: two trees of keys with typed values, the
// open key handles, and the keys a test has made refuse access. Part of the
// World, so that sim::Reset empties it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace winsim {

struct RegValue {
    std::u16string name;
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

struct RegKey {
    std::u16string name;  // as created; the roots carry their HKEY_ name
    std::u16string path;  // from the root's name down, "\" separated
    RegKey *parent = nullptr;
    // Kept in the registry's order: names compared upper-cased.
    std::vector<std::shared_ptr<RegKey>> subkeys;
    // In the order they were first set, as Windows enumerates them.
    std::vector<RegValue> values;
    bool isVolatile = false;
    bool deleted = false;  // handles to it stay valid but answer ERROR_KEY_DELETED
};

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

// registry_tree.cpp
// The tree of a predefined handle, or null for any other value.
RegKey *RootOf(HKEY root);
// Upper-cases as the registry compares names.
std::u16string FoldName(const std::u16string &name);
// Splits a relative path into its names; false for a path that begins with
// "\" (Windows' ERROR_BAD_PATHNAME). Empty names between separators vanish.
bool SplitKeyPath(const std::u16string &path, std::vector<std::u16string> *names);
RegKey *FindSubkey(RegKey *key, const std::u16string &name, size_t *index = nullptr);
// Adds a subkey in the registry's order and returns it.
RegKey *AddSubkey(RegKey *parent, const std::u16string &name, bool isVolatile);
// Walks `names` from `key`; null when one is missing.
RegKey *WalkKeys(RegKey *key, const std::vector<std::u16string> &names);
// Creates what is missing below `key` without any check (the control API).
RegKey *CreateKeys(RegKey *key, const std::vector<std::u16string> &names);
// Removes `key` from its parent and marks it and everything below deleted.
void RemoveKey(RegKey *key);
std::shared_ptr<RegKey> SharedKey(RegKey *key);
// sim::RegistryDenial bits for a key's full path (root name first).
unsigned DenialsAt(const std::u16string &path);
unsigned DenialsOf(const RegKey *key);
RegValue *FindValue(RegKey *key, const std::u16string &name);

// registry_handles.cpp
HKEY AddKeyHandle(RegKey *key, REGSAM access);
// The key behind an open or predefined handle; `access` receives what the
// handle may do. Returns 0, ERROR_INVALID_HANDLE or ERROR_KEY_DELETED.
LSTATUS ResolveKey(HKEY handle, RegKey **key, REGSAM *access = nullptr);
// An injected failure of the named call: its error, or 0 for none. The last
// error is left as it was, since registry calls report through their result.
LSTATUS InjectedRegistryError(const char *function);

}  // namespace winsim
