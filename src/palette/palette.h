// Putting a colour scheme into effect on the console and in the host, and
// reading back, recognising and printing what is in effect.
#pragma once

#include "../platform.h"
#include "../plugin/plugin.h"
#include "../schemes/schemes.h"

#define WINDOW_TEXT_SIZE 1024      // window titles and IPC answers
#define RECOLOUR_BAND_ROWS 128     // rows re-coloured per read and write
#define FIRST_DIRECTIVE_24_VERSION 24  // hosts that know SelectedColors
#define FIRST_VIEW_HOST_VERSION 28     // hosts with a Take Command view to repaint

// The attributes the previous StdColors, InputColors and ErrorColors had,
// derived from the host's options and the buffer's current attribute;
// 0xFFFF stands for one that can match no cell.
struct PreviousAttributes {
    WORD std;
    WORD input;
    WORD error;
};
void ReadPreviousAttributes(WORD currentAttribute, PreviousAttributes *previous);

// Re-colours the cells of the screen buffer (`columns` x `rows`) whose low
// attribute byte (0 read as 7) was one of `previous` with the scheme's
// matching directive, a band of rows at a time. Returns the number of bands
// written back, or -1 when the band buffer could not be allocated.
int RecolourScreen(SHORT columns, SHORT rows, const PreviousAttributes *previous, const ColorScheme *scheme);

// Puts `scheme` into effect: palette and default attribute, the text on the
// screen, the host's directives, ColorDir, the hotkey's `key` record (null
// from the command) and the windows that show the console. 1 when applied,
// 0 when the console could not be read (nothing changed), -1 without scheme.
int ApplyScheme(const ColorScheme *scheme, KeyInfo *key);

// Redraws the console window and, under Take Command, the window that shows
// the console; returns how many windows were redrawn.
int RepaintConsoleWindows(void);
// The child of Take Command's `mainWindow` that shows the console, found by
// giving the console a marker title for a moment; null when none takes it on.
HWND FindViewByTitle(HWND mainWindow);

// The first listed scheme that equals the colours in effect, or null.
ColorScheme *IdentifyCurrentScheme(void);
// The /W argument carried out with the scheme in effect recognised here.
inline int WriteCurrentScheme(LPCWSTR argument, BOOL quiet) {
    return WriteCurrentScheme(argument, quiet, IdentifyCurrentScheme);
}

// What ShowScheme prints: a scheme chosen by user text, or the settings
// currently in effect.
enum SchemeViewKind { VIEW_NONE = 0, VIEW_CURRENT = 1, VIEW_TEXT = 2 };
struct SchemeView {
    int kind;
    LPCWSTR text;  // VIEW_TEXT only
};
// 1 after printing, 0 when the text selects no scheme (nothing printed),
// -1 when there is nothing to show.
int ShowScheme(const SchemeView *view);

// The numbered list of schemes, `marked` flagged with "*"; returns how many.
int ListSchemes(const ColorScheme *marked);
