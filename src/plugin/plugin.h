// The bottom of the plugin: the records that cross the boundary between the
// host and the plugin, the frame's process-wide state, the user's settings,
// the shape of every error message, the help text, and which front end
// shows the console.
// Nothing declared here reaches above it; the exports are defined by the top
// layer (entry/entry.cpp) and are named here only because the host, vhost
// and the benchmarks see them together with the records they take.
#pragma once

#include "../platform.h"

// ---- the boundary with the host ----

// Filled by GetPluginInfo; the host reads it and never frees it.
struct PluginInfo {
    LPCWSTR name;
    LPCWSTR author;
    LPCWSTR email;
    LPCWSTR webPage;
    LPCWSTR description;
    LPCWSTR implements;
    int32_t major;
    int32_t minor;
    int32_t build;
};

// The host's key-information record, passed with every keystroke. This is
// the host's memory layout: the offsets are checked below.
struct KeyInfo {
    int32_t keyCode;
    int32_t position[4];
    LPWSTR line;
    LPWSTR cursor;
    int32_t redraw;
    LPWSTR keyName;  // 1024 characters; may be null
};

static_assert(offsetof(PluginInfo, major) == 48 && sizeof(PluginInfo) == 64, "PluginInfo layout");
static_assert(offsetof(KeyInfo, position) == 4 && offsetof(KeyInfo, line) == 24 && offsetof(KeyInfo, cursor) == 32 &&
                  offsetof(KeyInfo, redraw) == 40 && offsetof(KeyInfo, keyName) == 48,
              "KeyInfo layout");

#ifndef PLUGIN_API
#define PLUGIN_API VT_EXPORT
#endif

PLUGIN_API PluginInfo *WINAPI GetPluginInfo(void);
PLUGIN_API int WINAPI InitializePlugin(void);
PLUGIN_API int WINAPI ShutdownPlugin(void);
PLUGIN_API int WINAPI Usage(LPCWSTR name, LPWSTR out);
PLUGIN_API int WINAPI Help(LPCWSTR name);
PLUGIN_API int WINAPI vivanta(LPCWSTR arguments);
PLUGIN_API int WINAPI key(KeyInfo *info);

// The signatures vhost looks up by name.
typedef PluginInfo *(WINAPI *GetPluginInfoFn)(void);
typedef int(WINAPI *InitializePluginFn)(void);
typedef int(WINAPI *ShutdownPluginFn)(void);
typedef int(WINAPI *UsageFn)(LPCWSTR, LPWSTR);
typedef int(WINAPI *HelpFn)(LPCWSTR);
typedef int(WINAPI *CommandFn)(LPCWSTR);
typedef int(WINAPI *KeyFn)(KeyInfo *);

// ---- the frame's state: one instance, written at attach and start-up ----

typedef BOOL(WINAPI *GetConsoleScreenBufferInfoExFn)(HANDLE, PCONSOLE_SCREEN_BUFFER_INFOEX);
typedef BOOL(WINAPI *SetConsoleScreenBufferInfoExFn)(HANDLE, PCONSOLE_SCREEN_BUFFER_INFOEX);

// Alt-Z: the key code of Z (0x2C) with the Alt flag the host sets.
constexpr DWORD DEFAULT_HOTKEY = 0x1002C;
// From this major version on the host reports some keys with other codes,
// by name alone, and wants Enter by name.
constexpr DWORD FIRST_EXTENDED_HOST_VERSION = 24;

// How applied colours reach the screen, chosen once at start-up: the
// console's palette, or VT sequences to the terminal behind a pseudoconsole
// (only when the user asked for them, see ChooseColourPath).
enum ColourPath { COLOURS_BY_PALETTE = 0, COLOURS_BY_SEQUENCES = 1 };

struct PluginState {
    HMODULE module;  // this library, known from the attach notification
    HANDLE console;  // "conout$", opened at start-up
    GetConsoleScreenBufferInfoExFn getBufferInfoEx;
    SetConsoleScreenBufferInfoExFn setBufferInfoEx;
    // %_4ver is read twice over: `hostVersion` is its leading number as the
    // C runtime's conversion reads it (what the directives and the repaint
    // go by), `hostMajorVersion` the same number only when it is believable
    // as a major version (8-100, a plus sign allowed; else 0), which is what
    // picks the key table.
    DWORD hostVersion;
    DWORD hostMajorVersion;
    ColourPath colourPath;
};

extern PluginState g_plugin;

// The library attach notification (reason 1 stores the module handle).
// Always true: nothing at attach can fail.
bool AttachPlugin(HMODULE module, DWORD reason);
// Back to the state of a freshly attached library, settings included; the
// module stays known.
void ResetPluginState(void);

// ---- the user's settings ----
// What /K, /O and /T choose. They start at their defaults at every load and
// go to and come from the registry only on the command's request. Each is a
// REG_DWORD under SETTINGS_KEY and a row of one table (state.cpp) that
// reading, writing and the defaults go through: a new setting is a field
// here and a row there.

constexpr WCHAR SETTINGS_KEY[] = TEXT("Software\\OrtaPlugins\\Vivanta");

struct PluginSettings {
    DWORD hotkey;  // 0: no hotkey
    // Saved and restored exactly as held, so any non-zero value means on.
    DWORD osdEnabled;
    // Matching the console to the Windows app theme: 0 or 1.
    DWORD followTheme;
};

extern PluginSettings g_settings;

// Every setting back to its default; the registry is not touched.
void ResetSettings(void);

// Tells whether `code` is a hotkey of the key table in force. The tables
// sit above this layer, so the caller of ReadSettings hands this over.
typedef bool (*HotkeyCheck)(LONG code);

