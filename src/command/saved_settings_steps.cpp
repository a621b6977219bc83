// The steps of /R, /S and /S!: the hotkey and OSD settings restored from
// the registry (the current user's first, then the machine's) or saved to
// it.
#include "../hotkey/settings.h"
#include "../plugin/host.h"
#include "../plugin/messages.h"
#include "command.h"

namespace {

LPCWSTR RootName(HKEY root) {
    return root == HKEY_LOCAL_MACHINE ? TEXT("HKLM") : TEXT("HKCU");
}

}  // namespace

int RestoreSavedStep(CommandRequest *request) {
    HKEY found = NULL;
    if (ReadSettings(HKEY_CURRENT_USER) == 0) {
        found = HKEY_CURRENT_USER;
    } else if (ReadSettings(HKEY_LOCAL_MACHINE) == 0) {
        found = HKEY_LOCAL_MACHINE;
    }
    // Saved settings win over /D; without any, /D still gives the defaults.
    if (found) request->restoreDefaults = FALSE;
    if (!request->quiet) {
        if (found) {
            Printf(TEXT("Settings restored from the registry (%s\\%s).\r\n"), RootName(found), SETTINGS_KEY);
        } else {
            Printf(TEXT("Settings not found in the registry.\r\n"));
        }
    }
    return 0;
}

int SaveSettingsStep(CommandRequest *request, BOOL silent) {
    HKEY root = request->saveRoot == SAVE_LOCAL_MACHINE ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    LONG error = WriteSettings(root);
    if (error != ERROR_SUCCESS) {
        WCHAR text[ERROR_TEXT_SIZE];
        FormatWindowsError(static_cast<DWORD>(error), text);
        // The display has already been shown: the message starts on a line
        // of its own.
        CrLf();
        HANDLE err = ErrorHandle();
        PrintErrorPrefix();
        Qprintf(err, TEXT("Error saving settings to the registry (%s\\%s) :\r\n"), RootName(root), SETTINGS_KEY);
        Qprintf(err, TEXT("%s\r\n"), text);
        return COMMAND_FAILED;
    }
    if (!silent) Printf(TEXT("\r\nSettings saved to the registry (%s\\%s).\r\n"), RootName(root), SETTINGS_KEY);
    return 0;
}
