// Console attributes in words, as the settings screen prints them and as the
// host's colour syntax reads them back.
#include "../base/format.h"
#include "color_values.h"

const LPCWSTR CONSOLE_COLOR_NAMES[16] = {
    TEXT("Black"),        TEXT("Blue"),        TEXT("Green"),        TEXT("Cyan"),
    TEXT("Red"),          TEXT("Magenta"),     TEXT("Yellow"),       TEXT("White"),
    TEXT("Bright Black"), TEXT("Bright Blue"), TEXT("Bright Green"), TEXT("Bright Cyan"),
    TEXT("Bright Red"),   TEXT("Bright Magenta"), TEXT("Bright Yellow"), TEXT("Bright White"),
};

namespace {
WCHAR g_attributeText[ATTRIBUTE_TEXT_SIZE];
}

LPCWSTR DescribeAttribute(DWORD attribute) {
    WORD value = (WORD)(attribute & 0xFFFF);
    if (value == 0) {
        Format(g_attributeText, ATTRIBUTE_TEXT_SIZE, TEXT("not set"));
    } else if (value < 256) {
        Format(g_attributeText, ATTRIBUTE_TEXT_SIZE, TEXT("%s on %s"), CONSOLE_COLOR_NAMES[value & 0xF],
               CONSOLE_COLOR_NAMES[(value >> 4) & 0xF]);
    } else {
        g_attributeText[0] = 0;
    }
    return g_attributeText;
}
