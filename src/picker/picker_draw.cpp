// Drawing the picker into a grid of cells: the views line, the list beside
// the sample pane, the filter line and the key hints. Everything is drawn
// in palette indexes and in the highlighted scheme's own attributes, so the
// previewed palette shows it as the user would see that scheme. The frame
// is ASCII only, for raster fonts.
#include "../base/base.h"
#include "picker.h"

namespace {

constexpr size_t LINE_SIZE = 512;
constexpr SHORT MIN_PANE_COLUMNS = 30;
constexpr SHORT HEADER_ROWS = 2;  // the views line and a rule
constexpr SHORT FOOTER_ROWS = 3;  // a rule, the filter line, the hints

// The attributes the frame uses when no scheme is highlighted.
constexpr WORD PLAIN_ATTRIBUTE = 0x07;

// A cell as a sequence at most: its character after "ESC[97;107m".
constexpr size_t SEQUENCE_CELL_SIZE = 12;

struct Grid {
    CHAR_INFO *cells;
    SHORT columns;
    SHORT rows;
};

// Writes `text` at (x, y), at most `width` cells, in `attribute`; returns
// the column after it. Cells outside the grid are left alone.
SHORT Put(const Grid *grid, SHORT x, SHORT y, LPCWSTR text, WORD attribute, SHORT width) {
    if (y < 0 || y >= grid->rows) return x;
    CHAR_INFO *row = grid->cells + static_cast<size_t>(y) * grid->columns;
    for (SHORT n = 0; text[n] && n < width && x < grid->columns; ++n, ++x) {
        row[x].Char.UnicodeChar = text[n];
        row[x].Attributes = attribute;
    }
    return x;
}

void Fill(const Grid *grid, SHORT x, SHORT y, SHORT width, WCHAR c, WORD attribute) {
    if (y < 0 || y >= grid->rows) return;
    CHAR_INFO *row = grid->cells + static_cast<size_t>(y) * grid->columns;
    for (SHORT end = x + width; x < end && x < grid->columns; ++x) {
        row[x].Char.UnicodeChar = c;
        row[x].Attributes = attribute;
    }
}

// A line of `width` cells: `text`, then blanks.
void PutLine(const Grid *grid, SHORT x, SHORT y, LPCWSTR text, WORD attribute, SHORT width) {
    SHORT end = Put(grid, x, y, text, attribute, width);
    Fill(grid, end, y, static_cast<SHORT>(x + width - end), TEXT(' '), attribute);
}

const LPCWSTR VIEW_NAMES[PICKER_VIEW_COUNT] = {TEXT("All"), TEXT("Dark"), TEXT("Light")};

void DrawViews(const Grid *grid, const PickerModel *model, WORD attribute) {
    SHORT x = Put(grid, 0, 0, TEXT(" Vivanta  "), attribute, grid->columns);
    for (int v = 0; v < PICKER_VIEW_COUNT; ++v) {
        WCHAR text[32];
        bool current = model->view == v;
        Format(text, 32, TEXT("%c%s %u%c "), current ? TEXT('[') : TEXT(' '), VIEW_NAMES[v],
               static_cast<unsigned>(model->viewCounts[v]), current ? TEXT(']') : TEXT(' '));
        x = Put(grid, x, 0, text, attribute, static_cast<SHORT>(grid->columns - x));
    }
    Fill(grid, x, 0, static_cast<SHORT>(grid->columns - x), TEXT(' '), attribute);
    Fill(grid, 0, 1, grid->columns, TEXT('-'), attribute);
}

unsigned DigitsOf(DWORD n) {
    unsigned digits = 1;
    while (n >= 10) {
        n /= 10;
        ++digits;
    }
    return digits;
}

// One row: ">" on the highlighted one, its number in the list, "*" on
// the scheme in effect at the start, the name, the class and the
// readability mark as /C gives it.
void DrawListRow(const Grid *grid, const PickerModel *model, DWORD row, SHORT y, SHORT width, WORD attribute) {
    DWORD position = model->visible[row];
    const ColorScheme *scheme = model->schemes[position];
    bool highlighted = row == model->highlight;
    WCHAR mark = ReadabilityMark(LowestReadablePair(scheme).ratio);
    LPCWSTR kind = scheme->dark ? TEXT("dark ") : TEXT("light");
    int digits = static_cast<int>(DigitsOf(model->count));
    int nameWidth = width - digits - 12;
    if (nameWidth < 1) nameWidth = 1;
    WCHAR text[LINE_SIZE];
    Format(text, LINE_SIZE, TEXT("%c%*u%c %-*.*s %s %c"), highlighted ? TEXT('>') : TEXT(' '), digits,
           static_cast<unsigned>(position + 1), position == model->initial ? TEXT('*') : TEXT(' '), nameWidth,
           nameWidth, scheme->name, kind, mark);
    PutLine(grid, 0, y, text, highlighted ? InverseAttribute(attribute) : attribute, width);
}

void DrawList(const Grid *grid, const PickerModel *model, SHORT top, SHORT height, SHORT width, WORD attribute) {
    for (SHORT n = 0; n < height; ++n) {
        DWORD row = model->top + static_cast<DWORD>(n);
        if (row < model->visibleCount) {
            DrawListRow(grid, model, row, static_cast<SHORT>(top + n), width, attribute);
        } else if (n == 0 && model->visibleCount == 0) {
            PutLine(grid, 0, top, TEXT("  No scheme matches."), attribute, width);
        } else {
            Fill(grid, 0, static_cast<SHORT>(top + n), width, TEXT(' '), attribute);
        }
    }
}

// ---- the sample pane ----

struct ColorDirLine {
    const Grid *grid;
    SHORT start;
    SHORT x;
    SHORT y;
    SHORT end;
    SHORT lines;  // lines used so far, at most two
    WORD background;
};

// Each ColorDir entry the host can read, its patterns in its own colours,
// as a directory listing shows them.
void DrawColorDirEntry(const ReadablePair *pair, void *context) {
    ColorDirLine *line = static_cast<ColorDirLine *>(context);
    if (pair->directive || line->lines >= 2) return;
    SHORT length = static_cast<SHORT>(pair->entryLength < 12 ? pair->entryLength : 12);
    if (line->x + length + 2 > line->end) {
        if (++line->lines >= 2) return;
        ++line->y;
        line->x = line->start;
    }
    WCHAR text[16];
    Format(text, 16, TEXT("%.*s"), static_cast<int>(length), pair->entry);
    WORD attribute = static_cast<WORD>((pair->background << 4) | pair->foreground);
    line->x = Put(line->grid, line->x, line->y, text, attribute, length);
    line->x = Put(line->grid, line->x, line->y, TEXT("  "), line->background, 2);
}

void DrawColorDir(const Grid *grid, const ColorScheme *scheme, SHORT x, SHORT y, SHORT width) {
    WORD std = static_cast<WORD>(scheme->StdColors & 0xFF);
    Fill(grid, x, y, width, TEXT(' '), std);
    Fill(grid, x, static_cast<SHORT>(y + 1), width, TEXT(' '), std);
    ColorDirLine line = {
        grid, static_cast<SHORT>(x + 1), static_cast<SHORT>(x + 1), y, static_cast<SHORT>(x + width), 0, std};
    VisitReadablePairs(scheme, DrawColorDirEntry, &line);
    if (line.x == x + 1 && line.y == y) Put(grid, static_cast<SHORT>(x + 1), y, TEXT("notes.txt  tools"), std, width);
}

// The sixteen colours, eight to a line, each numbered in a colour that
// stands out from it.
void DrawSwatches(const Grid *grid, const ColorScheme *scheme, SHORT x, SHORT y, SHORT width, WORD std) {
    for (int line = 0; line < 2; ++line) {
        SHORT row = static_cast<SHORT>(y + line);
        Fill(grid, x, row, width, TEXT(' '), std);
        for (int n = 0; n < 8; ++n) {
            int index = line * 8 + n;
            WCHAR text[8];
            Format(text, 8, TEXT("%2d "), index);
            WORD foreground = IsDarkColor(scheme->palette[index]) ? 15 : 0;
            Put(grid, static_cast<SHORT>(x + 1 + n * 3), row, text, static_cast<WORD>((index << 4) | foreground), 3);
        }
    }
}

void DrawSample(const Grid *grid, const ColorScheme *scheme, SHORT x, SHORT top, SHORT height, SHORT width) {
    WORD std = static_cast<WORD>(scheme->StdColors & 0xFF);
    for (SHORT n = 0; n < height; ++n) Fill(grid, x, static_cast<SHORT>(top + n), width, TEXT(' '), std);
    SHORT y = top;
    SHORT end = Put(grid, x, y, TEXT(" C:\\Users\\ann>"), std, width);
    Put(grid, end, y++, TEXT("dir /w *.txt"), static_cast<WORD>(scheme->InputColors & 0xFF),
        static_cast<SHORT>(x + width - end));
    Put(grid, x, y++, TEXT(" Volume in drive C is System"), std, width);
    Put(grid, x, y++, TEXT(" File not found \"notes.txt\""), static_cast<WORD>(scheme->ErrorColors & 0xFF), width);
    DrawColorDir(grid, scheme, x, y, width);
    y = static_cast<SHORT>(y + 2);
    PutLine(grid, x, y++, TEXT(" LIST  notes.txt  Line 1  Col 1"), static_cast<WORD>(scheme->ListStatBarColors & 0xFF),
            width);
    PutLine(grid, x, y++, TEXT(" a selected line"), static_cast<WORD>(scheme->SelectedColors & 0xFF), width);
    DrawSwatches(grid, scheme, x, y, width, std);
    y = static_cast<SHORT>(y + 2);
    ReadablePair lowest = LowestReadablePair(scheme);
    WCHAR ratio[RATIO_TEXT_SIZE];
    FormatRatio(lowest.ratio, ratio);
    WCHAR text[LINE_SIZE];
    if (lowest.directive) {
        Format(text, LINE_SIZE, TEXT(" Lowest %s:1 %c %s"), ratio, ReadabilityMark(lowest.ratio), lowest.directive);
    } else {
        Format(text, LINE_SIZE, TEXT(" Lowest %s:1 %c ColorDir %.*s"), ratio, ReadabilityMark(lowest.ratio),
               static_cast<int>(lowest.entryLength), lowest.entry);
    }
    Put(grid, x, y, text, std, width);
}

// ---- the footer ----

void DrawFooter(const Grid *grid, const PickerModel *model, WORD attribute) {
    SHORT y = static_cast<SHORT>(grid->rows - FOOTER_ROWS);
    Fill(grid, 0, y, grid->columns, TEXT('-'), attribute);
    WCHAR text[LINE_SIZE];
    WCHAR counts[48];
    Format(counts, 48, TEXT("%u of %u "), static_cast<unsigned>(model->visibleCount),
           static_cast<unsigned>(model->viewCounts[model->view]));
    SHORT countsWidth = static_cast<SHORT>(StrLen(counts));
    Format(text, LINE_SIZE, TEXT(" Filter: %s_"), model->filter);
    PutLine(grid, 0, static_cast<SHORT>(y + 1), text, attribute, static_cast<SHORT>(grid->columns - countsWidth));
    Put(grid, static_cast<SHORT>(grid->columns - countsWidth), static_cast<SHORT>(y + 1), counts, attribute,
        countsWidth);
    Format(text, LINE_SIZE, TEXT(" Arrows move  Tab view  ^R random  Enter keep  Esc %s"),
           model->filterLength ? TEXT("clear") : TEXT("cancel"));
    PutLine(grid, 0, static_cast<SHORT>(y + 2), text, attribute, grid->columns);
}

// The SGR number of console colour `index`: the terminal numbers its
// colours in ANSI order, bright ones from 90 (foreground) or 100.
int SgrColour(int index, int base) {
    int ansi = ConsoleSlotOfAnsi(index);
    return ansi < 8 ? base + ansi : base + 60 + ansi - 8;
}

}  // namespace

