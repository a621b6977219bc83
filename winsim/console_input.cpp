// The console's input buffer of INPUT_RECORDs, the control handlers that
// Ctrl+C and Ctrl+Break reach, and the wait on console input that also runs
// the thread's messages. Nothing here blocks: with no input left a read
// fails at once and a wait runs virtual time, so a test always ends.
#include <deque>

#include "console_state.h"
#include "machine.h"
#include "time_state.h"

using namespace winsim;

namespace winsim {

namespace {

// One entry of the input buffer. Typed entries stand for what the user does
// at the keyboard: they take effect when a read reaches them, as a key
// pressed at that moment would.
struct InputEntry {
    INPUT_RECORD record;
    bool typed = false;
    bool resize = false;  // the user resizes the window to record's WindowBufferSizeEvent.dwSize
};

struct InputState {
    std::deque<InputEntry> queue;
    std::vector<PHANDLER_ROUTINE> handlers;
    bool ignoreCtrlC = false;  // SetConsoleCtrlHandler(NULL, TRUE)
    int unhandled = 0;
    ULONGLONG idleSince = 0;  // when input last came or went
};

InputState &In() {
    return AreaState<InputState>();
}

bool CtrlHeld(const KEY_EVENT_RECORD &key) {
    return (key.dwControlKeyState & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) != 0 &&
           (key.dwControlKeyState & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED)) == 0;
}

// The control event a typed key raises instead of entering the buffer, or -1.
int ControlEventOf(const InputEntry &entry) {
    if (!entry.typed || entry.record.EventType != KEY_EVENT) return -1;
    const KEY_EVENT_RECORD &key = entry.record.Event.KeyEvent;
    if (!key.bKeyDown || !CtrlHeld(key)) return -1;
    if (key.wVirtualKeyCode == VK_CANCEL) return CTRL_BREAK_EVENT;
    if (key.wVirtualKeyCode == 'C' && (ConsoleInputMode() & ENABLE_PROCESSED_INPUT)) return CTRL_C_EVENT;
    return -1;
}

WINDOW_BUFFER_SIZE_RECORD ResizeShownBuffer(SHORT columns, SHORT rows) {
    ScreenBuffer &buffer = ShownBuffer();
    if (columns < 1) columns = 1;
    if (rows < 1) rows = 1;
    SHORT top = buffer.view.Top;
    // The window's width decides the buffer's; its height only grows it.
    ResizeScreen(buffer, columns, buffer.rows > rows ? buffer.rows : rows);
    if (top + rows > buffer.rows) top = static_cast<SHORT>(buffer.rows - rows);
    buffer.view = {0, top, static_cast<SHORT>(columns - 1), static_cast<SHORT>(top + rows - 1)};
    WINDOW_BUFFER_SIZE_RECORD size;
    size.dwSize = {buffer.columns, buffer.rows};
    return size;
}

// Carries out the typed entries that have reached the front of the buffer
// and do not stay in it: control keys and window resizes.
void ReachTypedEntries() {
    std::deque<InputEntry> &queue = In().queue;
    while (!queue.empty() && queue.front().typed) {
        InputEntry &front = queue.front();
        if (front.resize) {
            COORD asked = front.record.Event.WindowBufferSizeEvent.dwSize;
            INPUT_RECORD event = {};
            event.EventType = WINDOW_BUFFER_SIZE_EVENT;
            event.Event.WindowBufferSizeEvent = ResizeShownBuffer(asked.X, asked.Y);
            queue.pop_front();
            if (ConsoleInputMode() & ENABLE_WINDOW_INPUT) queue.push_front({event, false, false});
            continue;
        }
        int control = ControlEventOf(front);
        if (control < 0) {
            front.typed = false;  // an ordinary key: it stays as it is
            break;
        }
        queue.pop_front();
        sim::RaiseConsoleCtrlEvent(static_cast<DWORD>(control));
    }
}

bool IsInputHandle(HANDLE console) {
    if (IsConsoleInput(FindHandle(console))) return true;
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
}

// ReadConsoleInputW and PeekConsoleInputW: up to `length` records from the
// front, taken away or not.
DWORD TakeRecords(PINPUT_RECORD records, DWORD length, bool remove) {
    InputState &state = In();
    DWORD count = 0;
    size_t next = 0;
    while (count < length) {
        if (remove || next == 0) ReachTypedEntries();
        if (next >= state.queue.size()) break;
        // A peek stops where the user would act: a control key or a resize.
        const InputEntry &entry = state.queue[next];
        if (!remove && (entry.resize || ControlEventOf(entry) >= 0)) break;
        records[count++] = state.queue[next].record;
        if (remove) {
            state.queue.pop_front();
        } else {
            ++next;
        }
    }
    if (remove && count > 0) state.idleSince = Now();
    return count;
}

// The scan codes of a US keyboard, by virtual key.
WORD ScanCodeOf(WORD key) {
    static const char kLetters[] =
        "\x1E\x30\x2E\x20\x12\x21\x22\x23\x17\x24\x25\x26\x32\x31\x18\x19\x10\x13\x1F\x14"
        "\x16\x2F\x11\x2D\x15\x2C";
    if (key >= 'A' && key <= 'Z') return static_cast<WORD>(kLetters[key - 'A']);
    if (key >= '1' && key <= '9') return static_cast<WORD>(key - '1' + 2);
    struct Pair {
        WORD key, scan;
    };
    static const Pair kOthers[] = {
        {'0', 0x0B},           {VK_BACK, 0x0E},  {VK_TAB, 0x0F},      {VK_RETURN, 0x1C},    {VK_ESCAPE, 0x01},
        {VK_SPACE, 0x39},      {VK_PRIOR, 0x49}, {VK_NEXT, 0x51},     {VK_END, 0x4F},       {VK_HOME, 0x47},
        {VK_LEFT, 0x4B},       {VK_UP, 0x48},    {VK_RIGHT, 0x4D},    {VK_DOWN, 0x50},      {VK_DELETE, 0x53},
        {VK_CANCEL, 0x46},     {VK_OEM_1, 0x27}, {VK_OEM_PLUS, 0x0D}, {VK_OEM_COMMA, 0x33}, {VK_OEM_MINUS, 0x0C},
        {VK_OEM_PERIOD, 0x34}, {VK_OEM_2, 0x35}, {VK_OEM_3, 0x29},    {VK_OEM_4, 0x1A},     {VK_OEM_5, 0x2B},
        {VK_OEM_6, 0x1B},      {VK_OEM_7, 0x28},
    };
    for (const Pair &pair : kOthers) {
        if (pair.key == key) return pair.scan;
    }
    return 0;
}

}  // namespace

