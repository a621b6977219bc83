// The console's streams: what the user types at the console, and the
// standard handles, which may lead to the console, to an in-memory pipe, or
// to a real descriptor of this Linux process.
#include "console_state.h"
#include "files_state.h"
#include "machine.h"
#include "text_conversions.h"

#include <errno.h>
#include <unistd.h>

using namespace winsim;

namespace winsim {

namespace {

// What a console or standard handle keeps beyond what every handle has.
struct ConsoleStream : RecordOf<ConsoleStream> {
    // Standard
    DWORD which = 0;
    sim::StdTarget target = sim::StdTarget::Capture;
    bool mirror = false;
    std::string captured;
    // Standard with a descriptor
    int fd = -1;
    // UTF-8 bytes of a character split across two writes to the console
    std::string pendingUtf8;
    // Standard, duplicated: the standard handle whose capture it writes to
    uintptr_t aliasOf = 0;
    // Console output: the screen buffer it leads to (0: the original)
    unsigned buffer = 0;
};

// Only for handles of the console kinds and standard handles.
ConsoleStream &Stream(const HandleObject &object) {
    return *object.record.As<ConsoleStream>();
}

HandleObject StreamHandle(HandleKind kind, ConsoleStream *stream) {
    HandleObject object;
    object.kind = kind;
    object.record = OwnedRecord(stream);
    return object;
}

struct Streams {
    // What the user types at the console, "\x1A" being ^Z; consumed by reads.
    std::u16string typed;
    size_t typedNext = 0;
    UINT consoleInputCodePage = 437;

    HANDLE standard[3] = {};  // what GetStdHandle answers: input, output, error
};

Streams &S() {
    return AreaState<Streams>();
}

const char16_t kCtrlZ = 0x1A;

bool LineInput() {
    return (ConsoleInputMode() & ENABLE_LINE_INPUT) != 0;
}

// The next piece a read hands over: one line (Enter included) in line-input
// mode, everything typed otherwise; at most `limit` characters.
std::u16string NextPiece(size_t limit) {
    Streams &io = S();
    size_t end = io.typed.size();
    if (LineInput()) {
        size_t lineEnd = io.typed.find(u"\r\n", io.typedNext);
        if (lineEnd != std::u16string::npos) end = lineEnd + 2;
    }
    if (end - io.typedNext > limit) end = io.typedNext + limit;
    return io.typed.substr(io.typedNext, end - io.typedNext);
}

DWORD WriteError(int error) {
    if (error == EPIPE) return ERROR_NO_DATA;
    if (error == EBADF) return ERROR_INVALID_HANDLE;
    if (error == ENOSPC) return ERROR_DISK_FULL;
    return ERROR_WRITE_FAULT;
}

}  // namespace

void SetStandardHandle(DWORD which, HANDLE handle) {
    int index = StandardIndex(which);
    if (index >= 0) S().standard[index] = handle;
}

// The standard handles, at the values a console process starts with.
void ResetStandardStreams() {
    Streams &streams = S();
    streams = Streams();
    for (int i = 0; i < 3; ++i) {
        DWORD which = static_cast<DWORD>(-10 - i);
        auto *stream = new ConsoleStream;
        stream->which = which;
        stream->target = i == 0 ? sim::StdTarget::Console : sim::StdTarget::Capture;
        HandleObject object = StreamHandle(HandleKind::Standard, stream);
        object.counted = false;
        streams.standard[i] = StandardHandleValue(which);
        PutHandle(streams.standard[i], object);
    }
}

// Typed console input. A test types text ahead; reads take it a line at a
// time in line-input mode, as the console hands over a line when Enter is
// pressed. ReadFile delivers bytes in the console's input code page and
// reports no bytes for a line that starts with ^Z: the end of input.
BOOL ReadConsoleBytes(HandleObject &object, void *buffer, DWORD size, DWORD *read) {
    (void)object;
    Streams &io = S();
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
    if (!bytes.empty() && bytes[0] == kCtrlZ && (ConsoleInputMode() & ENABLE_PROCESSED_INPUT)) bytes.clear();
    bytes.copy(static_cast<char *>(buffer), bytes.size());
    *read = static_cast<DWORD>(bytes.size());
    return TRUE;
}

// Standard handles and where they lead: the console, an in-memory pipe, or
// a real descriptor of this Linux process.
bool IsConsoleOutput(const HandleObject *object) {
    if (!object) return false;
    if (object->kind == HandleKind::ConsoleOutput) return true;
    return object->kind == HandleKind::Standard && Stream(*object).target == sim::StdTarget::Console &&
           Stream(*object).which != STD_INPUT_HANDLE;
}

bool IsConsoleInput(const HandleObject *object) {
    if (!object) return false;
    if (object->kind == HandleKind::ConsoleInput) return true;
    return object->kind == HandleKind::Standard && Stream(*object).target == sim::StdTarget::Console &&
           Stream(*object).which == STD_INPUT_HANDLE;
}

bool IsPipeHandle(const HandleObject &object) {
    if (object.kind == HandleKind::Pipe) return true;
    return object.kind == HandleKind::Standard && Stream(object).target != sim::StdTarget::Console;
}

HANDLE OpenConsole(HandleKind kind, DWORD access, unsigned buffer) {
    auto *stream = new ConsoleStream;
    stream->buffer = kind == HandleKind::ConsoleOutput ? buffer : 0;
    HandleObject object = StreamHandle(kind, stream);
    object.access = access;
    SetLastError(ERROR_SUCCESS);
    return AddHandle(object);
}

HandleObject DuplicateStandardHandle(const HandleObject &source, HANDLE value) {
    HandleObject copy = source;
    const ConsoleStream &from = Stream(source);
    ConsoleStream &stream = Stream(copy);
    if (from.target == sim::StdTarget::Console) {
        copy.kind = from.which == STD_INPUT_HANDLE ? HandleKind::ConsoleInput : HandleKind::ConsoleOutput;
    } else if (from.target == sim::StdTarget::Capture) {
        // Writes through the copy land in the same capture.
        stream.aliasOf = from.aliasOf ? from.aliasOf : reinterpret_cast<uintptr_t>(value);
        stream.captured.clear();
    }
    return copy;
}

unsigned ScreenBufferIdOf(const HandleObject &object) {
    return object.kind == HandleKind::ConsoleOutput ? Stream(object).buffer : 0;
}

// Byte writes to the console are read as UTF-8; a character split between
// two writes is completed by the second. vhost's mirror of a standard
// stream lands in the original buffer, where the standard handles lead.
void WriteConsoleBytes(HandleObject &object, const std::string &bytes, bool logged) {
    ScreenBuffer *buffer = BufferOf(&object);
    WriteToScreen(buffer ? *buffer : OriginalBuffer(), FromUtf8(bytes, &Stream(object).pendingUtf8), logged);
}

BOOL WriteStandardStream(HandleObject &object, const char *bytes, DWORD count) {
    std::string data(bytes, bytes + count);
    ConsoleStream &stream = Stream(object);
    switch (stream.target) {
        case sim::StdTarget::Console:
            WriteConsoleBytes(object, data, true);
            return TRUE;
        case sim::StdTarget::Capture: {
            HandleObject *original = stream.aliasOf ? FindHandle(reinterpret_cast<HANDLE>(stream.aliasOf)) : nullptr;
            bool same = original && original->kind == HandleKind::Standard &&
                        Stream(*original).target == sim::StdTarget::Capture;
            Stream(same ? *original : object).captured += data;
            return TRUE;
        }
        case sim::StdTarget::Fd:
            break;
    }
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = write(stream.fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            SetLastError(WriteError(errno));
            return FALSE;
        }
        done += static_cast<size_t>(n);
    }
    if (stream.mirror) WriteConsoleBytes(object, data, false);
    return TRUE;
}

