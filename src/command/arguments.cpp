// The command's arguments: splitting the text, then recognising each
// argument in a fixed order of tests where the first match decides, with the
// checks that make an argument an error. Values of /F, /W, /K, /O, /T, /V and /C are
// checked while the arguments are read, so that a bad value stops the
// command before anything is carried out.
#include "../base/base.h"
#include "../hotkey/hotkey.h"
#include "../plugin/host.h"
#include "command.h"
#include "vivanta_version.h"

ArgumentList g_argumentList;

namespace {

// ---- splitting ----
// Options are separated by white space (and "/D/Q" is two options); the
// first argument that is not an option takes the rest of the line, so that
// scheme names need no quotes.

constexpr LONG NO_ARGUMENT = -1;

enum StoreOutcome { STORED = 0, DROPPED = 1, OVERFLOWED = -1 };

struct Splitter {
    ArgumentList *list;
    LONG next;       // next free position in the buffer
    LONG start;      // where the open argument began, or NO_ARGUMENT
    bool separate;   // white space ends the open argument
    bool isOption;   // the open argument began with "/"
    bool keepWhole;  // a "x://" was seen: no more splitting at "/"
};

bool IsAsciiLetter(WCHAR c) {
    return (c >= TEXT('a') && c <= TEXT('z')) || (c >= TEXT('A') && c <= TEXT('Z'));
}

void FinishArgument(Splitter *s) {
    if (s->start == NO_ARGUMENT) return;
    ArgumentList *list = s->list;
    list->text[s->next] = 0;
    list->arguments[list->count] = list->text + s->start;
    list->lengths[list->count] = s->next - s->start;
    ++list->count;
    ++s->next;
    s->start = NO_ARGUMENT;
}

[[nodiscard]] StoreOutcome Store(Splitter *s, WCHAR c) {
    if (s->start == NO_ARGUMENT) {
        if (s->list->count >= MAX_ARGUMENTS) return DROPPED;
        s->start = s->next;
        s->isOption = c == TEXT('/');
        s->separate = s->isOption;
        s->keepWhole = false;
    }
    // The last position is kept for the terminator.
    if (s->next >= MAX_ARG_LEN - 1) return OVERFLOWED;
    s->list->text[s->next++] = c;
    return STORED;
}

// A "/" inside an option of two or more characters starts the next option,
// unless the option holds a URL-like "letter://" (a path such as
// /F:file://server/share).
bool SplitsOption(const Splitter *s) {
    return s->start != NO_ARGUMENT && s->isOption && !s->keepWhole && s->next - s->start >= 2;
}

void NoteColon(Splitter *s, LPCWSTR text, size_t i) {
    if (s->next - s->start < 2 || !IsAsciiLetter(s->list->text[s->next - 2])) return;
    if (text[i + 1] == TEXT('/') && text[i + 2] == TEXT('/')) s->keepWhole = true;
}

void TrimTrailingWhiteSpace(ArgumentList *list) {
    for (LONG n = 0; n < list->count; ++n) {
        LPWSTR argument = list->arguments[n];
        LONG length = list->lengths[n];
        while (length > 0 && IsWhiteSpace(argument[length - 1])) argument[--length] = 0;
        list->lengths[n] = length;
    }
}

// ---- reading ----

// Upper-cases `argument` in place and reports it with `format`.
[[nodiscard]] ReadOutcome ReportArgumentError(LPWSTR argument, LPCWSTR format) {
    StrUpperAscii(argument);
    PrintError(format, argument);
    return READ_ERROR;
}

// "/?" shows the help text; "/??" adds the full version and build.
void ShowCommandHelp(LPCWSTR argument) {
    QPuts(HELP_TEXT);
    if (argument[1] != 0 && argument[2] == TEXT('?')) {
        Printf(TEXT("\r\n\t\t\t\t%s  %u.%u.%u.%u (%s)\r\n"), PLUGIN_NAME, VIVANTA_VERSION_MAJOR, VIVANTA_VERSION_MINOR,
               VIVANTA_VERSION_PATCH, VIVANTA_VERSION_BUILD, TEXT("x64"));
    }
}

// The exact options: the whole argument, letter case ignored.
bool IsExactly(LPCWSTR argument, LONG length, LPCWSTR option) {
    return static_cast<size_t>(length) == StrLen(option) && StrCompareI(argument, option) == 0;
}

// The prefix options: only the first two characters count.
bool HasPrefix(LPCWSTR argument, LONG length, WCHAR letter) {
    return length >= 2 && argument[0] == TEXT('/') && AsciiUpper(argument[1]) == letter;
}

bool HasBrackets(LPCWSTR text) {
    return StrFindChar(text, TEXT('[')) != nullptr || StrFindChar(text, TEXT(']')) != nullptr;
}

// The value of /V or /C: a position or a name pattern, upper-cased.
[[nodiscard]] ReadOutcome ReadSchemeSelector(LPWSTR argument, LPCWSTR *selector) {
    StrUpperAscii(argument);
    LPWSTR value = OptionValue(argument);
    if (value[0] == 0) return ReportArgumentError(argument, TEXT("Missing scheme name or index: \"%s\"\r\n"));
    if (HasBrackets(value)) return ReportArgumentError(argument, TEXT("Bad characters in scheme name: \"%s\"\r\n"));
    *selector = value;
    return READ_OK;
}

[[nodiscard]] ReadOutcome ReadViewOption(LPWSTR argument, CommandRequest *request) {
    request->view.kind = VIEW_TEXT;
    return ReadSchemeSelector(argument, &request->view.text);
}

[[nodiscard]] ReadOutcome ReadReadabilityOption(LPWSTR argument, CommandRequest *request) {
    request->readability = true;
    return ReadSchemeSelector(argument, &request->readabilityScheme);
}

[[nodiscard]] ReadOutcome ReadSchemeArgument(LPWSTR argument, CommandRequest *request) {
    if (HasBrackets(argument)) return ReportArgumentError(argument, TEXT("Bad characters in scheme name: \"%s\"\r\n"));
    request->scheme = argument;
    request->changes = true;
    return READ_OK;
}

[[nodiscard]] ReadOutcome ReadFileOption(LPWSTR argument, CommandRequest *request) {
    LPWSTR value = OptionValue(argument);
    if (value[0] == 0) return ReportArgumentError(argument, TEXT("Missing filename: \"%s\"\r\n"));
    request->schemeFile = value;
    request->changes = true;
    return READ_OK;
}

// file::name, where only the name may be left out.
[[nodiscard]] ReadOutcome ReadWriteOption(LPWSTR argument, CommandRequest *request) {
    LPWSTR value = OptionValue(argument);
    if (value[0] == 0 || StrCompareN(value, TEXT("::"), 2) == 0) {
        return ReportArgumentError(argument, TEXT("Missing filename: \"%s\"\r\n"));
    }
    request->writeSpec = value;
    return READ_OK;
}

// [file][::pattern], either part left out: "/E::ice*" names no file, so
// the one ":" or "=" an option may have is skipped only where it does not
// begin that "::".
[[nodiscard]] ReadOutcome ReadExportOption(LPWSTR argument, CommandRequest *request) {
    LPWSTR value = argument + 2;
    bool noFile = value[0] == TEXT(':') && value[1] == TEXT(':') && value[2] != TEXT(':');
    request->exportSpec = noFile ? value : OptionValue(argument);
    return READ_OK;
}

[[nodiscard]] ReadOutcome ReadHotkeyOption(LPWSTR argument, CommandRequest *request) {
    StrUpperAscii(argument);
    LPWSTR value = OptionValue(argument);
    if (value[0] == 0) return ReportArgumentError(argument, TEXT("Missing hotkey: \"%s\"\r\n"));
    // Switching the hotkey off is no change in the sense of /L and /W.
    if (StrCompare(value, TEXT("NONE")) == 0) {
        request->hotkey = 0;
        return READ_OK;
    }
    LONG code = ParseHotkeyName(value);
    if (code == 0) return ReportArgumentError(argument, TEXT("Unknown key name: \"%s\"\r\n"));
    if (code == KEY_INVALID) return ReportArgumentError(argument, TEXT("Invalid hotkey: \"%s\"\r\n"));
    if (code < 0) return ReportArgumentError(argument, TEXT("Key not allowed: \"%s\"\r\n"));
    request->hotkey = code;
    request->changes = true;
    return READ_OK;
}

// /O and /T. Only the first character counts: /O:yes and /O:nonsense are
// Y and N.
[[nodiscard]] ReadOutcome ReadSwitchOption(LPWSTR argument, LONG *setting, CommandRequest *request) {
    StrUpperAscii(argument);
    LPWSTR value = OptionValue(argument);
    if (value[0] == 0) return ReportArgumentError(argument, TEXT("Missing Y or N value: \"%s\"\r\n"));
    if (value[0] == TEXT('Y')) {
        *setting = 1;
    } else if (value[0] == TEXT('N')) {
        *setting = 0;
    } else {
        return ReportArgumentError(argument, TEXT("Expected a Y or N: \"%s\"\r\n"));
    }
    request->changes = true;
    return READ_OK;
}

[[nodiscard]] ReadOutcome ReadArgument(LPWSTR argument, LONG length, CommandRequest *request) {
    if (argument[0] == TEXT('/') && argument[1] == TEXT('?')) {
        ShowCommandHelp(argument);
        return READ_HELP;
    }
    if (IsExactly(argument, length, TEXT("/C"))) {
        request->readability = true;
        request->readabilityScheme = nullptr;
    } else if (HasPrefix(argument, length, TEXT('C'))) {
        return ReadReadabilityOption(argument, request);
    } else if (IsExactly(argument, length, TEXT("/D"))) {
        request->restoreDefaults = true;
    } else if (HasPrefix(argument, length, TEXT('E'))) {
        return ReadExportOption(argument, request);
    } else if (HasPrefix(argument, length, TEXT('F'))) {
        return ReadFileOption(argument, request);
    } else if (HasPrefix(argument, length, TEXT('K'))) {
        return ReadHotkeyOption(argument, request);
    } else if (IsExactly(argument, length, TEXT("/L"))) {
        request->listHotkeys = true;
    } else if (IsExactly(argument, length, TEXT("/M"))) {
        request->merge = true;
    } else if (HasPrefix(argument, length, TEXT('P'))) {
        request->picker = true;
        request->pickerFilter = length > 2 ? OptionValue(argument) : nullptr;
    } else if (HasPrefix(argument, length, TEXT('O'))) {
        return ReadSwitchOption(argument, &request->osd, request);
    } else if (IsExactly(argument, length, TEXT("/Q"))) {
        request->quiet = true;
    } else if (IsExactly(argument, length, TEXT("/R"))) {
        request->restoreSaved = true;
    } else if (IsExactly(argument, length, TEXT("/S"))) {
        request->saveRoot = SAVE_CURRENT_USER;
    } else if (IsExactly(argument, length, TEXT("/S!"))) {
        request->saveRoot = SAVE_LOCAL_MACHINE;
    } else if (HasPrefix(argument, length, TEXT('T'))) {
        return ReadSwitchOption(argument, &request->followTheme, request);
    } else if (IsExactly(argument, length, TEXT("/V"))) {
        request->view.kind = VIEW_CURRENT;
        request->view.text = nullptr;
    } else if (HasPrefix(argument, length, TEXT('V'))) {
        return ReadViewOption(argument, request);
    } else if (HasPrefix(argument, length, TEXT('W'))) {
        return ReadWriteOption(argument, request);
    } else if (argument[0] == TEXT('/')) {
        return ReportArgumentError(argument, TEXT("Unknown option: \"%s\"\r\n"));
    } else {
        return ReadSchemeArgument(argument, request);
    }
    return READ_OK;
}

}  // namespace

