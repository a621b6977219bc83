// The values of /F, /W, /K and /O, checked while the arguments are read so
// that a bad value stops the command before anything is carried out.
#include "../base/wstr.h"
#include "../hotkey/hotkey.h"
#include "command.h"

int ReadFileOption(LPWSTR argument, CommandRequest *request) {
    LPWSTR value = OptionValue(argument);
    if (value[0] == 0) return ReportArgumentError(argument, TEXT("Missing filename: \"%s\"\r\n"));
    request->schemeFile = value;
    request->changes = TRUE;
    return READ_OK;
}

// file::name, where only the name may be left out.
int ReadWriteOption(LPWSTR argument, CommandRequest *request) {
    LPWSTR value = OptionValue(argument);
    if (value[0] == 0 || StrCompareN(value, TEXT("::"), 2) == 0) {
        return ReportArgumentError(argument, TEXT("Missing filename: \"%s\"\r\n"));
    }
    request->writeSpec = value;
    return READ_OK;
}

int ReadHotkeyOption(LPWSTR argument, CommandRequest *request) {
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
    request->changes = TRUE;
    return READ_OK;
}

// Only the first character counts: /O:yes and /O:nonsense are Y and N.
int ReadOsdOption(LPWSTR argument, CommandRequest *request) {
    StrUpperAscii(argument);
    LPWSTR value = OptionValue(argument);
    if (value[0] == 0) return ReportArgumentError(argument, TEXT("Missing Y or N value: \"%s\"\r\n"));
    if (value[0] == TEXT('Y')) {
        request->osd = 1;
    } else if (value[0] == TEXT('N')) {
        request->osd = 0;
    } else {
        return ReportArgumentError(argument, TEXT("Expected a Y or N: \"%s\"\r\n"));
    }
    request->changes = TRUE;
    return READ_OK;
}
