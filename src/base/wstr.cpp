// Strings and paths over UTF-16, with the same results on both targets.
#include "base.h"

// A null string reads as empty everywhere here: callers pass optional
// arguments straight through, and a crash on a missing one helps nobody.

size_t StrLen(LPCWSTR text) {
    if (!text) return 0;
    LPCWSTR p = text;
    while (*p) ++p;
    return (size_t)(p - text);
}

size_t StrCopy(LPWSTR dest, size_t capacity, LPCWSTR src) {
    if (!dest || capacity == 0) return 0;
    size_t n = 0;
    if (src) {
        while (n + 1 < capacity && src[n]) {
            dest[n] = src[n];
            ++n;
        }
    }
    dest[n] = 0;
    return n;
}

size_t StrCopyWhole(LPWSTR dest, size_t capacity, LPCWSTR src) {
    size_t n = StrCopy(dest, capacity, src);
    // Only a cut between the two halves of a pair drops the high one: a lone
    // half the text already had is copied as it is.
    if (n > 0 && src[n] >= 0xDC00 && src[n] <= 0xDFFF && dest[n - 1] >= 0xD800 && dest[n - 1] <= 0xDBFF) {
        dest[--n] = 0;
    }
    return n;
}

size_t StrAppend(LPWSTR dest, size_t capacity, LPCWSTR src) {
    if (!dest) return 0;
    size_t len = 0;
    while (len < capacity && dest[len]) ++len;
    // An unterminated buffer is left alone rather than written past.
    if (len == capacity) return len;
    return len + StrCopy(dest + len, capacity - len, src);
}

int StrCompare(LPCWSTR a, LPCWSTR b) {
    if (!a) a = TEXT("");
    if (!b) b = TEXT("");
    while (*a && *a == *b) {
        ++a;
        ++b;
    }
    return (int)(WORD)*a - (int)(WORD)*b;
}

int StrCompareN(LPCWSTR a, LPCWSTR b, size_t count) {
    if (!a) a = TEXT("");
    if (!b) b = TEXT("");
    for (; count; --count, ++a, ++b) {
        if (*a != *b) return (int)(WORD)*a - (int)(WORD)*b;
        if (!*a) break;
    }
    return 0;
}

WCHAR AsciiUpper(WCHAR c) {
    return (c >= TEXT('a') && c <= TEXT('z')) ? (WCHAR)(c - 0x20) : c;
}

WCHAR AsciiLower(WCHAR c) {
    return (c >= TEXT('A') && c <= TEXT('Z')) ? (WCHAR)(c + 0x20) : c;
}

// Folding to lower case orders "_" and "[" the way _wcsicmp does.
int StrCompareI(LPCWSTR a, LPCWSTR b) {
    return StrCompareNI(a, b, (size_t)-1);
}

int StrCompareNI(LPCWSTR a, LPCWSTR b, size_t count) {
    if (!a) a = TEXT("");
    if (!b) b = TEXT("");
    for (; count; --count, ++a, ++b) {
        WCHAR ca = AsciiLower(*a), cb = AsciiLower(*b);
        if (ca != cb) return (int)(WORD)ca - (int)(WORD)cb;
        if (!ca) break;
    }
    return 0;
}

void StrUpperAscii(LPWSTR text) {
    if (!text) return;
    for (; *text; ++text) *text = AsciiUpper(*text);
}

bool IsAsciiDigit(WCHAR c) {
    return c >= TEXT('0') && c <= TEXT('9');
}

bool IsHexDigit(WCHAR c) {
    return IsAsciiDigit(c) || (c >= TEXT('a') && c <= TEXT('f')) || (c >= TEXT('A') && c <= TEXT('F'));
}

namespace {

struct CharRange {
    WORD first, last;
};

// What GetStringTypeW reports as C1_SPACE (and so iswspace on Windows): the
// Unicode space, line and paragraph separators, the C0 controls TAB to CR,
// and NEL. U+FEFF and U+200B are not in it. Sorted, for the early exit.
constexpr CharRange WHITE_SPACE_RANGES[] = {
    {0x0009, 0x000D}, {0x0020, 0x0020}, {0x0085, 0x0085}, {0x00A0, 0x00A0}, {0x1680, 0x1680},
    {0x2000, 0x200A}, {0x2028, 0x2029}, {0x202F, 0x202F}, {0x205F, 0x205F}, {0x3000, 0x3000},
};

}  // namespace

bool IsWhiteSpace(WCHAR c) {
    WORD u = (WORD)c;
    for (const CharRange &r : WHITE_SPACE_RANGES) {
        if (u < r.first) return false;
        if (u <= r.last) return true;
    }
    return false;
}

LPCWSTR StrFindChar(LPCWSTR text, WCHAR c) {
    if (!text) return nullptr;
    for (;; ++text) {
        if (*text == c) return text;
        if (!*text) return nullptr;
    }
}

LPCWSTR StrFindLastChar(LPCWSTR text, WCHAR c) {
    if (!text) return nullptr;
    LPCWSTR found = nullptr;
    for (;; ++text) {
        if (*text == c) found = text;
        if (!*text) return found;
    }
}

LPCWSTR StrFind(LPCWSTR text, LPCWSTR needle) {
    if (!text) return nullptr;
    if (!needle || !*needle) return text;
    for (; *text; ++text) {
        if (*text != *needle) continue;
        size_t i = 1;
        while (needle[i] && text[i] == needle[i]) ++i;
        if (!needle[i]) return text;
    }
    return nullptr;
}

LPWSTR StrDuplicate(LPCWSTR text) {
    size_t length = StrLen(text);
    LPWSTR copy = static_cast<LPWSTR>(MemAlloc((length + 1) * sizeof(WCHAR)));
    if (copy) StrCopy(copy, length + 1, text);
    return copy;
}

namespace {

bool IsPathSeparator(WCHAR c) {
    return c == TEXT('\\') || c == TEXT('/') || c == TEXT(':');
}

}  // namespace

size_t PathDirectoryLength(LPCWSTR path) {
    LPCWSTR back = StrFindLastChar(path, TEXT('\\'));
    LPCWSTR slash = StrFindLastChar(path, TEXT('/'));
    LPCWSTR cut = back > slash ? back : slash;
    return cut ? static_cast<size_t>(cut - path) + 1 : PathDriveLength(path);
}

size_t PathDriveLength(LPCWSTR path) {
    if (!path) return 0;
    WCHAR drive = AsciiUpper(path[0]);
    return drive >= TEXT('A') && drive <= TEXT('Z') && path[1] == TEXT(':') ? 2 : 0;
}

bool AppendPathName(LPWSTR path, size_t capacity, LPCWSTR name) {
    size_t length = StrLen(path);
    if (length == 0) return false;
    LPCWSTR separator = IsPathSeparator(path[length - 1]) ? TEXT("") : TEXT("\\");
    if (length + StrLen(separator) + StrLen(name) >= capacity) return false;
    StrAppend(path, capacity, separator);
    StrAppend(path, capacity, name);
    return true;
}
