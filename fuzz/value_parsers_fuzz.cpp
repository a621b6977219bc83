// Feeds arbitrary UTF-16 text to the parsers of values users type or scheme
// files hold: numbers, colour values and key names. Every parse must end,
// stay in bounds, and a key name that parses must format back to a name
// that parses to the same code.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <vector>

#include "hotkey/hotkey.h"
#include "schemes/schemes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::vector<WCHAR> text(size / 2 + 1, 0);
    if (size >= 2) memcpy(text.data(), data, size / 2 * 2);

    DWORD number = 0;
    ParseNumber(text.data(), &number);
    LONG color = ParseColorValue(text.data());
    if (color != -1 && (color < 0 || color > 0xFFFFFF)) __builtin_trap();

    const KeyTable *tables[] = {&CLASSIC_KEY_TABLE, &EXTENDED_KEY_TABLE};
    DWORD versions[] = {0, FIRST_EXTENDED_HOST_VERSION};
    for (int i = 0; i < 2; ++i) {
        g_plugin.hostMajorVersion = versions[i];
        LONG code = ParseHotkeyNameIn(tables[i], text.data());
        if (code <= 0) continue;
        WCHAR name[HOTKEY_TEXT_SIZE];
        if (!FormatHotkeyCode(code, name)) __builtin_trap();
        if (ParseHotkeyNameIn(tables[i], name) != code) __builtin_trap();
    }
    return 0;
}
