// vhost, the stand-in host shell: loads the plugin module the way the host
// does and drives it with lines of a small command language.
#pragma once

#include "../../src/platform.h"

#include <string>
#include <utility>
#include <vector>

// vhost calls the plugin through the pointers it looks up, never by name.
#define PLUGIN_API extern "C"
#include "plugin/plugin.h"

namespace vhost {

typedef std::basic_string<WCHAR> Text;

struct Options {
    Text pluginPath;  // empty: the module beside vhost
    Text version;     // what %_4ver expands to
    bool transient = false;
    bool pipe = false;
    std::vector<std::pair<Text, Text>> variables;  // --var, in order
    Text frontEnd;                                 // empty: a classic console
    Text registryFile;
    Text vtLogFile;     // --vt-log: where the console's VT writes are appended at exit
    SHORT columns = 0;  // 0: the simulated console's own size
    SHORT rows = 0;
    std::vector<Text> lines;  // -c; none means standard input
    bool showUsage = false;
};

// Exit statuses of vhost itself; a plugin command's result is passed on.
const int kExitRefused = 1;  // InitializePlugin returned non-zero
const int kExitUsage = 2;    // bad arguments, or no usable plugin module

// ---- options.cpp ----
// Fills `options`; false (with `error` set) on a bad argument.
bool ParseOptions(const std::vector<Text> &args, Options *options, Text *error);
void PrintUsage();
// COLSxROWS, each from 1 to 32767.
bool ParseSize(const Text &text, SHORT *columns, SHORT *rows);

// ---- plugin_loader.cpp ----
struct Plugin {
    HMODULE module = NULL;
    GetPluginInfoFn getPluginInfo = nullptr;
    InitializePluginFn initializePlugin = nullptr;
    ShutdownPluginFn shutdownPlugin = nullptr;
    UsageFn usage = nullptr;
    HelpFn help = nullptr;
    CommandFn command = nullptr;
    KeyFn key = nullptr;
};
// Loads the module and looks up its seven exports; prints why on failure.
bool LoadPlugin(const Text &path, Plugin *plugin);
Text DefaultPluginPath();

// ---- line_commands.cpp, key_commands.cpp, inspect_commands.cpp ----
struct Session {
    Plugin plugin;
    int lastResult = 0;                         // of the last `vivanta` line
    HANDLE startBuffer = INVALID_HANDLE_VALUE;  // the screen buffer shown at start
};
void RunLine(Session *session, const Text &line);
void RunKey(Session *session, const Text &arguments);
void RunKeyName(Session *session, const Text &name);
// input_commands.cpp: `keys` and `resize`
void RunKeys(const Text &arguments);
void RunResize(const Text &argument);
void ShowConsole();
// The input and output modes, the cursor of the buffer shown at start, and
// whether that buffer is still the one shown.
void ShowModes(const Session &session);
void ShowOptions();
void ShowWindows();
// The 18 colours the terminal behind a pseudo console shows (Linux).
void ShowTerminal();

// ---- text helpers (line_commands.cpp) ----
// Through the host's own output, so that vhost's lines and the plugin's
// stay in order. Print writes the text as it is; PrintError adds a line end.
void Print(const Text &text);
void PrintError(const Text &text);
Text FromUtf8(const std::string &bytes);
Text Widen(const char *ascii);
bool EqualNoCase(const Text &text, const char *word);
// Splits off the first blank-separated word; `rest` starts after the blanks
// that follow it.
Text FirstWord(const Text &text, Text *rest);
// Decimal, or hexadecimal after "0x"; the whole text must be the number.
bool ParseNumber(const Text &text, DWORD *value);

// ---- the platform: world_sim.cpp on Linux, world_win.cpp on Windows ----
std::vector<Text> CollectArguments(int argc, char **argv);
// Sets up the machine the plugin will run on; prints why on failure.
bool PrepareWorld(const Options &options);
void FinishWorld(const Options &options);
const WCHAR *PluginFileName();
// True when the loader told `module` of its attach through its DllMain.
bool ToldOfAttach(HMODULE module);
void HoldModifiers(bool shift, bool ctrl, bool alt);
// The text last drawn into a window (Linux); empty when unknown.
Text DrawnText(HWND window);
void RunMessagesFor(DWORD ms);
// Help shows a message box; the simulation records it, Windows shows it.
size_t MessageBoxCount();
void PrintMessageBoxesSince(size_t first);
void DrawScreen();
// One key event for the console's input buffer.
struct KeyPress {
    bool down;
    WORD virtualKey;
    WCHAR character;
    DWORD controlKeyState;
    WORD repeat;
};
// Into the console's input buffer, for the next command to read.
void QueueKeys(const std::vector<KeyPress> &presses);
// The user resizes the console window (Linux).
void ResizeWindow(SHORT columns, SHORT rows);

}  // namespace vhost
