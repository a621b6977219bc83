// What the previous application left in the three directives whose cells
// get re-coloured.
#include "palette.h"

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
