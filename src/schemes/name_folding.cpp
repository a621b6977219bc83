// Scheme names to plain Latin letters, so that a user who cannot type an
// accent still finds "Crème Brûlée" as Creme*.
#include <string.h>

#include "scheme_list.h"

namespace {

// The folded form of one character of U+00C0-U+00FF; null where it stays
// (Ð × Ø Þ ß ð ÷ ø þ).
const char *const LATIN1_FOLDS[64] = {
    "A", "A", "A", "A", "A", "A", "AE", "C", "E", "E", "E", "E", "I", "I", "I", "I",        // C0-CF
    nullptr, "N", "O", "O", "O", "O", "O", nullptr, nullptr, "U", "U", "U", "U", "Y", nullptr, nullptr,  // D0-DF
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",        // E0-EF
    nullptr, "n", "o", "o", "o", "o", "o", nullptr, nullptr, "u", "u", "u", "u", "y", nullptr, "y",  // F0-FF
};

// The replacement of `c` as ASCII text, or null when `c` is kept.
const char *FoldCharacter(WCHAR c) {
    if (c >= 0xC0 && c <= 0xFF) return LATIN1_FOLDS[c - 0xC0];
    if (c == 0x152) return "OE";
    if (c == 0x153) return "oe";
    if (c >= 0x2018 && c <= 0x201B) return "'";
    if (c >= 0x201C && c <= 0x201F) return "\"";
    return nullptr;
}

}  // namespace

int FoldSchemeName(LPCWSTR name, LPWSTR folded) {
    return FoldSchemeNameInto(name, folded, FOLDED_NAME_SIZE);
}

int FoldSchemeNameInto(LPCWSTR name, LPWSTR folded, size_t capacity) {
    size_t length = 0;
    folded[0] = 0;
    if (!name) return 0;
    for (; *name; ++name) {
        const char *replacement = FoldCharacter(*name);
        size_t count = replacement ? strlen(replacement) : 1;
        if (length + count >= capacity) {
            folded[0] = 0;
            return -1;
        }
        if (!replacement) {
            folded[length++] = *name;
            continue;
        }
        for (size_t i = 0; i < count; ++i) folded[length++] = (WCHAR)replacement[i];
    }
    folded[length] = 0;
    return (int)length;
}
