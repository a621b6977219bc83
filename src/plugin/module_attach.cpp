// How the loader tells the plugin which module it is. On Windows that is
// DllMain; on Linux the shared module runs the same routine from a static
// constructor, naming its own file.
#include "state.h"

#if VT_ON_WINDOWS

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    return AttachPlugin(instance, reason);
}

#else

#include <dlfcn.h>
#include <string.h>

#include <sim.h>

#include "../base/utf8.h"

namespace {

void AttachLinuxModule() __attribute__((constructor));
void AttachLinuxModule() {
    Dl_info info = {};
    if (!dladdr(reinterpret_cast<void *>(&AttachLinuxModule), &info) || !info.dli_fname) return;
    WCHAR path[4096];
    size_t length = Utf8ToUtf16(info.dli_fname, strlen(info.dli_fname), path, 4095);
    if (length > 4095) return;
    AttachPlugin(sim::FakeModule(std::u16string(path, length)), DLL_PROCESS_ATTACH);
}

}  // namespace

#endif
