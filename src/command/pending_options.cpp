// /W, /F, /R and /S (/S!) need the scheme files and the saved settings,
// which this build does not have yet. The options are read and checked like
// the others, but carrying one out says plainly that it is not available
// and fails the command, rather than pretending to have done it.
#include "../plugin/host.h"
#include "../plugin/messages.h"
#include "command.h"

namespace {

int ReportUnavailable(LPCWSTR option) {
    PrintErrorPrefix();
    Qprintf(ErrorHandle(), TEXT("The %s option is not available yet.\r\n"), option);
    return COMMAND_FAILED;
}

}  // namespace

int WriteSchemeStep(CommandRequest *request) {
    (void)request;
    return ReportUnavailable(TEXT("/W"));
}

int ReadSchemeFileStep(CommandRequest *request) {
    (void)request;
    return ReportUnavailable(TEXT("/F"));
}

int RestoreSavedStep(CommandRequest *request) {
    (void)request;
    return ReportUnavailable(TEXT("/R"));
}

int SaveSettingsStep(CommandRequest *request, BOOL silent) {
    (void)silent;
    return ReportUnavailable(request->saveRoot == SAVE_LOCAL_MACHINE ? TEXT("/S!") : TEXT("/S"));
}
