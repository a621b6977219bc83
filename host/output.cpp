// Output services: Printf, Qprintf, QPuts and CrLf. Text is formatted with
// the product's own formatter (the Microsoft meaning of %s and %c on both
// targets) and written to the process's standard handles, or kept in memory
// while a test captures it.
#include <stdarg.h>

#include <string>
#include <vector>

#include "base/base.h"
#include "host_state.h"
#include "plugin/host.h"

namespace host {

namespace {

// Formats into a growing buffer: measure first, then format again when the
// first attempt did not fit.
Text FormatText(LPCWSTR format, va_list args) {
    if (format == nullptr) return Text();
    WCHAR small[512];
    va_list again;
    va_copy(again, args);
    size_t length = FormatV(small, sizeof small / sizeof small[0], format, args);
    if (length < sizeof small / sizeof small[0]) {
        va_end(again);
        return Text(small, length);
    }
    std::vector<WCHAR> big(length + 1);
    FormatV(big.data(), big.size(), format, again);
    va_end(again);
    return Text(big.data(), length);
}

void WriteHandle(HANDLE handle, const Text &text) {
    if (handle == NULL || handle == INVALID_HANDLE_VALUE || text.empty()) return;
    DWORD mode = 0, written = 0;
    if (GetConsoleMode(handle, &mode)) {
        WriteConsoleW(handle, text.data(), static_cast<DWORD>(text.size()), &written, NULL);
        return;
    }
    // One UTF-16 unit never needs more than three bytes.
    std::string utf8(text.size() * 3, '\0');
    utf8.resize(Utf16ToUtf8(text.data(), text.size(), &utf8[0], utf8.size()));
    WriteFile(handle, utf8.data(), static_cast<DWORD>(utf8.size()), &written, NULL);
}

}  // namespace

void WriteStream(int stream, HANDLE target, const Text &text) {
    State &state = TheState();
    if (state.sink != nullptr) state.sink(stream, text.c_str());
    if (state.capturing) {
        state.captured[stream == 2 ? 1 : 0] += text;
        return;
    }
    if (target == NULL) target = GetStdHandle(stream == 2 ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    WriteHandle(target, text);
}

}  // namespace host

using namespace host;

int WINAPI Printf(LPCWSTR format, ...) {
    va_list args;
    va_start(args, format);
    Text text = FormatText(format, args);
    va_end(args);
    WriteStream(1, NULL, text);
    return static_cast<int>(text.size());
}

// The plugin passes only the standard error handle; any other handle that is
// not standard output is written to as it is (captured as output).
int WINAPI Qprintf(HANDLE handle, LPCWSTR format, ...) {
    va_list args;
    va_start(args, format);
    Text text = FormatText(format, args);
    va_end(args);
    if (handle == GetStdHandle(STD_ERROR_HANDLE)) {
        WriteStream(2, NULL, text);
    } else if (handle == GetStdHandle(STD_OUTPUT_HANDLE)) {
        WriteStream(1, NULL, text);
    } else {
        WriteStream(1, handle, text);
    }
    return static_cast<int>(text.size());
}

int WINAPI QPuts(LPCWSTR text) {
    WriteStream(1, NULL, FromZ(text));
    return 0;
}

int WINAPI CrLf(void) {
    WriteStream(1, NULL, FromAscii("\r\n"));
    return 0;
}
