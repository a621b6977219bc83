// Carrying out a request that was read without error, in a fixed order:
// the forbidden combinations first, then files, saved settings, defaults,
// the hotkey and OSD, the scheme, the display and the save. Each step of
// /W, /F, /R and /S answers COMMAND_DONE when the command may go on, else
// the result that ends it.
#include "../base/base.h"
#include "../hotkey/hotkey.h"
#include "../import/import.h"
#include "../picker/picker.h"
#include "../plugin/host.h"
#include "../schemes/schemes.h"
#include "command.h"
#include "vivanta_version.h"

namespace {

// ---- the settings screen ----

// What VIVANTA shows with no arguments, and after every change unless /Q:
// the settings, then the scheme list with `applied` (or else the scheme
// recognised as in effect) marked.
void ShowSettingsScreen(const ColorScheme *applied) {
    Printf(TEXT("\r\n%s v%s settings:\r\n\n"), PLUGIN_NAME, VIVANTA_VERSION_TEXT);
    WCHAR hotkey[HOTKEY_TEXT_SIZE];
    FormatHotkey(hotkey);
    Printf(TEXT("  Hotkey  . . . . . . . . . . /K: %s\r\n"), hotkey);
    Printf(TEXT("  Hotkey OSD  . . . . . . . . /O: %s\r\n"), g_settings.osdEnabled ? TEXT("Yes") : TEXT("No"));
    // Only once switched on, so that the screen stays as it was for a user
    // who never does.
    if (g_settings.followTheme) Printf(TEXT("  Follow theme  . . . . . . . /T: Yes\r\n"));
    if (UsesSequences()) Printf(TEXT("  Terminal  . . . . . . . . . VT sequences\r\n"));
    ListSchemes(applied ? applied : IdentifyCurrentScheme());
}

// ---- /W and /F (with /M) ----

// The scheme file writer's answers as the command's result codes: a refused
// argument is the command's refusal, a failed read or write its failure.
[[nodiscard]] CommandResult WriteResult(SchemeWriteResult written) {
    switch (written) {
        case SCHEME_WRITE_DONE:
            return COMMAND_DONE;
        case SCHEME_WRITE_REFUSED:
            return COMMAND_REFUSED;
        case SCHEME_WRITE_FAILED:
            return COMMAND_FAILED;
        case SCHEME_WRITE_MISSING_ARGUMENT:
            break;
    }
    // Never met: the command hands the writer an argument whenever it calls
    // it. The code passes through unchanged, as every other one does.
    return static_cast<CommandResult>(SCHEME_WRITE_MISSING_ARGUMENT);
}

[[nodiscard]] CommandResult WriteSchemeStep(const CommandRequest *request) {
    return WriteResult(
        WriteCurrentScheme(request->writeSpec, request->quiet, IdentifyCurrentScheme, OtherFormatOfPath));
}

// A file that gives nothing ends the command: nothing after it is carried
// out, so no setting changes on the strength of a file that was not read.
// Files of a folder that fail are reported and make the command fail, but
// what the others gave is in the list and the command goes on with it.
[[nodiscard]] CommandResult ReadSchemeFileStep(CommandRequest *request) {
    switch (ReadSchemeSources(request->schemeFile, request->merge, request->quiet)) {
        case SOURCES_READ:
            break;
        case SOURCES_PARTLY_READ:
            request->result = COMMAND_FAILED;
            break;
        case SOURCES_NOT_READ:
            return COMMAND_FAILED;
    }
    return COMMAND_DONE;
}

// ---- /R, /S and /S!: the current user's settings first, then the machine's ----

LPCWSTR RootName(HKEY root) {
    return root == HKEY_LOCAL_MACHINE ? TEXT("HKLM") : TEXT("HKCU");
}

[[nodiscard]] CommandResult RestoreSavedStep(CommandRequest *request) {
    HKEY found = NULL;
    if (ReadSettings(HKEY_CURRENT_USER, IsValidHotkey) == 0) {
        found = HKEY_CURRENT_USER;
    } else if (ReadSettings(HKEY_LOCAL_MACHINE, IsValidHotkey) == 0) {
        found = HKEY_LOCAL_MACHINE;
    }
    // Saved settings win over /D; without any, /D still gives the defaults.
    if (found) request->restoreDefaults = false;
    if (!request->quiet) {
        if (found) {
            Printf(TEXT("Settings restored from the registry (%s\\%s).\r\n"), RootName(found), SETTINGS_KEY);
        } else {
            Printf(TEXT("Settings not found in the registry.\r\n"));
        }
    }
    return COMMAND_DONE;
}

// `silent`: the confirmation is not wanted (quiet, or a scheme was viewed).
[[nodiscard]] CommandResult SaveSettingsStep(const CommandRequest *request, bool silent) {
    HKEY root = request->saveRoot == SAVE_LOCAL_MACHINE ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    LONG error = WriteSettings(root);
    if (error != ERROR_SUCCESS) {
        WCHAR text[ERROR_TEXT_SIZE];
        FormatWindowsError(static_cast<DWORD>(error), text);
        // The display has already been shown: the message starts on a line
        // of its own.
        CrLf();
        PrintError(TEXT("Error saving settings to the registry (%s\\%s) :\r\n%s\r\n"), RootName(root), SETTINGS_KEY,
                   text);
        return COMMAND_FAILED;
    }
    if (!silent) Printf(TEXT("\r\nSettings saved to the registry (%s\\%s).\r\n"), RootName(root), SETTINGS_KEY);
    return COMMAND_DONE;
}

// ---- the hotkey, OSD and theme settings ----
// The defaults of /D, and the values /K, /O and /T give, which win over
// both /R and /D.

void RestoreDefaultSettings(const CommandRequest *request) {
    // The registry keeps what was saved; /S after /D saves the defaults.
    ResetSettings();
    if (!request->quiet) Printf(TEXT("Default plugin settings restored.\r\n"));
}

void SetHotkeyAndOsd(const CommandRequest *request) {
    if (request->hotkey >= 0) g_settings.hotkey = static_cast<DWORD>(request->hotkey);
    if (request->osd >= 0) g_settings.osdEnabled = request->osd ? TRUE : FALSE;
    if (request->followTheme >= 0) g_settings.followTheme = request->followTheme ? TRUE : FALSE;
}

// Switched on, the console matches the theme at once, unless a scheme
// named on the same line is about to be applied: that is the one wanted
// now. A switch that cannot work is not left looking on.
void FollowThemeStep(CommandRequest *request) {
    if (SyncThemeWindow(!request->scheme) == THEME_WINDOW_READY) return;
    DWORD why = LastErrorOr(ERROR_NOT_ENOUGH_MEMORY);
    PrintError(TEXT("Can\u2019t follow the Windows theme\r\n"));
    PrintErrorText(why);
    request->result = COMMAND_FAILED;
}

// ---- the scheme argument ----
// A position in the list or a name pattern, applied. A failure is reported
// and remembered; the display and the save still run.

void ApplySchemeArgument(CommandRequest *request) {
    const ColorScheme *scheme = SelectScheme(request->scheme);
    if (!scheme) {
        PrintError(TEXT("Color scheme not found: \"%s\"\r\n"), request->scheme);
        request->result = COMMAND_FAILED;
        return;
    }
    if (ApplyScheme(scheme, nullptr) != APPLY_DONE) {
        PrintError(TEXT("Error applying color scheme \"%s\"\r\n"), scheme->name);
        request->result = COMMAND_FAILED;
        return;
    }
    request->applied = scheme;
}

[[nodiscard]] CommandResult RefuseCombination(LPCWSTR option) {
    PrintError(TEXT("Can\u2019t combine %s with other options\r\n"), option);
    return COMMAND_REFUSED;
}

// /L only lists; /Q, /M, /V and /K:NONE make no difference to it.
[[nodiscard]] CommandResult ListHotkeysStep(const CommandRequest *request) {
    if (request->saveRoot != SAVE_NONE || request->restoreSaved || request->restoreDefaults || request->changes ||
        request->writeSpec) {
        return RefuseCombination(TEXT("/L"));
    }
    ListHotkeys();
    return COMMAND_DONE;
}

// /C only reports; like /L it goes with nothing that would change a setting.
[[nodiscard]] CommandResult ReadabilityStep(const CommandRequest *request) {
    if (request->listHotkeys || request->saveRoot != SAVE_NONE || request->restoreSaved || request->restoreDefaults ||
        request->changes || request->writeSpec) {
        return RefuseCombination(TEXT("/C"));
    }
    if (!request->readabilityScheme) {
        ListReadability();
    } else if (ShowReadability(request->readabilityScheme) != SHOW_DONE) {
        PrintError(TEXT("Color scheme not found: \"%s\"\r\n"), request->readabilityScheme);
        return COMMAND_FAILED;
    }
    return COMMAND_DONE;
}

[[nodiscard]] CommandResult WriteStep(const CommandRequest *request) {
    if (request->restoreDefaults || request->changes || request->restoreSaved || request->saveRoot != SAVE_NONE ||
        request->view.kind != VIEW_NONE) {
        return RefuseCombination(TEXT("/W"));
    }
    return WriteSchemeStep(request);
}

// Whether the request holds an option besides /F, /M, /Q, /P and /E.
bool HasOptionsBeyondFiles(const CommandRequest *request) {
    return request->readability || request->listHotkeys || request->writeSpec || request->restoreDefaults ||
           request->restoreSaved || request->saveRoot != SAVE_NONE || request->hotkey >= 0 || request->osd >= 0 ||
           request->followTheme >= 0 || request->view.kind != VIEW_NONE || request->scheme;
}

// /P reads the files of /F (with /M) first, then picks from what is
// loaded; nothing else goes with it.
[[nodiscard]] CommandResult PickerStep(CommandRequest *request) {
    if (HasOptionsBeyondFiles(request)) return RefuseCombination(TEXT("/P"));
    CommandResult ended = COMMAND_DONE;
    if (request->schemeFile && (ended = ReadSchemeFileStep(request)) != COMMAND_DONE) return ended;
    switch (RunPicker(request->pickerFilter)) {
        case PICKED:
            return request->result;
        case PICKER_CANCELLED:
            return request->result == COMMAND_DONE ? COMMAND_CANCELLED : request->result;
        default:
            return COMMAND_FAILED;
    }
}

// /E keeps what is loaded, read first when /F (with /M) comes with it,
// and applies nothing; nothing else goes with it. A folder some of whose
// files failed still has the others' schemes written, and fails.
[[nodiscard]] CommandResult ExportStep(CommandRequest *request) {
    if (HasOptionsBeyondFiles(request) || request->picker) return RefuseCombination(TEXT("/E"));
    CommandResult ended = COMMAND_DONE;
    if (request->schemeFile && (ended = ReadSchemeFileStep(request)) != COMMAND_DONE) return ended;
    ended = WriteResult(ExportSchemes(request->exportSpec, request->quiet, OtherFormatOfPath, ListFormatOfPath));
    return ended != COMMAND_DONE ? ended : request->result;
}

// The scheme just viewed stands instead of the settings screen; returns
// true when it was shown.
bool DisplayStep(const CommandRequest *request) {
    if (request->quiet) return false;
    bool viewed = request->view.kind != VIEW_NONE && ShowScheme(&request->view) == SHOW_DONE;
    if (!viewed) ShowSettingsScreen(request->applied);
    return viewed;
}

// Carries the request out in the fixed order; returns the result code.
[[nodiscard]] CommandResult CarryOutRequest(CommandRequest *request) {
    if (request->exportSpec) return ExportStep(request);
    if (request->picker) return PickerStep(request);
    if (request->readability) return ReadabilityStep(request);
    if (request->listHotkeys) return ListHotkeysStep(request);
    if (request->writeSpec) return WriteStep(request);

    CommandResult ended = COMMAND_DONE;
    if (request->schemeFile && (ended = ReadSchemeFileStep(request)) != COMMAND_DONE) return ended;
    if (request->restoreSaved && (ended = RestoreSavedStep(request)) != COMMAND_DONE) return ended;
    if (request->restoreDefaults) RestoreDefaultSettings(request);
    SetHotkeyAndOsd(request);
    FollowThemeStep(request);
    if (request->scheme) ApplySchemeArgument(request);

    bool viewed = DisplayStep(request);
    if (request->saveRoot != SAVE_NONE &&
        (ended = SaveSettingsStep(request, request->quiet || viewed)) != COMMAND_DONE) {
        return ended;
    }
    return request->result;
}

}  // namespace

CommandResult RunVivantaCommand(LPCWSTR arguments) {
    if (!arguments) return COMMAND_REFUSED;
    int count = SplitArguments(arguments);
    if (count < 0) return COMMAND_REFUSED;
    if (count == 0) {
        ShowSettingsScreen(nullptr);
        return COMMAND_DONE;
    }
    CommandRequest request;
    InitCommandRequest(&request);
    switch (ReadArguments(&request)) {
        case READ_HELP:
            return COMMAND_DONE;
        case READ_ERROR:
            return COMMAND_REFUSED;
        default:
            return CarryOutRequest(&request);
    }
}
