// The registry's control API: tests set keys and values up, read them back,
// and make keys refuse access, without going through the program's calls.
#include "world.h"

using namespace winsim;

namespace {

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

}  // namespace

namespace sim {

void DenyRegistryKey(HKEY root, const std::u16string &path, RegistryDenial denial) {
    RegKey *rootKey = RootOf(root);
    std::vector<std::u16string> names;
    if (!rootKey || !SplitKeyPath(path, &names)) return;
    std::u16string full = rootKey->path;
    for (const std::u16string &name : names) full += u"\\" + name;
    auto &denials = W().registry.denials;
    if (denial == RegistryDenial::None) {
        denials.erase(FoldName(full));
    } else {
        denials[FoldName(full)] = static_cast<unsigned>(denial);
    }
}

void CreateRegistryKey(HKEY root, const std::u16string &path) { CreatePath(root, path); }

void SetRegistryValue(HKEY root, const std::u16string &path, const std::u16string &name, DWORD type,
                      const std::vector<BYTE> &data) {
    RegKey *key = CreatePath(root, path);
    if (!key) return;
    RegValue *value = FindValue(key, name);
    if (!value) {
        key->values.push_back(RegValue());
        value = &key->values.back();
        value->name = name;
    }
    value->type = type;
    value->data = data;
}

void SetRegistryDword(HKEY root, const std::u16string &path, const std::u16string &name, DWORD value) {
    std::vector<BYTE> data(4);
    for (int i = 0; i < 4; ++i) data[i] = static_cast<BYTE>(value >> (8 * i));
    SetRegistryValue(root, path, name, REG_DWORD, data);
}

void SetRegistryString(HKEY root, const std::u16string &path, const std::u16string &name,
                       const std::u16string &text) {
    std::vector<BYTE> data;
    for (size_t i = 0; i <= text.size(); ++i) {
        char16_t c = i < text.size() ? text[i] : 0;
        data.push_back(static_cast<BYTE>(c & 0xFF));
        data.push_back(static_cast<BYTE>(c >> 8));
    }
    SetRegistryValue(root, path, name, REG_SZ, data);
}

bool RegistryValue(HKEY root, const std::u16string &path, const std::u16string &name, DWORD *type,
                   std::vector<BYTE> *data) {
    RegKey *key = FindPath(root, path);
    const RegValue *value = key ? FindValue(key, name) : nullptr;
    if (!value) return false;
    if (type) *type = value->type;
    if (data) *data = value->data;
    return true;
}

bool RegistryKeyExists(HKEY root, const std::u16string &path) { return FindPath(root, path) != nullptr; }

std::vector<std::u16string> RegistrySubkeys(HKEY root, const std::u16string &path) {
    std::vector<std::u16string> names;
    if (RegKey *key = FindPath(root, path)) {
        for (const auto &subkey : key->subkeys) names.push_back(subkey->name);
    }
    return names;
}

}  // namespace sim
