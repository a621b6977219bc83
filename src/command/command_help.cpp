// "/?" and "/??": the help text, and with "/??" the full version and build.
#include "../plugin/help_topics.h"
#include "../plugin/host.h"
#include "../plugin/messages.h"
#include "command.h"

void ShowCommandHelp(LPCWSTR argument) {
    QPuts(HELP_TEXT);
    if (argument[1] != 0 && argument[2] == TEXT('?')) {
        Printf(TEXT("\r\n\t\t\t\t%s  %u.%u.%u.%u (%s)\r\n"), PLUGIN_NAME, 0u, 39u, 0u, 1u, TEXT("x64"));
    }
}
