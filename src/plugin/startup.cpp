// Start-up decides whether the plugin loads at all; shutdown releases what
// start-up took. Both run their stages in a fixed order.
#include "../base/number.h"
#include "../base/wstr.h"
#include "../hotkey/hotkey.h"
#include "../osd/osd.h"
#include "../schemes/scheme_list.h"
#include "console_host.h"
#include "host.h"
#include "messages.h"
#include "plugin.h"
#include "state.h"

namespace {

// A refusal explains itself unless the shell wants silence.
void ExplainRefusal(LPCWSTR message) {
    if (IsTransientOrPiped()) return;
    PrintErrorPrefix();
    Qprintf(ErrorHandle(), message, PLUGIN_NAME);
}

int RefuseUnsupportedHost(void) {
    int code = HOST_NONE;
    ClassifyConsoleHost(&code, nullptr);
    switch (code) {
        case HOST_CONSOLE2:
            ExplainRefusal(TEXT("Console2 is not supported.\r\n%s plugin not loaded.\r\n"));
            return 1;
        case HOST_CONEMU:
            ExplainRefusal(TEXT("ConEmu is not supported.\r\n%s plugin not loaded.\r\n"));
            return 1;
        case HOST_WINDOWS_TERMINAL:
            ExplainRefusal(TEXT("Windows Terminal is not supported.\r\n%s plugin not loaded.\r\n"));
            return 1;
        default:
            return 0;
    }
}

int OpenConsoleHandle(void) {
    HANDLE console = CreateFileW(TEXT("conout$"), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (console == nullptr || console == INVALID_HANDLE_VALUE) {
        ExplainRefusal(TEXT("Can\u2019t open console handle!\r\n%s plugin not loaded.\r\n"));
        return 1;
    }
    g_plugin.console = console;
    return 0;
}

void CloseConsoleHandle(void) {
    if (g_plugin.console != nullptr && g_plugin.console != INVALID_HANDLE_VALUE) CloseHandle(g_plugin.console);
    g_plugin.console = INVALID_HANDLE_VALUE;
}

int ResolveBufferFunctions(void) {
    HMODULE kernel = GetModuleHandleW(TEXT("Kernel32.dll"));
    FARPROC get = kernel ? GetProcAddress(kernel, "GetConsoleScreenBufferInfoEx") : nullptr;
    FARPROC set = kernel ? GetProcAddress(kernel, "SetConsoleScreenBufferInfoEx") : nullptr;
    if (!get || !set) {
        if (!IsTransientOrPiped()) {
            HANDLE err = ErrorHandle();
            PrintErrorPrefix();
            Qprintf(err, TEXT("Can\u2019t get entry point for GetConsoleScreenBufferInfoEx() or\r\n"));
            Qprintf(err, TEXT("SetConsoleScreenBufferInfoEx().  Windows Vista or later is required.\r\n"));
            Qprintf(err, TEXT("%s plugin not loaded.\r\n"), PLUGIN_NAME);
        }
        CloseConsoleHandle();
        return 1;
    }
    g_plugin.getBufferInfoEx = reinterpret_cast<GetConsoleScreenBufferInfoExFn>(reinterpret_cast<void *>(get));
    g_plugin.setBufferInfoEx = reinterpret_cast<SetConsoleScreenBufferInfoExFn>(reinterpret_cast<void *>(set));
    return 0;
}

// The banner names the hotkey; transient and piped shells, and users who set
// noloadmsg, get no banner.
void PrintLoadingBanner(void) {
    WCHAR buffer[1024];
    StrCopy(buffer, 1024, TEXT("%[_transient]%[_pipe]%[noloadmsg]"));
    ExpandVariables(buffer, 1);
    if (StrCompare(buffer, TEXT("00")) != 0) return;
    FormatHotkey(buffer);
    Printf(TEXT("%s v%u.%u.%u loaded.   Hotkey: %s\r\n"), PLUGIN_NAME, 0u, 39u, 0u, buffer);
}

}  // namespace

LPCWSTR ExpandHostVersion(LPWSTR buffer) {
    StrCopy(buffer, HOST_VERSION_TEXT_SIZE, TEXT("%_4ver"));
    ExpandVariables(buffer, 1);
    LPCWSTR p = buffer;
    while (IsWhiteSpace(*p)) ++p;
    return p;
}

DWORD ReadHostVersionNumber(void) {
    WCHAR buffer[HOST_VERSION_TEXT_SIZE];
    LPCWSTR p = ExpandHostVersion(buffer);
    // Digits up to the first non-digit; too many digits read as the largest
    // value, as the C runtime's conversion does.
    DWORD version = 0;
    if (IsAsciiDigit(*p)) ScanUnsigned32(p, 10, &version, nullptr);
    return version;
}

PLUGIN_API int WINAPI InitializePlugin(void) {
    if (RefuseUnsupportedHost()) return 1;
    if (OpenConsoleHandle()) return 1;
    if (ResolveBufferFunctions()) return 1;
    g_plugin.hostVersion = ReadHostVersionNumber();
    ReadHostVersion();
    InitOsd();
    LoadDefaultSchemeFile();
    SeedBuiltInSchemes();
    PrintLoadingBanner();
    return 0;
}

PLUGIN_API int WINAPI ShutdownPlugin(void) {
    CloseConsoleHandle();
    FreeSchemeList();
    ShutdownOsd();
    return 0;
}
