// Feeds arbitrary UTF-16 text to the VIVANTA command's argument splitter and
// reader. Splitting must stay within its buffer and argument cap, leave no
// argument ending in white space, and reading must end without carrying
// anything out.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <vector>

#include "base/base.h"
#include "command/command.h"
#include "host_control.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static bool ready = false;
    if (!ready) {
        HostCtlCapture(1);  // messages pile up in memory, not on the terminal
        ready = true;
    }
    HostCtlClearOutput();
    std::vector<WCHAR> text(size / 2 + 1, 0);
    if (size >= 2) memcpy(text.data(), data, size / 2 * 2);

    int count = SplitArguments(text.data());
    if (count < -1 || count > MAX_ARGUMENTS || count != (count < 0 ? -1 : g_argumentList.count)) __builtin_trap();
    const WCHAR *end = g_argumentList.text + MAX_ARG_LEN;
    for (int i = 0; i < count; ++i) {
        LPCWSTR argument = g_argumentList.arguments[i];
        LONG length = g_argumentList.lengths[i];
        if (argument < g_argumentList.text || argument + length >= end) __builtin_trap();
        if (static_cast<LONG>(StrLen(argument)) != length) __builtin_trap();
        if (length > 0 && IsWhiteSpace(argument[length - 1])) __builtin_trap();
    }
    if (count > 0) {
        CommandRequest request;
        InitCommandRequest(&request);
        ReadOutcome outcome = ReadArguments(&request);
        if (outcome != READ_OK && outcome != READ_HELP && outcome != READ_ERROR) __builtin_trap();
    }
    return 0;
}
