// The picker's model: which schemes the view and the filter leave, which
// one is highlighted, and what each key does to that. Everything it needs
// is allocated when it opens, so that browsing never allocates.
#include "../base/base.h"
#include "../hotkey/hotkey.h"
#include "picker.h"

namespace {

constexpr DWORD CTRL_PRESSED = LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED;
constexpr DWORD ALT_PRESSED = LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED;
constexpr DWORD FOLDED_FILTER_SIZE = 2 * PICKER_FILTER_SIZE;

LPCWSTR FoldedName(const PickerModel *model, DWORD position) {
    return model->folded + static_cast<size_t>(position) * PICKER_FOLD_STRIDE;
}

// Folded as scheme names are matched, then lower-cased, so that a filter
// folded the same way is found in it with plain comparisons. A name that
// would not fold into its slot is kept as stored.
void FoldForMatching(LPCWSTR text, LPWSTR out, size_t capacity) {
    if (FoldSchemeNameInto(text, out, capacity) < 0) StrCopy(out, capacity, text);
    for (LPWSTR c = out; *c; ++c) *c = AsciiLower(*c);
}

bool InView(const ColorScheme *scheme, PickerView view) {
    if (view == PICKER_ALL) return true;
    return (scheme->dark != 0) == (view == PICKER_DARK);
}

bool ContainsWord(LPCWSTR name, LPCWSTR word, size_t length) {
    for (; *name; ++name) {
        if (StrCompareN(name, word, length) == 0) return true;
    }
    return false;
}

// Every blank-separated word of `filter` (folded) appears in `name`.
bool MatchesFilter(LPCWSTR name, LPCWSTR filter) {
    while (*filter) {
        while (*filter == TEXT(' ')) ++filter;
        size_t length = 0;
        while (filter[length] && filter[length] != TEXT(' ')) ++length;
        if (length > 0 && !ContainsWord(name, filter, length)) return false;
        filter += length;
    }
    return true;
}

DWORD HighlightedPosition(const PickerModel *model) {
    return model->visibleCount ? model->visible[model->highlight] : PICKER_NONE;
}

// Rebuilds the rows after the view or the filter changed; the highlight
// stays on `keep` while it is still shown, else goes to the first row.
void Refilter(PickerModel *model, DWORD keep) {
    WCHAR filter[FOLDED_FILTER_SIZE];
    FoldForMatching(model->filter, filter, FOLDED_FILTER_SIZE);
    model->visibleCount = 0;
    model->highlight = 0;
    for (DWORD n = 0; n < model->count; ++n) {
        if (!InView(model->schemes[n], model->view) || !MatchesFilter(FoldedName(model, n), filter)) continue;
        if (n == keep) model->highlight = model->visibleCount;
        model->visible[model->visibleCount++] = n;
    }
    PickerSetPageRows(model, model->pageRows);
}

void MoveBy(PickerModel *model, LONG rows) {
    if (model->visibleCount == 0) return;
    LONG last = static_cast<LONG>(model->visibleCount) - 1;
    LONG target = static_cast<LONG>(model->highlight) + rows;
    model->highlight = static_cast<DWORD>(target < 0 ? 0 : target > last ? last : target);
    PickerSetPageRows(model, model->pageRows);
}

// A random row of those whose command-line colours are readable, as the
// hotkey picks; any row when none is.
void JumpToRandom(PickerModel *model) {
    DWORD readable = 0;
    for (DWORD row = 0; row < model->visibleCount; ++row) {
        if (IsReadableScheme(model->schemes[model->visible[row]])) ++readable;
    }
    DWORD candidates = readable ? readable : model->visibleCount;
    if (candidates == 0) return;
    DWORD position = RandomPosition(candidates);
    for (DWORD row = 0; row < model->visibleCount; ++row) {
        if (readable && !IsReadableScheme(model->schemes[model->visible[row]])) continue;
        if (--position == 0) {
            model->highlight = row;
            break;
        }
    }
    PickerSetPageRows(model, model->pageRows);
}

void SetFilterLength(PickerModel *model, DWORD length) {
    DWORD keep = HighlightedPosition(model);
    model->filterLength = length;
    model->filter[length] = 0;
    Refilter(model, keep);
}

void TypeCharacter(PickerModel *model, WCHAR c, WORD repeat) {
    DWORD length = model->filterLength;
    for (WORD n = 0; n < repeat && length + 1 < PICKER_FILTER_SIZE; ++n) model->filter[length++] = c;
    SetFilterLength(model, length);
}

void DeleteCharacter(PickerModel *model, WORD repeat) {
    DWORD length = model->filterLength;
    for (WORD n = 0; n < repeat && length > 0; ++n) {
        --length;
        // Never half of a surrogate pair left behind.
        if (length > 0 && model->filter[length] >= 0xDC00 && model->filter[length] <= 0xDFFF) --length;
    }
    SetFilterLength(model, length);
}

void ChangeView(PickerModel *model, int step) {
    DWORD keep = HighlightedPosition(model);
    model->view = static_cast<PickerView>((model->view + step + PICKER_VIEW_COUNT) % PICKER_VIEW_COUNT);
    Refilter(model, keep);
}

// Ctrl with a letter, whether the console reports the letter's key or its
// control character.
bool IsCtrlLetter(const PickerKey *key, char letter) {
    if (key->character == static_cast<WCHAR>(letter - 'A' + 1)) return true;
    return key->virtualKey == static_cast<WORD>(letter) && (key->controlState & CTRL_PRESSED) &&
           !(key->controlState & ALT_PRESSED);
}

PickerOutcome HandleCtrlKey(PickerModel *model, const PickerKey *key) {
    if (IsCtrlLetter(key, 'C')) return PICKER_CANCEL;
    if (IsCtrlLetter(key, 'P')) MoveBy(model, -static_cast<LONG>(key->repeat));
    if (IsCtrlLetter(key, 'N')) MoveBy(model, key->repeat);
    if (IsCtrlLetter(key, 'U')) SetFilterLength(model, 0);
    if (IsCtrlLetter(key, 'R')) JumpToRandom(model);
    return PICKER_GOING;
}

}  // namespace

