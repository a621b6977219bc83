// Applying a scheme, step by step in a fixed order. An unreadable console,
// or one that takes no new colours, stops it before anything else changes;
// every later step that fails is passed over, so that as much of the scheme
// as possible takes effect. Text already on the screen keeps its look
// relative to the new scheme, and the windows that show the console are told
// to repaint at once in the new palette. Under a pseudoconsole whose user
// asked for it, the colours go to the terminal as VT sequences instead of
// into the console's palette; nothing else about an application changes.
#include "../base/base.h"
#include "../plugin/host.h"
#include "palette.h"

PaletteGlobals g_palette = {{0}, 0};

namespace {

constexpr size_t KEY_NAME_SIZE = 1024;
constexpr int32_t ENTER_KEY_CODE = 13;
constexpr DWORD WINDOW_TEXT_SIZE = 1024;          // IPC answers
constexpr LONG RECOLOUR_BAND_ROWS = 128;          // rows re-coloured per read and write
constexpr DWORD FIRST_DIRECTIVE_24_VERSION = 24;  // hosts that know SelectedColors
constexpr DWORD FIRST_VIEW_HOST_VERSION = 28;     // hosts with a Take Command view to repaint
constexpr WORD NO_CHANGE = 0xFFFF;
constexpr UINT REPAINT_FLAGS = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN;

// ---- what the previous application left ----

WORD PreviousAttribute(LPCWSTR name, WORD attributeByte, LONG base) {
    DWORD value = static_cast<DWORD>(QueryAttributeOption(name, base)) & 0xFFFF;
    if (value == 0) return attributeByte;
    // An attribute the console could not show (equal nibbles) or that no
    // cell can hold (above 255, an overflow) must never match a cell.
    if (value > 0xFF || (value & 0x0F) == (value >> 4)) return 0xFFFF;
    return static_cast<WORD>(value);
}

// ---- re-colouring the text on the screen ----

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

// True when at least one cell changed.
bool RecolourBand(WORD *cells, DWORD count, const WORD table[256]) {
    bool changed = false;
    for (DWORD i = 0; i < count; ++i) {
        WORD cell = cells[i];
        WORD replacement = table[cell & 0xFF];
        if (replacement == NO_CHANGE) continue;
        // The high byte (grid lines, reverse video) stays as it was.
        WORD updated = static_cast<WORD>((cell & 0xFF00) | replacement);
        if (updated != cell) {
            cells[i] = updated;
            changed = true;
        }
    }
    return changed;
}

// ---- colours as VT sequences, for the terminal behind a pseudoconsole ----

constexpr DWORD SEQUENCE_MODE = ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING;

// One OSC with its ST; `index` is -1 for none (OSC 10 and 11). Two hex
// digits per component is the one form old and new terminals read alike.
DWORD AppendColourSequence(LPWSTR out, DWORD length, int code, int index, DWORD colorRef) {
    WCHAR number[8] = {0};
    if (index >= 0) Format(number, 8, TEXT("%d;"), index);
    return length + static_cast<DWORD>(Format(
                        out + length, SEQUENCES_SIZE - length, TEXT("\x1b]%d;%srgb:%02x/%02x/%02x\x1b\\"), code, number,
                        static_cast<unsigned>(colorRef & 0xFF), static_cast<unsigned>((colorRef >> 8) & 0xFF),
                        static_cast<unsigned>((colorRef >> 16) & 0xFF)));
}

// The sixteen colours in the terminal's (ANSI) order, then its own default
// text and background: those of StdColors, so that the shell's text, blank
// cells and the window's padding agree. StdColors with equal nibbles would
// hide the text; entries 7 and 0 keep it readable.
DWORD BuildSchemeSequences(const ColorScheme *scheme, LPWSTR out) {
    DWORD length = 0;
    out[0] = 0;
    for (int ansi = 0; ansi < 16; ++ansi) {
        length = AppendColourSequence(out, length, 4, ansi, scheme->palette[ConsoleSlotOfAnsi(ansi)]);
    }
    int text = scheme->StdColors & 0x0F, background = (scheme->StdColors >> 4) & 0x0F;
    if (text == background) {
        text = 7;
        background = 0;
    }
    length = AppendColourSequence(out, length, 10, -1, scheme->palette[text]);
    return AppendColourSequence(out, length, 11, -1, scheme->palette[background]);
}

// One write, so that the host parses the whole buffer under one lock and
// no other output lands between two sequences. Without both mode flags
// the host would print the sequences as text, so nothing is written when
// the mode cannot be set; the mode goes back to what it was either way.
bool WriteSequences(LPCWSTR text, DWORD length) {
    DWORD saved = 0;
    if (!GetConsoleMode(g_plugin.console, &saved)) return false;
    if (!SetConsoleMode(g_plugin.console, saved | SEQUENCE_MODE)) return false;
    DWORD written = 0;
    bool whole = WriteConsoleW(g_plugin.console, text, length, &written, nullptr) && written == length;
    SetConsoleMode(g_plugin.console, saved);
    return whole;
}

// The terminal's palette takes the scheme; the sequences are kept, since the
// terminal may put its own colours back later.
bool SendSchemeToTerminal(const ColorScheme *scheme) {
    WCHAR sequences[SEQUENCES_SIZE];
    DWORD length = BuildSchemeSequences(scheme, sequences);
    if (!WriteSequences(sequences, length)) return false;
    StrCopy(g_palette.lastSequences, SEQUENCES_SIZE, sequences);
    g_palette.lastLength = length;
    return true;
}

// ---- the steps of an application ----

// The console keeps every field it reported except the colours; the window
// rectangle goes back with its right and bottom edges one further out,
// because Windows' set call reads them as exclusive where the get call
// reports them inclusive. A console that reads them inclusive, as Wine's
// does, refuses a rectangle one past its buffer as an invalid parameter:
// that console gets the rectangle exactly as it reported it. False when the
// colours were not written.
bool WriteBufferInfo(HANDLE buffer, CONSOLE_SCREEN_BUFFER_INFOEX *info) {
    ++info->srWindow.Right;
    ++info->srWindow.Bottom;
    if (!g_plugin.setBufferInfoEx) return false;
    if (g_plugin.setBufferInfoEx(buffer, info)) return true;
    if (GetLastError() != ERROR_INVALID_PARAMETER) return false;
    --info->srWindow.Right;
    --info->srWindow.Bottom;
    return g_plugin.setBufferInfoEx(buffer, info) != FALSE;
}

bool WriteSchemeToConsole(CONSOLE_SCREEN_BUFFER_INFOEX *info, const ColorScheme *scheme) {
    for (int i = 0; i < 16; ++i) info->ColorTable[i] = scheme->palette[i];
    info->wAttributes = scheme->StdColors;
    return WriteBufferInfo(g_plugin.console, info);
}

void SetHostDirectives(const ColorScheme *scheme) {
    // Hosts before version 24 have no SelectedColors directive.
    int count = g_plugin.hostVersion >= FIRST_DIRECTIVE_24_VERSION ? DIRECTIVE_COUNT : DIRECTIVE_COUNT - 1;
    WCHAR line[OPTION_TEXT_SIZE];
    for (int i = 0; i < count; ++i) {
        Format(line, OPTION_TEXT_SIZE, TEXT("option //%s=%d"), DIRECTIVE_NAMES[i],
               static_cast<int>(SchemeDirective(scheme, i)));
        Command(line, 0);
    }
}

// A scheme without directory colours leaves no variable behind rather than
// an empty one.
void SetColorDirVariable(const ColorScheme *scheme) {
    SetEnvironmentVariableW(TEXT("ColorDir"), scheme->ColorDir[0] ? scheme->ColorDir : nullptr);
}

// The hotkey's keystroke becomes Enter on an emptied command line, so that
// the host draws a fresh prompt in the new colours.
void TurnKeystrokeIntoEnter(KeyInfo *key) {
    if (IsExtendedHost()) {
        if (key->keyName) StrCopy(key->keyName, KEY_NAME_SIZE, TEXT("Enter"));
        key->keyCode = 0;
    } else {
        key->keyCode = ENTER_KEY_CODE;
    }
    if (key->position[0] != 0) --key->position[0];
    ClearEditLine(key->line);
    if (key->line) key->line[0] = 0;
    key->cursor = key->line;
    key->redraw = 1;
}

// ---- repainting ----

int Repaint(HWND window) {
    if (!window || !IsWindowVisible(window)) return 0;
    return RedrawWindow(window, nullptr, nullptr, REPAINT_FLAGS) ? 1 : 0;
}

// The window that shows the console inside Take Command's `mainWindow`:
// the parent of the view the host names, else the child found by title.
HWND FindConsoleDisplay(HWND mainWindow, LPWSTR reply) {
    reply[0] = 0;
    TakeCommandIPC(TEXT("HVIEW"), reply);
    reply[WINDOW_TEXT_SIZE - 1] = 0;
    HWND view = WindowFromDecimal(reply);
    if (view) {
        HWND parent = GetParent(view);
        if (parent && parent != view && parent != mainWindow) return parent;
    }
    return FindViewByTitle(mainWindow, &CONSOLE_VIEW_SEARCH);
}

}  // namespace

