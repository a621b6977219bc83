// Applying a scheme, step by step in a fixed order. Only an unreadable
// console stops it; every later step that fails is passed over, so that as
// much of the scheme as possible takes effect.
#include "../base/format.h"
#include "../base/wstr.h"
#include "../hotkey/hotkey.h"
#include "../plugin/host.h"
#include "../plugin/state.h"
#include "palette.h"

namespace {

#define KEY_NAME_SIZE 1024
#define ENTER_KEY_CODE 13

// The console keeps every field it reported except the colours; the window
// rectangle goes back with its right and bottom edges one further out,
// because the set call reads them as exclusive where the get call reports
// them inclusive.
void WriteSchemeToConsole(CONSOLE_SCREEN_BUFFER_INFOEX *info, const ColorScheme *scheme) {
    for (int i = 0; i < 16; ++i) info->ColorTable[i] = scheme->palette[i];
    info->wAttributes = scheme->StdColors;
    ++info->srWindow.Right;
    ++info->srWindow.Bottom;
    if (g_plugin.setBufferInfoEx) g_plugin.setBufferInfoEx(g_plugin.console, info);
}

void SetHostDirectives(const ColorScheme *scheme) {
    // Hosts before version 24 have no SelectedColors directive.
    int count = g_plugin.hostVersion >= FIRST_DIRECTIVE_24_VERSION ? DIRECTIVE_COUNT : DIRECTIVE_COUNT - 1;
    WCHAR line[OPTION_TEXT_SIZE];
    for (int i = 0; i < count; ++i) {
        Format(line, OPTION_TEXT_SIZE, TEXT("option //%s=%d"), DIRECTIVE_NAMES[i],
               static_cast<int>(SchemeDirective(scheme, i)));
        Command(line, 0);
    }
}

// A scheme without directory colours leaves no variable behind rather than
// an empty one.
void SetColorDirVariable(const ColorScheme *scheme) {
    SetEnvironmentVariableW(TEXT("ColorDir"), scheme->ColorDir[0] ? scheme->ColorDir : nullptr);
}

// The hotkey's keystroke becomes Enter on an emptied command line, so that
// the host draws a fresh prompt in the new colours.
void TurnKeystrokeIntoEnter(KeyInfo *key) {
    if (g_hostMajorVersion >= FIRST_EXTENDED_HOST_VERSION) {
        if (key->keyName) StrCopy(key->keyName, KEY_NAME_SIZE, TEXT("Enter"));
        key->keyCode = 0;
    } else {
        key->keyCode = ENTER_KEY_CODE;
    }
    if (key->position[0] != 0) --key->position[0];
    ClearEditLine(key->line);
    if (key->line) key->line[0] = 0;
    key->cursor = key->line;
    key->redraw = 1;
}

}  // namespace

int ApplyScheme(const ColorScheme *scheme, KeyInfo *key) {
    if (!scheme) return -1;
    CONSOLE_SCREEN_BUFFER_INFOEX info;
    if (!ReadConsoleInfo(&info)) return 0;

    // Read before anything changes: the host's options still describe the
    // colours of the text on the screen.
    PreviousAttributes previous;
    ReadPreviousAttributes(info.wAttributes, &previous);
    SHORT columns = info.dwSize.X, rows = info.dwSize.Y;

    WriteSchemeToConsole(&info, scheme);
    RecolourScreen(columns, rows, &previous, scheme);
    SetHostDirectives(scheme);
    SetColorDirVariable(scheme);
    if (key) TurnKeystrokeIntoEnter(key);
    RepaintConsoleWindows();
    return 1;
}
