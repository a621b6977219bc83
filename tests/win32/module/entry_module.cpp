// A module of the shared cases' own, built beside the test program: a
// Windows DLL with MinGW, a shared object over winsim on Linux. It counts
// what its entry point hears, so that a case can see whether the loader
// called it.
#ifdef _WIN32
#include <windows.h>
#define MODULE_EXPORT extern "C" __declspec(dllexport)
#else
#include <windows.h>
#define MODULE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {
LONG g_attaches = 0;
}

MODULE_EXPORT BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) ++g_attaches;
    return TRUE;
}

MODULE_EXPORT LONG WINAPI EntryModuleAttaches(void) {
    return g_attaches;
}
