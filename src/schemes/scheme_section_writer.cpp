// One scheme section as the writer emits it, made from what is in effect
// now: the host's nine colour directives, ColorDir and the console palette.
#include "../base/format.h"
#include "../base/wstr.h"
#include "../palette/palette.h"
#include "../plugin/host.h"
#include "color_values.h"
#include "scheme_file.h"

namespace {

// ListStatBarColors, ListInverseColors, SelectStatBarColors and
// SelectedColors stand out from the text around them: inverse video.
bool DefaultsToInverse(int directive) {
    return directive == 4 || directive == 5 || directive == 7 || directive == 8;
}

// Writes the pieces in order; the first error ends it.
LONG WritePieces(OutputFile *output, LPCWSTR first, LPCWSTR second, LPCWSTR third) {
    LONG error = WriteText(output, first);
    if (error == 0) error = WriteText(output, second);
    if (error == 0) error = WriteText(output, third);
    return error;
}

// The ColorDir variable when it is set and not empty, else the host's
// ColorDir option, into `text` (COLOR_DIR_TEXT_SIZE characters).
void ReadColorDirText(LPWSTR text) {
    if (ReadColorDirVariable(text) && text[0] != 0) return;
    WCHAR option[OPTION_TEXT_SIZE];
    option[0] = 0;
    QueryOptionValue(TEXT("ColorDir"), option);
    option[OPTION_TEXT_SIZE - 1] = 0;
    StrCopy(text, COLOR_DIR_TEXT_SIZE, option);
}

}  // namespace

LONG WriteSchemeSection(OutputFile *output, LPCWSTR name) {
    CONSOLE_SCREEN_BUFFER_INFOEX info;
    if (!ReadConsoleInfo(&info)) return CONSOLE_INFO_UNREADABLE;
    LONG attribute = info.wAttributes & 0xFF;
    if (attribute == 0) attribute = 7;
    LONG inverse = ((attribute & 0x0F) << 4) | (attribute >> 4);
    WCHAR colorDir[COLOR_DIR_TEXT_SIZE];
    ReadColorDirText(colorDir);

    LONG error = WritePieces(output, TEXT("["), name, TEXT("]\r\n"));
    for (int i = 0; i < DIRECTIVE_COUNT && error == 0; ++i) {
        LONG value = QueryAttributeOption(DIRECTIVE_NAMES[i], DefaultsToInverse(i) ? inverse : attribute);
        // Written as described, even when that is nothing (an overflow).
        error = WritePieces(output, DIRECTIVE_NAMES[i], TEXT("="), DescribeAttribute(static_cast<DWORD>(value)));
        if (error == 0) error = WriteText(output, TEXT("\r\n"));
    }
    if (error == 0) error = WritePieces(output, TEXT("ColorDir="), colorDir, TEXT("\r\n"));
    WCHAR line[32];
    for (int i = 0; i < 16 && error == 0; ++i) {
        Format(line, 32, TEXT("Color %d=#%06x\r\n"), i, static_cast<unsigned>(SwapRedAndBlue(info.ColorTable[i])));
        error = WriteText(output, line);
    }
    if (error == 0) error = WriteText(output, TEXT("\r\n"));
    return error;
}

int SameSchemeName(LPCWSTR a, LPCWSTR b) {
    if (!a || !b) return 1;
    WCHAR foldedA[SECTION_NAME_FOLD_SIZE];
    WCHAR foldedB[SECTION_NAME_FOLD_SIZE];
    // A name too long to fold is compared as it stands.
    if (FoldSchemeNameInto(a, foldedA, SECTION_NAME_FOLD_SIZE) < 0 ||
        FoldSchemeNameInto(b, foldedB, SECTION_NAME_FOLD_SIZE) < 0) {
        return StrCompareI(a, b) == 0 ? 0 : 1;
    }
    return StrCompareI(foldedA, foldedB) == 0 ? 0 : 1;
}
