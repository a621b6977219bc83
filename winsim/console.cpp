// The console: its screen buffer of cells, the title, modes, colour table
// and attached processes. Typed input and the standard handles are in
// console_streams.cpp.
#include "machine.h"

using namespace winsim;

namespace winsim {

namespace {

struct Cell {
    WCHAR ch;
    WORD attribute;
};

struct TitleChange {
    ULONGLONG at;
    std::u16string title;
};

struct Console {
    SHORT columns = 0;
    SHORT rows = 0;
    std::vector<Cell> cells;
    COORD cursor = {0, 0};
    SMALL_RECT view = {0, 0, 0, 0};  // the window rectangle, inclusive
    WORD attribute = 0x07;
    WORD popupAttribute = 0xF5;
    COLORREF colors[16] = {};
    DWORD inputMode = 0;
    DWORD outputMode = 0;
    std::u16string title;
    std::vector<TitleChange> titleHistory;  // every change, for windows that follow it
    std::u16string log;
    std::vector<DWORD> processes;
    bool processesSet = false;  // false: the list is the current process alone
    HWND window = nullptr;
    bool wineInfoWrites = false;  // SetConsoleScreenBufferInfoEx as Wine answers it
};

Console &C() {
    return AreaState<Console>();
}

// The screen buffer.
Cell &CellAt(SHORT x, SHORT y);
void ResizeScreen(SHORT columns, SHORT rows);

}  // namespace

}  // namespace winsim

// Console state calls: the window, attached processes, modes, and the
// screen buffer information with its colour table.
namespace winsim {

namespace {

// How many character cells the largest console window on a 1920x1080
// screen holds in the default font.
const SHORT kLargestColumns = 240;
const SHORT kLargestRows = 63;

SHORT Smaller(SHORT a, SHORT b) {
    return a < b ? a : b;
}

// What GetConsoleScreenBufferInfoEx reports.
void FillBufferInfo(CONSOLE_SCREEN_BUFFER_INFOEX &info) {
    const Console &console = C();
    info.cbSize = sizeof(CONSOLE_SCREEN_BUFFER_INFOEX);
    info.dwSize = {console.columns, console.rows};
    info.dwCursorPosition = console.cursor;
    info.wAttributes = console.attribute;
    info.srWindow = console.view;
    info.dwMaximumWindowSize = {Smaller(console.columns, kLargestColumns), Smaller(console.rows, kLargestRows)};
    info.wPopupAttributes = console.popupAttribute;
    info.bFullscreenSupported = FALSE;
    for (int i = 0; i < 16; ++i) info.ColorTable[i] = console.colors[i];
}

}  // namespace

}  // namespace winsim

WINSIM_API HWND WINAPI GetConsoleWindow(void) {
    if (sim::ShouldFail("GetConsoleWindow")) return nullptr;
    return C().window;
}