void ResetConsoleInput() {
    In() = InputState();
}

bool ConsoleInputWaiting() {
    ReachTypedEntries();
    return !In().queue.empty();
}

}  // namespace winsim

// ---- ReadConsoleInputW ----
// Windows waits for the first record; winsim, with none left, fails at once
// with ERROR_NO_DATA so that a test which runs out of keys ends.
WINSIM_API BOOL WINAPI ReadConsoleInputW(HANDLE console, PINPUT_RECORD buffer, DWORD length, LPDWORD read) {
    if (sim::ShouldFail("ReadConsoleInputW")) return FALSE;
    if (!IsInputHandle(console)) return FALSE;
    if (!buffer || !read) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *read = 0;
    if (length == 0) return TRUE;
    DWORD count = TakeRecords(buffer, length, true);
    if (count == 0) {
        SetLastError(ERROR_NO_DATA);
        return FALSE;
    }
    *read = count;
    return TRUE;
}

WINSIM_API BOOL WINAPI PeekConsoleInputW(HANDLE console, PINPUT_RECORD buffer, DWORD length, LPDWORD read) {
    if (sim::ShouldFail("PeekConsoleInputW")) return FALSE;
    if (!IsInputHandle(console)) return FALSE;
    if (!buffer || !read) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *read = TakeRecords(buffer, length, false);
    return TRUE;
}

WINSIM_API BOOL WINAPI GetNumberOfConsoleInputEvents(HANDLE console, LPDWORD count) {
    if (sim::ShouldFail("GetNumberOfConsoleInputEvents")) return FALSE;
    if (!IsInputHandle(console)) return FALSE;
    if (!count) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ReachTypedEntries();
    *count = static_cast<DWORD>(In().queue.size());
    return TRUE;
}

// ---- FlushConsoleInputBuffer ----
// Drops what is in the buffer now. Typed keys not reached yet stand for
// keys the user presses later, so they stay.
WINSIM_API BOOL WINAPI FlushConsoleInputBuffer(HANDLE console) {
    if (sim::ShouldFail("FlushConsoleInputBuffer")) return FALSE;
    if (!IsInputHandle(console)) return FALSE;
    ReachTypedEntries();
    std::deque<InputEntry> &queue = In().queue;
    while (!queue.empty() && !queue.front().typed) queue.pop_front();
    return TRUE;
}

WINSIM_API BOOL WINAPI WriteConsoleInputW(HANDLE console, const INPUT_RECORD *buffer, DWORD length, LPDWORD written) {
    if (sim::ShouldFail("WriteConsoleInputW")) return FALSE;
    if (!IsInputHandle(console)) return FALSE;
    if ((!buffer && length > 0) || !written) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    InputState &state = In();
    for (DWORD i = 0; i < length; ++i) state.queue.push_back({buffer[i], false, false});
    state.idleSince = Now();
    *written = length;
    return TRUE;
}