// Take Command's console view shows the console's title a moment after it
// changes: a title nobody else uses picks the view out of the main window's
// children.
const ViewTitleSearch CONSOLE_VIEW_SEARCH = {TEXT("\u2039%08X-%04X\u203A"), nullptr, 30, 200, 10};

void ReadPreviousAttributes(WORD currentAttribute, PreviousAttributes *previous) {
    WORD attributeByte = currentAttribute & 0xFF;
    LONG base = AttributeOrDefault(currentAttribute);
    previous->std = PreviousAttribute(DIRECTIVE_NAMES[0], attributeByte, base);
    previous->input = PreviousAttribute(DIRECTIVE_NAMES[1], attributeByte, base);
    previous->error = PreviousAttribute(DIRECTIVE_NAMES[2], attributeByte, base);
}

int RecolourScreen(SHORT columns, SHORT rows, const PreviousAttributes *previous, const ColorScheme *scheme) {
    return RecolourRows(columns, 0, rows, previous, scheme);
}

int RecolourRows(SHORT columns, SHORT top, SHORT bottom, const PreviousAttributes *previous,
                 const ColorScheme *scheme) {
    if (columns <= 0 || top < 0 || bottom <= top) return 0;
    // One band buffer whatever the buffer's height: a 9999-row scroll-back
    // costs no more memory than a 128-row one.
    DWORD bandCells = static_cast<DWORD>(columns) * RECOLOUR_BAND_ROWS;
    WORD *band = static_cast<WORD *>(MemAlloc(bandCells * sizeof(WORD)));
    if (!band) return -1;

    WORD table[256];
    BuildRecolourTable(previous, scheme, table);
    int bandsWritten = 0;
    for (LONG first = top; first < bottom; first += RECOLOUR_BAND_ROWS) {
        LONG bandRows = bottom - first < RECOLOUR_BAND_ROWS ? bottom - first : RECOLOUR_BAND_ROWS;
        DWORD length = static_cast<DWORD>(columns) * static_cast<DWORD>(bandRows);
        COORD start = {0, static_cast<SHORT>(first)};
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

ApplyResult ApplyScheme(const ColorScheme *scheme, KeyInfo *key) {
    if (!scheme) return APPLY_NO_SCHEME;
    CONSOLE_SCREEN_BUFFER_INFOEX info;
    if (!ReadConsoleInfo(&info)) return APPLY_NO_CONSOLE;

    // Read before anything changes: the host's options still describe the
    // colours of the text on the screen.
    PreviousAttributes previous;
    ReadPreviousAttributes(info.wAttributes, &previous);
    SHORT columns = info.dwSize.X, rows = info.dwSize.Y;

    // Nothing has changed yet: a console that kept its colours keeps the
    // text's colours, the host's directives and ColorDir in step with them.
    if (UsesSequences()) {
        if (!SendSchemeToTerminal(scheme)) return APPLY_NOT_WRITTEN;
        // The host forwards a new current attribute to the terminal; a
        // palette write would not reach it. The host holds only the
        // window's rows, and the terminal gets the cells it changes there.
        SetConsoleTextAttribute(g_plugin.console, scheme->StdColors);
        LONG bottom = info.srWindow.Bottom < rows ? info.srWindow.Bottom + 1 : rows;
        RecolourRows(columns, info.srWindow.Top, static_cast<SHORT>(bottom), &previous, scheme);
    } else {
        if (!WriteSchemeToConsole(&info, scheme)) return APPLY_NOT_WRITTEN;
        RecolourScreen(columns, rows, &previous, scheme);
    }
    SetHostDirectives(scheme);
    SetColorDirVariable(scheme);
    if (key) TurnKeystrokeIntoEnter(key);
    RepaintConsoleWindows();
    return APPLY_DONE;
}

int RepaintConsoleWindows(void) {
    int count = Repaint(GetConsoleWindow());
    if (g_plugin.hostVersion < FIRST_VIEW_HOST_VERSION) return count;

    WCHAR reply[WINDOW_TEXT_SIZE];
    reply[0] = 0;
    // Take Command reloads the console's colours on this request.
    TakeCommandIPC(TEXT("COLOR"), reply);
    reply[0] = 0;
    TakeCommandIPC(TEXT("HWND"), reply);
    reply[WINDOW_TEXT_SIZE - 1] = 0;
    HWND mainWindow = WindowFromDecimal(reply);
    if (!mainWindow || !IsWindowVisible(mainWindow)) return count;

    count += Repaint(FindConsoleDisplay(mainWindow, reply));
    return count;
}

bool WriteColorTable(HANDLE buffer, const DWORD palette[16]) {
    CONSOLE_SCREEN_BUFFER_INFOEX info = {};
    info.cbSize = sizeof info;
    if (!g_plugin.getBufferInfoEx || !g_plugin.getBufferInfoEx(buffer, &info)) return false;
    for (int i = 0; i < 16; ++i) info.ColorTable[i] = palette[i];
    return WriteBufferInfo(buffer, &info);
}

bool WriteToTerminal(LPCWSTR text, DWORD length) {
    return WriteSequences(text, length);
}

bool PreviewOnTerminal(const ColorScheme *scheme) {
    WCHAR sequences[SEQUENCES_SIZE];
    DWORD length = BuildSchemeSequences(scheme, sequences);
    return WriteSequences(sequences, length);
}

// The terminal's own palette, foreground and background (OSC 104, 110, 111).
bool RestoreTerminalColours(void) {
    if (RewriteLastScheme()) return true;
    if (g_palette.lastLength != 0) return false;
    static const WCHAR RESET[] = TEXT("\x1b]104\x1b\\\x1b]110\x1b\\\x1b]111\x1b\\");
    return WriteSequences(RESET, static_cast<DWORD>(StrLen(RESET)));
}

bool RewriteLastScheme(void) {
    if (!UsesSequences() || g_palette.lastLength == 0) return false;
    return WriteSequences(g_palette.lastSequences, g_palette.lastLength);
}

void ResetPalette(void) {
    g_palette = PaletteGlobals{{0}, 0};
}
