// The process environment: names compared without regard to case, values
// returned with Windows' buffer-size rules.
#include "world.h"

using namespace winsim;

namespace {

std::pair<std::u16string, std::u16string> *FindVariable(const std::u16string &name) {
    for (auto &variable : W().environment) {
        if (EqualNoCase(variable.first, name)) return &variable;
    }
    return nullptr;
}

}  // namespace

namespace winsim {

void PutEnvironment(const std::u16string &name, const std::u16string &value) {
    if (auto *variable = FindVariable(name)) {
        variable->second = value;
    } else {
        W().environment.push_back({name, value});
    }
}

}  // namespace winsim

// ---- GetEnvironmentVariableW ----
// A value that fits: its length without the terminator. One that does not:
// the size needed with the terminator, and the buffer left alone.
WINSIM_API DWORD WINAPI GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size) {
    if (sim::ShouldFail("GetEnvironmentVariableW")) return 0;
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto *variable = FindVariable(name);
    if (!variable) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    const std::u16string &value = variable->second;
    if (!buffer || size <= value.size()) return static_cast<DWORD>(value.size() + 1);
    CopyTruncated(value, buffer, size);
    // An empty value answers 0 like a missing one; the cleared error tells them apart.
    if (value.empty()) SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(value.size());
}

// ---- SetEnvironmentVariableW ----
WINSIM_API BOOL WINAPI SetEnvironmentVariableW(LPCWSTR name, LPCWSTR value) {
    if (sim::ShouldFail("SetEnvironmentVariableW")) return FALSE;
    // "=" may only lead a name (the hidden per-drive directories use that).
    if (!name || !name[0] || std::u16string(name).find(u'=', 1) != std::u16string::npos) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto &environment = W().environment;
    auto *variable = FindVariable(name);
    if (!value) {
        if (variable) environment.erase(environment.begin() + (variable - environment.data()));
        return TRUE;
    }
    PutEnvironment(name, value);
    return TRUE;
}

namespace sim {

std::u16string Environment(const std::u16string &name) {
    auto *variable = FindVariable(name);
    return variable ? variable->second : std::u16string();
}

}  // namespace sim