void DrawPicker(PickerModel *model, CHAR_INFO *cells, SHORT columns, SHORT rows) {
    Grid grid = {cells, columns, rows};
    const ColorScheme *scheme = PickerHighlighted(model);
    WORD attribute = scheme ? static_cast<WORD>(scheme->StdColors & 0xFF) : PLAIN_ATTRIBUTE;
    if (columns < PICKER_MIN_COLUMNS || rows < PICKER_MIN_ROWS) {
        for (SHORT y = 0; y < rows; ++y) Fill(&grid, 0, y, columns, TEXT(' '), attribute);
        WCHAR text[LINE_SIZE];
        Format(text, LINE_SIZE, TEXT("Make the window at least %d x %d"), PICKER_MIN_COLUMNS, PICKER_MIN_ROWS);
        Put(&grid, 0, 0, text, attribute, columns);
        return;
    }
    SHORT paneWidth = static_cast<SHORT>(columns / 2 < MIN_PANE_COLUMNS ? MIN_PANE_COLUMNS : columns / 2);
    SHORT listWidth = static_cast<SHORT>(columns - paneWidth - 1);
    SHORT height = static_cast<SHORT>(rows - HEADER_ROWS - FOOTER_ROWS);
    PickerSetPageRows(model, static_cast<DWORD>(height));
    DrawViews(&grid, model, attribute);
    DrawList(&grid, model, HEADER_ROWS, height, listWidth, attribute);
    for (SHORT n = 0; n < height; ++n)
        Fill(&grid, listWidth, static_cast<SHORT>(HEADER_ROWS + n), 1, TEXT('|'), attribute);
    if (scheme) {
        DrawSample(&grid, scheme, static_cast<SHORT>(listWidth + 1), HEADER_ROWS, height, paneWidth);
    } else {
        for (SHORT n = 0; n < height; ++n) {
            Fill(&grid, static_cast<SHORT>(listWidth + 1), static_cast<SHORT>(HEADER_ROWS + n), paneWidth, TEXT(' '),
                 attribute);
        }
    }
    DrawFooter(&grid, model, attribute);
}

