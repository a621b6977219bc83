// The full settings of one scheme, or of the console and host as they are.
#include "../base/wstr.h"
#include "../plugin/host.h"
#include "../schemes/color_values.h"
#include "palette.h"

namespace {

// Each label is padded so that every value starts in the 23rd column.
const LPCWSTR DIRECTIVE_LINES[DIRECTIVE_COUNT] = {
    TEXT("StdColors:            %s\r\n"),    TEXT("InputColors:          %s\r\n"),
    TEXT("ErrorColors:          %s\r\n"),    TEXT("ListColors:           %s\r\n"),
    TEXT("ListStatBarColors:    %s\r\n"),    TEXT("ListInverseColors:    %s\r\n"),
    TEXT("SelectColors:         %s\r\n"),    TEXT("SelectStatBarColors:  %s\r\n"),
    TEXT("SelectedColors:       %s\r\n"),
};

void PrintTypeAndColorDir(LPCWSTR type, LPCWSTR colorDir) {
    Printf(TEXT("Scheme type:          %s\r\n"), type);
    Printf(TEXT("ColorDir:             %s\r\n"), colorDir[0] ? colorDir : TEXT("not set"));
}

// Palette entries are COLORREFs (0x00BBGGRR) and are shown as #rrggbb.
void PrintPalette(const COLORREF palette[16]) {
    for (int i = 0; i < 16; ++i) {
        Printf(TEXT("Color %2d:             #%06x\r\n"), i, static_cast<unsigned>(SwapRedAndBlue(palette[i])));
    }
}

int ShowSelectedScheme(LPCWSTR text) {
    const ColorScheme *scheme = SelectScheme(text);
    if (!scheme) return 0;
    CrLf();
    Printf(TEXT("Color scheme name:    %s\r\n"), scheme->name);
    for (int i = 0; i < DIRECTIVE_COUNT; ++i) Printf(DIRECTIVE_LINES[i], DescribeAttribute(SchemeDirective(scheme, i)));
    PrintTypeAndColorDir(scheme->dark ? TEXT("Dark") : TEXT("Light"), scheme->ColorDir);
    PrintPalette(scheme->palette);
    CrLf();
    return 1;
}

int ShowCurrentSettings(void) {
    CONSOLE_SCREEN_BUFFER_INFOEX info;
    BOOL haveConsole = ReadConsoleInfo(&info);
    WCHAR colorDir[COLOR_DIR_TEXT_SIZE];
    ReadColorDirVariable(colorDir);

    CrLf();
    QPuts(TEXT("Color scheme name:    (current)\r\n"));
    // Default 0: a directive the host holds no number for shows "not set".
    for (int i = 0; i < DIRECTIVE_COUNT; ++i) {
        Printf(DIRECTIVE_LINES[i], DescribeAttribute(static_cast<DWORD>(QueryAttributeOption(DIRECTIVE_NAMES[i], 0))));
    }
    LPCWSTR type = TEXT("");
    if (haveConsole) {
        COLORREF background = info.ColorTable[(info.wAttributes >> 4) & 0x0F];
        type = IsDarkColor(background) ? TEXT("Dark") : TEXT("Light");
    }
    PrintTypeAndColorDir(type, colorDir);
    if (haveConsole) PrintPalette(info.ColorTable);
    CrLf();
    return 1;
}

}  // namespace

int ShowScheme(const SchemeView *view) {
    if (!view) return -1;
    switch (view->kind) {
        case VIEW_CURRENT: return ShowCurrentSettings();
        case VIEW_TEXT: return view->text ? ShowSelectedScheme(view->text) : -1;
        default: return -1;
    }
}
