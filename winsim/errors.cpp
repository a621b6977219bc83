// The thread's last error. The host's thread is the only one, so one value.
#include <windows.h>

namespace {
DWORD g_lastError = 0;
}

WINSIM_API DWORD WINAPI GetLastError(void) { return g_lastError; }

WINSIM_API void WINAPI SetLastError(DWORD code) { g_lastError = code; }
