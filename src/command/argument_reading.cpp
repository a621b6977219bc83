// Recognising each argument, in a fixed order of tests where the first
// match decides, and the checks that make an argument an error.
#include "../base/wstr.h"
#include "../plugin/host.h"
#include "../plugin/messages.h"
#include "command.h"

namespace {

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

int ReadViewOption(LPWSTR argument, CommandRequest *request) {
    StrUpperAscii(argument);
    LPWSTR value = OptionValue(argument);
    if (value[0] == 0) return ReportArgumentError(argument, TEXT("Missing scheme name or index: \"%s\"\r\n"));
    if (HasBrackets(value)) return ReportArgumentError(argument, TEXT("Bad characters in scheme name: \"%s\"\r\n"));
    request->view.kind = VIEW_TEXT;
    request->view.text = value;
    return READ_OK;
}

int ReadSchemeArgument(LPWSTR argument, CommandRequest *request) {
    if (HasBrackets(argument)) return ReportArgumentError(argument, TEXT("Bad characters in scheme name: \"%s\"\r\n"));
    request->scheme = argument;
    request->changes = TRUE;
    return READ_OK;
}

int ReadArgument(LPWSTR argument, LONG length, CommandRequest *request) {
    if (argument[0] == TEXT('/') && argument[1] == TEXT('?')) {
        ShowCommandHelp(argument);
        return READ_HELP;
    }
    if (IsExactly(argument, length, TEXT("/D"))) {
        request->restoreDefaults = TRUE;
    } else if (HasPrefix(argument, length, TEXT('F'))) {
        return ReadFileOption(argument, request);
    } else if (HasPrefix(argument, length, TEXT('K'))) {
        return ReadHotkeyOption(argument, request);
    } else if (IsExactly(argument, length, TEXT("/L"))) {
        request->listHotkeys = TRUE;
    } else if (IsExactly(argument, length, TEXT("/M"))) {
        request->merge = TRUE;
    } else if (HasPrefix(argument, length, TEXT('O'))) {
        return ReadOsdOption(argument, request);
    } else if (IsExactly(argument, length, TEXT("/Q"))) {
        request->quiet = TRUE;
    } else if (IsExactly(argument, length, TEXT("/R"))) {
        request->restoreSaved = TRUE;
    } else if (IsExactly(argument, length, TEXT("/S"))) {
        request->saveRoot = SAVE_CURRENT_USER;
    } else if (IsExactly(argument, length, TEXT("/S!"))) {
        request->saveRoot = SAVE_LOCAL_MACHINE;
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
    request->restoreDefaults = FALSE;
    request->schemeFile = nullptr;
    request->hotkey = -1;
    request->listHotkeys = FALSE;
    request->merge = FALSE;
    request->osd = -1;
    request->quiet = FALSE;
    request->restoreSaved = FALSE;
    request->saveRoot = SAVE_NONE;
    request->view.kind = VIEW_NONE;
    request->view.text = nullptr;
    request->writeSpec = nullptr;
    request->scheme = nullptr;
    request->changes = FALSE;
    request->result = COMMAND_DONE;
    request->applied = nullptr;
}

LPWSTR OptionValue(LPWSTR argument) {
    LPWSTR value = argument + 2;
    if (*value == TEXT(':') || *value == TEXT('=')) ++value;
    return value;
}

int ReportArgumentError(LPWSTR argument, LPCWSTR format) {
    StrUpperAscii(argument);
    PrintErrorPrefix();
    Qprintf(ErrorHandle(), format, argument);
    return READ_ERROR;
}

// Arguments are read in order; an error or the help ends the reading at
// once, so later arguments are never looked at.
int ReadArguments(CommandRequest *request) {
    for (LONG n = 0; n < g_argumentList.count; ++n) {
        int outcome = ReadArgument(g_argumentList.arguments[n], g_argumentList.lengths[n], request);
        if (outcome != READ_OK) return outcome;
    }
    return READ_OK;
}
