// Global memory blocks, the currency of the clipboard: a handle, a size,
// and a lock count that GlobalLock and GlobalUnlock move.
#include "io_calls.h"

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

int GlobalBlockCount() { return static_cast<int>(W().io.globals.size()); }

int GlobalLockCount() {
    int locks = 0;
    for (const auto &entry : W().io.globals) locks += entry.second.locks;
    return locks;
}

}  // namespace sim
