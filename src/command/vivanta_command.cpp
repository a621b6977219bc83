// The VIVANTA command as the host calls it: split, read, carry out.
#include "command.h"

int RunVivantaCommand(LPCWSTR arguments) {
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
        case READ_HELP: return COMMAND_DONE;
        case READ_ERROR: return COMMAND_REFUSED;
        default: return CarryOutRequest(&request);
    }
}
