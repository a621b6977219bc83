// The stand-in host's process-wide state, shared by the files of host/ and
// nowhere else: variables, options, IPC answers, logs and captured output.
#pragma once

#include "../src/platform.h"
#include "host_control.h"

#include <map>
#include <string>

namespace host {

typedef std::basic_string<WCHAR> Text;

// Map keys compare with the ASCII letters folded, as the host's own names do.
struct LessNoCase {
    bool operator()(const Text &a, const Text &b) const;
};
typedef std::map<Text, Text, LessNoCase> TextTable;

struct IpcAnswer {
    Text reply;
    int result = -1;
};

struct State {
    TextTable variables;  // internal variables, keyed with their leading "_"
    TextTable options;
    std::map<Text, IpcAnswer, LessNoCase> ipcAnswers;
    Text commandLog;
    Text ipcLog;
    Text editLineLog;
    int yieldCount = 0;
    bool capturing = false;
    Text captured[2];  // standard output, standard error
    HostOutputSink sink = nullptr;
};

// The one instance, set to its defaults on first use.
State &TheState();
void ResetState(State &state);

// Copies `text` into `buffer` of `size` characters, cut to fit and always
// terminated; returns the full length of `text`.
DWORD CopyOut(const Text &text, LPWSTR buffer, DWORD size);
// Copies at most `capacity` - 1 characters and a terminator.
void CopyLimited(const Text &text, LPWSTR buffer, size_t capacity);
// The whole text of a zero-terminated string (empty for null).
Text FromZ(LPCWSTR text);
Text FromAscii(const char *text);
// True when `text` equals the ASCII word `word`, the letters folded.
bool EqualNoCase(const Text &text, const char *word);

// Sends `text` to stream 1 (standard output) or 2 (standard error), or to
// `target` when that is another handle: captured, or written to the handle.
void WriteStream(int stream, HANDLE target, const Text &text);

}  // namespace host
