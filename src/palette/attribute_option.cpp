// Host colour options read as numbers. This stands alone because the scheme
// files read and write the same options.
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
