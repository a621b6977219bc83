// The process: the process table and its snapshots, the environment, the
// system message table behind FormatMessageW, and secure random numbers.
#define _CRT_RAND_S
#include <errno.h>

#include <deque>
#include <map>

#include <ntsecapi.h>

#include <utility>

#include "machine.h"
#include "process_state.h"
#include "text_conversions.h"

using namespace winsim;

namespace winsim {

namespace {

struct Process {
    DWORD pid;
    DWORD parent;
    std::u16string exeName;
};

struct ProcessState {
    DWORD processId = 4196;
    std::vector<Process> processes = {
        {0, 0, u"[System Process]"}, {4, 0, u"System"}, {4000, 0, u"explorer.exe"}, {4196, 4000, u"tcc.exe"}};
    std::vector<std::pair<std::u16string, std::u16string>> environment;
    std::map<DWORD, std::u16string> messages;

    std::deque<unsigned> randomValues;  // given by a test, used first
    uint64_t randomState = 0x5EED5EED5EED5EEDull;
    // The system's random source has a sequence of its own: a draw there
    // never shifts the numbers a test gave rand_s.
    uint64_t systemRandomState = 0x0DDBA11C0FFEE000ull;
};

ProcessState &State() {
    return AreaState<ProcessState>();
}

Process *FindProcess(DWORD pid) {
    for (Process &process : State().processes) {
        if (process.pid == pid) return &process;
    }
    return nullptr;
}

void LoadSystemMessages(std::map<DWORD, std::u16string> &messages);

// A snapshot handle's copy of the table and how far the walk has got.
struct Snapshot : RecordOf<Snapshot> {
    std::vector<PROCESSENTRY32W> entries;
    size_t next = 0;
};

PROCESSENTRY32W EntryFor(const Process &process) {
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    entry.th32ProcessID = process.pid;
    entry.cntThreads = 1;
    entry.th32ParentProcessID = process.parent;
    entry.pcPriClassBase = 8;  // normal priority
    CopyTruncated(process.exeName, entry.szExeFile, MAX_PATH);
    return entry;
}

// The next entry into the caller's record, whose dwSize must hold the whole
// record, as Windows insists.
BOOL NextEntry(HANDLE snapshot, LPPROCESSENTRY32W entry, bool first) {
    HandleObject *object = FindHandle(snapshot);
    if (!object || object->kind != HandleKind::Snapshot) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!entry || entry->dwSize < sizeof(PROCESSENTRY32W)) {
        SetLastError(ERROR_BAD_LENGTH);
        return FALSE;
    }
    Snapshot &walk = *object->record.As<Snapshot>();
    if (first) walk.next = 0;
    if (walk.next >= walk.entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    DWORD size = entry->dwSize;
    *entry = walk.entries[walk.next++];
    entry->dwSize = size;
    return TRUE;
}

std::pair<std::u16string, std::u16string> *FindVariable(const std::u16string &name) {
    for (auto &variable : State().environment) {
        if (EqualNoCase(variable.first, name)) return &variable;
    }
    return nullptr;
}

const struct {
    DWORD code;
    const char16_t *text;
} kSystemMessages[] = {
    {0, u"The operation completed successfully.\r\n"},
    {1, u"Incorrect function.\r\n"},
    {2, u"The system cannot find the file specified.\r\n"},
    {3, u"The system cannot find the path specified.\r\n"},
    {4, u"The system cannot open the file.\r\n"},
    {5, u"Access is denied.\r\n"},
    {6, u"The handle is invalid.\r\n"},
    {8, u"Not enough memory resources are available to process this command.\r\n"},
    {13, u"The data is invalid.\r\n"},
    {14, u"Not enough memory resources are available to complete this operation.\r\n"},
    {17, u"The system cannot move the file to a different disk drive.\r\n"},
    {18, u"There are no more files.\r\n"},
    {24, u"The program issued a command but the command length is incorrect.\r\n"},
    {29, u"The system cannot write to the specified device.\r\n"},
    {30, u"The system cannot read from the specified device.\r\n"},
    {31, u"A device attached to the system is not functioning.\r\n"},
    {32, u"The process cannot access the file because it is being used by another process.\r\n"},
    {33, u"The process cannot access the file because another process has locked a portion of the file.\r\n"},
    {38, u"Reached the end of the file.\r\n"},
    {39, u"The disk is full.\r\n"},
    {50, u"The request is not supported.\r\n"},
    {80, u"The file exists.\r\n"},
    {87, u"The parameter is incorrect.\r\n"},
    {109, u"The pipe has been ended.\r\n"},
    {112, u"There is not enough space on the disk.\r\n"},
    {120, u"This function is not supported on this system.\r\n"},
    {122, u"The data area passed to a system call is too small.\r\n"},
    {123, u"The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {126, u"The specified module could not be found.\r\n"},
    {127, u"The specified procedure could not be found.\r\n"},
    {145, u"The directory is not empty.\r\n"},
    {183, u"Cannot create a file when that file already exists.\r\n"},
    {203, u"The system could not find the environment option that was entered.\r\n"},
    {223, u"The file size exceeds the limit allowed and cannot be saved.\r\n"},
    {232, u"The pipe is being closed.\r\n"},
    {234, u"More data is available.\r\n"},
    {259, u"No more data is available.\r\n"},
    {998, u"Invalid access to memory location.\r\n"},
    {1010, u"The configuration registry key is invalid.\r\n"},
    {1011, u"The configuration registry key could not be opened.\r\n"},
    {1012, u"The configuration registry key could not be read.\r\n"},
    {1013, u"The configuration registry key could not be written.\r\n"},
    {1018, u"Illegal operation attempted on a registry key that has been marked for deletion.\r\n"},
    {1168, u"Element not found.\r\n"},
    {1175, u"Unable to remove the file to be replaced.\r\n"},
    {1176,
     u"Unable to move the replacement file to the file to be replaced. The file to be replaced has retained its "
     u"original name.\r\n"},
    {1177,
     u"Unable to move the replacement file to the file to be replaced. The file to be replaced has been renamed "
     u"using the backup name.\r\n"},
    {1400, u"Invalid window handle.\r\n"},
    {1407, u"Cannot find window class.\r\n"},
    {1410, u"Class already exists.\r\n"},
    {1411, u"Class does not exist.\r\n"},
    {1412, u"Class still has open windows.\r\n"},
    {1460, u"This operation returned because the timeout period expired.\r\n"},
    {1461, u"Invalid monitor handle.\r\n"},
};

const WORD kLangEnglish = 0x09;

bool HasInserts(const std::u16string &text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == u'%' && text[i + 1] >= u'1' && text[i + 1] <= u'9') return true;
    }
    return false;
}

// With a maximum width the stored line breaks give way: each becomes one
// blank, which is why such a message ends in a blank.
std::u16string JoinLines(const std::u16string &text) {
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            out.push_back(u' ');
            ++i;
        } else if (text[i] == u'\n') {
            out.push_back(u' ');
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

void LoadSystemMessages(std::map<DWORD, std::u16string> &messages) {
    messages.clear();
    for (const auto &entry : kSystemMessages) messages[entry.code] = entry.text;
}

// SplitMix64: small, and every seed gives a usable sequence.
unsigned NextGenerated(uint64_t &state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<unsigned>((z ^ (z >> 31)) >> 32);
}

}  // namespace

// The process table: this process, its ancestors and whatever else a test
// adds, which process snapshots and parent lookups read.
bool IsKnownProcess(DWORD pid) {
    return FindProcess(pid) != nullptr;
}

DWORD ParentOf(DWORD pid) {
    Process *process = FindProcess(pid);
    return process ? process->parent : 0;
}

DWORD CurrentProcessId() {
    return State().processId;
}

void ResetProcess() {
    ProcessState &state = State();
    state = ProcessState();
    LoadSystemMessages(state.messages);
}

void PutEnvironment(const std::u16string &name, const std::u16string &value) {
    if (auto *variable = FindVariable(name)) {
        variable->second = value;
    } else {
        State().environment.push_back({name, value});
    }
}

}  // namespace winsim

