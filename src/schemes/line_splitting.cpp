// The line work of scheme files: trimming, and splitting a setting into its
// key and value. White space is the table of src/base, the same on both
// targets.
#include "../base/wstr.h"
#include "scheme_file.h"

namespace {

// No character from "!" to U+0084 is white space: most characters of a
// scheme file are decided without the table.
bool IsBlank(WCHAR c) {
    return (c <= 0x20 || c >= 0x85) && IsWhiteSpace(c);
}

// Copies `count` characters of `from` into `to` (SETTING_TEXT_SIZE) and
// trims its end; false when they would not fit.
bool TakePart(LPCWSTR from, size_t count, LPWSTR to) {
    if (count >= SETTING_TEXT_SIZE) return false;
    while (count > 0 && IsBlank(from[count - 1])) --count;
    for (size_t i = 0; i < count; ++i) to[i] = from[i];
    to[count] = 0;
    return true;
}

}  // namespace

size_t TrimTrailingBlanks(LPWSTR text) {
    if (!text) return 0;
    size_t length = StrLen(text);
    while (length > 0 && IsBlank(text[length - 1])) --length;
    text[length] = 0;
    return length;
}

size_t TrimBlanks(LPWSTR text) {
    if (!text) return 0;
    size_t end = StrLen(text);
    size_t start = 0;
    while (start < end && IsBlank(text[start])) ++start;
    while (end > start && IsBlank(text[end - 1])) --end;
    // Moved down in place: the text only ever gets shorter.
    for (size_t i = start; i < end; ++i) text[i - start] = text[i];
    text[end - start] = 0;
    return end - start;
}

int SplitKeyValue(LPCWSTR line, LPWSTR key, LPWSTR value) {
    if (!key || !value) return 0;
    key[0] = 0;
    value[0] = 0;
    if (!line) return 0;
    while (IsBlank(*line)) ++line;
    LPCWSTR equals = StrFindChar(line, TEXT('='));
    if (!equals) return 0;
    LPCWSTR after = equals + 1;
    while (IsBlank(*after)) ++after;
    if (!TakePart(line, static_cast<size_t>(equals - line), key) || key[0] == 0 ||
        !TakePart(after, StrLen(after), value)) {
        key[0] = 0;
        value[0] = 0;
        return 0;
    }
    return 1;
}
