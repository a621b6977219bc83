// The full settings of one scheme, or of the console and host as they are;
// the numbered list of loaded schemes; how readable each scheme's text is;
// and which listed scheme is in effect: the one whose colours the console
// and the host show now.
#include <string.h>

#include "../base/base.h"
#include "../plugin/host.h"
#include "../schemes/schemes.h"
#include "palette.h"

namespace {

// The first six directives take part in recognising a scheme, with the
// defaults the host assumes for them; the three selection directives do not.
constexpr int COMPARED_DIRECTIVES = 6;

// Each label is padded so that every value starts in the 23rd column.
// clang-format off
const LPCWSTR DIRECTIVE_LINES[DIRECTIVE_COUNT] = {
    TEXT("StdColors:            %s\r\n"),    TEXT("InputColors:          %s\r\n"),
    TEXT("ErrorColors:          %s\r\n"),    TEXT("ListColors:           %s\r\n"),
    TEXT("ListStatBarColors:    %s\r\n"),    TEXT("ListInverseColors:    %s\r\n"),
    TEXT("SelectColors:         %s\r\n"),    TEXT("SelectStatBarColors:  %s\r\n"),
    TEXT("SelectedColors:       %s\r\n"),
};
// clang-format on

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

[[nodiscard]] ShowResult ShowSelectedScheme(LPCWSTR text) {
    const ColorScheme *scheme = SelectScheme(text);
    if (!scheme) return SHOW_NOT_SELECTED;
    CrLf();
    Printf(TEXT("Color scheme name:    %s\r\n"), scheme->name);
    for (int i = 0; i < DIRECTIVE_COUNT; ++i) Printf(DIRECTIVE_LINES[i], DescribeAttribute(SchemeDirective(scheme, i)));
    PrintTypeAndColorDir(scheme->dark ? TEXT("Dark") : TEXT("Light"), scheme->ColorDir);
    PrintPalette(scheme->palette);
    CrLf();
    return SHOW_DONE;
}

[[nodiscard]] ShowResult ShowCurrentSettings(void) {
    CONSOLE_SCREEN_BUFFER_INFOEX info;
    bool haveConsole = ReadConsoleInfo(&info);
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
    return SHOW_DONE;
}

void ReadComparedDirectives(WORD currentAttribute, WORD values[COMPARED_DIRECTIVES]) {
    for (int i = 0; i < COMPARED_DIRECTIVES; ++i) {
        LONG fallback = DirectiveDefault(i, currentAttribute);
        values[i] = static_cast<WORD>(QueryAttributeOption(DIRECTIVE_NAMES[i], fallback) & 0xFFFF);
    }
}

bool SchemeIsInEffect(const ColorScheme *scheme, const WORD values[COMPARED_DIRECTIVES],
                      const CONSOLE_SCREEN_BUFFER_INFOEX *info, LPCWSTR colorDir) {
    for (int i = 0; i < COMPARED_DIRECTIVES; ++i) {
        if (SchemeDirective(scheme, i) != values[i]) return false;
    }
    if (memcmp(scheme->palette, info->ColorTable, sizeof scheme->palette) != 0) return false;
    return StrCompareI(scheme->ColorDir, colorDir) == 0;
}

// ---- readability ----

constexpr size_t PAIR_LABEL_SIZE = 1024;

// "StdColors" or "ColorDir dirs", with `suffix` after it.
void FormatPairLabel(const ReadablePair *pair, LPCWSTR suffix, LPWSTR label) {
    if (pair->directive) {
        Format(label, PAIR_LABEL_SIZE, TEXT("%s%s"), pair->directive, suffix);
    } else {
        Format(label, PAIR_LABEL_SIZE, TEXT("ColorDir %.*s%s"), static_cast<int>(pair->entryLength), pair->entry,
               suffix);
    }
}

// One line of a scheme's pairs, the ratio where /V puts the value.
void PrintPairLine(const ReadablePair *pair, void *) {
    WCHAR label[PAIR_LABEL_SIZE];
    FormatPairLabel(pair, TEXT(":"), label);
    WCHAR ratio[RATIO_TEXT_SIZE];
    FormatRatio(pair->ratio, ratio);
    Printf(TEXT("%-22s%5s:1 %c %s on %s\r\n"), label, ratio, ReadabilityMark(pair->ratio),
           CONSOLE_COLOR_NAMES[pair->foreground], CONSOLE_COLOR_NAMES[pair->background]);
}

}  // namespace

