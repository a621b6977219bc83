// The seven exports the host calls. Start-up decides whether the plugin
// loads at all; shutdown releases what start-up took. Both run their stages
// in a fixed order. This is the only part of the plugin that reaches every
// subsystem.
#include "entry.h"

#include "../base/base.h"
#include "../command/command.h"
#include "../hotkey/hotkey.h"
#include "../osd/osd.h"
#include "../palette/palette.h"
#include "../plugin/host.h"
#include "../schemes/schemes.h"
#include "vivanta_version.h"

namespace {

PluginInfo g_info;

// A refusal explains itself unless the shell wants silence.
void ExplainRefusal(LPCWSTR message) {
    if (IsTransientOrPiped()) return;
    PrintError(message, PLUGIN_NAME);
}

// Also decides, once, how colours will reach the screen: a Windows
// Terminal that takes VT sequences is no reason to refuse.
bool RefuseUnsupportedHost(void) {
    ConsoleHostCode code = HOST_NONE;
    ClassifyConsoleHost(&code, nullptr);
    g_plugin.colourPath = ChooseColourPath(code);
    if (UsesSequences()) return false;
    switch (code) {
        case HOST_CONSOLE2:
            ExplainRefusal(TEXT("Console2 is not supported.\r\n%s plugin not loaded.\r\n"));
            return true;
        case HOST_CONEMU:
            ExplainRefusal(TEXT("ConEmu is not supported.\r\n%s plugin not loaded.\r\n"));
            return true;
        case HOST_WINDOWS_TERMINAL:
            ExplainRefusal(TEXT("Windows Terminal is not supported.\r\n%s plugin not loaded.\r\n"));
            return true;
        default:
            return false;
    }
}

bool OpenConsoleHandle(void) {
    HANDLE console = CreateFileW(TEXT("conout$"), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (console == nullptr || console == INVALID_HANDLE_VALUE) {
        ExplainRefusal(TEXT("Can\u2019t open console handle!\r\n%s plugin not loaded.\r\n"));
        return false;
    }
    g_plugin.console = console;
    return true;
}

void CloseConsoleHandle(void) {
    if (g_plugin.console != nullptr && g_plugin.console != INVALID_HANDLE_VALUE) CloseHandle(g_plugin.console);
    g_plugin.console = INVALID_HANDLE_VALUE;
}

bool ResolveBufferFunctions(void) {
    HMODULE kernel = GetModuleHandleW(TEXT("Kernel32.dll"));
    FARPROC get = kernel ? GetProcAddress(kernel, "GetConsoleScreenBufferInfoEx") : nullptr;
    FARPROC set = kernel ? GetProcAddress(kernel, "SetConsoleScreenBufferInfoEx") : nullptr;
    if (!get || !set) {
        if (!IsTransientOrPiped()) {
            PrintError(TEXT("Can\u2019t get entry point for GetConsoleScreenBufferInfoEx() or\r\n")
                           TEXT("SetConsoleScreenBufferInfoEx().  Windows Vista or later is required.\r\n")
                               TEXT("%s plugin not loaded.\r\n"),
                       PLUGIN_NAME);
        }
        CloseConsoleHandle();
        return false;
    }
    g_plugin.getBufferInfoEx = reinterpret_cast<GetConsoleScreenBufferInfoExFn>(reinterpret_cast<void *>(get));
    g_plugin.setBufferInfoEx = reinterpret_cast<SetConsoleScreenBufferInfoExFn>(reinterpret_cast<void *>(set));
    return true;
}

// The banner names the hotkey; transient and piped shells, and users who set
// noloadmsg, get no banner.
void PrintLoadingBanner(void) {
    WCHAR buffer[1024];
    StrCopy(buffer, 1024, TEXT("%[_transient]%[_pipe]%[noloadmsg]"));
    ExpandVariables(buffer, 1);
    if (StrCompare(buffer, TEXT("00")) != 0) return;
    FormatHotkey(buffer);
    Printf(TEXT("%s v%s loaded.   Hotkey: %s\r\n"), PLUGIN_NAME, VIVANTA_VERSION_TEXT, buffer);
}

}  // namespace

PLUGIN_API int WINAPI InitializePlugin(void) {
    if (RefuseUnsupportedHost()) return 1;
    if (!OpenConsoleHandle()) return 1;
    if (!ResolveBufferFunctions()) return 1;
    ReadHostVersion();
    InitOsd();
    LoadDefaultSchemeFile();
    SeedBuiltInSchemes();
    // A host that shuts the plugin down and starts it again keeps the
    // switch; a window that cannot be made leaves it off, as /T would.
    (void)SyncThemeWindow(true);
    PrintLoadingBanner();
    return 0;
}

PLUGIN_API int WINAPI ShutdownPlugin(void) {
    StopFollowingTheme();
    CloseConsoleHandle();
    FreeSchemeList();
    ShutdownOsd();
    return 0;
}

void ResetPlugin(void) {
    ResetPluginState();
    ResetTheme();
    ResetOsd();
    ResetPalette();
    ResetArgumentList();
    FreeSchemeList();
}

PLUGIN_API PluginInfo *WINAPI GetPluginInfo(void) {
    g_info.name = PLUGIN_NAME;
    g_info.author = TEXT("The Vivanta developers");
    g_info.email = TEXT("vivanta@example.org");
    g_info.webPage = TEXT("https://example.org/vivanta");
    g_info.description = TEXT("Color schemes for TCC, TCC/LE, and Take Command v28+.");
    g_info.implements = TEXT("vivanta,*key");
    g_info.major = VIVANTA_VERSION_MAJOR;
    g_info.minor = VIVANTA_VERSION_MINOR;
    g_info.build = VIVANTA_VERSION_PATCH;
    return &g_info;
}

PLUGIN_API int WINAPI Usage(LPCWSTR name, LPWSTR out) {
    if (!name || !out) return 0;
    // Functions and internal variables are never this plugin's.
    if (name[0] == TEXT('@') || name[0] == TEXT('_')) return 0;
    const HelpTopic *topic = FindHelpTopic(name);
    if (!topic) return 0;
    LPCWSTR syntax = StrFindChar(topic->text, TEXT('\n'));
    if (!syntax) syntax = topic->text + StrLen(topic->text);
    while (*syntax == TEXT('\n')) ++syntax;
    StrCopy(out, 1024, syntax);
    return 1;
}

PLUGIN_API int WINAPI Help(LPCWSTR name) {
    WCHAR caption[64];
    Format(caption, 64, TEXT("%s Plugin Help"), PLUGIN_NAME);
    const HelpTopic *topic = FindHelpTopic(name);
    if (!topic) return 0;
    MessageBoxW(GetForegroundWindow(), topic->text, caption, MB_OK);
    return 1;
}

PLUGIN_API int WINAPI vivanta(LPCWSTR arguments) {
    return RunVivantaCommand(arguments);
}

PLUGIN_API int WINAPI key(KeyInfo *info) {
    return HandleKeystroke(info);
}
