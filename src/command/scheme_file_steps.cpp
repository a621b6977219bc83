// The steps of /F (with /M) and /W: reading a scheme file into the list,
// and writing what is in effect to one.
#include "../base/wstr.h"
#include "../plugin/host.h"
#include "../plugin/messages.h"
#include "../schemes/scheme_file.h"
#include "command.h"

int WriteSchemeStep(CommandRequest *request) {
    return WriteCurrentScheme(request->writeSpec, request->quiet);
}

// A file that gives nothing ends the command: nothing after it is carried
// out, so no setting changes on the strength of a file that was not read.
int ReadSchemeFileStep(CommandRequest *request) {
    int count = ReadSchemeFile(request->schemeFile, request->merge ? 1 : 0);
    if (count < 1) {
        StrUpperAscii(request->schemeFile);
        PrintErrorPrefix();
        Qprintf(ErrorHandle(), TEXT("Couldn\u2019t read color schemes from file \"%s\"\r\n"), request->schemeFile);
        return COMMAND_FAILED;
    }
    if (!request->quiet) {
        Printf(TEXT("Read %d %s from file \"%s\".\r\n"), count, count == 1 ? TEXT("scheme") : TEXT("schemes"),
               request->schemeFile);
    }
    return 0;
}
