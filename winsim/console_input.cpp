// Typed console input. A test types text ahead; reads take it a line at a
// time in line-input mode, as the console hands over a line when Enter is
// pressed. ReadFile delivers bytes in the console's input code page and
// reports no bytes for a line that starts with ^Z: the end of input.
#include "io_calls.h"

namespace winsim {

namespace {

const char16_t kCtrlZ = 0x1A;

bool LineInput() { return (W().console.inputMode & ENABLE_LINE_INPUT) != 0; }

// The next piece a read hands over: one line (Enter included) in line-input
// mode, everything typed otherwise; at most `limit` characters.
std::u16string NextPiece(size_t limit) {
    IoState &io = W().io;
    size_t end = io.typed.size();
    if (LineInput()) {
        size_t lineEnd = io.typed.find(u"\r\n", io.typedNext);
        if (lineEnd != std::u16string::npos) end = lineEnd + 2;
    }
    if (end - io.typedNext > limit) end = io.typedNext + limit;
    return io.typed.substr(io.typedNext, end - io.typedNext);
}

}  // namespace

BOOL ReadConsoleBytes(HandleObject &object, void *buffer, DWORD size, DWORD *read) {
    (void)object;
    IoState &io = W().io;
    std::u16string piece = NextPiece(size);
    // Fewer characters when their bytes would not fit.
    std::string bytes;
    size_t taken = 0;
    while (taken < piece.size()) {
        size_t units = (piece[taken] >= 0xD800 && piece[taken] <= 0xDBFF && taken + 1 < piece.size()) ? 2 : 1;
        std::string encoded;
        EncodeInCodePage(io.consoleInputCodePage, piece.substr(taken, units), &encoded);
        if (bytes.size() + encoded.size() > size) break;
        bytes += encoded;
        taken += units;
    }
    io.typedNext += taken;
    if (!bytes.empty() && bytes[0] == kCtrlZ && (W().console.inputMode & ENABLE_PROCESSED_INPUT)) bytes.clear();
    bytes.copy(static_cast<char *>(buffer), bytes.size());
    *read = static_cast<DWORD>(bytes.size());
    return TRUE;
}

}  // namespace winsim

using namespace winsim;

// ---- ReadConsoleW ----
WINSIM_API BOOL WINAPI ReadConsoleW(HANDLE console, LPVOID buffer, DWORD count, LPDWORD read, LPVOID control) {
    (void)control;
    if (sim::ShouldFail("ReadConsoleW")) return FALSE;
    if (!IsConsoleInput(FindHandle(console))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!buffer || !read) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::u16string piece = NextPiece(count);
    W().io.typedNext += piece.size();
    piece.copy(static_cast<char16_t *>(buffer), piece.size());
    *read = static_cast<DWORD>(piece.size());
    return TRUE;
}

namespace sim {

void TypeConsoleInput(const std::u16string &text) {
    IoState &io = W().io;
    // Enter gives CR LF in line-input mode.
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r')) io.typed += u'\r';
        io.typed += text[i];
    }
}

void SetStdInputConsole(const std::u16string &typed) {
    SetStdTarget(STD_INPUT_HANDLE, StdTarget::Console);
    W().io.typed.clear();
    W().io.typedNext = 0;
    TypeConsoleInput(typed);
}

void SetConsoleInputCodePage(UINT codePage) { W().io.consoleInputCodePage = codePage; }

}  // namespace sim
