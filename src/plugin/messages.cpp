// One shape for every error message: the plugin's prefix (with the batch
// file and line when a batch file runs), the text of a Windows error code,
// and the test for shells that want silence. Also the help text, which
// Usage, Help and the command's "/?" all show.
#include "../base/base.h"
#include "host.h"
#include "plugin.h"

HANDLE ErrorHandle(void) {
    return GetStdHandle(STD_ERROR_HANDLE);
}

void PrintErrorPrefix(void) {
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
}

void PrintError(LPCWSTR format, ...) {
    PrintErrorPrefix();
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    WCHAR text[ERROR_TEXT_SIZE];
    size_t length = FormatV(text, ERROR_TEXT_SIZE, format, args);
    // A message naming a long path is rare: only it costs an allocation,
    // and without memory it is cut rather than lost.
    LPWSTR whole = nullptr;
    if (length >= ERROR_TEXT_SIZE) {
        whole = static_cast<LPWSTR>(MemAlloc((length + 1) * sizeof(WCHAR)));
        if (whole) FormatV(whole, length + 1, format, again);
    }
    va_end(again);
    va_end(args);
    // Formatted here already: a percent sign in a name is text by now.
    Qprintf(ErrorHandle(), TEXT("%s"), whole ? whole : text);
    MemFree(whole);
}

bool FormatWindowsError(DWORD code, LPWSTR text) {
    if (!text) return false;
    if (code == 0xFFFFFFFF) {
        StrCopy(text, ERROR_TEXT_SIZE, TEXT("Unknown error"));
        return true;
    }
    DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK;
    if (!FormatMessageW(flags, nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, ERROR_TEXT_SIZE,
                        nullptr)) {
        Format(text, ERROR_TEXT_SIZE, TEXT("Error %d"), static_cast<int>(code));
    }
    size_t length = StrLen(text);
    while (length > 0 && IsWhiteSpace(text[length - 1])) text[--length] = 0;
    return true;
}

void PrintErrorText(DWORD code) {
    WCHAR text[ERROR_TEXT_SIZE];
    FormatWindowsError(code, text);
    PrintErrorDetail(text);
}

void PrintErrorDetail(LPCWSTR text) {
    Qprintf(ErrorHandle(), TEXT("   %s\r\n"), text);
}

bool IsTransientOrPiped(void) {
    WCHAR buffer[1024];
    StrCopy(buffer, 1024, TEXT("%[_transient]%[_pipe]"));
    ExpandVariables(buffer, 1);
    return StrCompare(buffer, TEXT("00")) != 0;
}

// The trailing double blanks and the lone "\r\n" after the syntax line are
// part of the text the host shows.
// clang-format off
const WCHAR HELP_TEXT[] =
    TEXT("Display and change plugin settings; list and apply color schemes.  \n\n")
    TEXT("VIVANTA /D /F:file /K:key /L /O:yn /Q /R /S /W:file::name scheme  \r\n\n")
    TEXT("\t/D\trestore default plugin settings\n")
    TEXT("\t/F:\tread color schemes from .INI file\n")
    TEXT("\t/K:\tchange the hotkey\n")
    TEXT("\t/L\tlist all supported hotkeys\n")
    TEXT("\t/O:\tenable/disable hotkey OSD display\n")
    TEXT("\t/Q\tquietly\n")
    TEXT("\t/R\trestore saved settings from the registry\n")
    TEXT("\t/S\tsave the current settings to the registry  \n")
    TEXT("\t/W:\twrite current color scheme to .INI file\n")
    TEXT("\tscheme\tcolor scheme to apply (name or number)  \n\n")
    TEXT("VIVANTA with no options displays the current settings.  \n");
// clang-format on

namespace {

const HelpTopic TOPICS[] = {
    {TEXT("vivanta"), HELP_TEXT},
};

}  // namespace

const HelpTopic *FindHelpTopic(LPCWSTR name) {
    if (!name) return nullptr;
    for (const HelpTopic &topic : TOPICS) {
        if (StrCompareI(topic.name, name) == 0) return &topic;
    }
    return nullptr;
}
