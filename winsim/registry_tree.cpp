// The registry's trees: names compared as the registry compares them, paths,
// subkeys kept in the order enumeration reports them, and removal.
#include <algorithm>

#include "world.h"

namespace winsim {

namespace {

std::shared_ptr<RegKey> MakeRoot(const char16_t *name) {
    auto root = std::make_shared<RegKey>();
    root->name = name;
    root->path = name;
    return root;
}

// The registry keeps subkeys sorted by their upper-cased names (so "_" sorts
// after the letters, unlike a lower-casing comparison); a name that is a
// prefix of another comes first.
bool SortsBefore(const std::u16string &a, const std::u16string &b) { return FoldName(a) < FoldName(b); }

void MarkDeleted(RegKey *key) {
    key->deleted = true;
    for (auto &subkey : key->subkeys) MarkDeleted(subkey.get());
}

}  // namespace

RegKey *RootOf(HKEY root) {
    Registry &registry = W().registry;
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

RegKey *FindSubkey(RegKey *key, const std::u16string &name, size_t *index) {
    std::u16string folded = FoldName(name);
    auto &subkeys = key->subkeys;
    auto at = std::lower_bound(subkeys.begin(), subkeys.end(), folded,
                               [](const std::shared_ptr<RegKey> &k, const std::u16string &f) {
                                   return FoldName(k->name) < f;
                               });
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

void RemoveKey(RegKey *key) {
    RegKey *parent = key->parent;
    MarkDeleted(key);
    if (!parent) return;
    key->parent = nullptr;  // before the erase, which may free it
    size_t index = 0;
    if (FindSubkey(parent, key->name, &index) == key) parent->subkeys.erase(parent->subkeys.begin() + index);
}

std::shared_ptr<RegKey> SharedKey(RegKey *key) {
    Registry &registry = W().registry;
    if (!key->parent) return key == registry.currentUser.get() ? registry.currentUser : registry.localMachine;
    size_t index = 0;
    FindSubkey(key->parent, key->name, &index);
    return key->parent->subkeys[index];
}

unsigned DenialsAt(const std::u16string &path) {
    const auto &denials = W().registry.denials;
    auto found = denials.find(FoldName(path));
    return found == denials.end() ? 0 : found->second;
}

unsigned DenialsOf(const RegKey *key) { return DenialsAt(key->path); }

RegValue *FindValue(RegKey *key, const std::u16string &name) {
    std::u16string folded = FoldName(name);
    for (RegValue &value : key->values) {
        if (FoldName(value.name) == folded) return &value;
    }
    return nullptr;
}

}  // namespace winsim
