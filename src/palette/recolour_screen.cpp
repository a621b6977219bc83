// Text already on the screen keeps its look relative to the new scheme:
// cells drawn in the old standard, input or error colours take the new ones.
#include "../base/alloc.h"
#include "../plugin/state.h"
#include "palette.h"

namespace {

const WORD NO_CHANGE = 0xFFFF;

// New low attribute byte for every old one, or NO_CHANGE. StdColors wins
// over InputColors, which wins over ErrorColors, when two were the same.
void BuildRecolourTable(const PreviousAttributes *previous, const ColorScheme *scheme, WORD table[256]) {
    for (int i = 0; i < 256; ++i) table[i] = NO_CHANGE;
    const WORD from[3] = {previous->error, previous->input, previous->std};
    const WORD to[3] = {scheme->ErrorColors, scheme->InputColors, scheme->StdColors};
    for (int i = 0; i < 3; ++i) {
        // A cell's byte 0 is compared as 7, so 0 itself never matches.
        if (from[i] != 0 && from[i] <= 0xFF) table[from[i]] = to[i] & 0xFF;
    }
    table[0] = table[7];
}

// Returns TRUE when at least one cell changed.
BOOL RecolourBand(WORD *cells, DWORD count, const WORD table[256]) {
    BOOL changed = FALSE;
    for (DWORD i = 0; i < count; ++i) {
        WORD cell = cells[i];
        WORD replacement = table[cell & 0xFF];
        if (replacement == NO_CHANGE) continue;
        // The high byte (grid lines, reverse video) stays as it was.
        WORD updated = static_cast<WORD>((cell & 0xFF00) | replacement);
        if (updated != cell) {
            cells[i] = updated;
            changed = TRUE;
        }
    }
    return changed;
}

}  // namespace

int RecolourScreen(SHORT columns, SHORT rows, const PreviousAttributes *previous, const ColorScheme *scheme) {
    if (columns <= 0 || rows <= 0) return 0;
    // One band buffer whatever the buffer's height: a 9999-row scroll-back
    // costs no more memory than a 128-row one.
    DWORD bandCells = static_cast<DWORD>(columns) * RECOLOUR_BAND_ROWS;
    WORD *band = static_cast<WORD *>(MemAlloc(bandCells * sizeof(WORD)));
    if (!band) return -1;

    WORD table[256];
    BuildRecolourTable(previous, scheme, table);
    int bandsWritten = 0;
    for (LONG top = 0; top < rows; top += RECOLOUR_BAND_ROWS) {
        LONG bandRows = rows - top < RECOLOUR_BAND_ROWS ? rows - top : RECOLOUR_BAND_ROWS;
        DWORD length = static_cast<DWORD>(columns) * static_cast<DWORD>(bandRows);
        COORD start = {0, static_cast<SHORT>(top)};
        DWORD read = 0;
        if (!ReadConsoleOutputAttribute(g_plugin.console, band, length, start, &read) || read == 0) continue;
        if (read > length) read = length;
        if (!RecolourBand(band, read, table)) continue;
        DWORD written = 0;
        if (WriteConsoleOutputAttribute(g_plugin.console, band, read, start, &written)) ++bandsWritten;
    }
    MemFree(band);
    return bandsWritten;
}
