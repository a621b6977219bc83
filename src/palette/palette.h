// Putting a colour scheme into effect on the console and in the host, and
// reading back, recognising and printing what is in effect.
#pragma once

#include "../platform.h"
#include "../plugin/plugin.h"
#include "../schemes/schemes.h"

// ---- applying ----

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

// The same, over the rows from `top` up to (not including) `bottom`.
int RecolourRows(SHORT columns, SHORT top, SHORT bottom, const PreviousAttributes *previous, const ColorScheme *scheme);

// What ApplyScheme answers.
enum ApplyResult { APPLY_NOT_WRITTEN = -2, APPLY_NO_SCHEME = -1, APPLY_NO_CONSOLE = 0, APPLY_DONE = 1 };
// Puts `scheme` into effect: palette (or, under a pseudoconsole with VT
// sequences chosen, the terminal's colours) and default attribute, the text
// on the screen, the host's directives, ColorDir, the hotkey's `key` record (null
// from the command) and the windows that show the console. APPLY_DONE when
// applied, APPLY_NO_CONSOLE when the console could not be read and
// APPLY_NOT_WRITTEN when it refused the colours (nothing else changed),
// APPLY_NO_SCHEME without scheme.
[[nodiscard]] ApplyResult ApplyScheme(const ColorScheme *scheme, KeyInfo *key);

// The sequences last sent to the terminal behind a pseudoconsole: 16 OSC 4,
// OSC 10 and OSC 11, 364 characters.
constexpr DWORD SEQUENCES_SIZE = 400;
struct PaletteGlobals {
    WCHAR lastSequences[SEQUENCES_SIZE];
    DWORD lastLength;  // 0: none sent yet
};
extern PaletteGlobals g_palette;

// Writes `palette` as the colour table of the screen buffer `buffer`, every
// other field as the buffer has it. The console's buffers share one table,
// so this changes what every one of them shows. False when it was refused.
bool WriteColorTable(HANDLE buffer, const DWORD palette[16]);

// Writes `text` to the console with VT processing on for that one write.
bool WriteToTerminal(LPCWSTR text, DWORD length);

// Sends the terminal the scheme's colours as ApplyScheme would, without
// their becoming the colours last applied: a preview.
bool PreviewOnTerminal(const ColorScheme *scheme);

// After a preview: the colours last applied sent again or, when none were
// applied in this session, the terminal told to take back its own (what
// the host reports before a first apply is not what the terminal shows).
bool RestoreTerminalColours(void);

// Sends the terminal the colours last applied once more, as they were
// sent, for a terminal that put its own back. False when colours do not
// travel as sequences, none were applied yet, or the write failed.
bool RewriteLastScheme(void);
// Forgets the colours last applied.
void ResetPalette(void);

// Redraws the console window and, under Take Command, the window that shows
// the console; returns how many windows were redrawn.
int RepaintConsoleWindows(void);
// How the repaint looks for the child of Take Command's main window that
// shows the console, when the host does not name it.
extern const ViewTitleSearch CONSOLE_VIEW_SEARCH;

// ---- showing and recognising ----

// The first listed scheme that equals the colours in effect, or null.
ColorScheme *IdentifyCurrentScheme(void);

// What ShowScheme prints: a scheme chosen by user text, or the settings
// currently in effect.
enum SchemeViewKind { VIEW_NONE = 0, VIEW_CURRENT = 1, VIEW_TEXT = 2 };
struct SchemeView {
    SchemeViewKind kind;
    LPCWSTR text;  // VIEW_TEXT only
};
enum ShowResult { SHOW_NOTHING = -1, SHOW_NOT_SELECTED = 0, SHOW_DONE = 1 };
// SHOW_DONE after printing, SHOW_NOT_SELECTED when the text selects no
// scheme (nothing printed), SHOW_NOTHING when there is nothing to show.
[[nodiscard]] ShowResult ShowScheme(const SchemeView *view);

// The numbered list of schemes, `marked` flagged with "*"; returns how many.
int ListSchemes(const ColorScheme *marked);

// The same list with each scheme's lowest contrast ratio and its pair,
// marked "!" below 3:1 and "~" below 4.5:1, and how many fall short;
// returns how many schemes were listed.
int ListReadability(void);
// The ratio of every pair of the scheme `text` selects: SHOW_DONE, or
// SHOW_NOT_SELECTED (nothing printed).
[[nodiscard]] ShowResult ShowReadability(LPCWSTR text);