void InitCommandRequest(CommandRequest *request) {
    request->readability = false;
    request->readabilityScheme = nullptr;
    request->restoreDefaults = false;
    request->schemeFile = nullptr;
    request->hotkey = -1;
    request->listHotkeys = false;
    request->merge = false;
    request->osd = -1;
    request->followTheme = -1;
    request->quiet = false;
    request->restoreSaved = false;
    request->saveRoot = SAVE_NONE;
    request->view.kind = VIEW_NONE;
    request->view.text = nullptr;
    request->writeSpec = nullptr;
    request->exportSpec = nullptr;
    request->scheme = nullptr;
    request->changes = false;
    request->picker = false;
    request->pickerFilter = nullptr;
    request->result = COMMAND_DONE;
    request->applied = nullptr;
}

LPWSTR OptionValue(LPWSTR argument) {
    LPWSTR value = argument + 2;
    if (*value == TEXT(':') || *value == TEXT('=')) ++value;
    return value;
}

// Arguments are read in order; an error or the help ends the reading at
// once, so later arguments are never looked at.
ReadOutcome ReadArguments(CommandRequest *request) {
    for (LONG n = 0; n < g_argumentList.count; ++n) {
        ReadOutcome outcome = ReadArgument(g_argumentList.arguments[n], g_argumentList.lengths[n], request);
        if (outcome != READ_OK) return outcome;
    }
    return READ_OK;
}