size_t PickerSequencesSize(SHORT columns, SHORT rows) {
    return static_cast<size_t>(columns) * rows * SEQUENCE_CELL_SIZE + static_cast<size_t>(rows) * 16 + 16;
}

DWORD GridToSequences(const CHAR_INFO *cells, SHORT columns, SHORT rows, LPWSTR out, size_t capacity) {
    size_t length = 0;
    WORD attribute = 0xFFFF;
    for (SHORT y = 0; y < rows; ++y) {
        length += Format(out + length, capacity - length, TEXT("\x1b[%d;1H"), y + 1);
        for (SHORT x = 0; x < columns; ++x) {
            const CHAR_INFO *cell = cells + static_cast<size_t>(y) * columns + x;
            WORD cellAttribute = static_cast<WORD>(cell->Attributes & 0xFF);
            if (cellAttribute != attribute) {
                attribute = cellAttribute;
                length += Format(out + length, capacity - length, TEXT("\x1b[%d;%dm"), SgrColour(attribute & 0x0F, 30),
                                 SgrColour(attribute >> 4, 40));
            }
            WCHAR c = cell->Char.UnicodeChar;
            if (length + 1 < capacity) out[length++] = c < 0x20 || c == 0x7F ? TEXT(' ') : c;
        }
    }
    out[length] = 0;
    return static_cast<DWORD>(length);
}
