// The clipboard: opened and closed around reads, its data held in global
// blocks that belong to it. Tests put text on it, or hold it open as
// another program would.
#include "io_calls.h"

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

void ClearClipboard() { FreeClipboardData(); }

void HoldClipboard(bool held) { W().io.clipboardHeldElsewhere = held; }

bool IsClipboardOpen() { return W().io.clipboardOpen; }

}  // namespace sim
