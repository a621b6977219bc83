// The clipboard and the global memory blocks that are its currency.
#include "machine.h"

// The clipboard: opened and closed around reads, its data held in global
// blocks that belong to it. Tests put text on it, or hold it open as
// another program would.
using namespace winsim;

namespace {

void FreeClipboardData() {
    IoState &io = W().io;
    for (const auto &entry : io.clipboard) io.globals.erase(reinterpret_cast<uintptr_t>(entry.second));
    io.clipboard.clear();
}

}  // namespace

// ---- OpenClipboard ----
WINSIM_API BOOL WINAPI OpenClipboard(HWND owner) {
    (void)owner;
    if (sim::ShouldFail("OpenClipboard")) return FALSE;
    IoState &io = W().io;
    if (io.clipboardHeldElsewhere) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    io.clipboardOpen = true;
    return TRUE;
}

// ---- CloseClipboard ----
WINSIM_API BOOL WINAPI CloseClipboard(void) {
    if (sim::ShouldFail("CloseClipboard")) return FALSE;
    IoState &io = W().io;
    if (!io.clipboardOpen) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return FALSE;
    }
    io.clipboardOpen = false;
    return TRUE;
}

// ---- GetClipboardData ----
WINSIM_API HANDLE WINAPI GetClipboardData(UINT format) {
    if (sim::ShouldFail("GetClipboardData")) return nullptr;
    IoState &io = W().io;
    if (!io.clipboardOpen) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return nullptr;
    }
    auto found = io.clipboard.find(format);
    if (found == io.clipboard.end()) {
        SetLastError(ERROR_SUCCESS);
        return nullptr;
    }
    return found->second;
}

// ---- IsClipboardFormatAvailable ----
WINSIM_API BOOL WINAPI IsClipboardFormatAvailable(UINT format) {
    if (sim::ShouldFail("IsClipboardFormatAvailable")) return FALSE;
    return W().io.clipboard.count(format) != 0;
}

namespace sim {

void SetClipboardBytes(UINT format, const std::string &bytes) {
    IoState &io = W().io;
    auto found = io.clipboard.find(format);
    if (found != io.clipboard.end()) io.globals.erase(reinterpret_cast<uintptr_t>(found->second));
    uintptr_t value = io.nextGlobal;
    io.nextGlobal += 8;
    io.globals[value].bytes.assign(bytes.begin(), bytes.end());
    io.clipboard[format] = reinterpret_cast<HGLOBAL>(value);
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
    W().io.clipboardHeldElsewhere = held;
}

bool IsClipboardOpen() {
    return W().io.clipboardOpen;
}

}  // namespace sim

// Global memory blocks, the currency of the clipboard: a handle, a size,
// and a lock count that GlobalLock and GlobalUnlock move.
using namespace winsim;

namespace {

GlobalBlock *FindBlock(HGLOBAL block) {
    auto &globals = W().io.globals;
    auto found = globals.find(reinterpret_cast<uintptr_t>(block));
    return found == globals.end() ? nullptr : &found->second;
}

}  // namespace

// ---- GlobalAlloc ----
WINSIM_API HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
    (void)flags;  // every block is moveable here: callers must lock it
    if (sim::ShouldFail("GlobalAlloc")) return nullptr;
    IoState &io = W().io;
    uintptr_t value = io.nextGlobal;
    io.nextGlobal += 8;
    io.globals[value].bytes.assign(bytes, 0);
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
    W().io.globals.erase(reinterpret_cast<uintptr_t>(block));
    return nullptr;
}

// ---- GlobalLock ----
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

// ---- GlobalSize ----
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

int GlobalBlockCount() {
    return static_cast<int>(W().io.globals.size());
}

int GlobalLockCount() {
    int locks = 0;
    for (const auto &entry : W().io.globals) locks += entry.second.locks;
    return locks;
}

}  // namespace sim
