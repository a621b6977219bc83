// The console screen buffer: cells, resizing, and text written at the
// cursor the way the classic console device processes it.
#include "world.h"

namespace winsim {

namespace {

Console &C() { return W().console; }

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

SHORT Clamp(SHORT value, SHORT low, SHORT high) { return value < low ? low : value > high ? high : value; }

}  // namespace

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

void WriteToScreen(const std::u16string &text, bool logged) {
    Console &console = C();
    if (logged) console.log += text;
    bool processed = (console.outputMode & ENABLE_PROCESSED_OUTPUT) != 0;
    bool wrap = (console.outputMode & ENABLE_WRAP_AT_EOL_OUTPUT) != 0;
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
