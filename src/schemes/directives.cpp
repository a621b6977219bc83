// The nine host colour directives a scheme carries: their names, the field
// of the scheme record each one fills and the value the host assumes for
// one that is not set; and reading back what the host and the console have
// in effect now, which the scheme file writer records and the palette
// compares and applies.
#include <string.h>

#include "../base/base.h"
#include "../plugin/host.h"
#include "../plugin/plugin.h"
#include "schemes.h"

namespace {

struct Directive {
    LPCWSTR name;
    WORD ColorScheme::*field;
    // ListStatBarColors, ListInverseColors, SelectStatBarColors and
    // SelectedColors stand out from the text around them: inverse video.
    bool defaultsToInverse;
};

// clang-format off
constexpr Directive DIRECTIVES[DIRECTIVE_COUNT] = {
    {TEXT("StdColors"),           &ColorScheme::StdColors,           false},
    {TEXT("InputColors"),         &ColorScheme::InputColors,         false},
    {TEXT("ErrorColors"),         &ColorScheme::ErrorColors,         false},
    {TEXT("ListColors"),          &ColorScheme::ListColors,          false},
    {TEXT("ListStatBarColors"),   &ColorScheme::ListStatBarColors,   true},
    {TEXT("ListInverseColors"),   &ColorScheme::ListInverseColors,   true},
    {TEXT("SelectColors"),        &ColorScheme::SelectColors,        false},
    {TEXT("SelectStatBarColors"), &ColorScheme::SelectStatBarColors, true},
    {TEXT("SelectedColors"),      &ColorScheme::SelectedColors,      true},
};
// clang-format on

// An index past either end stands for the last directive.
const Directive &DirectiveAt(int index) {
    return DIRECTIVES[index >= 0 && index < DIRECTIVE_COUNT ? index : DIRECTIVE_COUNT - 1];
}

}  // namespace

const LPCWSTR DIRECTIVE_NAMES[DIRECTIVE_COUNT] = {
    DIRECTIVES[0].name, DIRECTIVES[1].name, DIRECTIVES[2].name, DIRECTIVES[3].name, DIRECTIVES[4].name,
    DIRECTIVES[5].name, DIRECTIVES[6].name, DIRECTIVES[7].name, DIRECTIVES[8].name,
};

WORD SchemeDirective(const ColorScheme *scheme, int index) {
    return scheme->*DirectiveAt(index).field;
}

WORD *DirectiveField(ColorScheme *scheme, int index) {
    return &(scheme->*DirectiveAt(index).field);
}

WORD AttributeOrDefault(WORD currentAttribute) {
    WORD attribute = currentAttribute & 0xFF;
    return attribute != 0 ? attribute : 7;
}

WORD InverseAttribute(WORD attribute) {
    return static_cast<WORD>(((attribute & 0x0F) << 4) | ((attribute >> 4) & 0x0F));
}

WORD DirectiveDefault(int index, WORD currentAttribute) {
    WORD attribute = AttributeOrDefault(currentAttribute);
    return DirectiveAt(index).defaultsToInverse ? InverseAttribute(attribute) : attribute;
}

LONG QueryAttributeOption(LPCWSTR name, LONG defaultValue) {
    if (!name || name[0] == 0) return -1;
    WCHAR text[OPTION_TEXT_SIZE];
    text[0] = 0;
    QueryOptionValue(name, text);
    text[OPTION_TEXT_SIZE - 1] = 0;
    if (!IsAsciiDigit(text[0])) return defaultValue;

    LONG value = 0;
    NumberScanResult status;
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

bool ReadConsoleInfo(CONSOLE_SCREEN_BUFFER_INFOEX *info) {
    memset(info, 0, sizeof *info);
    info->cbSize = sizeof *info;
    // Before start-up (or after a refused one) there is no function to ask.
    if (!g_plugin.getBufferInfoEx) return false;
    return g_plugin.getBufferInfoEx(g_plugin.console, info) != FALSE;
}

bool ReadColorDirVariable(LPWSTR text) {
    DWORD length = GetEnvironmentVariableW(TEXT("ColorDir"), text, COLOR_DIR_TEXT_SIZE);
    if (length < COLOR_DIR_TEXT_SIZE) {
        if (length == 0) text[0] = 0;
        return true;
    }
    // Too long for the buffer, which Windows then leaves untouched.
    text[0] = 0;
    return false;
}
