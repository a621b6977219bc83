// The Take Command conversation (TakeCommandIPC) and the command-line editor
// services (tty_yield, ClearEditLine). The stand-in host answers IPC queries
// from a table that tests and vhost fill, and records every call.
#include "host_state.h"
#include "plugin/host.h"

using namespace host;

int WINAPI TakeCommandIPC(LPCWSTR query, LPWSTR reply) {
    State &state = TheState();
    Text word = FromZ(query);
    state.ipcLog += word;
    state.ipcLog.push_back('\n');
    if (reply != nullptr) reply[0] = 0;
    std::map<Text, IpcAnswer, LessNoCase>::const_iterator found = state.ipcAnswers.find(word);
    if (found == state.ipcAnswers.end()) return -1;
    CopyLimited(found->second.reply, reply, 1024);
    return found->second.result;
}

void WINAPI tty_yield(int flag) {
    (void)flag;
    ++TheState().yieldCount;
}

void WINAPI ClearEditLine(LPWSTR line) {
    State &state = TheState();
    state.editLineLog += FromZ(line);
    state.editLineLog.push_back('\n');
}
