// Which generation of host runs the plugin: from major version 24 on the host
// reports some keys with other codes, so the key table follows the version.
#include "../base/number.h"
#include "../plugin/state.h"
#include "hotkey.h"

DWORD g_hostMajorVersion = 0;

namespace {

// Major versions outside this range are not believed.
const DWORD LOWEST_HOST_VERSION = 8;
const DWORD HIGHEST_HOST_VERSION = 100;

}  // namespace

DWORD ReadHostVersion(void) {
    WCHAR buffer[HOST_VERSION_TEXT_SIZE];
    // Leading blanks and a plus sign read as the C runtime's conversion
    // reads them; the fraction after the major version is ignored.
    LPCWSTR p = ExpandHostVersion(buffer);
    if (*p == TEXT('+')) ++p;
    DWORD version = 0;
    if (ScanUnsigned32(p, 10, &version, nullptr) != NUMBER_OK) version = 0;
    if (version < LOWEST_HOST_VERSION || version > HIGHEST_HOST_VERSION) version = 0;
    g_hostMajorVersion = version;
    return version;
}

const KeyTable *ActiveKeyTable(void) {
    return g_hostMajorVersion >= FIRST_EXTENDED_HOST_VERSION ? &EXTENDED_KEY_TABLE : &CLASSIC_KEY_TABLE;
}
