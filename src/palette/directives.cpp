// The nine host colour directives a scheme carries, by name and by index,
// and the console state every palette operation starts from.
#include <string.h>

#include "../plugin/state.h"
#include "palette.h"

const LPCWSTR DIRECTIVE_NAMES[DIRECTIVE_COUNT] = {
    TEXT("StdColors"),         TEXT("InputColors"),  TEXT("ErrorColors"),
    TEXT("ListColors"),        TEXT("ListStatBarColors"), TEXT("ListInverseColors"),
    TEXT("SelectColors"),      TEXT("SelectStatBarColors"), TEXT("SelectedColors"),
};

WORD SchemeDirective(const ColorScheme *scheme, int index) {
    switch (index) {
        case 0: return scheme->StdColors;
        case 1: return scheme->InputColors;
        case 2: return scheme->ErrorColors;
        case 3: return scheme->ListColors;
        case 4: return scheme->ListStatBarColors;
        case 5: return scheme->ListInverseColors;
        case 6: return scheme->SelectColors;
        case 7: return scheme->SelectStatBarColors;
        default: return scheme->SelectedColors;
    }
}

BOOL ReadConsoleInfo(CONSOLE_SCREEN_BUFFER_INFOEX *info) {
    memset(info, 0, sizeof *info);
    info->cbSize = sizeof *info;
    // Before start-up (or after a refused one) there is no function to ask.
    if (!g_plugin.getBufferInfoEx) return FALSE;
    return g_plugin.getBufferInfoEx(g_plugin.console, info) ? TRUE : FALSE;
}

BOOL ReadColorDirVariable(LPWSTR text) {
    DWORD length = GetEnvironmentVariableW(TEXT("ColorDir"), text, COLOR_DIR_TEXT_SIZE);
    if (length < COLOR_DIR_TEXT_SIZE) {
        if (length == 0) text[0] = 0;
        return TRUE;
    }
    // Too long for the buffer, which Windows then leaves untouched.
    text[0] = 0;
    return FALSE;
}
