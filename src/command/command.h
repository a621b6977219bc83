// The VIVANTA command: its argument list, the request the arguments build,
// and the command as the host calls it.
#pragma once

#include "../palette/palette.h"
#include "../platform.h"

constexpr LONG MAX_ARG_LEN = 8192;
constexpr LONG MAX_ARGUMENTS = 1024;

// One list for the whole process, reused by every call: the arguments lie
// one after another in `text`, each with its terminator.
struct ArgumentList {
    WCHAR text[MAX_ARG_LEN];
    LPWSTR arguments[MAX_ARGUMENTS];
    LONG lengths[MAX_ARGUMENTS];
    LONG count;
};
extern ArgumentList g_argumentList;

// Splits the command's text into g_argumentList; returns the count, or -1
// (after printing why) when the text does not fit the buffer.
int SplitArguments(LPCWSTR text);
// Empties g_argumentList, as a freshly attached library has it.
void ResetArgumentList(void);

enum SaveRoot { SAVE_NONE = 0, SAVE_CURRENT_USER = 1, SAVE_LOCAL_MACHINE = 2 };

// Result codes returned to the host. Held in an int, so that the scheme
// writer's code for a missing argument, passed through, stays well defined.
enum CommandResult : int {
    COMMAND_DONE = 0,
    COMMAND_REFUSED = 1,    // argument error or forbidden combination
    COMMAND_FAILED = 2,     // something that was carried out failed
    COMMAND_CANCELLED = 3,  // the picker was left without keeping a scheme
};

// What the arguments ask for. Texts point into g_argumentList.
struct CommandRequest {
    bool readability;
    LPCWSTR readabilityScheme;  // null: every scheme
    bool restoreDefaults;
    LPWSTR schemeFile;
    LONG hotkey;  // -1: not given; 0: no hotkey
    bool listHotkeys;
    bool merge;
    LONG osd;          // -1: not given; 1 on, 0 off
    LONG followTheme;  // the same
    bool quiet;
    bool restoreSaved;
    SaveRoot saveRoot;
    SchemeView view;
    LPCWSTR writeSpec;
    LPCWSTR exportSpec;  // the text after /E: [file][::pattern], perhaps empty
    LPCWSTR scheme;
    bool changes;  // something that /L and /W cannot go with
    bool picker;
    LPCWSTR pickerFilter;  // the text of /P:text, or null
    CommandResult result;
    const ColorScheme *applied;
};

// The whole command, as the host calls it.
[[nodiscard]] CommandResult RunVivantaCommand(LPCWSTR arguments);

void InitCommandRequest(CommandRequest *request);
// Reads every argument into `request`. READ_OK, READ_HELP after the help was
// shown, or READ_ERROR after an argument error was reported.
enum ReadOutcome { READ_OK = 0, READ_HELP = 1, READ_ERROR = 2 };
[[nodiscard]] ReadOutcome ReadArguments(CommandRequest *request);
// The text after an option's two characters and one ":" or "=".
LPWSTR OptionValue(LPWSTR argument);
