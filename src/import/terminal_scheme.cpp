// A terminal's scheme as a console scheme. The background and text colours
// are shown exactly: where the scheme's sixteen colours do not already hold
// them, they take a slot of their own, chosen where the loss shows least.
// The directives and ColorDir follow the built-in schemes: plain text in the
// scheme's own colours, bright white input on a dark background, red errors,
// blue status bars and the selection in the scheme's selection colours,
// none of those that mark something out on plain text's background colour.
#include <cmath>
#include <cstring>

#include "../base/base.h"
#include "import.h"

namespace {

// The slots the rules below name, console order.
enum Slot { BLACK = 0, BLUE = 1, GREEN = 2, CYAN = 3, RED = 4, WHITE = 7, BRIGHT = 8 };

// Where a colour goes when the scheme's colours lack it, best first: a dark
// scheme's black lies under its background anyway and its white is nearly
// its text; a light scheme's bright white and black likewise.
constexpr int DARK_BACKGROUND_SLOTS[] = {BLACK, BRIGHT + BLACK};
constexpr int DARK_FOREGROUND_SLOTS[] = {WHITE, BRIGHT + WHITE};
constexpr int LIGHT_BACKGROUND_SLOTS[] = {BRIGHT + WHITE, WHITE};
constexpr int LIGHT_FOREGROUND_SLOTS[] = {BLACK, BRIGHT + BLACK};

// The slot that holds `color`: `hint` when it does, else the first of
// `preferred` that does, else the lowest; NO_SLOT when none does. `taken`
// is never chosen.
int SlotHolding(const DWORD palette[16], DWORD color, int hint, const int (&preferred)[2], int taken) {
    auto holds = [&](int slot) { return slot >= 0 && slot != taken && palette[slot] == color; };
    if (holds(hint)) return hint;
    for (int slot : preferred) {
        if (holds(slot)) return slot;
    }
    for (int slot = 0; slot < 16; ++slot) {
        if (holds(slot)) return slot;
    }
    return NO_SLOT;
}

// The first preferred slot that is not `taken`.
int FreeSlot(const int (&preferred)[2], int taken) {
    return preferred[0] != taken ? preferred[0] : preferred[1];
}

// A background that marks something out differs from the scheme's own by
// at least this contrast: enough to see at a glance, though not enough to
// read text in one on the other.
constexpr double MARKED_OUT_RATIO = 1.5;

// The slot of the palette nearest to `color`, never `avoid`, and only among
// colours at least MARKED_OUT_RATIO from `apartFrom` unless that is
// UNSET_COLOR; NO_SLOT when no slot qualifies. Nearest in plain RGB
// distance, the one measure every selection colour is placed by.
int NearestSlot(const DWORD palette[16], DWORD color, int avoid, DWORD apartFrom = UNSET_COLOR) {
    int best = NO_SLOT;
    long bestDistance = 0;
    for (int slot = 0; slot < 16; ++slot) {
        if (slot == avoid) continue;
        if (apartFrom != UNSET_COLOR && ContrastRatio(palette[slot], apartFrom) < MARKED_OUT_RATIO) continue;
        long distance = 0;
        for (int shift = 0; shift < 24; shift += 8) {
            long delta =
                static_cast<long>((palette[slot] >> shift) & 0xFF) - static_cast<long>((color >> shift) & 0xFF);
            distance += delta * delta;
        }
        if (best == NO_SLOT || distance < bestDistance) {
            best = slot;
            bestDistance = distance;
        }
    }
    return best;
}

WORD Attribute(int background, int foreground) {
    return static_cast<WORD>((background << 4) | foreground);
}

// `wanted` as text on `background`, or the scheme's text colour where
// `wanted` is the background itself.
WORD TextOn(int background, int wanted, int foreground) {
    return Attribute(background, wanted != background ? wanted : foreground);
}

// A directive that marks something out (a selection, an inverse line, a
// status bar) as `attribute`, unless its background shows the same colour
// as `standard`'s, which would mark nothing: then the slot nearest to
// `wanted` (the colour it was after) that stands apart from that
// background, else reverse video of `standard`. Its text keeps its slot
// unless that shows the new background's colour; then it is the scheme's
// text, or where that too is the new background's colour, the scheme's
// background, as for a selection without a text colour of its own.
WORD MarkedOut(const DWORD palette[16], WORD attribute, DWORD wanted, WORD standard) {
    int back = standard >> 4, text = standard & 0xF;
    if (palette[attribute >> 4] != palette[back]) return attribute;
    int marked = NearestSlot(palette, wanted, NO_SLOT, palette[back]);
    if (marked == NO_SLOT) return Attribute(text, back);
    int markedText = attribute & 0xF;
    if (palette[markedText] == palette[marked]) markedText = palette[text] != palette[marked] ? text : back;
    return Attribute(marked, markedText);
}

}  // namespace

void InitTerminalScheme(TerminalScheme *source) {
    for (DWORD &color : source->ansi) color = UNSET_COLOR;
    source->background = source->foreground = UNSET_COLOR;
    source->selectionBackground = source->selectionForeground = UNSET_COLOR;
    source->backgroundSlot = source->foregroundSlot = NO_SLOT;
    source->popupBackgroundSlot = source->popupForegroundSlot = NO_SLOT;
}

