// The scheme argument: a position in the list or a name pattern, applied.
// A failure is reported and remembered; the display and the save still run.
#include "../plugin/host.h"
#include "../plugin/messages.h"
#include "command.h"

void ApplySchemeArgument(CommandRequest *request) {
    const ColorScheme *scheme = SelectScheme(request->scheme);
    if (!scheme) {
        PrintErrorPrefix();
        Qprintf(ErrorHandle(), TEXT("Color scheme not found: \"%s\"\r\n"), request->scheme);
        request->result = COMMAND_FAILED;
        return;
    }
    if (ApplyScheme(scheme, nullptr) < 1) {
        PrintErrorPrefix();
        Qprintf(ErrorHandle(), TEXT("Error applying color scheme \"%s\"\r\n"), scheme->name);
        request->result = COMMAND_FAILED;
        return;
    }
    request->applied = scheme;
}
