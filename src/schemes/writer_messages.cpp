#include "writer_messages.h"

#include "../plugin/host.h"
#include "../plugin/messages.h"

namespace {

void PrintErrorText(DWORD code) {
    WCHAR text[ERROR_TEXT_SIZE];
    FormatWindowsError(code, text);
    Qprintf(ErrorHandle(), TEXT("   %s\r\n"), text);
}

}  // namespace

void ReportFileFailure(LPCWSTR format, LPCWSTR name, DWORD code) {
    PrintErrorPrefix();
    Qprintf(ErrorHandle(), format, name);
    PrintErrorText(code);
}

void ReportFileFailure2(LPCWSTR format, LPCWSTR first, LPCWSTR second, DWORD code) {
    PrintErrorPrefix();
    Qprintf(ErrorHandle(), format, first, second);
    PrintErrorText(code);
}

void ReportRefusal(LPCWSTR format, LPCWSTR text) {
    PrintErrorPrefix();
    Qprintf(ErrorHandle(), format, text);
}
