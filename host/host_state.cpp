// The stand-in host's state and the small text helpers its files share.
#include "host_state.h"

#include <vector>

namespace host {

namespace {

WCHAR FoldAscii(WCHAR c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<WCHAR>(c + ('a' - 'A')) : c;
}

// The path of the running program, as the host reports it in _cmdspec.
Text ProgramPath() {
    std::vector<WCHAR> buffer(32768);
    DWORD length = GetModuleFileNameW(NULL, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0 || length >= buffer.size()) return Text();
    return Text(buffer.data(), length);
}

}  // namespace

bool LessNoCase::operator()(const Text &a, const Text &b) const {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        WCHAR x = FoldAscii(a[i]), y = FoldAscii(b[i]);
        if (x != y) return x < y;
    }
    return a.size() < b.size();
}

State &TheState() {
    static State state;
    static bool ready = false;
    if (!ready) {
        ready = true;
        ResetState(state);
    }
    return state;
}

void ResetState(State &state) {
    state = State();
    state.variables[FromAscii("_4ver")] = FromAscii("28.01");
    state.variables[FromAscii("_transient")] = FromAscii("0");
    state.variables[FromAscii("_pipe")] = FromAscii("0");
    state.variables[FromAscii("_batch")] = FromAscii("0");
    state.variables[FromAscii("_batchname")] = Text();
    state.variables[FromAscii("_batchline")] = FromAscii("0");
    state.variables[FromAscii("_cmdspec")] = ProgramPath();
}

DWORD CopyOut(const Text &text, LPWSTR buffer, DWORD size) {
    if (buffer != nullptr && size > 0) CopyLimited(text, buffer, size);
    return static_cast<DWORD>(text.size());
}

void CopyLimited(const Text &text, LPWSTR buffer, size_t capacity) {
    if (buffer == nullptr || capacity == 0) return;
    size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
    text.copy(buffer, n);
    buffer[n] = 0;
}

Text FromZ(LPCWSTR text) {
    return text == nullptr ? Text() : Text(text);
}

Text FromAscii(const char *text) {
    Text result;
    for (; *text != 0; ++text) result.push_back(static_cast<WCHAR>(static_cast<unsigned char>(*text)));
    return result;
}

bool EqualNoCase(const Text &text, const char *word) {
    size_t i = 0;
    for (; word[i] != 0; ++i) {
        if (i >= text.size() || FoldAscii(text[i]) != FoldAscii(static_cast<WCHAR>(word[i]))) return false;
    }
    return i == text.size();
}

}  // namespace host
