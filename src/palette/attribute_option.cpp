// Host colour options read as numbers, and what the previous application
// left in the three directives whose cells get re-coloured.
#include "../base/number.h"
#include "../base/wstr.h"
#include "../plugin/host.h"
#include "palette.h"

LONG QueryAttributeOption(LPCWSTR name, LONG defaultValue) {
    if (!name || name[0] == 0) return -1;
    WCHAR text[OPTION_TEXT_SIZE];
    text[0] = 0;
    QueryOptionValue(name, text);
    text[OPTION_TEXT_SIZE - 1] = 0;
    if (!IsAsciiDigit(text[0])) return defaultValue;

    LONG value = 0;
    int status;
    // Conversion stops at the first character that belongs to no number:
    // "31abc" reads as 31.
    if (text[0] == TEXT('0') && (text[1] == TEXT('x') || text[1] == TEXT('X')) && IsHexDigit(text[2])) {
        DWORD unsignedValue = 0;
        status = ScanUnsigned32(text + 2, 16, &unsignedValue, nullptr);
        value = static_cast<LONG>(unsignedValue);
    } else {
        status = ScanSigned32(text, &value, nullptr);
    }
    if (status == NUMBER_OVERFLOW) return -1;
    return value == 0 ? defaultValue : value;
}

namespace {

WORD PreviousAttribute(LPCWSTR name, WORD attributeByte, LONG base) {
    DWORD value = static_cast<DWORD>(QueryAttributeOption(name, base)) & 0xFFFF;
    if (value == 0) return attributeByte;
    // An attribute the console could not show (equal nibbles) or that no
    // cell can hold (above 255, an overflow) must never match a cell.
    if (value > 0xFF || (value & 0x0F) == (value >> 4)) return 0xFFFF;
    return static_cast<WORD>(value);
}

}  // namespace

void ReadPreviousAttributes(WORD currentAttribute, PreviousAttributes *previous) {
    WORD attributeByte = currentAttribute & 0xFF;
    LONG base = attributeByte ? attributeByte : 7;
    previous->std = PreviousAttribute(DIRECTIVE_NAMES[0], attributeByte, base);
    previous->input = PreviousAttribute(DIRECTIVE_NAMES[1], attributeByte, base);
    previous->error = PreviousAttribute(DIRECTIVE_NAMES[2], attributeByte, base);
}
