// Strict numbers and colour values as scheme files and the command write
// them, and console attributes in words, as the settings screen prints them
// and as the host's colour syntax reads them back.
#include "../base/base.h"
#include "schemes.h"

bool ParseNumber(LPCWSTR text, DWORD *result) {
    if (!text || !result) return false;
    DWORD value = 0;
    LPCWSTR end = text;
    NumberScanResult status;
    if (text[0] == TEXT('0') && (text[1] == TEXT('x') || text[1] == TEXT('X')) && IsHexDigit(text[2])) {
        status = ScanUnsigned32(text + 2, 16, &value, &end);
    } else if (IsAsciiDigit(text[0])) {
        status = ScanUnsigned32(text, 10, &value, &end);
    } else {
        return false;
    }
    if (status != NUMBER_OK || *end != 0) return false;
    *result = value;
    return true;
}

namespace {

// The lookup key of a colour name: upper case, no blanks, "-" or "_", every
// "GREY" spelled "GRAY", at most NAMED_COLOR_NAME_SIZE - 1 characters.
void BuildColorKey(LPCWSTR text, LPWSTR key) {
    size_t length = 0;
    for (size_t i = 0; text[i] != 0 && length < NAMED_COLOR_NAME_SIZE - 1; ++i) {
        WCHAR c = AsciiUpper(text[i]);
        if (IsWhiteSpace(c) || c == TEXT('-') || c == TEXT('_')) continue;
        // The neighbours are those of the text as written, so a separator
        // inside "GR-EY" keeps it from reading as gray.
        if (c == TEXT('E') && i >= 2 && AsciiUpper(text[i - 2]) == TEXT('G') && AsciiUpper(text[i - 1]) == TEXT('R') &&
            AsciiUpper(text[i + 1]) == TEXT('Y')) {
            c = TEXT('A');
        }
        key[length++] = c;
    }
    key[length] = 0;
}

}  // namespace

LONG ParseColorValue(LPCWSTR text) {
    if (!text) return -1;
    LONG rgb = ParseHexColor(text, StrLen(text));
    if (rgb >= 0) return rgb;
    WCHAR key[NAMED_COLOR_NAME_SIZE];
    BuildColorKey(text, key);
    if (key[0] == 0) return -1;
    for (const NamedColor &color : NAMED_COLORS) {
        if (StrCompareI(key, color.name) == 0) return (LONG)color.rgb;
    }
    return -1;
}

// ---- attributes in words ----

const LPCWSTR CONSOLE_COLOR_NAMES[16] = {
    TEXT("Black"),        TEXT("Blue"),           TEXT("Green"),         TEXT("Cyan"),
    TEXT("Red"),          TEXT("Magenta"),        TEXT("Yellow"),        TEXT("White"),
    TEXT("Bright Black"), TEXT("Bright Blue"),    TEXT("Bright Green"),  TEXT("Bright Cyan"),
    TEXT("Bright Red"),   TEXT("Bright Magenta"), TEXT("Bright Yellow"), TEXT("Bright White"),
};

namespace {

WCHAR g_attributeText[ATTRIBUTE_TEXT_SIZE];

}  // namespace

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