void BuildTerminalScheme(const TerminalScheme *source, ColorScheme *scheme, LPWSTR colorDir, SlotPlacement *placement) {
    DWORD *palette = scheme->palette;
    for (int slot = 0; slot < 16; ++slot) palette[slot] = SwapRedAndBlue(source->ansi[ConsoleSlotOfAnsi(slot)]);
    DWORD background = SwapRedAndBlue(source->background);
    DWORD foreground = SwapRedAndBlue(source->foreground);
    bool dark = IsDarkColor(background);

    // Both colours are looked for before either displaces anything, so that
    // the background never takes the one slot that already held the text.
    const int(&backSlots)[2] = dark ? DARK_BACKGROUND_SLOTS : LIGHT_BACKGROUND_SLOTS;
    const int(&textSlots)[2] = dark ? DARK_FOREGROUND_SLOTS : LIGHT_FOREGROUND_SLOTS;
    int back = SlotHolding(palette, background, source->backgroundSlot, backSlots, NO_SLOT);
    int text = SlotHolding(palette, foreground, source->foregroundSlot, textSlots, back);
    placement->backgroundDisplaced = back == NO_SLOT;
    placement->foregroundDisplaced = text == NO_SLOT;
    if (back == NO_SLOT) {
        back = FreeSlot(backSlots, text);
        palette[back] = background;
    }
    if (text == NO_SLOT) {
        text = FreeSlot(textSlots, back);
        palette[text] = foreground;
    }
    placement->backgroundSlot = back;
    placement->foregroundSlot = text;

    WORD standard = Attribute(back, text);
    WORD inverse = Attribute(text, back);
    int statusBack = source->popupBackgroundSlot, statusText = source->popupForegroundSlot;
    if (statusBack == NO_SLOT || statusText == NO_SLOT || statusBack == statusText) {
        statusBack = BLUE;
        statusText = BRIGHT + WHITE;
    }
    WORD selected = inverse;
    DWORD selectionWanted = palette[text];
    if (source->selectionBackground != UNSET_COLOR) {
        selectionWanted = SwapRedAndBlue(source->selectionBackground);
        int selection = NearestSlot(palette, selectionWanted, NO_SLOT);
        int selectionText = source->selectionForeground != UNSET_COLOR
                                ? NearestSlot(palette, SwapRedAndBlue(source->selectionForeground), selection)
                                : (text != selection ? text : back);
        if (selectionText != selection) selected = Attribute(selection, selectionText);
    }

    scheme->StdColors = standard;
    scheme->InputColors = dark ? TextOn(back, BRIGHT + WHITE, text) : standard;
    scheme->ErrorColors = TextOn(back, dark ? BRIGHT + RED : RED, text);
    scheme->ListColors = standard;
    WORD statusBar = MarkedOut(palette, Attribute(statusBack, statusText), palette[statusBack], standard);
    scheme->ListStatBarColors = statusBar;
    scheme->ListInverseColors = MarkedOut(palette, inverse, palette[text], standard);
    scheme->SelectColors = standard;
    scheme->SelectStatBarColors = statusBar;
    scheme->SelectedColors = MarkedOut(palette, selected, selectionWanted, standard);
    scheme->dark = dark ? 1 : 0;

    // The built-in schemes' directory colours, on this scheme's background.
    const int darkDirs[4] = {BRIGHT + RED, BRIGHT + GREEN, GREEN, BRIGHT + CYAN};
    const int lightDirs[4] = {RED, GREEN, BLUE, CYAN};
    const int *dirs = dark ? darkDirs : lightDirs;
    Format(colorDir, IMPORTED_COLOR_DIR_SIZE, TEXT("dirs:%d;com exe:%d;bat btm cmd:%d;txt doc html:%d;"),
           TextOn(back, dirs[0], text), TextOn(back, dirs[1], text), TextOn(back, dirs[2], text),
           TextOn(back, dirs[3], text));
}

BYTE ComponentToByte(double fraction) {
    if (!(fraction > 0)) return 0;  // NaN as well
    if (fraction >= 1) return 255;
    return static_cast<BYTE>(std::lround(fraction * 255));
}

void DisplayP3ToSrgb(double rgb[3]) {
    // Both spaces share the transfer curve and white point: linearise,
    // change primaries, encode again.
    double linear[3];
    for (int i = 0; i < 3; ++i) linear[i] = SrgbToLinear(rgb[i]);
    const double matrix[3][3] = {
        {1.2249401, -0.2249404, 0.0}, {-0.0420569, 1.0420571, 0.0}, {-0.0196376, -0.0786361, 1.0982735}};
    for (int i = 0; i < 3; ++i) {
        double c = matrix[i][0] * linear[0] + matrix[i][1] * linear[1] + matrix[i][2] * linear[2];
        if (c < 0) c = 0;
        if (c > 1) c = 1;
        rgb[i] = c <= 0.0031308 ? c * 12.92 : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
    }
}

void WidenUtf8(const char *text, size_t length, LPWSTR out, size_t capacity) {
    size_t written = Utf8ToUtf16(text, length, out, capacity - 1);
    out[written < capacity - 1 ? written : capacity - 1] = 0;
}

void ReportSchemeError(LPWSTR error, LPCWSTR format, LPCWSTR name, const char *key, const char *detail) {
    WCHAR wideKey[80];
    WCHAR wideDetail[64];
    WidenUtf8(key, strlen(key), wideKey, 80);
    WidenUtf8(detail, strlen(detail), wideDetail, 64);
    Format(error, IMPORT_ERROR_SIZE, format, name, wideKey, wideDetail);
}

void ReportParseError(LPWSTR error, LPCWSTR format, const char *reason, unsigned where) {
    WCHAR wideReason[128];
    WidenUtf8(reason, strlen(reason), wideReason, 128);
    Format(error, IMPORT_ERROR_SIZE, format, wideReason, where);
}