WINSIM_API DWORD WINAPI GetCurrentProcessId(void) {
    if (sim::ShouldFail("GetCurrentProcessId")) return 0;
    return State().processId;
}

// ---- GetCurrentProcess ----
// The pseudo handle, the same value as INVALID_HANDLE_VALUE on Windows.
WINSIM_API HANDLE WINAPI GetCurrentProcess(void) {
    if (sim::ShouldFail("GetCurrentProcess")) return nullptr;
    return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
}

// Process snapshots: a copy of the process table taken when the snapshot
// is made, walked with Process32FirstW and Process32NextW.

WINSIM_API HANDLE WINAPI CreateToolhelp32Snapshot(DWORD flags, DWORD processId) {
    (void)processId;
    if (sim::ShouldFail("CreateToolhelp32Snapshot")) return INVALID_HANDLE_VALUE;
    auto *snapshot = new Snapshot;
    if (flags & TH32CS_SNAPPROCESS) {
        for (const Process &process : State().processes) snapshot->entries.push_back(EntryFor(process));
    }
    return AddHandle(HandleKind::Snapshot, snapshot);
}

WINSIM_API BOOL WINAPI Process32FirstW(HANDLE snapshot, LPPROCESSENTRY32W entry) {
    if (sim::ShouldFail("Process32FirstW")) return FALSE;
    return NextEntry(snapshot, entry, true);
}

WINSIM_API BOOL WINAPI Process32NextW(HANDLE snapshot, LPPROCESSENTRY32W entry) {
    if (sim::ShouldFail("Process32NextW")) return FALSE;
    return NextEntry(snapshot, entry, false);
}

// The process environment: names compared without regard to case, values
// returned with Windows' buffer-size rules.

