// Modules: Kernel32 and User32 with the entry points programs look up at
// run time, real shared objects loaded with dlopen (their DllMain hears of
// attach and detach as the Windows loader tells it), and modules a test names
// for a statically linked plugin.
#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include "machine.h"
#include "text_conversions.h"

using namespace winsim;

namespace {

const HMODULE kKernel32 = reinterpret_cast<HMODULE>(0x7FFB20000000ull);
const HMODULE kUser32 = reinterpret_cast<HMODULE>(0x7FFB10000000ull);
const HMODULE kExecutable = reinterpret_cast<HMODULE>(0x140000000ull);

template <typename F>
FARPROC Entry(F *function) {
    // Through the generic function pointer type, which any other converts to.
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)(void)>(function));
}

struct Export {
    const char *name;
    FARPROC address;
};

#define WINSIM_EXPORT(name) \
    { #name, Entry(&name) }
const Export kKernel32Exports[] = {
    WINSIM_EXPORT(GetConsoleScreenBufferInfoEx),
    WINSIM_EXPORT(SetConsoleScreenBufferInfoEx),
    WINSIM_EXPORT(GetConsoleScreenBufferInfo),
    WINSIM_EXPORT(GetConsoleWindow),
    WINSIM_EXPORT(GetConsoleProcessList),
    WINSIM_EXPORT(GetConsoleMode),
    WINSIM_EXPORT(SetConsoleMode),
    WINSIM_EXPORT(SetConsoleTextAttribute),
    WINSIM_EXPORT(GetConsoleCursorInfo),
    WINSIM_EXPORT(SetConsoleCursorInfo),
    WINSIM_EXPORT(WriteConsoleW),
    WINSIM_EXPORT(ReadConsoleOutputAttribute),
    WINSIM_EXPORT(WriteConsoleOutputAttribute),
    WINSIM_EXPORT(GetConsoleTitleW),
    WINSIM_EXPORT(SetConsoleTitleW),
    WINSIM_EXPORT(GetStdHandle),
    WINSIM_EXPORT(SetStdHandle),
    WINSIM_EXPORT(CreateFileW),
    WINSIM_EXPORT(CloseHandle),
    WINSIM_EXPORT(ReadFile),
    WINSIM_EXPORT(WriteFile),
    WINSIM_EXPORT(GetFileAttributesW),
    WINSIM_EXPORT(GetFullPathNameW),
    WINSIM_EXPORT(GetCurrentDirectoryW),
    WINSIM_EXPORT(GetLastError),
    WINSIM_EXPORT(SetLastError),
    WINSIM_EXPORT(GetCurrentProcessId),
    WINSIM_EXPORT(GetCurrentProcess),
    WINSIM_EXPORT(GetEnvironmentVariableW),
    WINSIM_EXPORT(SetEnvironmentVariableW),
    WINSIM_EXPORT(GetModuleHandleW),
    WINSIM_EXPORT(GetProcAddress),
    WINSIM_EXPORT(GetModuleFileNameW),
    WINSIM_EXPORT(LoadLibraryW),
    WINSIM_EXPORT(FreeLibrary),
    WINSIM_EXPORT(FormatMessageW),
    WINSIM_EXPORT(Sleep),
    WINSIM_EXPORT(GetTickCount),
    WINSIM_EXPORT(GetTickCount64),
    WINSIM_EXPORT(CreateToolhelp32Snapshot),
    WINSIM_EXPORT(Process32FirstW),
    WINSIM_EXPORT(Process32NextW),
};
const Export kUser32Exports[] = {
    WINSIM_EXPORT(GetScrollBarInfo),
    WINSIM_EXPORT(SetLayeredWindowAttributes),
    WINSIM_EXPORT(GetAsyncKeyState),
};
#undef WINSIM_EXPORT

struct Module {
    HMODULE handle = nullptr;
    std::string path;         // Linux form, "/" separators
    std::u16string fileName;  // what GetModuleFileNameW reports
    void *library = nullptr;  // dlopen handle, when loaded for real
    int loads = 0;            // LoadLibraryW calls not yet freed
    bool entryPoint = false;  // it exports a DllMain, which heard of the attach
};

struct ModuleTable {
    std::vector<Module> modules;
    uintptr_t nextModule = 0x180000000ull;
    std::u16string exeFileName;  // override for GetModuleFileNameW(NULL)
};

ModuleTable &Modules() {
    return AreaState<ModuleTable>();
}

std::string Canonical(const std::string &path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? std::string(resolved) : path;
}

Module *ModuleByHandle(HMODULE handle) {
    for (Module &module : Modules().modules) {
        if (module.handle == handle) return &module;
    }
    return nullptr;
}

Module *ModuleByPath(const std::string &path) {
    std::string wanted = Canonical(path);
    for (Module &module : Modules().modules) {
        if (module.path == path || Canonical(module.path) == wanted) return &module;
    }
    return nullptr;
}

Module &AddModule(const std::string &path, const std::u16string &fileName) {
    ModuleTable &table = Modules();
    Module module;
    module.handle = reinterpret_cast<HMODULE>(table.nextModule);
    table.nextModule += 0x1000000;
    module.path = path;
    module.fileName = fileName;
    table.modules.push_back(module);
    return table.modules.back();
}

// Windows' name rules: any case, "\" or "/", and ".dll" when the last
// component has no extension (a trailing dot means "no extension").
std::u16string ModuleName(LPCWSTR name) {
    std::u16string text = LowerAscii(Str(name));
    for (char16_t &c : text) {
        if (c == u'\\') c = u'/';
    }
    size_t slash = text.find_last_of(u'/');
    std::u16string base = slash == std::u16string::npos ? text : text.substr(slash + 1);
    if (!base.empty() && base.back() == u'.') {
        text.pop_back();
    } else if (base.find(u'.') == std::u16string::npos) {
        text += u".dll";
    }
    return text;
}

bool IsSystemModule(LPCWSTR name, const char16_t *fileName) {
    std::u16string text = ModuleName(name);
    size_t slash = text.find_last_of(u'/');
    return (slash == std::u16string::npos ? text : text.substr(slash + 1)) == fileName;
}

bool IsKernel32(LPCWSTR name) {
    return IsSystemModule(name, u"kernel32.dll");
}

// The module a name means, as the loader finds one already loaded: the
// whole path when the name has one, else the file name, in any case.
Module *ModuleNamed(LPCWSTR name) {
    std::u16string wanted = ModuleName(name);
    bool withPath = wanted.find(u'/') != std::u16string::npos;
    for (Module &module : Modules().modules) {
        std::u16string path = LowerAscii(FromUtf8(module.path));
        size_t slash = path.find_last_of(u'/');
        std::u16string base = slash == std::u16string::npos ? path : path.substr(slash + 1);
        if ((withPath ? path : base) == wanted) return &module;
    }
    return nullptr;
}

// Always loaded in a process that has windows, as the host's has.
bool IsUser32(LPCWSTR name) {
    return IsSystemModule(name, u"user32.dll");
}

FARPROC FindExport(const Export *table, size_t count, const char *name) {
    for (size_t i = 0; i < count; ++i) {
        if (std::string(table[i].name) == name) return table[i].address;
    }
    return nullptr;
}

std::u16string ExecutablePath() {
    if (!Modules().exeFileName.empty()) return Modules().exeFileName;
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? FromUtf8(std::string(path, static_cast<size_t>(length))) : std::u16string(u"vhost");
}

std::string ExecutableDirectory() {
    std::string path = Utf8(ExecutablePath());
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// Windows looks beside the program first, then in the current directory.
void *OpenLibrary(const std::string &path, std::string *opened) {
    std::vector<std::string> candidates;
    if (path.find('/') != std::string::npos) {
        candidates.push_back(path);
    } else {
        candidates.push_back(ExecutableDirectory() + "/" + path);
        candidates.push_back("./" + path);
    }
    for (const std::string &candidate : candidates) {
        if (void *library = dlopen(candidate.c_str(), RTLD_NOW | RTLD_LOCAL)) {
            *opened = candidate;
            return library;
        }
    }
    return nullptr;
}

// The loader's call of a module's exported DllMain; a module without one
// attaches without being told (sim::HasEntryPoint says which it was).
BOOL CallEntryPoint(void *library, HMODULE module, DWORD reason) {
    using EntryPoint = BOOL(WINAPI *)(HINSTANCE, DWORD, LPVOID);
    void *symbol = dlsym(library, "DllMain");
    if (!symbol) return TRUE;
    if (Module *found = ModuleByHandle(module)) found->entryPoint = true;
    return reinterpret_cast<EntryPoint>(symbol)(module, reason, nullptr);
}

void RemoveModule(HMODULE handle) {
    std::vector<Module> &modules = Modules().modules;
    for (size_t i = 0; i < modules.size(); ++i) {
        if (modules[i].handle == handle) {
            modules.erase(modules.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

}  // namespace

WINSIM_API HMODULE WINAPI GetModuleHandleW(LPCWSTR name) {
    if (sim::ShouldFail("GetModuleHandleW")) return nullptr;
    if (!name) return kExecutable;
    if (IsKernel32(name)) return kKernel32;
    if (IsUser32(name)) return kUser32;
    if (Module *module = ModuleNamed(name)) return module->handle;
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

WINSIM_API FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
    if (sim::ShouldFail("GetProcAddress")) return nullptr;
    Module *found = ModuleByHandle(module);
    if (module && module != kKernel32 && module != kUser32 && module != kExecutable && !found) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    // Names only: an ordinal (a "name" below 0x10000) is not looked up.
    if (name && reinterpret_cast<uintptr_t>(name) >= 0x10000) {
        if (module == kKernel32 || module == kUser32) {
            FARPROC address =
                module == kKernel32
                    ? FindExport(kKernel32Exports, sizeof kKernel32Exports / sizeof *kKernel32Exports, name)
                    : FindExport(kUser32Exports, sizeof kUser32Exports / sizeof *kUser32Exports, name);
            if (address) return address;
        } else {
            void *library = found ? found->library : dlopen(nullptr, RTLD_NOW);
            if (void *symbol = library ? dlsym(library, name) : nullptr) return reinterpret_cast<FARPROC>(symbol);
        }
    }
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

// ---- GetModuleFileNameW ----
// A name that does not fit is cut, terminated, and reported with the full
// buffer size and ERROR_INSUFFICIENT_BUFFER.
WINSIM_API DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size) {
    if (sim::ShouldFail("GetModuleFileNameW")) return 0;
    std::u16string path;
    if (!module || module == kExecutable) {
        path = ExecutablePath();
    } else if (module == kKernel32) {
        path = u"C:\\Windows\\System32\\KERNEL32.DLL";
    } else if (module == kUser32) {
        path = u"C:\\Windows\\System32\\USER32.dll";
    } else if (Module *found = ModuleByHandle(module)) {
        path = found->fileName;
    } else {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (buffer && path.size() < size) return CopyTruncated(path, buffer, size);
    CopyTruncated(path, buffer, size);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

WINSIM_API HMODULE WINAPI LoadLibraryW(LPCWSTR name) {
    if (sim::ShouldFail("LoadLibraryW")) return nullptr;
    if (!name || !name[0]) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (IsKernel32(name)) return kKernel32;
    if (IsUser32(name)) return kUser32;
    std::string path = LinuxPath(name);
    Module *known = ModuleNamed(name);
    if (!known || !known->library) known = ModuleByPath(path);
    if (known && known->library) {
        ++known->loads;
        return known->handle;
    }
    std::string opened;
    void *library = OpenLibrary(path, &opened);
    if (!library) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    // A module a test named beforehand keeps its handle and file name; one
    // already loaded under the name found (a bare name the second time) is
    // only counted, its entry point told nothing more.
    Module *module = ModuleByPath(opened);
    if (module && module->library) {
        dlclose(library);
        ++module->loads;
        return module->handle;
    }
    if (!module) module = &AddModule(opened, FromUtf8(opened));
    module->library = library;
    ++module->loads;
    HMODULE handle = module->handle;
    // As on Windows, a module whose DllMain refuses the attach hears of its
    // detach at once and is unloaded again.
    if (!CallEntryPoint(library, handle, DLL_PROCESS_ATTACH)) {
        CallEntryPoint(library, handle, DLL_PROCESS_DETACH);
        RemoveModule(handle);
        dlclose(library);
        SetLastError(ERROR_DLL_INIT_FAILED);
        return nullptr;
    }
    return handle;
}

WINSIM_API BOOL WINAPI FreeLibrary(HMODULE module) {
    if (sim::ShouldFail("FreeLibrary")) return FALSE;
    if (module == kKernel32 || module == kUser32 || module == kExecutable) return TRUE;
    Module *found = ModuleByHandle(module);
    if (!found) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    if (found->loads > 0 && --found->loads == 0 && found->library) {
        void *library = found->library;
        CallEntryPoint(library, module, DLL_PROCESS_DETACH);
        RemoveModule(module);
        dlclose(library);
    }
    return TRUE;
}

// Loaded libraries are forgotten, not closed, as a fresh machine knows none.
void winsim::ResetModules() {
    Modules() = ModuleTable();
}

namespace sim {

HMODULE FakeModule(const std::u16string &path) {
    std::string linuxPath = LinuxPath(path.c_str());
    if (Module *known = ModuleByPath(linuxPath)) return known->handle;
    return AddModule(linuxPath, path).handle;
}

bool HasEntryPoint(HMODULE module) {
    Module *found = ModuleByHandle(module);
    return found && found->entryPoint;
}

void SetModuleFileName(HMODULE module, const std::u16string &path) {
    if (!module || module == kExecutable) {
        Modules().exeFileName = path;
    } else if (Module *found = ModuleByHandle(module)) {
        found->fileName = path;
    }
}

}  // namespace sim