WINSIM_API DWORD WINAPI GetConsoleProcessList(LPDWORD list, DWORD count) {
    if (sim::ShouldFail("GetConsoleProcessList")) return 0;
    if (!list || count == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const Console &console = C();
    std::vector<DWORD> ids = console.processesSet ? console.processes : std::vector<DWORD>{CurrentProcessId()};
    // Too little room: Windows answers the count it needs and stores nothing.
    if (ids.size() > count) return static_cast<DWORD>(ids.size());
    for (size_t i = 0; i < ids.size(); ++i) list[i] = ids[i];
    return static_cast<DWORD>(ids.size());
}

WINSIM_API BOOL WINAPI GetConsoleMode(HANDLE console, LPDWORD mode) {
    if (sim::ShouldFail("GetConsoleMode")) return FALSE;
    HandleObject *object = FindHandle(console);
    if (!IsConsoleInput(object) && !IsConsoleOutput(object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!mode) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *mode = IsConsoleInput(object) ? C().inputMode : C().outputMode;
    return TRUE;
}

WINSIM_API BOOL WINAPI SetConsoleMode(HANDLE console, DWORD mode) {
    if (sim::ShouldFail("SetConsoleMode")) return FALSE;
    HandleObject *object = FindHandle(console);
    if (!IsConsoleInput(object) && !IsConsoleOutput(object)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    (IsConsoleInput(object) ? C().inputMode : C().outputMode) = mode;
    return TRUE;
}

WINSIM_API BOOL WINAPI GetConsoleScreenBufferInfo(HANDLE console, PCONSOLE_SCREEN_BUFFER_INFO info) {
    if (sim::ShouldFail("GetConsoleScreenBufferInfo")) return FALSE;
    if (!IsConsoleOutput(FindHandle(console))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    CONSOLE_SCREEN_BUFFER_INFOEX ex;
    FillBufferInfo(ex);
    info->dwSize = ex.dwSize;
    info->dwCursorPosition = ex.dwCursorPosition;
    info->wAttributes = ex.wAttributes;
    info->srWindow = ex.srWindow;
    info->dwMaximumWindowSize = ex.dwMaximumWindowSize;
    return TRUE;
}

WINSIM_API BOOL WINAPI GetConsoleScreenBufferInfoEx(HANDLE console, PCONSOLE_SCREEN_BUFFER_INFOEX info) {
    if (sim::ShouldFail("GetConsoleScreenBufferInfoEx")) return FALSE;
    if (!info || info->cbSize != sizeof(CONSOLE_SCREEN_BUFFER_INFOEX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!IsConsoleOutput(FindHandle(console))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    FillBufferInfo(*info);
    return TRUE;
}

namespace {

bool Refuse() {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
}

// Wine's console takes the fields one after the other and stops at the first
// it refuses, keeping those it took: the cursor (inside the buffer), the
// buffer size (no smaller than the window), the attributes, then the window
// rectangle, which it reads inclusive as the get call reports it and which
// must lie inside the buffer. A rectangle one past the buffer, as Windows
// wants it, is refused after the attributes were taken. The colour table
// never reaches Wine's console at all.
bool WriteInfoAsWine(const CONSOLE_SCREEN_BUFFER_INFOEX &info) {
    Console &state = C();
    COORD cursor = info.dwCursorPosition;
    if (cursor.X < 0 || cursor.X >= state.columns || cursor.Y < 0 || cursor.Y >= state.rows) return Refuse();
    state.cursor = cursor;
    const SMALL_RECT &view = state.view;
    if (info.dwSize.X < view.Right - view.Left + 1 || info.dwSize.Y < view.Bottom - view.Top + 1) return Refuse();
    if (info.dwSize.X != state.columns || info.dwSize.Y != state.rows) ResizeScreen(info.dwSize.X, info.dwSize.Y);
    state.attribute = info.wAttributes;
    state.popupAttribute = info.wPopupAttributes;
    const SMALL_RECT &window = info.srWindow;
    if (window.Left < 0 || window.Left > window.Right || window.Right >= state.columns || window.Top < 0 ||
        window.Top > window.Bottom || window.Bottom >= state.rows) {
        return Refuse();
    }
    state.view = window;
    return true;
}

}  // namespace

// ---- SetConsoleScreenBufferInfoEx ----
// Windows reads srWindow's right and bottom edges as exclusive, although
// GetConsoleScreenBufferInfoEx reports them inclusive: handing back what was
// read shrinks the window by one column and one row. Callers add one.
WINSIM_API BOOL WINAPI SetConsoleScreenBufferInfoEx(HANDLE console, PCONSOLE_SCREEN_BUFFER_INFOEX info) {
    if (sim::ShouldFail("SetConsoleScreenBufferInfoEx")) return FALSE;
    if (!info || info->cbSize != sizeof(CONSOLE_SCREEN_BUFFER_INFOEX)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!IsConsoleOutput(FindHandle(console))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (C().wineInfoWrites) return WriteInfoAsWine(*info) ? TRUE : FALSE;
    if (info->dwSize.X <= 0 || info->dwSize.Y <= 0 || info->dwSize.X == 0x7FFF || info->dwSize.Y == 0x7FFF) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Console &state = C();
    if (info->dwSize.X != state.columns || info->dwSize.Y != state.rows) ResizeScreen(info->dwSize.X, info->dwSize.Y);
    for (int i = 0; i < 16; ++i) state.colors[i] = info->ColorTable[i];
    state.attribute = info->wAttributes;
    state.popupAttribute = info->wPopupAttributes;
    if (info->dwCursorPosition.X >= 0 && info->dwCursorPosition.X < state.columns && info->dwCursorPosition.Y >= 0 &&
        info->dwCursorPosition.Y < state.rows) {
        state.cursor = info->dwCursorPosition;
    }

    int width = info->srWindow.Right - info->srWindow.Left;
    int height = info->srWindow.Bottom - info->srWindow.Top;
    if (info->dwMaximumWindowSize.X > 0 && width > info->dwMaximumWindowSize.X) width = info->dwMaximumWindowSize.X;
    if (info->dwMaximumWindowSize.Y > 0 && height > info->dwMaximumWindowSize.Y) height = info->dwMaximumWindowSize.Y;
    if (width > state.columns) width = state.columns;
    if (height > state.rows) height = state.rows;
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    int left = info->srWindow.Left < 0 ? 0 : info->srWindow.Left;
    int top = info->srWindow.Top < 0 ? 0 : info->srWindow.Top;
    if (left + width > state.columns) left = state.columns - width;
    if (top + height > state.rows) top = state.rows - height;
    state.view = {static_cast<SHORT>(left), static_cast<SHORT>(top), static_cast<SHORT>(left + width - 1),
                  static_cast<SHORT>(top + height - 1)};
    return TRUE;
}

WINSIM_API BOOL WINAPI SetConsoleTextAttribute(HANDLE console, WORD attributes) {
    if (sim::ShouldFail("SetConsoleTextAttribute")) return FALSE;
    if (!IsConsoleOutput(FindHandle(console))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    C().attribute = attributes;
    return TRUE;
}

// The console screen buffer: cells, resizing, and text written at the
// cursor the way the classic console device processes it.
namespace winsim {

namespace {

void ScrollUp() {
    Console &console = C();
    size_t width = static_cast<size_t>(console.columns);
    console.cells.erase(console.cells.begin(), console.cells.begin() + static_cast<std::ptrdiff_t>(width));
    console.cells.insert(console.cells.end(), width, Cell{u' ', console.attribute});
}

void NewLine() {
    Console &console = C();
    console.cursor.X = 0;
    if (console.cursor.Y + 1 >= console.rows) {
        ScrollUp();
    } else {
        ++console.cursor.Y;
    }
}

void PutChar(WCHAR ch, bool wrap) {
    Console &console = C();
    CellAt(console.cursor.X, console.cursor.Y) = Cell{ch, console.attribute};
    if (console.cursor.X + 1 < console.columns) {
        ++console.cursor.X;
    } else if (wrap) {
        NewLine();
    }
}

void PutTab(bool wrap) {
    Console &console = C();
    int blanks = 8 - console.cursor.X % 8;
    for (int i = 0; i < blanks; ++i) {
        bool lastColumn = console.cursor.X == console.columns - 1;
        PutChar(u' ', wrap);
        if (lastColumn) break;  // a tab stop never carries over to the next line
    }
}

// The console scrolls its window to keep the cursor in sight after output.
void KeepCursorVisible() {
    Console &console = C();
    SMALL_RECT &view = console.view;
    SHORT shiftY = 0;
    if (console.cursor.Y > view.Bottom) shiftY = static_cast<SHORT>(console.cursor.Y - view.Bottom);
    if (console.cursor.Y < view.Top) shiftY = static_cast<SHORT>(console.cursor.Y - view.Top);
    view.Top = static_cast<SHORT>(view.Top + shiftY);
    view.Bottom = static_cast<SHORT>(view.Bottom + shiftY);
    SHORT shiftX = 0;
    if (console.cursor.X > view.Right) shiftX = static_cast<SHORT>(console.cursor.X - view.Right);
    if (console.cursor.X < view.Left) shiftX = static_cast<SHORT>(console.cursor.X - view.Left);
    view.Left = static_cast<SHORT>(view.Left + shiftX);
    view.Right = static_cast<SHORT>(view.Right + shiftX);
}

SHORT Clamp(SHORT value, SHORT low, SHORT high) {
    return value < low ? low : value > high ? high : value;
}

Cell &CellAt(SHORT x, SHORT y) {
    Console &console = C();
    return console.cells[static_cast<size_t>(y) * static_cast<size_t>(console.columns) + static_cast<size_t>(x)];
}

void ResizeScreen(SHORT columns, SHORT rows) {
    Console &console = C();
    std::vector<Cell> cells(static_cast<size_t>(columns) * static_cast<size_t>(rows), Cell{u' ', console.attribute});
    for (SHORT y = 0; y < rows && y < console.rows; ++y) {
        for (SHORT x = 0; x < columns && x < console.columns; ++x) {
            cells[static_cast<size_t>(y) * static_cast<size_t>(columns) + static_cast<size_t>(x)] = CellAt(x, y);
        }
    }
    console.cells.swap(cells);
    console.columns = columns;
    console.rows = rows;
    console.cursor.X = Clamp(console.cursor.X, 0, static_cast<SHORT>(columns - 1));
    console.cursor.Y = Clamp(console.cursor.Y, 0, static_cast<SHORT>(rows - 1));

    // The window never reaches past the buffer.
    SMALL_RECT &view = console.view;
    SHORT width = static_cast<SHORT>(view.Right - view.Left + 1);
    SHORT height = static_cast<SHORT>(view.Bottom - view.Top + 1);
    if (width > columns) width = columns;
    if (height > rows) height = rows;
    view.Left = Clamp(view.Left, 0, static_cast<SHORT>(columns - width));
    view.Top = Clamp(view.Top, 0, static_cast<SHORT>(rows - height));
    view.Right = static_cast<SHORT>(view.Left + width - 1);
    view.Bottom = static_cast<SHORT>(view.Top + height - 1);
}

}  // namespace

void WriteToScreen(const std::u16string &written, bool logged) {
    Console &console = C();
    if (logged) console.log += written;
    bool processed = (console.outputMode & ENABLE_PROCESSED_OUTPUT) != 0;
    bool wrap = (console.outputMode & ENABLE_WRAP_AT_EOL_OUTPUT) != 0;
    bool vt = (console.outputMode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
    // vhost's mirror of its standard streams is no console write: it stays text.
    if (logged && vt) LogVt(written);
    std::u16string parsed;
    if (logged && vt && processed) parsed = ParseVt(written);
    const std::u16string &text = logged && vt && processed ? parsed : written;
    for (char16_t ch : text) {
        if (processed) {
            if (ch == u'\r') {
                console.cursor.X = 0;
                continue;
            }
            if (ch == u'\n') {
                NewLine();
                continue;
            }
            if (ch == u'\b') {
                if (console.cursor.X > 0) --console.cursor.X;
                continue;
            }
            if (ch == u'\t') {
                PutTab(wrap);
                continue;
            }
            if (ch == u'\a') continue;
        }
        PutChar(ch, wrap);
    }
    KeepCursorVisible();
}

}  // namespace winsim

// Text and attribute output to the console screen buffer.

namespace {

// Number of cells from `start` to the end of the buffer, or -1 when the
// start lies outside it.
long long CellsFrom(COORD start) {
    const Console &console = C();
    if (start.X < 0 || start.Y < 0 || start.X >= console.columns || start.Y >= console.rows) return -1;
    return static_cast<long long>(console.rows - start.Y) * console.columns - start.X;
}

}  // namespace

WINSIM_API BOOL WINAPI WriteConsoleW(HANDLE console, const void *buffer, DWORD count, LPDWORD written,
                                     LPVOID reserved) {
    (void)reserved;
    if (sim::ShouldFail("WriteConsoleW")) return FALSE;
    if (!IsConsoleOutput(FindHandle(console))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!buffer && count > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const WCHAR *text = static_cast<const WCHAR *>(buffer);
    WriteToScreen(std::u16string(text, text + count), true);
    if (written) *written = count;
    return TRUE;
}

// ---- ReadConsoleOutputAttribute ----
// Runs across row ends; a start outside the buffer reads nothing and still
// succeeds, as Windows does.
WINSIM_API BOOL WINAPI ReadConsoleOutputAttribute(HANDLE console, LPWORD attributes, DWORD length, COORD start,
                                                  LPDWORD read) {
    if (sim::ShouldFail("ReadConsoleOutputAttribute")) return FALSE;
    if (!IsConsoleOutput(FindHandle(console))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!read || (!attributes && length > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    long long available = CellsFrom(start);
    DWORD count = available < 0 ? 0 : available < length ? static_cast<DWORD>(available) : length;
    const Console &state = C();
    size_t first = static_cast<size_t>(start.Y) * static_cast<size_t>(state.columns) + static_cast<size_t>(start.X);
    for (DWORD i = 0; i < count; ++i) attributes[i] = state.cells[first + i].attribute;
    *read = count;
    return TRUE;
}

// ---- WriteConsoleOutputAttribute ----
// Runs across row ends and stops at the end of the buffer; a start outside
// the buffer is refused with ERROR_INVALID_PARAMETER (Windows 10's console).
WINSIM_API BOOL WINAPI WriteConsoleOutputAttribute(HANDLE console, const WORD *attributes, DWORD length, COORD start,
                                                   LPDWORD written) {
    if (sim::ShouldFail("WriteConsoleOutputAttribute")) return FALSE;
    if (!IsConsoleOutput(FindHandle(console))) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!written || (!attributes && length > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *written = 0;
    if (length == 0) return TRUE;
    long long available = CellsFrom(start);
    if (available < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    DWORD count = available < length ? static_cast<DWORD>(available) : length;
    Console &state = C();
    size_t first = static_cast<size_t>(start.Y) * static_cast<size_t>(state.columns) + static_cast<size_t>(start.X);
    for (DWORD i = 0; i < count; ++i) state.cells[first + i].attribute = attributes[i];
    *written = count;
    return TRUE;
}

// The console title, which is also the console window's caption.
namespace winsim {

void ChangeConsoleTitle(const std::u16string &title) {
    Console &console = C();
    console.title = title;
    console.titleHistory.push_back({Now(), title});
}

HWND ConsoleWindow() {
    return C().window;
}

void SetConsoleWindow(HWND window) {
    C().window = window;
}

DWORD ConsoleInputMode() {
    return C().inputMode;
}

void SetConsoleOutputMode(DWORD mode) {
    C().outputMode = mode;
}

void UseWineConsoleInfoWrites() {
    C().wineInfoWrites = true;
}

const std::u16string &CurrentConsoleTitle() {
    return C().title;
}

size_t ConsoleTitleChangeCount() {
    return C().titleHistory.size();
}

bool FollowedConsoleTitle(size_t from, DWORD delay, std::u16string *title) {
    const std::vector<TitleChange> &history = C().titleHistory;
    for (size_t i = history.size(); i > from; --i) {
        if (history[i - 1].at + delay <= Now()) {
            *title = history[i - 1].title;
            return true;
        }
    }
    return false;
}

namespace {

// The Windows 10 console's default palette, in console colour order.
const COLORREF kDefaultColors[16] = {0x0C0C0C, 0xDA3700, 0x0EA113, 0xDD963A, 0x1F0FC5, 0x981788, 0x009CC1, 0xCCCCCC,
                                     0x767676, 0xFF783B, 0x0CC616, 0xD6D661, 0x5648E7, 0x9E00B4, 0xA5F1F9, 0xF2F2F2};

}  // namespace

void SetMirrorColor(int index, COLORREF color) {
    C().colors[index & 0x0F] = color;
}

void ResetMirrorColor(int index) {
    C().colors[index & 0x0F] = kDefaultColors[index & 0x0F];
}

namespace {

// A console window of 120 columns in the default font, placed as Windows
// places a new console.
const RECT kConsoleRect = {200, 120, 1193, 639};

}  // namespace

// A fresh classic console with its window, which the window table (reset
// before it) holds.
void ResetConsole() {
    Console &console = C();
    console = Console();
    for (int i = 0; i < 16; ++i) console.colors[i] = kDefaultColors[i];
    console.attribute = 0x07;
    console.popupAttribute = 0xF5;
    console.inputMode = ENABLE_PROCESSED_INPUT | ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | 0x01F0;
    console.outputMode = ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT;
    console.title = u"TCC";
    ResetConsoleVt();
    ResizeScreen(120, 30);
    console.view = {0, 0, 119, 29};
    console.cursor = {0, 0};
    ResetStandardStreams();

    sim::WindowSpec spec;
    spec.className = u"ConsoleWindowClass";
    spec.rect = kConsoleRect;
    console.window = sim::CreateSimWindow(spec);
}

}  // namespace winsim

WINSIM_API DWORD WINAPI GetConsoleTitleW(LPWSTR title, DWORD size) {
    if (sim::ShouldFail("GetConsoleTitleW")) return 0;
    if (!title && size > 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::u16string &current = C().title;
    CopyTruncated(current, title, size);
    return static_cast<DWORD>(current.size());
}

WINSIM_API BOOL WINAPI SetConsoleTitleW(LPCWSTR title) {
    if (sim::ShouldFail("SetConsoleTitleW")) return FALSE;
    if (!title) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    ChangeConsoleTitle(title);
    return TRUE;
}

// The test side of the console: set it up and read back what was done.
namespace {

bool Inside(SHORT x, SHORT y) {
    const winsim::Console &console = winsim::C();
    return x >= 0 && y >= 0 && x < console.columns && y < console.rows;
}

}  // namespace

namespace sim {

// The window shows the whole width and at most 30 rows, as a console
// window opened with a tall scroll-back buffer does.
void SetConsoleSize(SHORT columns, SHORT rows) {
    if (columns <= 0 || rows <= 0) return;
    winsim::Console &console = winsim::C();
    winsim::ResizeScreen(columns, rows);
    SHORT height = rows < 30 ? rows : 30;
    console.view = {0, 0, static_cast<SHORT>(columns - 1), static_cast<SHORT>(height - 1)};
    console.cursor = {0, 0};
}

CONSOLE_SCREEN_BUFFER_INFOEX ConsoleInfo() {
    CONSOLE_SCREEN_BUFFER_INFOEX info = {};
    winsim::FillBufferInfo(info);
    return info;
}

void SetConsoleAttribute(WORD attribute) {
    winsim::C().attribute = attribute;
}

void SetConsoleColorTable(const COLORREF table[16]) {
    for (int i = 0; i < 16; ++i) winsim::C().colors[i] = table[i];
}

WCHAR CellChar(SHORT x, SHORT y) {
    return Inside(x, y) ? winsim::CellAt(x, y).ch : 0;
}

WORD CellAttribute(SHORT x, SHORT y) {
    return Inside(x, y) ? winsim::CellAt(x, y).attribute : 0;
}

void SetCellAttribute(SHORT x, SHORT y, WORD attribute) {
    if (Inside(x, y)) winsim::CellAt(x, y).attribute = attribute;
}

std::u16string RowText(SHORT y) {
    if (!Inside(0, y)) return std::u16string();
    std::u16string text;
    for (SHORT x = 0; x < winsim::C().columns; ++x) text.push_back(winsim::CellAt(x, y).ch);
    size_t end = text.find_last_not_of(u' ');
    return end == std::u16string::npos ? std::u16string() : text.substr(0, end + 1);
}

std::u16string ConsoleLog() {
    return winsim::C().log;
}

std::u16string ConsoleTitle() {
    return winsim::C().title;
}

void SetConsoleProcesses(const std::vector<DWORD> &pids) {
    winsim::Console &console = winsim::C();
    console.processes = pids;
    console.processesSet = true;
}

}  // namespace sim
