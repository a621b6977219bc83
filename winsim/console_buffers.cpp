// The console's screen buffers: each one's cells, cursor, window and mode;
// which one the console shows; text written at the cursor the way the
// classic console device processes it; and block and band writes of cells.
// The colour table is the console's, shared by all of them (console.cpp).
#include <map>

#include "console_state.h"
#include "machine.h"

using namespace winsim;

namespace winsim {

namespace {

struct Buffers {
    // Buffer 0 is the original one, which the standard handles lead to;
    // the others live while a handle leads to them.
    std::map<unsigned, ScreenBuffer> buffers;
    std::vector<unsigned> made;  // in the order they were made, the original first
    unsigned shown = 0;
    unsigned next = 1;
};

Buffers &B() {
    return AreaState<Buffers>();
}

SHORT Clamp(SHORT value, SHORT low, SHORT high) {
    return value < low ? low : value > high ? high : value;
}

bool HeldByAHandle(unsigned id) {
    for (const HandleObject *object : AllHandles()) {
        if (object->kind == HandleKind::ConsoleOutput && ScreenBufferIdOf(*object) == id) return true;
    }
    return false;
}

void ScrollUp(ScreenBuffer &buffer) {
    size_t width = static_cast<size_t>(buffer.columns);
    buffer.cells.erase(buffer.cells.begin(), buffer.cells.begin() + static_cast<std::ptrdiff_t>(width));
    buffer.cells.insert(buffer.cells.end(), width, ScreenCell{u' ', buffer.attribute});
}

void NewLine(ScreenBuffer &buffer) {
    buffer.cursor.X = 0;
    if (buffer.cursor.Y + 1 >= buffer.rows) {
        ScrollUp(buffer);
    } else {
        ++buffer.cursor.Y;
    }
}

void PutChar(ScreenBuffer &buffer, WCHAR ch, bool wrap) {
    CellAt(buffer, buffer.cursor.X, buffer.cursor.Y) = ScreenCell{ch, buffer.attribute};
    if (buffer.cursor.X + 1 < buffer.columns) {
        ++buffer.cursor.X;
    } else if (wrap) {
        NewLine(buffer);
    }
}

void PutTab(ScreenBuffer &buffer, bool wrap) {
    int blanks = 8 - buffer.cursor.X % 8;
    for (int i = 0; i < blanks; ++i) {
        bool lastColumn = buffer.cursor.X == buffer.columns - 1;
        PutChar(buffer, u' ', wrap);
        if (lastColumn) break;  // a tab stop never carries over to the next line
    }
}

// The console scrolls its window to keep the cursor in sight after output.
void KeepCursorVisible(ScreenBuffer &buffer) {
    SMALL_RECT &view = buffer.view;
    SHORT shiftY = 0;
    if (buffer.cursor.Y > view.Bottom) shiftY = static_cast<SHORT>(buffer.cursor.Y - view.Bottom);
    if (buffer.cursor.Y < view.Top) shiftY = static_cast<SHORT>(buffer.cursor.Y - view.Top);
    view.Top = static_cast<SHORT>(view.Top + shiftY);
    view.Bottom = static_cast<SHORT>(view.Bottom + shiftY);
    SHORT shiftX = 0;
    if (buffer.cursor.X > view.Right) shiftX = static_cast<SHORT>(buffer.cursor.X - view.Right);
    if (buffer.cursor.X < view.Left) shiftX = static_cast<SHORT>(buffer.cursor.X - view.Left);
    view.Left = static_cast<SHORT>(view.Left + shiftX);
    view.Right = static_cast<SHORT>(view.Right + shiftX);
}

// Number of cells from `start` to the end of the buffer, or -1 when the
// start lies outside it.
long long CellsFrom(const ScreenBuffer &buffer, COORD start) {
    if (start.X < 0 || start.Y < 0 || start.X >= buffer.columns || start.Y >= buffer.rows) return -1;
    return static_cast<long long>(buffer.rows - start.Y) * buffer.columns - start.X;
}

size_t IndexOf(const ScreenBuffer &buffer, COORD at) {
    return static_cast<size_t>(at.Y) * static_cast<size_t>(buffer.columns) + static_cast<size_t>(at.X);
}

SHORT Larger(int a, int b) {
    return static_cast<SHORT>(a > b ? a : b);
}

SHORT Smaller(int a, int b) {
    return static_cast<SHORT>(a < b ? a : b);
}

// The test side: the buffer shown, cell by cell.
bool Inside(SHORT x, SHORT y) {
    const ScreenBuffer &buffer = ShownBuffer();
    return x >= 0 && y >= 0 && x < buffer.columns && y < buffer.rows;
}

CONSOLE_CURSOR_INFO CursorOf(const ScreenBuffer &buffer) {
    return {buffer.cursorSize, buffer.cursorVisible ? TRUE : FALSE};
}

}  // namespace

ScreenBuffer *BufferOf(const HandleObject *object) {
    if (!IsConsoleOutput(object)) return nullptr;
    std::map<unsigned, ScreenBuffer> &buffers = B().buffers;
    auto found = buffers.find(ScreenBufferIdOf(*object));
    return found == buffers.end() ? nullptr : &found->second;
}

ScreenBuffer *ScreenBufferOrFail(HANDLE console) {
    ScreenBuffer *buffer = BufferOf(FindHandle(console));
    if (!buffer) SetLastError(ERROR_INVALID_HANDLE);
    return buffer;
}

ScreenBuffer &ShownBuffer() {
    return B().buffers[B().shown];
}

ScreenBuffer &OriginalBuffer() {
    return B().buffers[0];
}

unsigned ShownBufferId() {
    return B().shown;
}

void ResetScreenBuffers() {
    Buffers &state = B();
    state = Buffers();
    ScreenBuffer &original = state.buffers[0];
    state.made.push_back(0);
    ResizeScreen(original, 120, 30);
    original.view = {0, 0, 119, 29};
}

// ---- closing the last handle of a buffer ----
// The console frees a screen buffer with its last handle. When that buffer
// was the one shown, the console shows the most recently made buffer that
// is left (the original one once no other is).
void DropUnheldScreenBuffers() {
    Buffers &state = B();
    for (size_t i = state.made.size(); i > 1; --i) {
        unsigned id = state.made[i - 1];
        if (HeldByAHandle(id)) continue;
        state.buffers.erase(id);
        state.made.erase(state.made.begin() + static_cast<std::ptrdiff_t>(i - 1));
        if (state.shown == id) state.shown = state.made.back();
    }
}

ScreenCell &CellAt(ScreenBuffer &buffer, SHORT x, SHORT y) {
    return buffer.cells[static_cast<size_t>(y) * static_cast<size_t>(buffer.columns) + static_cast<size_t>(x)];
}

void ResizeScreen(ScreenBuffer &buffer, SHORT columns, SHORT rows) {
    std::vector<ScreenCell> cells(static_cast<size_t>(columns) * static_cast<size_t>(rows),
                                  ScreenCell{u' ', buffer.attribute});
    for (SHORT y = 0; y < rows && y < buffer.rows; ++y) {
        for (SHORT x = 0; x < columns && x < buffer.columns; ++x) {
            cells[static_cast<size_t>(y) * static_cast<size_t>(columns) + static_cast<size_t>(x)] =
                CellAt(buffer, x, y);
        }
    }
    buffer.cells.swap(cells);
    buffer.columns = columns;
    buffer.rows = rows;
    buffer.cursor.X = Clamp(buffer.cursor.X, 0, static_cast<SHORT>(columns - 1));
    buffer.cursor.Y = Clamp(buffer.cursor.Y, 0, static_cast<SHORT>(rows - 1));

    // The window never reaches past the buffer.
    SMALL_RECT &view = buffer.view;
    SHORT width = static_cast<SHORT>(view.Right - view.Left + 1);
    SHORT height = static_cast<SHORT>(view.Bottom - view.Top + 1);
    if (width > columns) width = columns;
    if (height > rows) height = rows;
    view.Left = Clamp(view.Left, 0, static_cast<SHORT>(columns - width));
    view.Top = Clamp(view.Top, 0, static_cast<SHORT>(rows - height));
    view.Right = static_cast<SHORT>(view.Left + width - 1);
    view.Bottom = static_cast<SHORT>(view.Top + height - 1);
}

// Text written at the cursor, as the console device processes it.
void WriteToScreen(ScreenBuffer &buffer, const std::u16string &written, bool logged) {
    if (logged) LogConsoleWrite(written);
    bool processed = (buffer.mode & ENABLE_PROCESSED_OUTPUT) != 0;
    bool wrap = (buffer.mode & ENABLE_WRAP_AT_EOL_OUTPUT) != 0;
    bool vt = (buffer.mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
    // vhost's mirror of its standard streams is no console write: it stays text.
    if (logged && vt) LogVt(written);
    std::u16string parsed;
    if (logged && vt && processed) parsed = ParseVt(written);
    const std::u16string &text = logged && vt && processed ? parsed : written;
    for (char16_t ch : text) {
        if (processed) {
            if (ch == u'\r') {
                buffer.cursor.X = 0;
                continue;
            }
            if (ch == u'\n') {
                NewLine(buffer);
                continue;
            }
            if (ch == u'\b') {
                if (buffer.cursor.X > 0) --buffer.cursor.X;
                continue;
            }
            if (ch == u'\t') {
                PutTab(buffer, wrap);
                continue;
            }
            if (ch == u'\a') continue;
        }
        PutChar(buffer, ch, wrap);
    }
    KeepCursorVisible(buffer);
}

}  // namespace winsim

// ---- CreateConsoleScreenBuffer ----
// The new buffer is as large as the window of the buffer shown, with its
// attributes, blank, its cursor at the top left, and the output mode a
// console starts with.
WINSIM_API HANDLE WINAPI CreateConsoleScreenBuffer(DWORD access, DWORD share, const SECURITY_ATTRIBUTES *sa,
                                                   DWORD flags, LPVOID data) {
    (void)share;
    (void)sa;
    if (sim::ShouldFail("CreateConsoleScreenBuffer")) return INVALID_HANDLE_VALUE;
    if (flags != CONSOLE_TEXTMODE_BUFFER || data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    Buffers &state = B();
    const ScreenBuffer &shown = ShownBuffer();
    ScreenBuffer fresh;
    fresh.attribute = shown.attribute;
    fresh.popupAttribute = shown.popupAttribute;
    SHORT columns = static_cast<SHORT>(shown.view.Right - shown.view.Left + 1);
    SHORT rows = static_cast<SHORT>(shown.view.Bottom - shown.view.Top + 1);
    fresh.view = {0, 0, static_cast<SHORT>(columns - 1), static_cast<SHORT>(rows - 1)};
    ResizeScreen(fresh, columns, rows);
    unsigned id = state.next++;
    state.buffers[id] = fresh;
    state.made.push_back(id);
    return OpenConsole(HandleKind::ConsoleOutput, access, id);
}

WINSIM_API BOOL WINAPI SetConsoleActiveScreenBuffer(HANDLE console) {
    if (sim::ShouldFail("SetConsoleActiveScreenBuffer")) return FALSE;
    HandleObject *object = FindHandle(console);
    if (!BufferOf(object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    B().shown = ScreenBufferIdOf(*object);
    return TRUE;
}

// ---- the cursor's size and visibility, each buffer its own ----
// A size outside 1 to 100 percent is refused; a hidden cursor keeps its size.
WINSIM_API BOOL WINAPI GetConsoleCursorInfo(HANDLE console, PCONSOLE_CURSOR_INFO info) {
    if (sim::ShouldFail("GetConsoleCursorInfo")) return FALSE;
    ScreenBuffer *buffer = ScreenBufferOrFail(console);
    if (!buffer) return FALSE;
    info->dwSize = buffer->cursorSize;
    info->bVisible = buffer->cursorVisible ? TRUE : FALSE;
    return TRUE;
}

WINSIM_API BOOL WINAPI SetConsoleCursorInfo(HANDLE console, const CONSOLE_CURSOR_INFO *info) {
    if (sim::ShouldFail("SetConsoleCursorInfo")) return FALSE;
    ScreenBuffer *buffer = ScreenBufferOrFail(console);
    if (!buffer) return FALSE;
    if (info->dwSize < 1 || info->dwSize > 100) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    buffer->cursorSize = info->dwSize;
    buffer->cursorVisible = info->bVisible != FALSE;
    return TRUE;
}

// Text, cells and attributes written to and read from a screen buffer.

WINSIM_API BOOL WINAPI WriteConsoleW(HANDLE console, const void *text, DWORD count, LPDWORD written, LPVOID reserved) {
    (void)reserved;
    if (sim::ShouldFail("WriteConsoleW")) return FALSE;
    ScreenBuffer *buffer = ScreenBufferOrFail(console);
    if (!buffer) return FALSE;
    if (!text && count > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const WCHAR *units = static_cast<const WCHAR *>(text);
    WriteToScreen(*buffer, std::u16string(units, units + count), true);
    if (written) *written = count;
    return TRUE;
}

// ---- WriteConsoleOutputW ----
// `region` names the cells to write in the screen buffer; the block's cell
// `from` goes to its top left corner. What lies outside the block or the
// buffer is left out, and `region` comes back as the rectangle written.
// Nothing to write still succeeds, with `region` reporting an empty
// rectangle at its corner (right and bottom one less than left and top).
WINSIM_API BOOL WINAPI WriteConsoleOutputW(HANDLE console, const CHAR_INFO *block, COORD size, COORD from,
                                           PSMALL_RECT region) {
    if (sim::ShouldFail("WriteConsoleOutputW")) return FALSE;
    ScreenBuffer *buffer = ScreenBufferOrFail(console);
    if (!buffer) return FALSE;
    if (!block || !region) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    SMALL_RECT asked = *region;
    // Target cell x takes block cell from.X + (x - asked.Left).
    int shiftX = asked.Left - from.X;
    int shiftY = asked.Top - from.Y;
    SHORT left = Larger(Larger(asked.Left, 0), shiftX);
    SHORT top = Larger(Larger(asked.Top, 0), shiftY);
    SHORT right = Smaller(Smaller(asked.Right, buffer->columns - 1), shiftX + size.X - 1);
    SHORT bottom = Smaller(Smaller(asked.Bottom, buffer->rows - 1), shiftY + size.Y - 1);
    if (from.X < 0 || from.Y < 0 || left > right || top > bottom) {
        *region = {asked.Left, asked.Top, static_cast<SHORT>(asked.Left - 1), static_cast<SHORT>(asked.Top - 1)};
        return TRUE;
    }
    for (SHORT y = top; y <= bottom; ++y) {
        for (SHORT x = left; x <= right; ++x) {
            const CHAR_INFO &cell =
                block[static_cast<size_t>(y - shiftY) * static_cast<size_t>(size.X) + static_cast<size_t>(x - shiftX)];
            CellAt(*buffer, x, y) = ScreenCell{cell.Char.UnicodeChar, cell.Attributes};
        }
    }
    *region = {left, top, right, bottom};
    return TRUE;
}

// ---- ReadConsoleOutputAttribute ----
// Runs across row ends; a start outside the buffer reads nothing and still
// succeeds, as Windows does.
WINSIM_API BOOL WINAPI ReadConsoleOutputAttribute(HANDLE console, LPWORD attributes, DWORD length, COORD start,
                                                  LPDWORD read) {
    if (sim::ShouldFail("ReadConsoleOutputAttribute")) return FALSE;
    const ScreenBuffer *buffer = ScreenBufferOrFail(console);
    if (!buffer) return FALSE;
    if (!read || (!attributes && length > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    long long available = CellsFrom(*buffer, start);
    DWORD count = available < 0 ? 0 : available < length ? static_cast<DWORD>(available) : length;
    size_t first = count > 0 ? IndexOf(*buffer, start) : 0;
    for (DWORD i = 0; i < count; ++i) attributes[i] = buffer->cells[first + i].attribute;
    *read = count;
    return TRUE;
}

// ---- WriteConsoleOutputAttribute ----
// Runs across row ends and stops at the end of the buffer; a start outside
// the buffer is refused with ERROR_INVALID_PARAMETER (Windows 10's console).
WINSIM_API BOOL WINAPI WriteConsoleOutputAttribute(HANDLE console, const WORD *attributes, DWORD length, COORD start,
                                                   LPDWORD written) {
    if (sim::ShouldFail("WriteConsoleOutputAttribute")) return FALSE;
    ScreenBuffer *buffer = ScreenBufferOrFail(console);
    if (!buffer) return FALSE;
    if (!written || (!attributes && length > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *written = 0;
    if (length == 0) return TRUE;
    long long available = CellsFrom(*buffer, start);
    if (available < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD count = available < length ? static_cast<DWORD>(available) : length;
    size_t first = IndexOf(*buffer, start);
    for (DWORD i = 0; i < count; ++i) buffer->cells[first + i].attribute = attributes[i];
    *written = count;
    return TRUE;
}

namespace sim {

WCHAR CellChar(SHORT x, SHORT y) {
    return Inside(x, y) ? CellAt(ShownBuffer(), x, y).ch : 0;
}

WORD CellAttribute(SHORT x, SHORT y) {
    return Inside(x, y) ? CellAt(ShownBuffer(), x, y).attribute : 0;
}

void SetCellAttribute(SHORT x, SHORT y, WORD attribute) {
    if (Inside(x, y)) CellAt(ShownBuffer(), x, y).attribute = attribute;
}

std::u16string RowText(SHORT y) {
    if (!Inside(0, y)) return std::u16string();
    std::u16string text;
    ScreenBuffer &buffer = ShownBuffer();
    for (SHORT x = 0; x < buffer.columns; ++x) text.push_back(CellAt(buffer, x, y).ch);
    size_t end = text.find_last_not_of(u' ');
    return end == std::u16string::npos ? std::u16string() : text.substr(0, end + 1);
}

bool ShowsOriginalBuffer() {
    return B().shown == 0;
}

int ScreenBufferCount() {
    return static_cast<int>(B().buffers.size());
}

DWORD ShownBufferMode() {
    return ShownBuffer().mode;
}

CONSOLE_CURSOR_INFO ShownCursor() {
    return CursorOf(ShownBuffer());
}

CONSOLE_CURSOR_INFO OriginalCursor() {
    return CursorOf(OriginalBuffer());
}

}  // namespace sim
