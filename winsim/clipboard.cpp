// The clipboard and the global memory blocks that are its currency.
#include <map>

#include <string>

#include "machine.h"

using namespace winsim;

namespace winsim {

namespace {

struct GlobalBlock {
    std::vector<char> bytes;
    int locks = 0;
};

struct ClipboardState {
    bool clipboardOpen = false;
    bool clipboardHeldElsewhere = false;
    std::map<UINT, HGLOBAL> clipboard;  // format -> block owned by the clipboard

    std::map<uintptr_t, GlobalBlock> globals;
    uintptr_t nextGlobal = 0x7A0000;
};

ClipboardState &State() {
    return AreaState<ClipboardState>();
}

void FreeClipboardData() {
    ClipboardState &state = State();
    for (const auto &entry : state.clipboard) state.globals.erase(reinterpret_cast<uintptr_t>(entry.second));
    state.clipboard.clear();
}

GlobalBlock *FindBlock(HGLOBAL block) {
    auto &globals = State().globals;
    auto found = globals.find(reinterpret_cast<uintptr_t>(block));
    return found == globals.end() ? nullptr : &found->second;
}

}  // namespace

void ResetClipboard() {
    State() = ClipboardState();
}

}  // namespace winsim

// The clipboard: opened and closed around reads, its data held in global
// blocks that belong to it. Tests put text on it, or hold it open as
// another program would.

WINSIM_API BOOL WINAPI OpenClipboard(HWND owner) {
    (void)owner;
    if (sim::ShouldFail("OpenClipboard")) return FALSE;
    ClipboardState &state = State();
    if (state.clipboardHeldElsewhere) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    state.clipboardOpen = true;
    return TRUE;
}

WINSIM_API BOOL WINAPI CloseClipboard(void) {
    if (sim::ShouldFail("CloseClipboard")) return FALSE;
    ClipboardState &state = State();
    if (!state.clipboardOpen) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return FALSE;
    }
    state.clipboardOpen = false;
    return TRUE;
}

WINSIM_API HANDLE WINAPI GetClipboardData(UINT format) {
    if (sim::ShouldFail("GetClipboardData")) return nullptr;
    ClipboardState &state = State();
    if (!state.clipboardOpen) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return nullptr;
    }
    auto found = state.clipboard.find(format);
    if (found == state.clipboard.end()) {
        SetLastError(ERROR_SUCCESS);
        return nullptr;
    }
    return found->second;
}

WINSIM_API BOOL WINAPI IsClipboardFormatAvailable(UINT format) {
    if (sim::ShouldFail("IsClipboardFormatAvailable")) return FALSE;
    return State().clipboard.count(format) != 0;
}

// Global memory blocks, the currency of the clipboard: a handle, a size,
// and a lock count that GlobalLock and GlobalUnlock move.

WINSIM_API HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
    (void)flags;  // every block is moveable here: callers must lock it
    if (sim::ShouldFail("GlobalAlloc")) return nullptr;
    ClipboardState &state = State();
    uintptr_t value = state.nextGlobal;
    state.nextGlobal += 8;
    state.globals[value].bytes.assign(bytes, 0);
    return reinterpret_cast<HGLOBAL>(value);
}

// ---- GlobalFree ----
// Null on success; the block itself when it is not one.
WINSIM_API HGLOBAL WINAPI GlobalFree(HGLOBAL block) {
    if (sim::ShouldFail("GlobalFree")) return block;
    if (!FindBlock(block)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return block;
    }
    State().globals.erase(reinterpret_cast<uintptr_t>(block));
    return nullptr;
}

WINSIM_API LPVOID WINAPI GlobalLock(HGLOBAL block) {
    if (sim::ShouldFail("GlobalLock")) return nullptr;
    GlobalBlock *found = FindBlock(block);
    if (!found) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (found->bytes.empty()) {
        SetLastError(ERROR_DISCARDED);  // a block of size 0 has no memory
        return nullptr;
    }
    ++found->locks;
    return found->bytes.data();
}

// ---- GlobalUnlock ----
// True while the block stays locked; false with NO_ERROR once it is not.
WINSIM_API BOOL WINAPI GlobalUnlock(HGLOBAL block) {
    if (sim::ShouldFail("GlobalUnlock")) return FALSE;
    GlobalBlock *found = FindBlock(block);
    if (!found) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (found->locks == 0) {
        SetLastError(ERROR_NOT_LOCKED);
        return FALSE;
    }
    if (--found->locks > 0) return TRUE;
    SetLastError(NO_ERROR);
    return FALSE;
}

WINSIM_API SIZE_T WINAPI GlobalSize(HGLOBAL block) {
    if (sim::ShouldFail("GlobalSize")) return 0;
    GlobalBlock *found = FindBlock(block);
    if (!found) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return found->bytes.size();
}

namespace sim {

void SetClipboardBytes(UINT format, const std::string &bytes) {
    ClipboardState &state = State();
    auto found = state.clipboard.find(format);
    if (found != state.clipboard.end()) state.globals.erase(reinterpret_cast<uintptr_t>(found->second));
    uintptr_t value = state.nextGlobal;
    state.nextGlobal += 8;
    state.globals[value].bytes.assign(bytes.begin(), bytes.end());
    state.clipboard[format] = reinterpret_cast<HGLOBAL>(value);
}

void SetClipboardText(const std::u16string &text) {
    std::u16string terminated = text + u'\0';
    const char *bytes = reinterpret_cast<const char *>(terminated.data());
    FreeClipboardData();
    SetClipboardBytes(CF_UNICODETEXT, std::string(bytes, bytes + terminated.size() * sizeof(char16_t)));
}

void ClearClipboard() {
    FreeClipboardData();
}

void HoldClipboard(bool held) {
    State().clipboardHeldElsewhere = held;
}

bool IsClipboardOpen() {
    return State().clipboardOpen;
}

int GlobalBlockCount() {
    return static_cast<int>(State().globals.size());
}

int GlobalLockCount() {
    int locks = 0;
    for (const auto &entry : State().globals) locks += entry.second.locks;
    return locks;
}

}  // namespace sim
