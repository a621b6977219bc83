// Which listed scheme is in effect: the one whose colours the console and
// the host show now.
#include <string.h>

#include "../base/wstr.h"
#include "palette.h"

namespace {

// The first six directives take part, with the defaults the host assumes
// for them; the three selection directives do not.
#define COMPARED_DIRECTIVES 6

void ReadComparedDirectives(WORD currentAttribute, WORD values[COMPARED_DIRECTIVES]) {
    WORD base = currentAttribute & 0xFF;
    if (base == 0) base = 7;
    WORD swapped = static_cast<WORD>(((base & 0x0F) << 4) | (base >> 4));
    for (int i = 0; i < COMPARED_DIRECTIVES; ++i) {
        // ListStatBarColors and ListInverseColors default to inverse video.
        LONG fallback = i < 4 ? base : swapped;
        values[i] = static_cast<WORD>(QueryAttributeOption(DIRECTIVE_NAMES[i], fallback) & 0xFFFF);
    }
}

BOOL SchemeIsInEffect(const ColorScheme *scheme, const WORD values[COMPARED_DIRECTIVES],
                      const CONSOLE_SCREEN_BUFFER_INFOEX *info, LPCWSTR colorDir) {
    for (int i = 0; i < COMPARED_DIRECTIVES; ++i) {
        if (SchemeDirective(scheme, i) != values[i]) return FALSE;
    }
    if (memcmp(scheme->palette, info->ColorTable, sizeof scheme->palette) != 0) return FALSE;
    return StrCompareI(scheme->ColorDir, colorDir) == 0;
}

}  // namespace

ColorScheme *IdentifyCurrentScheme(void) {
    if (!g_schemes) return nullptr;
    CONSOLE_SCREEN_BUFFER_INFOEX info;
    if (!ReadConsoleInfo(&info)) return nullptr;
    WORD values[COMPARED_DIRECTIVES];
    ReadComparedDirectives(info.wAttributes, values);
    WCHAR colorDir[COLOR_DIR_TEXT_SIZE];
    // A variable too long to read cannot be compared; read as empty it
    // would match the schemes that have none.
    if (!ReadColorDirVariable(colorDir)) return nullptr;

    for (ColorScheme *scheme = g_schemes; scheme; scheme = scheme->next) {
        if (SchemeIsInEffect(scheme, values, &info, colorDir)) return scheme;
    }
    return nullptr;
}