// Takes the settings over from `root` (HKEY_CURRENT_USER or
// HKEY_LOCAL_MACHINE), all or none: 0 when they were read and accepted, 1
// when the key cannot be opened, otherwise the number of problems found. A
// missing "FollowTheme" (saved before there was one) reads as off; a stored
// hotkey of 0 is no hotkey, any other must pass `isValidHotkey`.
[[nodiscard]] int ReadSettings(HKEY root, HotkeyCheck isValidHotkey);
// Writes the settings under `root`, creating the key, each value even when
// an earlier one failed: 0, or the Windows error of the last write that
// failed ("FollowTheme", else "OSD", else "Hotkey"). "FollowTheme" is
// written while on, or as 0 over a value an earlier save left; a user who
// never switched it on gets none.
[[nodiscard]] LONG WriteSettings(HKEY root);

// What a registry value read as a REG_DWORD turned out to be.
enum RegistryDwordRead { REGISTRY_DWORD_READ, REGISTRY_DWORD_MISSING, REGISTRY_DWORD_WRONG };
// A REG_DWORD of exactly four bytes from the open `key` into `value` (0
// unless read); anything else there is REGISTRY_DWORD_WRONG.
[[nodiscard]] RegistryDwordRead QueryRegistryDword(HKEY key, LPCWSTR name, DWORD *value);

// Reads %_4ver into both host version fields of g_plugin and returns the
// major version: 0 when it overflows or lies outside 8-100. hostVersion is
// the leading number (0 when there is none; too many digits read as the
// largest value).
DWORD ReadHostVersion(void);
// True from host major version 24 on. Inline: the key handler asks on
// every keystroke, and a call into another file doubled its cost.
inline bool IsExtendedHost(void) {
    return g_plugin.hostMajorVersion >= FIRST_EXTENDED_HOST_VERSION;
}

// ---- messages ----

constexpr WCHAR PLUGIN_NAME[] = TEXT("Vivanta");
constexpr DWORD ERROR_TEXT_SIZE = 1024;

// Writes "Vivanta plugin: " (and "batchname [line]  " inside a batch file) to
// standard error, without a line end: the message continues the line.
void PrintErrorPrefix(void);
// The prefix, then `format` filled with the arguments as the message (its
// line ends included): every error the plugin reports starts this way.
void PrintError(LPCWSTR format, ...);
// The system's text for `code` in `text` (ERROR_TEXT_SIZE characters),
// without its trailing line break. False when `text` is null.
bool FormatWindowsError(DWORD code, LPWSTR text);
// The system's text for `code` on standard error, indented on a line of its
// own: the reason under a message that named what failed.
void PrintErrorText(DWORD code);
// `text` on a line of its own, indented as PrintErrorText indents.
void PrintErrorDetail(LPCWSTR text);
// True when the shell is transient or runs in a pipe.
bool IsTransientOrPiped(void);
// The standard error handle, which every message goes to.
HANDLE ErrorHandle(void);

// The help text shared by Usage, Help and the command's "/?".
constexpr size_t TOPIC_NAME_SIZE = 11;
struct HelpTopic {
    WCHAR name[TOPIC_NAME_SIZE];
    LPCWSTR text;
};
extern const WCHAR HELP_TEXT[];
// The topic whose name equals `name` (case ignored), or null.
const HelpTopic *FindHelpTopic(LPCWSTR name);

// ---- which front end shows the console ----

enum ConsoleHostCode {
    HOST_NONE = 0,
    HOST_CONSOLE_WINDOW = 1,
    HOST_TAKE_COMMAND = 2,
    HOST_CONSOLE2 = 3,
    HOST_CONEMU = 4,
    HOST_WINDOWS_TERMINAL = 16,
};

// Returns the front end's window (null for HOST_NONE). The searches that only
// serve the display window run only when `displayWindowOut` is given.
HWND ClassifyConsoleHost(ConsoleHostCode *codeOut, HWND *displayWindowOut);

// The console window when it is a pseudoconsole's (class
// "PseudoConsoleWindow", any case), else null.
HWND FindPseudoConsoleWindow(void);
// The Windows Terminal window that shows the pseudoconsole `console`: its
// root owner when that is of the terminal's class, else null.
HWND TerminalWindowOf(HWND console);
// The name of the environment variable that turns VT sequences on.
constexpr WCHAR VT_SWITCH_VARIABLE[] = TEXT("VIVANTA_VT");
// VT sequences when the user asked for them (VIVANTA_VT is 1, Y or Yes, any
// case), the front end is Windows Terminal or none recognised, and the
// console is a pseudoconsole; the console's palette otherwise.
ColourPath ChooseColourPath(ConsoleHostCode code);
// True while applied colours travel as VT sequences. Inline: the hotkey's
// path asks it.
inline bool UsesSequences(void) {
    return g_plugin.colourPath == COLOURS_BY_SEQUENCES;
}

// Reads "window handle as decimal digits" answers; null when there are none
// or when they name no window.
HWND WindowFromDecimal(LPCWSTR text);

// How to look for the child window that shows the console's title: the
// marker title's format (given the process id and a random number), the
// class the child's name begins with (null: any), a pause before the title
// is set, then up to `attempts` looks, `waitMs` apart.
struct ViewTitleSearch {
    LPCWSTR markerFormat;
    LPCWSTR classPrefix;
    DWORD settleMs;
    int attempts;
    DWORD waitMs;
};
// Gives the console window a marker title until a child of `mainWindow`
// shows it, then puts the console's own title back. Take Command's console
// view copies the console title, so this finds the view; null when no child
// takes the title on.
HWND FindViewByTitle(HWND mainWindow, const ViewTitleSearch *search);