void ResetArgumentList(void) {
    g_argumentList.count = 0;
}

int SplitArguments(LPCWSTR text) {
    ArgumentList *list = &g_argumentList;
    list->count = 0;
    if (!text) return 0;
    Splitter s = {list, 0, NO_ARGUMENT, true, false, false};
    bool quoting = false;
    for (size_t i = 0; text[i] != 0; ++i) {
        WCHAR c = text[i];
        if (c == TEXT('"')) {
            quoting = !quoting;
            continue;
        }
        if (!quoting) {
            if (IsWhiteSpace(c) && (s.start == NO_ARGUMENT || s.separate)) {
                FinishArgument(&s);
                continue;
            }
            if (c == TEXT('/') && SplitsOption(&s)) FinishArgument(&s);
        }
        StoreOutcome outcome = Store(&s, c);
        if (outcome == DROPPED) break;  // the argument cap: the rest is ignored
        if (outcome == OVERFLOWED) {
            PrintError(TEXT("Buffer overflow: b = %d, MAX_ARG_LEN = %d \r\n"), static_cast<int>(s.next), MAX_ARG_LEN);
            list->count = 0;
            return -1;
        }
        if (c == TEXT(':')) NoteColon(&s, text, i);
    }
    FinishArgument(&s);
    TrimTrailingWhiteSpace(list);
    return static_cast<int>(list->count);
}