ShowResult ShowScheme(const SchemeView *view) {
    if (!view) return SHOW_NOTHING;
    switch (view->kind) {
        case VIEW_CURRENT:
            return ShowCurrentSettings();
        case VIEW_TEXT:
            return view->text ? ShowSelectedScheme(view->text) : SHOW_NOTHING;
        default:
            return SHOW_NOTHING;
    }
}

int ListSchemes(const ColorScheme *marked) {
    if (!g_schemes) {
        Printf(TEXT("\r\nNo color schemes loaded.\r\n"));
        return 0;
    }
    CrLf();
    unsigned total = 0, dark = 0;
    for (const ColorScheme *scheme = g_schemes; scheme; scheme = scheme->next) {
        ++total;
        if (scheme->dark) ++dark;
        // Names longer than the column are printed whole and push the type on.
        Printf(TEXT("%3u: %c %-25s  (%s)\r\n"), total, scheme == marked ? TEXT('*') : TEXT(' '), scheme->name,
               scheme->dark ? TEXT("dark") : TEXT("light"));
    }
    Printf(TEXT("\r\n%u color schemes loaded (%u dark, %u light).\r\n"), total, dark, total - dark);
    return static_cast<int>(total);
}

ColorScheme *IdentifyCurrentScheme(void) {
    if (!g_schemes) return nullptr;
    CONSOLE_SCREEN_BUFFER_INFOEX info;
    if (!ReadConsoleInfo(&info)) return nullptr;
    WORD values[COMPARED_DIRECTIVES];
    ReadComparedDirectives(info.wAttributes, values);
    WCHAR colorDir[COLOR_DIR_TEXT_SIZE];
    // A variable too long to read cannot be compared; read as empty it
    // would match the schemes that have none.
    if (!ReadColorDirVariable(colorDir)) return nullptr;

    for (ColorScheme *scheme = g_schemes; scheme; scheme = scheme->next) {
        if (SchemeIsInEffect(scheme, values, &info, colorDir)) return scheme;
    }
    return nullptr;
}

int ListReadability(void) {
    if (!g_schemes) {
        Printf(TEXT("\r\nNo color schemes loaded.\r\n"));
        return 0;
    }
    CrLf();
    unsigned total = 0, uncomfortable = 0, poor = 0;
    for (const ColorScheme *scheme = g_schemes; scheme; scheme = scheme->next) {
        ++total;
        ReadablePair lowest = LowestReadablePair(scheme);
        if (lowest.ratio < COMFORTABLE_RATIO) ++uncomfortable;
        if (lowest.ratio < LEAST_READABLE_RATIO) ++poor;
        WCHAR label[PAIR_LABEL_SIZE];
        FormatPairLabel(&lowest, TEXT(""), label);
        WCHAR ratio[RATIO_TEXT_SIZE];
        FormatRatio(lowest.ratio, ratio);
        Printf(TEXT("%3u: %c %-25s  %-7s  %5s:1  %s\r\n"), total, ReadabilityMark(lowest.ratio), scheme->name,
               scheme->dark ? TEXT("(dark)") : TEXT("(light)"), ratio, label);
    }
    Printf(TEXT("\r\n%u color schemes: %u with a pair under 4.5:1, %u under 3:1.\r\n"), total, uncomfortable, poor);
    return static_cast<int>(total);
}

ShowResult ShowReadability(LPCWSTR text) {
    const ColorScheme *scheme = SelectScheme(text);
    if (!scheme) return SHOW_NOT_SELECTED;
    CrLf();
    Printf(TEXT("Color scheme name:    %s\r\n"), scheme->name);
    VisitReadablePairs(scheme, PrintPairLine, nullptr);
    CrLf();
    return SHOW_DONE;
}
