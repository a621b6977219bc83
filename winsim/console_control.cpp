// The test side of the console: set it up and read back what was done.
#include "world.h"

namespace {

bool Inside(SHORT x, SHORT y) {
    const winsim::Console &console = winsim::W().console;
    return x >= 0 && y >= 0 && x < console.columns && y < console.rows;
}

}  // namespace

namespace sim {

// The window shows the whole width and at most 30 rows, as a console
// window opened with a tall scroll-back buffer does.
void SetConsoleSize(SHORT columns, SHORT rows) {
    if (columns <= 0 || rows <= 0) return;
    winsim::Console &console = winsim::W().console;
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

void SetConsoleAttribute(WORD attribute) { winsim::W().console.attribute = attribute; }

void SetConsoleColorTable(const COLORREF table[16]) {
    for (int i = 0; i < 16; ++i) winsim::W().console.colors[i] = table[i];
}

WCHAR CellChar(SHORT x, SHORT y) { return Inside(x, y) ? winsim::CellAt(x, y).ch : 0; }

WORD CellAttribute(SHORT x, SHORT y) { return Inside(x, y) ? winsim::CellAt(x, y).attribute : 0; }

void SetCellAttribute(SHORT x, SHORT y, WORD attribute) {
    if (Inside(x, y)) winsim::CellAt(x, y).attribute = attribute;
}

std::u16string RowText(SHORT y) {
    if (!Inside(0, y)) return std::u16string();
    std::u16string text;
    for (SHORT x = 0; x < winsim::W().console.columns; ++x) text.push_back(winsim::CellAt(x, y).ch);
    size_t end = text.find_last_not_of(u' ');
    return end == std::u16string::npos ? std::u16string() : text.substr(0, end + 1);
}

std::u16string ConsoleLog() { return winsim::W().console.log; }

std::u16string ConsoleTitle() { return winsim::W().console.title; }

void SetConsoleProcesses(const std::vector<DWORD> &pids) {
    winsim::Console &console = winsim::W().console;
    console.processes = pids;
    console.processesSet = true;
}

}  // namespace sim
