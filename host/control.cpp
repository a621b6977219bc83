// The control API of the stand-in host (host_control.h), for tests and vhost.
#include "host_control.h"

#include "host_state.h"

using namespace host;

void WINAPI HostCtlReset(void) {
    ResetState(TheState());
}

void WINAPI HostCtlSetVariable(LPCWSTR name, LPCWSTR value) {
    if (name == nullptr) return;
    TextTable &variables = TheState().variables;
    if (value == nullptr) {
        variables.erase(Text(name));
    } else {
        variables[Text(name)] = Text(value);
    }
}

void WINAPI HostCtlSetOption(LPCWSTR name, LPCWSTR value) {
    if (name == nullptr) return;
    TextTable &options = TheState().options;
    if (value == nullptr) {
        options.erase(Text(name));
    } else {
        options[Text(name)] = Text(value);
    }
}

void WINAPI HostCtlSetIpcAnswer(LPCWSTR query, LPCWSTR reply, int result) {
    if (query == nullptr) return;
    IpcAnswer &answer = TheState().ipcAnswers[Text(query)];
    answer.reply = FromZ(reply);
    answer.result = result;
}

void WINAPI HostCtlCapture(int on) {
    TheState().capturing = (on != 0);
}

void WINAPI HostCtlSetOutputSink(HostOutputSink sink) {
    TheState().sink = sink;
}

DWORD WINAPI HostCtlGetOutput(int stream, LPWSTR buffer, DWORD size) {
    if (stream != 1 && stream != 2) return CopyOut(Text(), buffer, size);
    return CopyOut(TheState().captured[stream - 1], buffer, size);
}

void WINAPI HostCtlClearOutput(void) {
    State &state = TheState();
    state.captured[0].clear();
    state.captured[1].clear();
}

DWORD WINAPI HostCtlGetOption(LPCWSTR name, LPWSTR buffer, DWORD size) {
    const TextTable &options = TheState().options;
    TextTable::const_iterator found = name == nullptr ? options.end() : options.find(Text(name));
    return CopyOut(found == options.end() ? Text() : found->second, buffer, size);
}

DWORD WINAPI HostCtlGetCommandLog(LPWSTR buffer, DWORD size) {
    return CopyOut(TheState().commandLog, buffer, size);
}

DWORD WINAPI HostCtlGetIpcLog(LPWSTR buffer, DWORD size) {
    return CopyOut(TheState().ipcLog, buffer, size);
}

DWORD WINAPI HostCtlGetEditLineLog(LPWSTR buffer, DWORD size) {
    return CopyOut(TheState().editLineLog, buffer, size);
}

int WINAPI HostCtlYieldCount(void) {
    return TheState().yieldCount;
}
