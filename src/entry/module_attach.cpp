// The module's entry point: the loader (Windows', or winsim's LoadLibraryW
// on Linux) calls it with the module handle it made. It stands alone because
// it is the only part of the plugin not linked into the tests' static
// library, so that tests can attach the plugin themselves with a module file
// name of their choosing.
#include "../plugin/plugin.h"

VT_MODULE_ENTRY BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    return AttachPlugin(instance, reason) ? TRUE : FALSE;
}
