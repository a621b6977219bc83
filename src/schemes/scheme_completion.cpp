// A section read from a file becomes a scheme only when it says everything
// a console needs; what the host's list and selection screens use may be
// left out and is derived from what is there.
#include "scheme_file.h"

namespace {

bool IsValidAttribute(WORD value) {
    return value < 256 && (value & 0x0F) != (value >> 4);
}

WORD Swapped(WORD value) {
    return static_cast<WORD>(((value & 0x0F) << 4) | ((value >> 4) & 0x0F));
}

void Default(WORD *field, WORD value) {
    if (!IsValidAttribute(*field)) *field = value;
}

}  // namespace

int CompleteScheme(ColorScheme *scheme, LPCWSTR name) {
    if (!scheme || !name) return 0;
    if (!IsValidAttribute(scheme->StdColors) || !IsValidAttribute(scheme->InputColors) ||
        !IsValidAttribute(scheme->ErrorColors)) {
        return 0;
    }
    for (DWORD entry : scheme->palette) {
        if (entry > 0xFFFFFF) return 0;
    }
    // In this order, so that each default sees the ones before it.
    Default(&scheme->ListColors, scheme->StdColors);
    Default(&scheme->ListStatBarColors, Swapped(scheme->ListColors));
    Default(&scheme->ListInverseColors, Swapped(scheme->ListColors));
    Default(&scheme->SelectColors, scheme->StdColors);
    Default(&scheme->SelectStatBarColors, Swapped(scheme->SelectColors));
    Default(&scheme->SelectedColors, Swapped(scheme->StdColors));
    scheme->dark = IsDarkScheme(scheme);
    return 1;
}