bool OpenPickerModel(PickerModel *model, ColorScheme *list, const ColorScheme *initial, LPCWSTR filter) {
    *model = PickerModel{};
    DWORD count = 0;
    for (const ColorScheme *scheme = list; scheme; scheme = scheme->next) ++count;
    model->schemes = static_cast<ColorScheme **>(MemCalloc(count ? count : 1, sizeof(ColorScheme *)));
    model->visible = static_cast<DWORD *>(MemCalloc(count ? count : 1, sizeof(DWORD)));
    model->folded = static_cast<WCHAR *>(MemCalloc(count ? count : 1, PICKER_FOLD_STRIDE * sizeof(WCHAR)));
    if (!model->schemes || !model->visible || !model->folded) {
        ClosePickerModel(model);
        return false;
    }
    model->count = count;
    model->initial = PICKER_NONE;
    DWORD n = 0;
    for (ColorScheme *scheme = list; scheme; scheme = scheme->next, ++n) {
        model->schemes[n] = scheme;
        if (scheme == initial) model->initial = n;
        FoldForMatching(scheme->name, model->folded + static_cast<size_t>(n) * PICKER_FOLD_STRIDE, PICKER_FOLD_STRIDE);
        ++model->viewCounts[PICKER_ALL];
        ++model->viewCounts[scheme->dark ? PICKER_DARK : PICKER_LIGHT];
    }
    model->view = PICKER_ALL;
    model->pageRows = 1;
    if (filter) StrCopy(model->filter, PICKER_FILTER_SIZE, filter);
    model->filterLength = static_cast<DWORD>(StrLen(model->filter));
    Refilter(model, model->initial);
    return true;
}

void ClosePickerModel(PickerModel *model) {
    MemFree(model->schemes);
    MemFree(model->visible);
    MemFree(model->folded);
    *model = PickerModel{};
}

ColorScheme *PickerHighlighted(const PickerModel *model) {
    DWORD position = HighlightedPosition(model);
    return position == PICKER_NONE ? nullptr : model->schemes[position];
}

void PickerSetPageRows(PickerModel *model, DWORD rows) {
    model->pageRows = rows ? rows : 1;
    if (model->highlight < model->top) model->top = model->highlight;
    if (model->highlight >= model->top + model->pageRows) model->top = model->highlight - model->pageRows + 1;
    // No empty rows below the last scheme while earlier ones would fit.
    DWORD lastTop = model->visibleCount > model->pageRows ? model->visibleCount - model->pageRows : 0;
    if (model->top > lastTop) model->top = lastTop;
}

PickerOutcome PickerHandleKey(PickerModel *model, const PickerKey *key) {
    WORD repeat = key->repeat ? key->repeat : 1;
    LONG page = static_cast<LONG>(model->pageRows) * repeat;
    bool shift = (key->controlState & SHIFT_PRESSED) != 0;
    switch (key->virtualKey) {
        case VK_CANCEL:  // Ctrl+Break
            return PICKER_CANCEL;
        case VK_RETURN:
            return model->visibleCount ? PICKER_KEEP : PICKER_GOING;
        case VK_ESCAPE:
            if (model->filterLength == 0) return PICKER_CANCEL;
            SetFilterLength(model, 0);
            return PICKER_GOING;
        case VK_UP:
            MoveBy(model, -static_cast<LONG>(repeat));
            return PICKER_GOING;
        case VK_DOWN:
            MoveBy(model, repeat);
            return PICKER_GOING;
        case VK_PRIOR:
            MoveBy(model, -page);
            return PICKER_GOING;
        case VK_NEXT:
            MoveBy(model, page);
            return PICKER_GOING;
        case VK_HOME:
            MoveBy(model, -static_cast<LONG>(model->visibleCount));
            return PICKER_GOING;
        case VK_END:
            MoveBy(model, static_cast<LONG>(model->visibleCount));
            return PICKER_GOING;
        case VK_TAB:
            ChangeView(model, shift ? -1 : 1);
            return PICKER_GOING;
        case VK_BACK:
            DeleteCharacter(model, repeat);
            return PICKER_GOING;
        default:
            break;
    }
    if ((key->controlState & CTRL_PRESSED) && !(key->controlState & ALT_PRESSED)) {
        return HandleCtrlKey(model, key);
    }
    if (key->character < 0x20) return HandleCtrlKey(model, key);
    if (key->character != 0x7F) TypeCharacter(model, key->character, repeat);
    return PICKER_GOING;
}