// ---- SetConsoleCtrlHandler ----
// A null handler with `add` makes the process ignore Ctrl+C (not
// Ctrl+Break); removing a handler never added fails.
WINSIM_API BOOL WINAPI SetConsoleCtrlHandler(PHANDLER_ROUTINE handler, BOOL add) {
    if (sim::ShouldFail("SetConsoleCtrlHandler")) return FALSE;
    InputState &state = In();
    if (!handler) {
        state.ignoreCtrlC = add != FALSE;
        return TRUE;
    }
    if (add) {
        state.handlers.push_back(handler);
        return TRUE;
    }
    for (size_t i = state.handlers.size(); i > 0; --i) {
        if (state.handlers[i - 1] == handler) {
            state.handlers.erase(state.handlers.begin() + static_cast<std::ptrdiff_t>(i - 1));
            return TRUE;
        }
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

// ---- MsgWaitForMultipleObjects ----
// Console input handles are signalled while a record waits. Otherwise the
// wait lasts, in virtual time, until the thread's next message falls due
// and reports it (WAIT_OBJECT_0 + count), left in the queue for the
// PeekMessageW loop that follows to take and dispatch. A wait
// with no end and nothing due within sim::kIdleInputLimitMs of the last
// input reports the input handle signalled: nothing is coming, and the read
// that follows fails.
WINSIM_API DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE *handles, BOOL waitAll, DWORD ms,
                                                  DWORD wakeMask) {
    (void)waitAll;
    if (sim::ShouldFail("MsgWaitForMultipleObjects")) return WAIT_FAILED;
    if (count >= MAXIMUM_WAIT_OBJECTS || (count > 0 && !handles)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    DWORD input = count;
    for (DWORD i = 0; i < count; ++i) {
        HandleObject *object = FindHandle(handles[i]);
        if (!object) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        if (input == count && IsConsoleInput(object)) input = i;
    }
    if (input < count && ConsoleInputWaiting()) return WAIT_OBJECT_0 + input;
    ULONGLONG limit = ms == INFINITE ? In().idleSince + sim::kIdleInputLimitMs : Now() + ms;
    ULONGLONG due = 0;
    bool messages = (wakeMask & (QS_POSTMESSAGE | QS_TIMER | QS_SENDMESSAGE | QS_ALLPOSTMESSAGE)) != 0;
    if (messages && NextMessageDue(&due) && due <= limit) {
        AdvanceClockTo(due);
        return WAIT_OBJECT_0 + count;
    }
    if (ms != INFINITE) {
        AdvanceClockTo(limit);
        return WAIT_TIMEOUT;
    }
    return WAIT_OBJECT_0 + (input < count ? input : count);
}

namespace sim {

void TypeKeys(const std::vector<INPUT_RECORD> &records) {
    for (const INPUT_RECORD &record : records) In().queue.push_back({record, true, false});
}

INPUT_RECORD KeyRecord(bool down, WORD virtualKey, WCHAR character, DWORD controlKeyState, WORD repeat) {
    INPUT_RECORD record = {};
    record.EventType = KEY_EVENT;
    KEY_EVENT_RECORD &key = record.Event.KeyEvent;
    key.bKeyDown = down ? TRUE : FALSE;
    key.wRepeatCount = repeat;
    key.wVirtualKeyCode = virtualKey;
    key.wVirtualScanCode = ScanCodeOf(virtualKey);
    key.uChar.UnicodeChar = character;
    key.dwControlKeyState = controlKeyState;
    return record;
}

void ResizeConsoleWindow(SHORT columns, SHORT rows) {
    InputEntry entry;
    entry.record = {};
    entry.record.EventType = WINDOW_BUFFER_SIZE_EVENT;
    entry.record.Event.WindowBufferSizeEvent.dwSize = {columns, rows};
    entry.typed = true;
    entry.resize = true;
    In().queue.push_back(entry);
    // With nothing typed ahead of it, the user resizes now.
    if (In().queue.size() == 1) ReachTypedEntries();
}

std::vector<INPUT_RECORD> PendingConsoleInput() {
    std::vector<INPUT_RECORD> records;
    for (const InputEntry &entry : In().queue) {
        if (!entry.resize) records.push_back(entry.record);
    }
    return records;
}

bool RaiseConsoleCtrlEvent(DWORD ctrlType) {
    InputState &state = In();
    if (ctrlType == CTRL_C_EVENT && state.ignoreCtrlC) return true;
    // A handler may add or remove handlers: walk a copy.
    std::vector<PHANDLER_ROUTINE> handlers = state.handlers;
    for (size_t i = handlers.size(); i > 0; --i) {
        if (handlers[i - 1](ctrlType)) return true;
    }
    ++state.unhandled;
    return false;
}

int ConsoleCtrlHandlerCount() {
    return static_cast<int>(In().handlers.size());
}

int UnhandledCtrlEvents() {
    return In().unhandled;
}

}  // namespace sim
