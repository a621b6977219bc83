// Loading the plugin module and finding its seven exports, as the host does.
#include "plugin/host.h"
#include "vhost.h"

namespace vhost {

namespace {

template <typename Fn>
bool Find(HMODULE module, const char *name, Fn *out, const Text &path) {
    *out = reinterpret_cast<Fn>(reinterpret_cast<void *>(GetProcAddress(module, name)));
    if (*out != nullptr) return true;
    PrintError(Widen("vhost: ") + path + Widen(" does not export ") + Widen(name));
    return false;
}

Text FullPath(const Text &path) {
    std::vector<WCHAR> buffer(32768);
    DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (length == 0 || length >= buffer.size()) return path;
    return Text(buffer.data(), length);
}

}  // namespace

Text DefaultPluginPath() {
    std::vector<WCHAR> buffer(32768);
    DWORD length = GetModuleFileNameW(NULL, buffer.data(), static_cast<DWORD>(buffer.size()));
    Text self(buffer.data(), length < buffer.size() ? length : 0);
    size_t slash = self.find_last_of(Widen("\\/"));
    Text directory = slash == Text::npos ? Text() : self.substr(0, slash + 1);
    return directory + PluginFileName();
}

bool LoadPlugin(const Text &path, Plugin *plugin) {
    Text full = FullPath(path);
    plugin->module = LoadLibraryW(full.c_str());
    if (plugin->module == NULL) {
        DWORD error = GetLastError();
        Qprintf(GetStdHandle(STD_ERROR_HANDLE), TEXT("vhost: cannot load %s (error %u)\r\n"), full.c_str(), error);
        return false;
    }
    HMODULE m = plugin->module;
    bool found = Find(m, "GetPluginInfo", &plugin->getPluginInfo, full);
    found = Find(m, "InitializePlugin", &plugin->initializePlugin, full) && found;
    found = Find(m, "ShutdownPlugin", &plugin->shutdownPlugin, full) && found;
    found = Find(m, "Usage", &plugin->usage, full) && found;
    found = Find(m, "Help", &plugin->help, full) && found;
    found = Find(m, "vivanta", &plugin->command, full) && found;
    found = Find(m, "key", &plugin->key, full) && found;
    // A plugin that never hears of its attach has no module handle: it would
    // take the host's folder for its own and look there for its scheme file.
    if (found && !ToldOfAttach(m)) {
        PrintError(Widen("vhost: ") + full + Widen(" has no DllMain the loader could call"));
        found = false;
    }
    if (!found) {
        FreeLibrary(m);
        plugin->module = NULL;
    }
    return found;
}

}  // namespace vhost
