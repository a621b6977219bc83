#include "messages.h"

#include "../base/format.h"
#include "../base/wstr.h"
#include "host.h"

HANDLE ErrorHandle(void) { return GetStdHandle(STD_ERROR_HANDLE); }

int PrintErrorPrefix(void) {
    HANDLE err = ErrorHandle();
    Qprintf(err, TEXT("%s plugin: "), PLUGIN_NAME);

    WCHAR buffer[8192];
    StrCopy(buffer, 8192, TEXT("%_batch"));
    ExpandVariables(buffer, 1);
    if (buffer[0] != TEXT('0')) {
        StrCopy(buffer, 8192, TEXT("%_batchname [%_batchline]  "));
        ExpandVariables(buffer, 1);
        // A batch file's name may hold a percent sign: never use it as a format.
        Qprintf(err, TEXT("%s"), buffer);
    }
    return 0;
}

int FormatWindowsError(DWORD code, LPWSTR text) {
    if (!text) return -1;
    if (code == 0xFFFFFFFF) {
        StrCopy(text, ERROR_TEXT_SIZE, TEXT("Unknown error"));
        return 0;
    }
    DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;
    if (!FormatMessageW(flags, nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, ERROR_TEXT_SIZE,
                        nullptr)) {
        Format(text, ERROR_TEXT_SIZE, TEXT("Error %d"), static_cast<int>(code));
    }
    size_t length = StrLen(text);
    while (length > 0 && IsWhiteSpace(text[length - 1])) text[--length] = 0;
    return 0;
}

int IsTransientOrPiped(void) {
    WCHAR buffer[1024];
    StrCopy(buffer, 1024, TEXT("%[_transient]%[_pipe]"));
    ExpandVariables(buffer, 1);
    return StrCompare(buffer, TEXT("00")) == 0 ? 0 : 1;
}