// ---- GetEnvironmentVariableW ----
// A value that fits: its length without the terminator. One that does not:
// the size needed with the terminator, and the buffer left alone.
WINSIM_API DWORD WINAPI GetEnvironmentVariableW(LPCWSTR name, LPWSTR buffer, DWORD size) {
    if (sim::ShouldFail("GetEnvironmentVariableW")) return 0;
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto *variable = FindVariable(name);
    if (!variable) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    const std::u16string &value = variable->second;
    if (!buffer || size <= value.size()) return static_cast<DWORD>(value.size() + 1);
    CopyTruncated(value, buffer, size);
    // An empty value answers 0 like a missing one; the cleared error tells them apart.
    if (value.empty()) SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(value.size());
}

WINSIM_API BOOL WINAPI SetEnvironmentVariableW(LPCWSTR name, LPCWSTR value) {
    if (sim::ShouldFail("SetEnvironmentVariableW")) return FALSE;
    // "=" may only lead a name (the hidden per-drive directories use that).
    if (!name || !name[0] || std::u16string(name).find(u'=', 1) != std::u16string::npos) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto &environment = State().environment;
    auto *variable = FindVariable(name);
    if (!value) {
        if (variable) environment.erase(environment.begin() + (variable - environment.data()));
        return TRUE;
    }
    PutEnvironment(name, value);
    return TRUE;
}

// FormatMessageW over the system message table: the English texts Windows
// stores for the common error codes, each ending in "\r\n" as stored.
// ---- FormatMessageW ----
// System messages only; inserts are never filled in, and a width limit
// other than FORMAT_MESSAGE_MAX_WIDTH_MASK is treated like it.
WINSIM_API DWORD WINAPI FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer,
                                       DWORD size, void *arguments) {
    (void)source;
    if (sim::ShouldFail("FormatMessageW")) return 0;
    if (!(flags & FORMAT_MESSAGE_FROM_SYSTEM) || (flags & (FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_FROM_HMODULE)) ||
        (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER)) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return 0;
    }
    if (!buffer) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    WORD primary = static_cast<WORD>(languageId & 0x3FF);
    if (primary != LANG_NEUTRAL && primary != kLangEnglish) {
        SetLastError(ERROR_RESOURCE_LANG_NOT_FOUND);
        return 0;
    }
    auto found = State().messages.find(messageId);
    if (found == State().messages.end()) {
        SetLastError(ERROR_MR_MID_NOT_FOUND);
        return 0;
    }
    std::u16string text = found->second;
    if (!(flags & FORMAT_MESSAGE_IGNORE_INSERTS) && HasInserts(text) && !arguments) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (flags & FORMAT_MESSAGE_MAX_WIDTH_MASK) text = JoinLines(text);
    if (text.size() + 1 > size) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    return CopyTruncated(text, buffer, size);
}

// The runtime's secure random numbers and the system's random source behind
// them: values a test chose, then seeded generators, so that every run draws
// the same numbers.

// ---- rand_s ----
// A failure leaves 0 in the value.
WINSIM_API errno_t rand_s(unsigned int *value) {
    if (sim::ShouldFail("rand_s")) {
        if (value) *value = 0;
        return EINVAL;
    }
    if (!value) return EINVAL;
    ProcessState &state = State();
    if (!state.randomValues.empty()) {
        *value = state.randomValues.front();
        state.randomValues.pop_front();
    } else {
        *value = NextGenerated(state.randomState);
    }
    return 0;
}

// ---- SystemFunction036 (RtlGenRandom) ----
WINSIM_API BOOLEAN WINAPI SystemFunction036(PVOID buffer, ULONG length) {
    if (sim::ShouldFail("SystemFunction036")) return FALSE;
    if (!buffer && length != 0) return FALSE;
    ProcessState &state = State();
    BYTE *out = static_cast<BYTE *>(buffer);
    for (ULONG i = 0; i < length; i += 4) {
        unsigned value = NextGenerated(state.systemRandomState);
        for (ULONG j = i; j < length && j < i + 4; ++j, value >>= 8) out[j] = static_cast<BYTE>(value);
    }
    return TRUE;
}

namespace sim {

void AddProcess(DWORD pid, DWORD parentPid, const std::u16string &exeName) {
    if (Process *existing = FindProcess(pid)) {
        existing->parent = parentPid;
        existing->exeName = exeName;
        return;
    }
    State().processes.push_back({pid, parentPid, exeName});
}

void SetCurrentProcess(DWORD pid, DWORD parentPid) {
    if (Process *existing = FindProcess(pid)) {
        existing->parent = parentPid;
    } else {
        State().processes.push_back({pid, parentPid, u"tcc.exe"});
    }
    State().processId = pid;
}

std::u16string Environment(const std::u16string &name) {
    auto *variable = FindVariable(name);
    return variable ? variable->second : std::u16string();
}

void SetSystemMessage(DWORD code, const std::u16string &text) {
    State().messages[code] = text;
}

void SetRandomValues(const std::vector<unsigned> &values) {
    State().randomValues.assign(values.begin(), values.end());
}

void SetRandomSeed(uint64_t seed) {
    State().randomState = seed;
}

}  // namespace sim
