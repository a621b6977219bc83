// The VIVANTA command: its argument list, the request the arguments build,
// and the steps that carry the request out in a fixed order.
#pragma once

#include "../palette/palette.h"
#include "../platform.h"

#define MAX_ARG_LEN 8192
#define MAX_ARGUMENTS 1024

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

enum SaveRoot { SAVE_NONE = 0, SAVE_CURRENT_USER = 1, SAVE_LOCAL_MACHINE = 2 };

// What the arguments ask for. Texts point into g_argumentList.
struct CommandRequest {
    BOOL restoreDefaults;
    LPWSTR schemeFile;  // upper-cased in place when it cannot be read
    LONG hotkey;  // -1: not given; 0: no hotkey
    BOOL listHotkeys;
    BOOL merge;
    LONG osd;  // -1: not given; 1 on, 0 off
    BOOL quiet;
    BOOL restoreSaved;
    int saveRoot;
    SchemeView view;
    LPCWSTR writeSpec;
    LPCWSTR scheme;
    BOOL changes;  // something that /L and /W cannot go with
    LONG result;
    const ColorScheme *applied;
};

// Result codes returned to the host.
#define COMMAND_DONE 0
#define COMMAND_REFUSED 1  // argument error or forbidden combination
#define COMMAND_FAILED 2   // something that was carried out failed

// The whole command, as the host calls it.
int RunVivantaCommand(LPCWSTR arguments);

void InitCommandRequest(CommandRequest *request);
// Reads every argument into `request`. READ_OK, READ_HELP after the help was
// shown, or READ_ERROR after an argument error was reported.
enum ReadOutcome { READ_OK = 0, READ_HELP = 1, READ_ERROR = 2 };
int ReadArguments(CommandRequest *request);
// Upper-cases `argument` in place and reports it with `format`; returns
// READ_ERROR.
int ReportArgumentError(LPWSTR argument, LPCWSTR format);
// The text after an option's two characters and one ":" or "=".
LPWSTR OptionValue(LPWSTR argument);

// The value checks of the options that take one; each returns READ_OK or
// READ_ERROR.
int ReadFileOption(LPWSTR argument, CommandRequest *request);
int ReadWriteOption(LPWSTR argument, CommandRequest *request);
int ReadHotkeyOption(LPWSTR argument, CommandRequest *request);
int ReadOsdOption(LPWSTR argument, CommandRequest *request);

// "/?" shows the help text; "/??" adds the version line.
void ShowCommandHelp(LPCWSTR argument);

// Carries the request out in the fixed order; returns the result code.
int CarryOutRequest(CommandRequest *request);
void RestoreDefaultSettings(const CommandRequest *request);
void SetHotkeyAndOsd(const CommandRequest *request);
void ApplySchemeArgument(CommandRequest *request);
// The settings, then the scheme list with `applied` (or else the scheme
// recognised as in effect) marked.
void ShowSettingsScreen(const ColorScheme *applied);

// The steps of /W, /F, /R and /S (/S!). Each returns 0 when the command may
// go on, else the result that ends it.
int WriteSchemeStep(CommandRequest *request);
int ReadSchemeFileStep(CommandRequest *request);
int RestoreSavedStep(CommandRequest *request);
// `silent`: the confirmation is not wanted (quiet, or a scheme was viewed).
int SaveSettingsStep(CommandRequest *request, BOOL silent);
