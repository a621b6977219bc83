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

#include <sim.h>

namespace {

void AttachLinuxModule() __attribute__((constructor));
void AttachLinuxModule() {
    Dl_info info = {};
    if (!dladdr(reinterpret_cast<void *>(&AttachLinuxModule), &info) || !info.dli_fname) return;
    std::u16string path;
    for (const char *p = info.dli_fname; *p; ++p) path.push_back(static_cast<char16_t>(static_cast<unsigned char>(*p)));
    AttachPlugin(sim::FakeModule(path), DLL_PROCESS_ATTACH);
}

}  // namespace

#endif
