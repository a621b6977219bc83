// Carrying out a request that was read without error, in a fixed order:
// the forbidden combinations first, then files, saved settings, defaults,
// the hotkey and OSD, the scheme, the display and the save.
#include "../hotkey/hotkey.h"
#include "../plugin/host.h"
#include "../plugin/messages.h"
#include "command.h"

namespace {

int RefuseCombination(LPCWSTR option) {
    PrintErrorPrefix();
    Qprintf(ErrorHandle(), TEXT("Can\u2019t combine %s with other options\r\n"), option);
    return COMMAND_REFUSED;
}

// /L only lists; /Q, /M, /V and /K:NONE make no difference to it.
int ListHotkeysStep(const CommandRequest *request) {
    if (request->saveRoot != SAVE_NONE || request->restoreSaved || request->restoreDefaults || request->changes ||
        request->writeSpec) {
        return RefuseCombination(TEXT("/L"));
    }
    ListHotkeys();
    return COMMAND_DONE;
}

int WriteStep(CommandRequest *request) {
    if (request->restoreDefaults || request->changes || request->restoreSaved || request->saveRoot != SAVE_NONE ||
        request->view.kind != VIEW_NONE) {
        return RefuseCombination(TEXT("/W"));
    }
    return WriteSchemeStep(request);
}

// The scheme just viewed stands instead of the settings screen; returns
// TRUE when it was shown.
BOOL DisplayStep(const CommandRequest *request) {
    if (request->quiet) return FALSE;
    BOOL viewed = request->view.kind != VIEW_NONE && ShowScheme(&request->view) > 0;
    if (!viewed) ShowSettingsScreen(request->applied);
    return viewed;
}

}  // namespace

int CarryOutRequest(CommandRequest *request) {
    if (request->listHotkeys) return ListHotkeysStep(request);
    if (request->writeSpec) return WriteStep(request);

    int ended = 0;
    if (request->schemeFile && (ended = ReadSchemeFileStep(request)) != 0) return ended;
    if (request->restoreSaved && (ended = RestoreSavedStep(request)) != 0) return ended;
    if (request->restoreDefaults) RestoreDefaultSettings(request);
    SetHotkeyAndOsd(request);
    if (request->scheme) ApplySchemeArgument(request);

    BOOL viewed = DisplayStep(request);
    if (request->saveRoot != SAVE_NONE && (ended = SaveSettingsStep(request, request->quiet || viewed)) != 0) {
        return ended;
    }
    return request->result;
}
