// The machine as a whole: its reset to a fresh Windows with one classic
// console window on one monitor, the thread's last error, and injected
// failures, where a test names a Win32 function and the error it should
// report and the chosen calls of that function fail as Windows would.
#include <functional>
#include <map>
#include <utility>

#include "console_state.h"
#include "machine.h"

#include <windows.h>

using namespace winsim;

namespace winsim {

namespace {

// Console handles of a Windows 8+ process are small multiples of four;
// everything the program opens itself starts above them.
const uintptr_t kStandardValues[3] = {0x50, 0x54, 0x58};

// The handle table: every handle the program holds, by value.
struct HandleTable {
    std::map<uintptr_t, HandleObject> handles;
    uintptr_t nextHandle = 0x100;
};

HandleTable &Table() {
    return AreaState<HandleTable>();
}

// The thread's last error. The host's thread is the only one, so one value.
DWORD g_lastError = 0;

// Injected failures: a test names a Win32 function and the error it should
// report, and the chosen calls of that function fail as Windows would.
// A call site's counter, found by the address of its function-name literal
// so that counting a call costs no string comparison.
struct CallSlot {
    const char *name = nullptr;
    int *count = nullptr;
};
constexpr size_t CALL_CACHE_SIZE = 1024;

struct Fault {
    std::string function;
    DWORD error;
    int first;  // call numbers, counted from Reset, that fail
    int last;
};

struct Hook {
    std::string function;
    int call;  // counted from Reset
    std::function<void()> action;
};

struct CallRecord {
    std::map<std::string, int> calls;
    std::vector<Fault> faults;
    CallSlot callCache[CALL_CACHE_SIZE];
    bool recording = false;
    std::vector<std::string> log;
    std::vector<Hook> hooks;
    bool inHook = false;
};

CallRecord &Calls() {
    return winsim::AreaState<CallRecord>();
}

// Every call of every function passes here, so the counter is found by the
// address of the caller's name literal first; the name map (which CallCount
// reads) is searched only the first time a literal is seen. Map nodes stay
// put, and Reset clears the cache with the map.
int *CallCounter(CallRecord &record, const char *function) {
    uintptr_t key = reinterpret_cast<uintptr_t>(function);
    size_t slot = (key ^ (key >> 10)) % CALL_CACHE_SIZE;
    for (size_t probe = 0; probe < 8; ++probe) {
        CallSlot &entry = record.callCache[(slot + probe) % CALL_CACHE_SIZE];
        if (entry.name == function) return entry.count;
        if (!entry.name) {
            entry.name = function;
            entry.count = &record.calls[function];
            return entry.count;
        }
    }
    return &record.calls[function];
}

void RunHooks(CallRecord &record, const char *function, int call) {
    for (size_t i = 0; i < record.hooks.size(); ++i) {
        if (record.hooks[i].call != call || record.hooks[i].function != function) continue;
        std::function<void()> action = std::move(record.hooks[i].action);
        record.hooks.erase(record.hooks.begin() + static_cast<long>(i));
        record.inHook = true;
        action();
        record.inHook = false;
        return;
    }
}

}  // namespace

// The world and its reset: a fresh machine with one classic console window
// on one monitor, the handle table, and the standard handles.
void BuildMachine() {
    MachineBuilt() = true;
    sim::Reset();
}

uintptr_t NewHandleValue() {
    HandleTable &table = Table();
    uintptr_t value = table.nextHandle;
    table.nextHandle += 4;
    return value;
}

HANDLE AddHandle(HandleObject object) {
    uintptr_t value = NewHandleValue();
    Table().handles[value] = std::move(object);
    return reinterpret_cast<HANDLE>(value);
}

HANDLE AddHandle(HandleKind kind, HandleRecord *record) {
    HandleObject object;
    object.kind = kind;
    object.record = OwnedRecord(record);
    return AddHandle(std::move(object));
}

void PutHandle(HANDLE handle, HandleObject object) {
    Table().handles[reinterpret_cast<uintptr_t>(handle)] = std::move(object);
}

bool RemoveHandle(HANDLE handle) {
    return Table().handles.erase(reinterpret_cast<uintptr_t>(handle)) != 0;
}

std::vector<HandleObject *> AllHandles() {
    std::vector<HandleObject *> all;
    for (auto &entry : Table().handles) all.push_back(&entry.second);
    return all;
}

// A file handle's descriptor belongs to its file object, which closes it
// when the last handle, mapping or view holding it goes.
void ResetHandles() {
    Table() = HandleTable();
}

HandleObject *FindHandle(HANDLE handle) {
    auto found = Table().handles.find(reinterpret_cast<uintptr_t>(handle));
    return found == Table().handles.end() ? nullptr : &found->second;
}

int StandardIndex(DWORD which) {
    if (which == STD_INPUT_HANDLE) return 0;
    if (which == STD_OUTPUT_HANDLE) return 1;
    if (which == STD_ERROR_HANDLE) return 2;
    return -1;
}

HANDLE StandardHandleValue(DWORD which) {
    int index = StandardIndex(which);
    return index < 0 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(kStandardValues[index]);
}

}  // namespace winsim

WINSIM_API DWORD WINAPI GetLastError(void) {
    return g_lastError;
}

WINSIM_API void WINAPI SetLastError(DWORD code) {
    g_lastError = code;
}

void winsim::ResetCalls() {
    Calls() = CallRecord();
}

namespace sim {

void Reset() {
    winsim::ResetHandles();
    winsim::ResetCalls();
    winsim::ResetModules();
    winsim::ResetProcess();
    winsim::ResetRegistry();
    winsim::ResetGdi();
    winsim::ResetTime();
    winsim::ResetClipboard();
    winsim::ResetCodePages();
    winsim::ResetFileSystem();
    winsim::ResetFileInformation();
    winsim::ResetWindows();
    winsim::ResetDesktop();
    winsim::ResetWindowClasses();
    winsim::ResetConsole();
}

void FailCall(const char *function, DWORD error, int nth, int times) {
    if (!function || nth < 1 || times < 1) return;
    CallRecord &record = Calls();
    int done = record.calls[function];
    record.faults.push_back({function, error, done + nth, done + nth + times - 1});
}

void ClearFaults() {
    Calls().faults.clear();
}

int CallCount(const char *function) {
    CallRecord &record = Calls();
    auto found = record.calls.find(function ? function : "");
    return found == record.calls.end() ? 0 : found->second;
}

int TotalCallCount() {
    int total = 0;
    for (const auto &entry : Calls().calls) total += entry.second;
    return total;
}

void RecordCalls(bool on) {
    Calls().recording = on;
}

std::vector<std::string> CallLog() {
    return Calls().log;
}

void BeforeCall(const char *function, int nth, std::function<void()> action) {
    if (!function || nth < 1 || !action) return;
    CallRecord &record = Calls();
    record.hooks.push_back({function, record.calls[function] + nth, std::move(action)});
}

bool ShouldFail(const char *function) {
    CallRecord &record = Calls();
    if (record.inHook) return false;
    int call = ++*CallCounter(record, function);
    if (record.recording) record.log.push_back(function);
    if (!record.hooks.empty()) RunHooks(record, function, call);
    if (record.faults.empty()) return false;
    for (const Fault &fault : record.faults) {
        if (fault.function == function && call >= fault.first && call <= fault.last) {
            SetLastError(fault.error);
            return true;
        }
    }
    return false;
}

}  // namespace sim