BOOL ReadStandardStream(HandleObject &object, void *buffer, DWORD size, DWORD *read) {
    const ConsoleStream &stream = Stream(object);
    switch (stream.target) {
        case sim::StdTarget::Console:  // answered by ReadFile itself
        case sim::StdTarget::Capture:
            // The writing end of the pipe is gone, as in a finished pipeline.
            *read = 0;
            SetLastError(ERROR_BROKEN_PIPE);
            return FALSE;
        case sim::StdTarget::Fd:
            break;
    }
    ssize_t n;
    do {
        n = ::read(stream.fd, buffer, size);
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        *read = 0;
        SetLastError(errno == EBADF ? ERROR_INVALID_HANDLE : ERROR_READ_FAULT);
        return FALSE;
    }
    *read = static_cast<DWORD>(n);
    return TRUE;
}

}  // namespace winsim

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
    S().typedNext += piece.size();
    piece.copy(static_cast<char16_t *>(buffer), piece.size());
    *read = static_cast<DWORD>(piece.size());
    return TRUE;
}

WINSIM_API HANDLE WINAPI GetStdHandle(DWORD which) {
    if (sim::ShouldFail("GetStdHandle")) return INVALID_HANDLE_VALUE;
    int index = StandardIndex(which);
    if (index < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_HANDLE_VALUE;
    }
    return S().standard[index];
}

WINSIM_API BOOL WINAPI SetStdHandle(DWORD which, HANDLE handle) {
    if (sim::ShouldFail("SetStdHandle")) return FALSE;
    int index = StandardIndex(which);
    if (index < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    S().standard[index] = handle;
    return TRUE;
}

namespace sim {

void TypeConsoleInput(const std::u16string &text) {
    Streams &io = S();
    // Enter gives CR LF in line-input mode.
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r')) io.typed += u'\r';
        io.typed += text[i];
    }
}

void SetStdInputConsole(const std::u16string &typed) {
    SetStdTarget(STD_INPUT_HANDLE, StdTarget::Console);
    S().typed.clear();
    S().typedNext = 0;
    TypeConsoleInput(typed);
}

void SetConsoleInputCodePage(UINT codePage) {
    S().consoleInputCodePage = codePage;
}

void SetStdTarget(DWORD which, StdTarget target, int fd, bool mirror) {
    int index = StandardIndex(which);
    if (index < 0) return;
    auto *stream = new ConsoleStream;
    stream->which = which;
    stream->target = target;
    stream->fd = target == StdTarget::Fd ? fd : -1;
    stream->mirror = target == StdTarget::Fd && mirror;
    HandleObject object = StreamHandle(HandleKind::Standard, stream);
    object.counted = false;
    HANDLE value = StandardHandleValue(which);
    PutHandle(value, object);
    S().standard[index] = value;
}

std::string CapturedBytes(DWORD which) {
    HandleObject *object = FindHandle(StandardHandleValue(which));
    if (!object || object->kind != HandleKind::Standard || Stream(*object).target != StdTarget::Capture) {
        return std::string();
    }
    return Stream(*object).captured;
}

}  // namespace sim
