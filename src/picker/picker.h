// The interactive picker: a full-window list of the loaded schemes with a
// filter, three views (all, dark, light) and a sample pane, shown on a
// screen buffer of its own while the highlighted scheme's colours are
// previewed on the real console. The model is a plain record that keys
// change; drawing turns it into a grid of cells; the session runs it on the
// console and applies or puts back the colours at the end.
#pragma once
#include "../platform.h"
#include "../schemes/schemes.h"

// ---- the model (picker_model.cpp) ----

enum PickerView { PICKER_ALL = 0, PICKER_DARK = 1, PICKER_LIGHT = 2 };
constexpr int PICKER_VIEW_COUNT = 3;
constexpr DWORD PICKER_FILTER_SIZE = 64;                    // at most 63 characters typed
constexpr DWORD PICKER_FOLD_STRIDE = 2 * SCHEME_NAME_SIZE;  // a folded name, lower-cased
constexpr DWORD PICKER_NONE = 0xFFFFFFFF;

struct PickerModel {
    DWORD count;            // every loaded scheme, in list order
    ColorScheme **schemes;  // `count` entries
    WCHAR *folded;          // `count` names folded and lower-cased, PICKER_FOLD_STRIDE apart
    DWORD *visible;         // positions in `schemes` of the rows shown, `visibleCount` of them
    DWORD visibleCount;
    DWORD viewCounts[PICKER_VIEW_COUNT];
    PickerView view;
    WCHAR filter[PICKER_FILTER_SIZE];
    DWORD filterLength;
    DWORD highlight;  // a row of `visible`; meaningless while it is empty
    DWORD top;        // the first row the list shows
    DWORD pageRows;   // rows the list shows at once, set by the layout
    DWORD initial;    // the scheme in effect at the start, or PICKER_NONE
};

// Fills `model` from the scheme list, `initial` (may be null) highlighted,
// and starts with `filter` (may be null). False when memory ran out
// (nothing then held).
bool OpenPickerModel(PickerModel *model, ColorScheme *list, const ColorScheme *initial, LPCWSTR filter);
void ClosePickerModel(PickerModel *model);

// A key as the picker reads it: a key-down with its repeat count.
struct PickerKey {
    WORD virtualKey;
    WCHAR character;
    DWORD controlState;  // the console's modifier flags
    WORD repeat;
};

enum PickerOutcome { PICKER_GOING = 0, PICKER_KEEP = 1, PICKER_CANCEL = 2 };

// Carries out one key; keys the picker does not use change nothing.
PickerOutcome PickerHandleKey(PickerModel *model, const PickerKey *key);

// The highlighted scheme, or null when nothing matches.
ColorScheme *PickerHighlighted(const PickerModel *model);

// Makes the highlighted row one the list shows, for `rows` rows at once.
void PickerSetPageRows(PickerModel *model, DWORD rows);

// ---- drawing (picker_draw.cpp) ----

constexpr SHORT PICKER_MIN_COLUMNS = 60;
constexpr SHORT PICKER_MIN_ROWS = 16;

// Draws the whole picker into `cells` (`columns` x `rows`, row by row) in
// palette indexes, in the highlighted scheme's own attributes; a grid
// below the minimum size gets one line asking for a larger window. Adjusts
// the model's page to the list's height.
void DrawPicker(PickerModel *model, CHAR_INFO *cells, SHORT columns, SHORT rows);

// The grid as VT sequences for a terminal's alternate screen: each row
// placed, colours as SGR palette indexes where they change. Returns the
// length written into `out` of `capacity` characters, which
// PickerSequencesSize gives for a grid of that size.
DWORD GridToSequences(const CHAR_INFO *cells, SHORT columns, SHORT rows, LPWSTR out, size_t capacity);
size_t PickerSequencesSize(SHORT columns, SHORT rows);

// ---- the session (picker_session.cpp) ----

enum PickerResult { PICKED = 0, PICKER_FAILED = 2, PICKER_CANCELLED = 3 };

// The whole picker on the console: refusals and failures reported, the
// scheme kept applied as by name. `filter` may be null.
[[nodiscard]] PickerResult RunPicker(LPCWSTR filter);
