// The hotkey: key names and host key codes in both directions, the tables of
// every usable combination, the keystroke handler that swaps the console
// between a dark and a light scheme picked at random, and the same swap made
// when Windows switches its app theme.
#pragma once

#include "../platform.h"
#include "../plugin/plugin.h"
#include "../schemes/schemes.h"

constexpr size_t HOTKEY_TEXT_SIZE = 1024;

// ---- the key tables ----
// Hosts before major version 24 report keys the classic way; later ones
// change some codes and add the Ctrl-Alt-Shift column, so there is one table
// for each generation.

constexpr int CLASSIC_KEY_COLUMNS = 6;
constexpr int EXTENDED_KEY_COLUMNS = 7;
constexpr size_t HOTKEY_PREFIX_SIZE = 16;

// Cells that are no hotkey code.
constexpr LONG KEY_INVALID = -1;      // cannot serve as a hotkey
constexpr LONG KEY_NOT_ALLOWED = -2;  // plain and shifted typing keys

// The plugin's own modifier bits, added to the host's code when Ctrl is held
// with Shift, with Alt, or with both.
constexpr LONG HOTKEY_CTRL_SHIFT = 0x20000;
constexpr LONG HOTKEY_CTRL_ALT = 0x40000;
constexpr LONG HOTKEY_CTRL_ALT_SHIFT = 0x60000;

// Column order: none, Shift-, Ctrl-, Alt-, Ctrl-Shift-, Ctrl-Alt-,
// Ctrl-Alt-Shift- (the last in the extended table only).
enum KeyColumn {
    COLUMN_PLAIN,
    COLUMN_SHIFT,
    COLUMN_CTRL,
    COLUMN_ALT,
    COLUMN_CTRL_SHIFT,
    COLUMN_CTRL_ALT,
    COLUMN_CTRL_ALT_SHIFT,
};

extern const WCHAR HOTKEY_PREFIXES[EXTENDED_KEY_COLUMNS][HOTKEY_PREFIX_SIZE];

// One view over either table, so that parsing, formatting and listing are
// written once.
struct KeyTable {
    bool extended;
    int rowCount;
    int columnCount;
    int aliasCount;
};

extern const KeyTable CLASSIC_KEY_TABLE;
extern const KeyTable EXTENDED_KEY_TABLE;

LPCWSTR KeyRowName(const KeyTable *table, int row);
LONG KeyCell(const KeyTable *table, int row, int column);
LPCWSTR KeyAlias(const KeyTable *table, int index);
LPCWSTR KeyAliasName(const KeyTable *table, int index);

// ---- key names ----

// The extended table from host version 24 on, else the classic one.
const KeyTable *ActiveKeyTable(void);

// A key name such as Ctrl-Alt-F1 (modifier words in any order and case) as a
// hotkey code of `table`: positive, or 0 for no such name, KEY_INVALID or
// KEY_NOT_ALLOWED for the combinations the table marks so.
LONG ParseHotkeyNameIn(const KeyTable *table, LPCWSTR text);
// The same against the table in force.
LONG ParseHotkeyName(LPCWSTR text);

// The name of `code` in the table in force into `text` (HOTKEY_TEXT_SIZE
// characters): "None" for 0; "(unknown)" and false for a code no cell holds.
bool FormatHotkeyCode(LONG code, LPWSTR text);
// The name of the configured hotkey.
bool FormatHotkey(LPWSTR text);

// Writes every usable combination of the table in force, one key per line.
void ListHotkeys(void);
// True when `code` is positive and a cell of the table in force.
bool IsValidHotkey(LONG code);

// ---- the keystroke handler ----

enum BackgroundClass { BACKGROUND_UNKNOWN = -1, BACKGROUND_DARK = 0, BACKGROUND_LIGHT = 1 };

// The `key` export: applies a scheme of the other kind than the console's
// background and announces it when the keystroke, with the modifiers held
// now, is the configured hotkey; the system's error sound when nothing could
// be applied. The answer is the export's for the host: always 0, the key
// goes on to the host. (Answering here lets the export jump straight in,
// which the per-keystroke cost notices.)
int HandleKeystroke(KeyInfo *info);
// Whether the console's current background is dark or light.
BackgroundClass MeasureBackground(void);
// A scheme of `list` picked at random for a background of that class:
// light ones for a dark background and dark ones for a light background,
// when there are any, else any scheme. Of the wanted kind, only schemes
// whose StdColors, InputColors and ErrorColors are readable (3:1 or more)
// while there is one. Null for an empty list.
ColorScheme *PickRandomScheme(ColorScheme *list, BackgroundClass background);
// 1 + n * r / 0xFFFFFFFF for a secure random r, at most n; 1 without a
// draw when n is 1.
DWORD RandomPosition(DWORD n);
// Puts a picked scheme into effect as the hotkey does (`info` its record,
// or null away from a keystroke): the system's error sound when `scheme` is
// null or cannot be applied; otherwise the earlier announcement closed and,
// with the OSD on, the scheme's name shown. True when applied.
bool ApplyAndAnnounce(const ColorScheme *scheme, KeyInfo *info);

// ---- following the Windows app theme (theme.cpp) ----
// Windows says when the user switches between its light and dark app
// theme; while the switch is on, the console follows with a scheme of the
// theme's kind, picked and announced as the hotkey does it. A hidden
// top-level window on the host's thread hears the change; it exists only
// while the switch is on.

constexpr WCHAR APP_THEME_KEY[] = TEXT("Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize");
constexpr WCHAR APP_THEME_VALUE[] = TEXT("AppsUseLightTheme");
// The text WM_SETTINGCHANGE's lParam points at when the theme changed.
constexpr WCHAR APP_THEME_CHANGE[] = TEXT("ImmersiveColorSet");
constexpr size_t THEME_CLASS_NAME_SIZE = 64;

struct ThemeGlobals {
    ATOM classAtom;  // 0: the class is not registered
    HWND window;     // the hidden window, while the switch is on
    bool matching;   // a change is being followed
    bool again;      // and another came meanwhile
    WCHAR className[THEME_CLASS_NAME_SIZE];
};
extern ThemeGlobals g_theme;

// 0 is dark; 1, any other number, a missing value and one of another type
// are light, as Windows reads it.
BackgroundClass ReadAppTheme(void);
// While the switch is on: a scheme of the theme's kind when the console
// shows the other kind (or cannot be measured); nothing when it matches.
// True when a scheme was applied.
bool MatchAppTheme(void);
// A second after a theme change brought a scheme, under a pseudoconsole,
// the colours go to the terminal once more (a timer of the hidden window).
constexpr UINT_PTR THEME_REWRITE_TIMER_ID = 1;
constexpr UINT THEME_REWRITE_DELAY = 1000;
enum ThemeWindowResult { THEME_WINDOW_READY, THEME_WINDOW_FAILED };
// Makes the hidden window exist exactly while the switch is on; a window
// made now matches the theme at once when `matchNow`. THEME_WINDOW_FAILED
// (the last error says why) turns the switch off again.
[[nodiscard]] ThemeWindowResult SyncThemeWindow(bool matchNow);
// Shutdown: the window goes and the class is unregistered.
void StopFollowingTheme(void);
// Forgets the window and the class as a freshly attached library has it,
// without touching either.
void ResetTheme(void);
