// Registry values: typed bytes under a key, read with Windows' size rules
// (a null buffer asks for the size; too small a buffer gets ERROR_MORE_DATA
// and the size needed), written, deleted and enumerated; and the test side
// that sets values up and reads them back.
#include "registry_tree.h"

#include "machine.h"
#include "text_conversions.h"

#include <cstring>

using namespace winsim;

namespace winsim {

namespace {

std::u16string NameOf(LPCWSTR name) {
    return name ? Str(name) : std::u16string();
}

// Copies the bytes when the buffer holds them; `size` always ends as the
// size of the value.
LSTATUS CopyData(const RegValue &value, LPBYTE data, LPDWORD size) {
    DWORD needed = static_cast<DWORD>(value.data.size());
    if (data && *size < needed) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (data && needed) std::memcpy(data, value.data.data(), needed);
    if (size) *size = needed;
    return ERROR_SUCCESS;
}

}  // namespace

}  // namespace winsim

WINSIM_API LSTATUS WINAPI RegQueryValueExW(HKEY key, LPCWSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                           LPDWORD size) {
    if (LSTATUS error = InjectedRegistryError("RegQueryValueExW")) return error;
    if (reserved || (data && !size)) return ERROR_INVALID_PARAMETER;
    RegKey *holder = nullptr;
    if (LSTATUS error = KeyWithRight(key, KEY_QUERY_VALUE, &holder)) return error;
    const RegValue *value = FindValue(holder, NameOf(name));
    if (!value) return ERROR_FILE_NOT_FOUND;
    if (type) *type = value->type;
    return CopyData(*value, data, size);
}

WINSIM_API LSTATUS WINAPI RegSetValueExW(HKEY key, LPCWSTR name, DWORD, DWORD type, const BYTE *data, DWORD size) {
    if (LSTATUS error = InjectedRegistryError("RegSetValueExW")) return error;
    if (!data && size) return ERROR_NOACCESS;
    RegKey *holder = nullptr;
    if (LSTATUS error = KeyWithRight(key, KEY_SET_VALUE, &holder)) return error;
    std::u16string valueName = NameOf(name);
    RegValue *value = FindValue(holder, valueName);
    if (!value) {
        holder->values.push_back(RegValue());
        value = &holder->values.back();
        value->name = valueName;
    }
    value->type = type;
    if (size) {
        value->data.assign(data, data + size);
    } else {
        value->data.clear();
    }
    return ERROR_SUCCESS;
}

WINSIM_API LSTATUS WINAPI RegDeleteValueW(HKEY key, LPCWSTR name) {
    if (LSTATUS error = InjectedRegistryError("RegDeleteValueW")) return error;
    RegKey *holder = nullptr;
    if (LSTATUS error = KeyWithRight(key, KEY_SET_VALUE, &holder)) return error;
    RegValue *value = FindValue(holder, NameOf(name));
    if (!value) return ERROR_FILE_NOT_FOUND;
    holder->values.erase(holder->values.begin() + (value - holder->values.data()));
    return ERROR_SUCCESS;
}

WINSIM_API LSTATUS WINAPI RegEnumValueW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameLength, LPDWORD reserved,
                                        LPDWORD type, LPBYTE data, LPDWORD size) {
    if (LSTATUS error = InjectedRegistryError("RegEnumValueW")) return error;
    if (reserved || !name || !nameLength || (data && !size)) return ERROR_INVALID_PARAMETER;
    RegKey *holder = nullptr;
    if (LSTATUS error = KeyWithRight(key, KEY_QUERY_VALUE, &holder)) return error;
    if (index >= holder->values.size()) return ERROR_NO_MORE_ITEMS;
    const RegValue &value = holder->values[index];
    if (value.name.size() >= *nameLength) return ERROR_MORE_DATA;
    std::memcpy(name, value.name.data(), value.name.size() * sizeof(WCHAR));
    name[value.name.size()] = 0;
    *nameLength = static_cast<DWORD>(value.name.size());
    if (type) *type = value.type;
    return CopyData(value, data, size);
}

namespace sim {

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

void SetRegistryString(HKEY root, const std::u16string &path, const std::u16string &name, const std::u16string &text) {
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

}  // namespace sim
