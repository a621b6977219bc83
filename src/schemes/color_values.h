// The small value syntaxes of scheme files and of what the plugin prints:
// strict numbers, colour values (#rgb, #rrggbb or one of 140 names), the
// sixteen console colour names and the text form of a console attribute.
#pragma once

#include "../platform.h"

#define NAMED_COLOR_COUNT 140
#define NAMED_COLOR_NAME_SIZE 21  // at most 20 characters and the NUL
#define ATTRIBUTE_TEXT_SIZE 40

struct NamedColor {
    WCHAR name[NAMED_COLOR_NAME_SIZE];
    DWORD rgb;  // 0xRRGGBB
};

// Searched in this order; only the Gray spellings are stored.
extern const NamedColor NAMED_COLORS[NAMED_COLOR_COUNT];
// Indexed by console colour index, in console palette order.
extern const LPCWSTR CONSOLE_COLOR_NAMES[16];

// The whole text as a decimal number or as "0x"/"0X" and hexadecimal digits,
// no blanks, no sign, within 32 bits. 0 with *result set, or -1 with *result
// untouched.
int ParseNumber(LPCWSTR text, DWORD *result);

// "#rrggbb", "#rgb" or a colour name (case, blanks, "-" and "_" ignored; grey
// reads as gray) as 0xRRGGBB; -1 when the text is no colour.
LONG ParseColorValue(LPCWSTR text);

// "not set" for 0, "Fore on Back" for 1-255, empty text above, of the low 16
// bits of `attribute`. The result lives in one buffer that the next call
// overwrites.
LPCWSTR DescribeAttribute(DWORD attribute);

// 0xRRGGBB <-> COLORREF (0x00BBGGRR): the red and blue bytes change places,
// so the one function converts either way.
inline DWORD SwapRedAndBlue(DWORD color) {
    return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
}
