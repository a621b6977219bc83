// The registry's tree of keys with typed values, shared by the calls on
// keys, the calls on values and the text file vhost keeps them in.
#pragma once

#include <windows.h>

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

// registry.cpp: the trees
// The tree of a predefined handle, or null for any other value.
RegKey *RootOf(HKEY root);
// Upper-cases as the registry compares names.
std::u16string FoldName(const std::u16string &name);
// Splits a relative path into its names; false for a path that begins with
// "\" (Windows' ERROR_BAD_PATHNAME). Empty names between separators vanish.
bool SplitKeyPath(const std::u16string &path, std::vector<std::u16string> *names);
// Removes `key` from its parent and marks it and everything below deleted.
void RemoveKey(RegKey *key);
// The value `name` of `key`, names compared as the registry compares them.
RegValue *FindValue(RegKey *key, const std::u16string &name);
// The key at `path` below a predefined root, or null; CreatePath makes the
// keys that are missing.
RegKey *FindPath(HKEY root, const std::u16string &path);
RegKey *CreatePath(HKEY root, const std::u16string &path);

// registry.cpp: what the calls share
// An injected failure of the named call: its error, or 0 for none.
LSTATUS InjectedRegistryError(const char *function);
// The key behind an open or predefined handle, if the handle carries `right`.
LSTATUS KeyWithRight(HKEY handle, REGSAM right, RegKey **key);

}  // namespace winsim
