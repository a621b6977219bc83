// The scheme list: append, the lookups, selection from user text, freeing.
#include "scheme_list.h"

#include <string.h>

#include "../base/alloc.h"
#include "../base/wstr.h"
#include "../plugin/host.h"
#include "color_values.h"

ColorScheme *g_schemes = nullptr;

int AddScheme(const ColorScheme *scheme, LPCWSTR name, LPCWSTR colorDir, ColorScheme **list) {
    if (!scheme || !name || name[0] == 0 || !colorDir || !list) return 0;
    size_t dirLength = StrLen(colorDir);
    size_t fixed = offsetof(ColorScheme, ColorDir);
    ColorScheme *added = static_cast<ColorScheme *>(MemAlloc(fixed + (dirLength + 1) * sizeof(WCHAR)));
    if (!added) return 0;
    memcpy(added, scheme, fixed);
    added->next = nullptr;
    StrCopy(added->name, SCHEME_NAME_SIZE, name);
    memcpy(added->ColorDir, colorDir, (dirLength + 1) * sizeof(WCHAR));

    ColorScheme **link = list;
    while (*link) link = &(*link)->next;
    *link = added;
    return 1;
}

ColorScheme *FindSchemeByName(ColorScheme *first, LPCWSTR name) {
    if (!name || name[0] == 0) return nullptr;
    for (ColorScheme *scheme = first; scheme; scheme = scheme->next) {
        if (StrCompareI(scheme->name, name) == 0) return scheme;
    }
    return nullptr;
}

ColorScheme *FindSchemeByPattern(ColorScheme *first, LPCWSTR pattern) {
    if (!pattern || pattern[0] == 0) return nullptr;
    WCHAR folded[FOLDED_NAME_SIZE];
    for (ColorScheme *scheme = first; scheme; scheme = scheme->next) {
        if (WildcardComparison(pattern, scheme->name, 0, 1) == 0) return scheme;
        // Users type plain letters for the accented names they cannot type.
        if (FoldSchemeName(scheme->name, folded) >= 0 && WildcardComparison(pattern, folded, 0, 1) == 0) {
            return scheme;
        }
    }
    return nullptr;
}

ColorScheme *SchemeAtPosition(DWORD n) {
    if (n == 0) return nullptr;
    ColorScheme *scheme = g_schemes;
    for (DWORD i = 1; scheme && i < n; ++i) scheme = scheme->next;
    return scheme;
}

ColorScheme *SelectScheme(LPCWSTR text) {
    if (!text) return nullptr;
    DWORD position = 0;
    if (IsAsciiDigit(text[0]) && ParseNumber(text, &position) == 0 && position != 0) {
        ColorScheme *scheme = SchemeAtPosition(position);
        if (scheme) return scheme;
    }
    return FindSchemeByPattern(g_schemes, text);
}

int FreeSchemeList(void) {
    int freed = 0;
    while (g_schemes) {
        ColorScheme *next = g_schemes->next;
        MemFree(g_schemes);
        g_schemes = next;
        ++freed;
    }
    return freed;
}

DWORD ColorLuminance(DWORD colorRef) {
    DWORD r = colorRef & 0xFF, g = (colorRef >> 8) & 0xFF, b = (colorRef >> 16) & 0xFF;
    return (r * 299 + g * 587 + b * 114) / 255;
}

DWORD IsDarkColor(DWORD colorRef) {
    return ColorLuminance(colorRef) < DARK_LUMINANCE_LIMIT ? 1 : 0;
}

DWORD IsDarkScheme(const ColorScheme *scheme) {
    return IsDarkColor(scheme->palette[(scheme->StdColors >> 4) & 0xF]);
}
