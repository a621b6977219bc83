// The frame's process-wide state, written at attach and start-up and read
// afterwards by every subsystem, and the host's version as %_4ver gives it.
#include "../base/base.h"
#include "host.h"
#include "plugin.h"

PluginState g_plugin = {nullptr, INVALID_HANDLE_VALUE, nullptr, nullptr, 0, 0, DEFAULT_HOTKEY, TRUE, false};

namespace {

constexpr size_t HOST_VERSION_TEXT_SIZE = 1024;
// Major versions outside this range are not believed.
constexpr DWORD LOWEST_HOST_VERSION = 8;
constexpr DWORD HIGHEST_HOST_VERSION = 100;

// Expands the host's %_4ver into `buffer` (HOST_VERSION_TEXT_SIZE characters)
// and returns where its text starts after leading white space.
LPCWSTR ExpandHostVersion(LPWSTR buffer) {
    StrCopy(buffer, HOST_VERSION_TEXT_SIZE, TEXT("%_4ver"));
    ExpandVariables(buffer, 1);
    LPCWSTR p = buffer;
    while (IsWhiteSpace(*p)) ++p;
    return p;
}

// Digits up to the first non-digit; too many digits read as the largest
// value, as the C runtime's conversion does.
DWORD LeadingNumber(LPCWSTR p) {
    DWORD version = 0;
    // An overflow leaves the largest value, which is the reading wanted here.
    if (IsAsciiDigit(*p)) (void)ScanUnsigned32(p, 10, &version, nullptr);
    return version;
}

// A plus sign reads as the C runtime's conversion reads it; the fraction
// after the major version is ignored.
DWORD MajorVersion(LPCWSTR p) {
    if (*p == TEXT('+')) ++p;
    DWORD version = 0;
    if (ScanUnsigned32(p, 10, &version, nullptr) != NUMBER_OK) version = 0;
    if (version < LOWEST_HOST_VERSION || version > HIGHEST_HOST_VERSION) version = 0;
    return version;
}

}  // namespace

bool AttachPlugin(HMODULE module, DWORD reason) {
    if (reason == DLL_PROCESS_ATTACH) g_plugin.module = module;
    return true;
}

void ResetPluginState(void) {
    HMODULE module = g_plugin.module;
    g_plugin = PluginState{module, INVALID_HANDLE_VALUE, nullptr, nullptr, 0, 0, DEFAULT_HOTKEY, TRUE, false};
}

DWORD ReadHostVersion(void) {
    WCHAR buffer[HOST_VERSION_TEXT_SIZE];
    LPCWSTR p = ExpandHostVersion(buffer);
    g_plugin.hostVersion = LeadingNumber(p);
    g_plugin.hostMajorVersion = MajorVersion(p);
    return g_plugin.hostMajorVersion;
}
