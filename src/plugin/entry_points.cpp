// The exports the host calls besides start-up and shutdown.
#include "../base/format.h"
#include "../base/wstr.h"
#include "../command/command.h"
#include "../hotkey/key_handler.h"
#include "help_topics.h"
#include "host.h"
#include "messages.h"
#include "plugin.h"

namespace {

PluginInfo g_info;

}  // namespace

PLUGIN_API PluginInfo *WINAPI GetPluginInfo(void) {
    g_info.name = PLUGIN_NAME;
    g_info.author = TEXT("The Vivanta developers");
    g_info.email = TEXT("vivanta@example.org");
    g_info.webPage = TEXT("https://example.org/vivanta");
    g_info.description = TEXT("Color schemes for TCC, TCC/LE, and Take Command v28+.");
    g_info.implements = TEXT("vivanta,*key");
    g_info.major = 0;
    g_info.minor = 39;
    g_info.build = 0;
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
